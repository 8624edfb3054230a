#include "layer/hxcontrolinsertkeyundoitem.h"

#include "layer/hxpointcontrol.h"

HxControlInsertKeyUndoItem::HxControlInsertKeyUndoItem(HxPointControl* control, float x, float y, int time)
    : m_control(control), m_x(x), m_y(y), m_time(time)
{}

HxControlInsertKeyUndoItem::~HxControlInsertKeyUndoItem() = default;

void HxControlInsertKeyUndoItem::undo()
{
    if (m_control)
        m_control->removeKeyAt(m_time);
}

void HxControlInsertKeyUndoItem::redo()
{
    if (m_control)
        m_control->insertKey(std::make_unique<HxPointKey>(HxPointKey{m_x, m_y, m_time}));
}

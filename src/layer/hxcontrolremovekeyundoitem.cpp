#include "layer/hxcontrolremovekeyundoitem.h"

#include "layer/hxpointcontrol.h"

HxControlRemoveKeyUndoItem::HxControlRemoveKeyUndoItem(HxPointControl* control, float x, float y, int time)
    : m_control(control), m_x(x), m_y(y), m_time(time)
{}

HxControlRemoveKeyUndoItem::~HxControlRemoveKeyUndoItem() = default;

void HxControlRemoveKeyUndoItem::undo()
{
    if (m_control)
        m_control->insertKey(std::make_unique<HxPointKey>(HxPointKey{m_x, m_y, m_time}));
}

void HxControlRemoveKeyUndoItem::redo()
{
    if (m_control)
        m_control->removeKeyAt(m_time);
}

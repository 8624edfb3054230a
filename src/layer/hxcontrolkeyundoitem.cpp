#include "layer/hxcontrolkeyundoitem.h"

#include "layer/hxpointcontrol.h"

HxControlKeyUndoItem::HxControlKeyUndoItem(HxPointControl* control, float x, float y, int time)
    : m_control(control), m_x(x), m_y(y), m_time(time)
{}

HxControlKeyUndoItem::~HxControlKeyUndoItem() = default;

HxPointControl* HxControlKeyUndoItem::control() const
{
    return m_control;
}

void HxControlKeyUndoItem::insertKey()
{
    if (m_control)
        m_control->insertKey(std::make_unique<HxPointKey>(HxPointKey{m_x, m_y, m_time}));
}

void HxControlKeyUndoItem::removeKey()
{
    if (m_control)
        m_control->removeKeyAt(m_time);
}

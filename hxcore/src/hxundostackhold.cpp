#include "hxcore/hxundostackhold.h"

#include "hxcore/hxundostack.h"

HxUndoStackHold::HxUndoStackHold(HxUndoStack* stack) : m_stack(stack ? stack : hxUndoStack)
{
    m_outermost = m_stack && m_stack->holdDepth() == 0;
    m_start = m_stack ? m_stack->openHold() : 0;
}

HxUndoStackHold::~HxUndoStackHold()
{
    if (m_stack && !m_accepted)
        m_stack->cancelHold(m_start, m_outermost);
}

void HxUndoStackHold::accept(const QString& caption)
{
    if (!m_stack || m_accepted)
        return;
    m_accepted = true;
    m_stack->acceptHold(m_start, caption, m_outermost);
}

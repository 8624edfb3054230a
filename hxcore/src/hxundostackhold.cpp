#include "hxcore/hxundostackhold.h"

#include "hxcore/hxundostack.h"

HxUndoStackHold::HxUndoStackHold(HxUndoStack* stack) : m_stack(stack ? stack : hxUndoStack)
{
    if (m_stack)
        m_start = m_stack->openHold(this);
}

HxUndoStackHold::~HxUndoStackHold()
{
    if (m_stack && !m_accepted)
        m_stack->cancelHold(this, m_start);
}

void HxUndoStackHold::accept(const QString& caption)
{
    if (!m_stack || m_accepted)
        return;
    m_accepted = true;
    m_stack->acceptHold(this, caption);
}

void HxUndoStackHold::setCloser(std::function<void()> closer, bool live)
{
    m_closer = std::move(closer);
    m_live = live;
}

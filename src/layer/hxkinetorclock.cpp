#include "layer/hxkinetorclock.h"

HxKinetorClock::HxKinetorClock() = default;

HxKinetorClock::~HxKinetorClock() = default;

void HxKinetorClock::start()
{
    m_timer.start();
    m_reportedMs = 0;
}

qint64 HxKinetorClock::restart()
{
    if (!m_timer.isValid()) {
        start();
        return 0;
    }
    return report(m_timer.elapsed());
}

bool HxKinetorClock::isValid() const
{
    return m_timer.isValid();
}

qint64 HxKinetorClock::report(qint64 totalMs)
{
    const qint64 pending = totalMs - m_reportedMs;
    const qint64 due = pending - pending % QuantumMs;
    m_reportedMs += due;
    return due;
}

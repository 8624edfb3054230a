#include "layer/hxkinetorclock.h"

HxKinetorClock::HxKinetorClock() = default;

HxKinetorClock::~HxKinetorClock() = default;

void HxKinetorClock::start()
{
    m_timer.start();
}

qint64 HxKinetorClock::restart()
{
    if (!m_timer.isValid()) {
        m_timer.start();
        return 0;
    }
    return m_timer.restart();
}

bool HxKinetorClock::isValid() const
{
    return m_timer.isValid();
}

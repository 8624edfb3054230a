#pragma once

#include "layer/hxkinetorclock.h"

#include <utility>

// A clock that reports exactly the milliseconds a test lets pass, so that a
// recording advances the scene time the same way on every run.
class HxFakeClock : public HxKinetorClock
{
public:
    void start() override
    {
        m_started = true;
        m_pending = 0;
    }
    qint64 restart() override
    {
        m_started = true;
        return std::exchange(m_pending, 0);
    }
    bool isValid() const override { return m_started; }

    void advance(qint64 milliseconds) { m_pending += milliseconds; }

private:
    bool m_started = false;
    qint64 m_pending = 0;
};

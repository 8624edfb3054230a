#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

// The wall clock of a live blend. A Record drag advances the scene time by
// what this clock reports between ticks; tests replace it with one they
// drive, so that recording runs the same way on every machine.
class HxKinetorClock
{
public:
    HxKinetorClock();
    virtual ~HxKinetorClock();
    HxKinetorClock(const HxKinetorClock&) = delete;
    HxKinetorClock& operator=(const HxKinetorClock&) = delete;

    virtual void start();
    // Milliseconds since the last start or restart; starts counting anew.
    // A clock that was never started reports 0.
    virtual qint64 restart();
    virtual bool isValid() const;

private:
    QElapsedTimer m_timer;
};

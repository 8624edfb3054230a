#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

// The wall clock of a live blend. A Record drag advances the scene time by
// what this clock reports between ticks; tests replace it with one they
// drive, so that recording runs the same way on every machine.
//
// The blend turns each report into scene ticks (4800 a second) and drops the
// fraction, and ticks come as fast as the machine allows. So the clock
// reports whole multiples of 5 ms, the shortest span that is a whole number
// of ticks, and keeps the rest for the next report: recorded time then runs
// exactly with the wall clock (and the sound track) however fast ticks come.
class HxKinetorClock
{
public:
    static constexpr qint64 QuantumMs = 5;

    HxKinetorClock();
    virtual ~HxKinetorClock();
    HxKinetorClock(const HxKinetorClock&) = delete;
    HxKinetorClock& operator=(const HxKinetorClock&) = delete;

    virtual void start();
    // Milliseconds since the last start or restart, in whole quanta; the
    // time not yet reported carries over. A clock never started reports 0.
    virtual qint64 restart();
    virtual bool isValid() const;

protected:
    // What a total of elapsed milliseconds since start allows reporting now.
    qint64 report(qint64 totalMs);

private:
    QElapsedTimer m_timer;
    qint64 m_reportedMs = 0;
};

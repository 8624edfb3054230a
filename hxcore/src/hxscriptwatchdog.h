#pragma once

#include "hxcore/hxscriptengine.h"

#include <QString>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <sys/types.h>
#include <thread>

class QJSEngine;

// Watches one script run from a thread of its own. Scripts run on the GUI
// thread and call GUI objects, so while one loops nothing on that thread can
// show a window or stop it; this thread can: it interrupts the engine when the
// run keeps the thread busy past the time limit or grows the process past the
// memory limit, and in the interactive host it starts a separate stop window
// (a process of its own, which has a working event loop) and interrupts the
// engine when the person chooses to stop. Time spent in an event loop that the
// script opened (a message box waiting for the person) does not count: the
// run's heartbeat ticks there.
class HxScriptWatchdog
{
public:
    enum class Reason
    {
        None,
        TimeLimit,
        Person,
        Memory
    };

    explicit HxScriptWatchdog(QJSEngine* engine);
    ~HxScriptWatchdog();

    void arm(const HxScriptLimits& limits, const QString& scriptName);
    // Ends the watch (closing any stop window) and says whether and why the
    // engine was interrupted.
    Reason disarm();
    // Called from the GUI thread's event loop while the script waits in one.
    void beat();
    // How long the last run had kept the thread busy when it was stopped.
    qint64 stoppedAfterMs() const { return m_stoppedAfterMs; }

private:
    void loop();
    void check(std::unique_lock<std::mutex>& lock);
    void startPrompt(qint64 busyMs);
    void closePrompt();
    static qint64 now();
    static qint64 residentBytes();

    QJSEngine* m_engine;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_thread;
    bool m_quit = false;
    bool m_armed = false;
    HxScriptLimits m_limits;
    QString m_scriptName;
    qint64 m_armedAt = 0;
    qint64 m_startBytes = 0;
    qint64 m_nextPromptAt = 0;
    qint64 m_stoppedAfterMs = 0;
    pid_t m_prompt = 0;
    Reason m_reason = Reason::None;
    std::atomic<qint64> m_lastBeat{0};
};

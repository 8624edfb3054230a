#include "hxscriptwatchdog.h"

#include <QByteArray>
#include <QFile>
#include <QJSEngine>
#include <chrono>
#include <csignal>
#include <limits>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {
// How often the watch looks at the clock and the process's memory: often
// enough that runaway allocation is caught a few hundred megabytes late at
// worst, rarely enough to cost nothing.
constexpr auto kTick = std::chrono::milliseconds(40);
} // namespace

HxScriptWatchdog::HxScriptWatchdog(QJSEngine* engine) : m_engine(engine)
{
    m_thread = std::thread([this] { loop(); });
}

HxScriptWatchdog::~HxScriptWatchdog()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        closePrompt();
    }
    m_wake.notify_all();
    m_thread.join();
}

qint64 HxScriptWatchdog::now()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

qint64 HxScriptWatchdog::residentBytes()
{
    // The second field of statm is the resident set in pages.
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

void HxScriptWatchdog::arm(const HxScriptLimits& limits, const QString& scriptName)
{
    {
        std::lock_guard lock(m_mutex);
        m_limits = limits;
        m_scriptName = scriptName;
        m_armedAt = now();
        m_lastBeat.store(m_armedAt);
        m_nextPromptAt = limits.promptAfterMs;
        m_startBytes = limits.memoryLimitBytes > 0 ? residentBytes() : 0;
        m_reason = Reason::None;
        m_stoppedAfterMs = 0;
        m_armed = true;
    }
    m_wake.notify_all();
}

HxScriptWatchdog::Reason HxScriptWatchdog::disarm()
{
    std::lock_guard lock(m_mutex);
    m_armed = false;
    closePrompt();
    return m_reason;
}

void HxScriptWatchdog::beat()
{
    m_lastBeat.store(now());
}

void HxScriptWatchdog::loop()
{
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        if (!m_armed) {
            m_wake.wait(lock);
            continue;
        }
        m_wake.wait_for(lock, kTick);
        if (m_armed && !m_quit && m_reason == Reason::None)
            check(lock);
    }
}

void HxScriptWatchdog::check(std::unique_lock<std::mutex>&)
{
    const qint64 busy = now() - std::max(m_armedAt, m_lastBeat.load());
    Reason reason = Reason::None;
    if (m_limits.memoryLimitBytes > 0 && residentBytes() - m_startBytes > m_limits.memoryLimitBytes)
        reason = Reason::Memory;
    else if (m_limits.timeLimitMs > 0 && busy >= m_limits.timeLimitMs)
        reason = Reason::TimeLimit;

    if (m_prompt > 0) {
        int status = 0;
        const pid_t prompt = m_prompt;
        const pid_t done = waitpid(prompt, &status, WNOHANG);
        if (done == prompt || done < 0) {
            m_prompt = 0;
            // Exit code 0 is the stop button; anything else (keep waiting,
            // the window closed, a prompt that could not start) asks again
            // after another while.
            if (done == prompt && WIFEXITED(status) && WEXITSTATUS(status) == 0)
                reason = reason == Reason::None ? Reason::Person : reason;
            else
                m_nextPromptAt = busy + m_limits.promptAfterMs;
        }
    } else if (m_limits.promptAfterMs > 0 && !m_limits.promptProgram.isEmpty() && busy >= m_nextPromptAt) {
        startPrompt(busy);
    } else if (busy < m_limits.promptAfterMs && m_nextPromptAt != std::numeric_limits<qint64>::max()) {
        // The script went back to an event loop since the last prompt.
        m_nextPromptAt = m_limits.promptAfterMs;
    }

    if (reason == Reason::None)
        return;
    m_reason = reason;
    m_stoppedAfterMs = busy;
    closePrompt();
    // Safe from any thread: the engine checks the flag at its next jump or
    // call and unwinds the script with an error.
    m_engine->setInterrupted(true);
}

void HxScriptWatchdog::startPrompt(qint64 busyMs)
{
    const QByteArray program = QFile::encodeName(m_limits.promptProgram);
    const QByteArray name = m_scriptName.toLocal8Bit();
    const QByteArray seconds = QByteArray::number(busyMs / 1000);
    char* argv[] = {const_cast<char*>(program.constData()), const_cast<char*>("--script"),
                    const_cast<char*>(name.constData()),    const_cast<char*>("--busy"),
                    const_cast<char*>(seconds.constData()), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program.constData(), nullptr, nullptr, argv, environ) == 0)
        m_prompt = pid;
    else
        // No prompt to be had; never try again during this run.
        m_nextPromptAt = std::numeric_limits<qint64>::max();
}

void HxScriptWatchdog::closePrompt()
{
    if (m_prompt <= 0)
        return;
    kill(m_prompt, SIGTERM);
    waitpid(m_prompt, nullptr, 0);
    m_prompt = 0;
}

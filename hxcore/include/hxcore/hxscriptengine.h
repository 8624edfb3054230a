#pragma once

#include "hxcore/hxglobal.h"

#include <QJSValue>
#include <QObject>
#include <QString>
#include <optional>

#include <memory>

class HxScript;
class HxScriptFunctions;
class HxScriptMessageBox;
class HxScriptWatchdog;
class QJSEngine;
class QTimer;

// What a script run may take before it is stopped. Scripts come from files
// other people send (scene state scripts, presets), so none may hang or take
// down the host.
struct HXCORE_EXPORT HxScriptLimits
{
    // A run that keeps the host's thread busy this long is stopped; 0 never
    // stops it. Time the script spends waiting in a dialog does not count.
    int timeLimitMs = 60000;
    // After this long a stop window (promptProgram, a separate process)
    // offers the person to stop the run; 0 or no program shows none.
    int promptAfterMs = 0;
    QString promptProgram;
    // A run that grows the process by more than this is stopped; 0 never.
    qint64 memoryLimitBytes = qint64(1) << 30;
};

// Runs host scripts (scene state scripts, presets, the person's own) on a
// JavaScript engine that knows the host: App, MainWindow, Scene, MessageBox,
// the value constructors HxVec3 and HxQuat, getScriptFileName(),
// shiftPressed(), ctrlPressed(), altPressed(), setBusyCursor() and
// clearBusyCursor(). A script error is reported with its file and line and
// ends that script only; the host carries on.
//
// Every run is watched (see HxScriptLimits): a script that loops, allocates
// without end or recurses too deep is stopped with an error naming why, and
// the engine stays usable for the next run. Array and string built-ins refuse
// sizes no host script needs (more than MaxElements elements, strings longer
// than MaxStringLength), and the array built-ins that recurse into nested
// arrays count towards the engine's call depth, so deep nesting ends in a
// RangeError rather than a stack overflow.
class HXCORE_EXPORT HxScriptEngine : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 MaxElements = qint64(1) << 24;
    static constexpr qint64 MaxStringLength = qint64(1) << 27;

    explicit HxScriptEngine(QObject* parent = nullptr);
    ~HxScriptEngine() override;

    // The limits every engine uses unless given its own; the host sets them
    // from its command line before any script runs.
    static void setDefaultLimits(const HxScriptLimits& limits);
    static HxScriptLimits defaultLimits();
    void setLimits(std::optional<HxScriptLimits> limits) { m_limits = std::move(limits); }
    HxScriptLimits limits() const { return m_limits ? *m_limits : defaultLimits(); }

    // fileName is what errors name and what getScriptFileName() returns
    // while the code runs. Returns false after a script error.
    bool run(const QString& code, const QString& fileName = QString());
    bool runScript(const HxScript& script, const QString& fileName = QString());
    // Reads the file as UTF-8 and runs it; a file that cannot be read is
    // reported like a script error.
    bool runFile(const QString& fileName);

    // "file:line: message" of the last failed run; empty after a good one.
    QString lastError() const { return m_lastError; }
    int lastErrorLine() const { return m_lastErrorLine; }
    // The value of the last run's final statement. Converting it runs script
    // code (toString, getters) outside any watch: callers keep to plain values.
    QJSValue lastResult() const { return m_lastResult; }

    // Message boxes wait for a person only when interactive (the default);
    // otherwise they are logged and answered with their first button.
    void setInteractive(bool interactive);
    bool isInteractive() const;
    HxScriptMessageBox* getMessageBox() const { return m_messageBox; }

    // The keys held when a script starts decide what shiftPressed() and
    // ctrlPressed() say. Unset, they are read from the keyboard at the start
    // of each run.
    void setKeyboardModifiers(std::optional<Qt::KeyboardModifiers> modifiers) { m_modifiers = modifiers; }

    QJSEngine* engine() const { return m_engine; }

signals:
    void errorOccurred(const QString& message);

private:
    void bindGlobals();
    QJSValue wrap(QObject* object);
    void installGuards();
    void fail(const QString& message, int line);
    QString describeFailure(const QJSValue& result, const QStringList& trace, const QString& fileName,
                            int* line) const;
    QString stoppedMessage(int reason, const QString& fileName) const;
    static QString displayName(const QString& reported, const QString& given);

    QJSEngine* m_engine;
    HxScriptFunctions* m_functions;
    HxScriptMessageBox* m_messageBox;
    std::unique_ptr<HxScriptWatchdog> m_watchdog;
    QTimer* m_heartbeat;
    std::optional<HxScriptLimits> m_limits;
    std::optional<Qt::KeyboardModifiers> m_modifiers;
    QString m_lastError;
    int m_lastErrorLine = 0;
    QJSValue m_lastResult;
    int m_depth = 0;
};

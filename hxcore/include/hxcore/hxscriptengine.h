#pragma once

#include "hxcore/hxglobal.h"

#include <QJSValue>
#include <QObject>
#include <QString>
#include <optional>

class HxScript;
class HxScriptFunctions;
class HxScriptMessageBox;
class QJSEngine;

// Runs host scripts (scene state scripts, presets, the person's own) on a
// JavaScript engine that knows the host: App, MainWindow, Scene, MessageBox,
// the value constructors HxVec3 and HxQuat, getScriptFileName(),
// shiftPressed(), ctrlPressed(), altPressed(), setBusyCursor() and
// clearBusyCursor(). A script error is reported with its file and line and
// ends that script only; the host carries on.
class HXCORE_EXPORT HxScriptEngine : public QObject
{
    Q_OBJECT
public:
    explicit HxScriptEngine(QObject* parent = nullptr);
    ~HxScriptEngine() override;

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
    // The value of the last run's final statement.
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
    void fail(const QString& message, int line);
    static QString displayName(const QString& reported, const QString& given);

    QJSEngine* m_engine;
    HxScriptFunctions* m_functions;
    HxScriptMessageBox* m_messageBox;
    std::optional<Qt::KeyboardModifiers> m_modifiers;
    QString m_lastError;
    int m_lastErrorLine = 0;
    QJSValue m_lastResult;
    int m_depth = 0;
};

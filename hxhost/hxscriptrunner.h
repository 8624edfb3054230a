#pragma once

#include <QObject>
#include <QString>
#include <functional>

class HxScriptEngine;

// Runs the scripts a person starts (File > Run Script..., --script) on the
// host's one script engine. A run is one undo step named after the file;
// a script error is reported with its file, line and message, and what the
// script did before it stays (one Undo takes it back).
class HxScriptRunner : public QObject
{
    Q_OBJECT
public:
    explicit HxScriptRunner(QObject* parent = nullptr);
    ~HxScriptRunner() override;

    HxScriptEngine* engine() const { return m_engine; }

    using Reporter = std::function<void(const QString& title, const QString& message)>;
    void setReporter(Reporter reporter) { m_reporter = std::move(reporter); }

    // False after a script error or when the file cannot be read.
    bool runFile(const QString& fileName);

private:
    HxScriptEngine* m_engine;
    Reporter m_reporter;
};

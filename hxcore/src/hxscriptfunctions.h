#pragma once

#include <QJSValue>
#include <QObject>
#include <QString>

class QJSEngine;

// The host functions a script calls by name (getScriptFileName, shiftPressed,
// the value constructors, the busy cursor). The engine binds its methods to
// global names; scripts never see this object itself.
class HxScriptFunctions : public QObject
{
    Q_OBJECT
public:
    explicit HxScriptFunctions(QJSEngine* engine, QObject* parent = nullptr);
    ~HxScriptFunctions() override;

    void setScriptFileName(const QString& fileName) { m_fileName = fileName; }
    QString scriptFileName() const { return m_fileName; }
    void setModifiers(Qt::KeyboardModifiers modifiers) { m_modifiers = modifiers; }
    // Restores every busy cursor that a script set and did not clear.
    void releaseBusyCursors();
    int busyDepth() const { return m_busyDepth; }

    Q_INVOKABLE QString getScriptFileName() const { return m_fileName; }
    Q_INVOKABLE bool shiftPressed() const { return m_modifiers & Qt::ShiftModifier; }
    Q_INVOKABLE bool ctrlPressed() const { return m_modifiers & Qt::ControlModifier; }
    Q_INVOKABLE bool altPressed() const { return m_modifiers & Qt::AltModifier; }
    Q_INVOKABLE void setBusyCursor();
    Q_INVOKABLE void clearBusyCursor();

    // Called with the constructor's arguments as an array: none, a value of
    // the same type to copy, or the components as numbers.
    Q_INVOKABLE QJSValue makeVec3(const QJSValue& arguments);
    Q_INVOKABLE QJSValue makeQuat(const QJSValue& arguments);

private:
    // Reads count finite numbers from the arguments into values; throws a
    // script error and returns false otherwise.
    bool readNumbers(const QJSValue& arguments, int count, const char* type, double* values);

    QJSEngine* m_engine;
    QString m_fileName;
    Qt::KeyboardModifiers m_modifiers;
    int m_busyDepth = 0;
};

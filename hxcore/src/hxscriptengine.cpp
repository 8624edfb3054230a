#include "hxcore/hxscriptengine.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxscript.h"
#include "hxcore/hxscriptmessagebox.h"
#include "hxscriptbindings.h"
#include "hxscriptfunctions.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJSEngine>
#include <QUrl>

HxScriptEngine::HxScriptEngine(QObject* parent)
    : QObject(parent), m_engine(new QJSEngine(this)), m_functions(new HxScriptFunctions(m_engine, this)),
      m_messageBox(new HxScriptMessageBox(this))
{
    m_engine->installExtensions(QJSEngine::ConsoleExtension);

    QJSValue global = m_engine->globalObject();
    const QJSValue functions = wrap(m_functions);
    for (const char* name : {"getScriptFileName", "shiftPressed", "ctrlPressed", "altPressed",
                             "setBusyCursor", "clearBusyCursor"})
        global.setProperty(QLatin1String(name), functions.property(QLatin1String(name)));

    // Plain functions, so that "new HxVec3(1, 2, 3)" works: a constructor
    // that returns an object yields that object.
    const QJSValue makeConstructors = m_engine->evaluate(QStringLiteral(
        "(function (f) { return {"
        " HxVec3: function HxVec3() { return f.makeVec3(Array.prototype.slice.call(arguments)); },"
        " HxQuat: function HxQuat() { return f.makeQuat(Array.prototype.slice.call(arguments)); } }; })"));
    const QJSValue constructors = makeConstructors.call({functions});
    global.setProperty(QStringLiteral("HxVec3"), constructors.property(QStringLiteral("HxVec3")));
    global.setProperty(QStringLiteral("HxQuat"), constructors.property(QStringLiteral("HxQuat")));
    global.setProperty(QStringLiteral("MessageBox"), wrap(m_messageBox));
    // HxFile and the dialog widgets.
    (new HxScriptBindings(m_engine, m_messageBox, this))->install();
}

HxScriptEngine::~HxScriptEngine() = default;

QJSValue HxScriptEngine::wrap(QObject* object)
{
    if (!object)
        return QJSValue(QJSValue::NullValue);
    // Without this the engine would take a parentless object as its own and
    // delete it when collecting garbage.
    QJSEngine::setObjectOwnership(object, QJSEngine::CppOwnership);
    return m_engine->newQObject(object);
}

void HxScriptEngine::bindGlobals()
{
    // The application, its window and scene can change between runs (a
    // window opened later, a new application in each test), so the names
    // are bound afresh every time.
    QJSValue global = m_engine->globalObject();
    global.setProperty(QStringLiteral("App"), wrap(hxApp));
    global.setProperty(QStringLiteral("MainWindow"), wrap(hxApp ? hxApp->getInterface() : nullptr));
    global.setProperty(QStringLiteral("Scene"), wrap(hxScene));
}

void HxScriptEngine::setInteractive(bool interactive)
{
    m_messageBox->setInteractive(interactive);
}

bool HxScriptEngine::isInteractive() const
{
    return m_messageBox->isInteractive();
}

bool HxScriptEngine::run(const QString& code, const QString& fileName)
{
    m_lastError.clear();
    m_lastErrorLine = 0;
    m_lastResult = QJSValue();

    const QString previousFile = m_functions->scriptFileName();
    if (m_depth == 0) {
        bindGlobals();
        m_functions->setModifiers(m_modifiers ? *m_modifiers : QGuiApplication::queryKeyboardModifiers());
    }
    m_functions->setScriptFileName(fileName);
    ++m_depth;
    // A thrown value that is not an Error object is only recognisable by the
    // stack trace that comes with it.
    QStringList exceptionTrace;
    const QJSValue result = m_engine->evaluate(code, fileName, 1, &exceptionTrace);
    --m_depth;
    m_functions->setScriptFileName(previousFile);
    // A script that fails between setting and clearing the busy cursor
    // must not leave the host looking busy.
    if (m_depth == 0)
        m_functions->releaseBusyCursors();

    if (result.isError() || !exceptionTrace.isEmpty()) {
        QString file;
        int line = 0;
        if (result.isError()) {
            file = result.property(QStringLiteral("fileName")).toString();
            line = result.property(QStringLiteral("lineNumber")).toInt();
        } else {
            // Frames read "function:line:column:file".
            const QStringList frame = exceptionTrace.first().split(QLatin1Char(':'));
            if (frame.size() >= 4) {
                line = frame[1].toInt();
                file = frame.mid(3).join(QLatin1Char(':'));
            }
        }
        fail(QStringLiteral("%1:%2: %3").arg(displayName(file, fileName)).arg(line).arg(result.toString()),
             line);
        return false;
    }
    m_lastResult = result;
    return true;
}

bool HxScriptEngine::runScript(const HxScript& script, const QString& fileName)
{
    return run(script.text(), fileName.isEmpty() ? script.getName() : fileName);
}

bool HxScriptEngine::runFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        m_lastResult = QJSValue();
        fail(QStringLiteral("%1: cannot read the script: %2").arg(fileName, file.errorString()), 0);
        return false;
    }
    const QString code = QString::fromUtf8(file.readAll());
    return run(code, QFileInfo(fileName).absoluteFilePath());
}

QString HxScriptEngine::displayName(const QString& reported, const QString& given)
{
    // The engine reports file names as URLs; people know them as paths.
    QString name = reported;
    if (name.startsWith(QLatin1String("file:")))
        name = QUrl(name).toLocalFile();
    if (name.isEmpty() || name == QLatin1String("undefined"))
        name = given;
    return name.isEmpty() ? QStringLiteral("<script>") : name;
}

void HxScriptEngine::fail(const QString& message, int line)
{
    m_lastError = message;
    m_lastErrorLine = line;
    qWarning("%s", qPrintable(message));
    emit errorOccurred(message);
}

#include "hxcore/hxscriptengine.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxscript.h"
#include "hxcore/hxscriptmessagebox.h"
#include "hxscriptbindings.h"
#include "hxscriptfunctions.h"
#include "hxscriptwatchdog.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJSEngine>
#include <QMutex>
#include <QTimer>
#include <QUrl>

namespace {
Q_GLOBAL_STATIC(HxScriptLimits, g_defaultLimits)
Q_GLOBAL_STATIC(QMutex, g_defaultLimitsMutex)

// Messages quote what the script threw; a script that throws a string of
// megabytes must not flood the log.
constexpr qsizetype kMaxMessageLength = 1000;

QString clipped(const QString& text)
{
    return text.size() <= kMaxMessageLength ? text : text.left(kMaxMessageLength) + QStringLiteral("...");
}

// Built-ins that walk every index up to an array's length run in the engine
// without ever checking for an interruption, so a length of 2^32 - 1 would
// hang the host for good; join, toString and flat recurse into nested arrays
// on the native stack, where a million levels overflow it. Each one is
// wrapped by a script function that refuses absurd lengths and, being a
// script call, counts towards the engine's own call depth limit.
const char* const kGuardsFile = "hxscriptguards";
const char* const kGuards = R"JS(
(function (maxElements, maxLength) {
    function wrap(owner, name, check) {
        var original = owner[name];
        if (typeof original !== "function")
            return;
        var guarded = { [name]: function () {
            check(this, arguments);
            return original.apply(this, arguments);
        } }[name];
        Object.defineProperty(owner, name, { value: guarded, writable: true, configurable: true,
                                             enumerable: false });
    }
    function lengthOf(value) {
        if (value === null || value === undefined)
            return 0;
        var length = Number(value.length);
        return length > 0 ? length : 0;
    }
    function tooMany(what, count) {
        return new RangeError(what + ": " + count + " elements are more than a script may handle ("
                              + maxElements + ")");
    }
    ["concat", "copyWithin", "entries", "every", "fill", "filter", "find", "findIndex", "flat",
     "flatMap", "forEach", "includes", "indexOf", "join", "keys", "lastIndexOf", "map", "pop",
     "push", "reduce", "reduceRight", "reverse", "shift", "slice", "some", "sort", "splice",
     "toLocaleString", "toString", "unshift", "values"].forEach(function (name) {
        wrap(Array.prototype, name, function (self, args) {
            var count = lengthOf(self);
            if (name === "concat")
                for (var i = 0; i < args.length; ++i)
                    count += Array.isArray(args[i]) ? lengthOf(args[i]) : 1;
            if (count > maxElements)
                throw tooMany("Array.prototype." + name, count);
        });
    });
    wrap(Array, "from", function (self, args) {
        var count = lengthOf(args[0]);
        if (count > maxElements)
            throw tooMany("Array.from", count);
    });
    function checkString(name, resultLength) {
        if (resultLength > maxLength)
            throw new RangeError("String.prototype." + name + ": a string of " + resultLength
                                 + " characters is longer than a script may make (" + maxLength + ")");
    }
    wrap(String.prototype, "repeat", function (self, args) {
        checkString("repeat", String(self).length * Number(args[0]));
    });
    ["padStart", "padEnd"].forEach(function (name) {
        wrap(String.prototype, name, function (self, args) { checkString(name, Number(args[0])); });
    });
})
)JS";
} // namespace

HxScriptEngine::HxScriptEngine(QObject* parent)
    : QObject(parent), m_engine(new QJSEngine(this)), m_functions(new HxScriptFunctions(m_engine, this)),
      m_messageBox(new HxScriptMessageBox(this)), m_watchdog(std::make_unique<HxScriptWatchdog>(m_engine)),
      m_heartbeat(new QTimer(this))
{
    m_engine->installExtensions(QJSEngine::ConsoleExtension);
    installGuards();
    // Ticks only while a script waits in an event loop of its own (a message
    // box, a dialog): the host is responsive then, and the watch pauses.
    m_heartbeat->setInterval(100);
    connect(m_heartbeat, &QTimer::timeout, this, [this] { m_watchdog->beat(); });

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

void HxScriptEngine::setDefaultLimits(const HxScriptLimits& limits)
{
    QMutexLocker lock(g_defaultLimitsMutex());
    *g_defaultLimits = limits;
}

HxScriptLimits HxScriptEngine::defaultLimits()
{
    QMutexLocker lock(g_defaultLimitsMutex());
    return *g_defaultLimits;
}

void HxScriptEngine::installGuards()
{
    const QJSValue install = m_engine->evaluate(QString::fromLatin1(kGuards), QLatin1String(kGuardsFile));
    const QJSValue done = install.call({double(MaxElements), double(MaxStringLength)});
    Q_ASSERT(!install.isError() && !done.isError());
}

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

    const bool outermost = m_depth == 0;
    const QString previousFile = m_functions->scriptFileName();
    if (outermost) {
        bindGlobals();
        m_functions->setModifiers(m_modifiers ? *m_modifiers : QGuiApplication::queryKeyboardModifiers());
        m_watchdog->arm(limits(), displayName(QString(), fileName));
        m_heartbeat->start();
    }
    m_functions->setScriptFileName(fileName);
    ++m_depth;
    // A thrown value that is not an Error object is only recognisable by the
    // stack trace that comes with it.
    QStringList exceptionTrace;
    const QJSValue result = m_engine->evaluate(code, fileName, 1, &exceptionTrace);
    --m_depth;
    m_functions->setScriptFileName(previousFile);

    bool failed = result.isError() || !exceptionTrace.isEmpty();
    int line = 0;
    // Still watched: describing what was thrown may run its toString.
    QString message = failed ? describeFailure(result, exceptionTrace, fileName, &line) : QString();
    if (outermost) {
        m_heartbeat->stop();
        const HxScriptWatchdog::Reason reason = m_watchdog->disarm();
        if (reason != HxScriptWatchdog::Reason::None) {
            // The flag stays set until cleared, and would end the next run
            // at once.
            m_engine->setInterrupted(false);
            failed = true;
            line = 0;
            message = stoppedMessage(int(reason), fileName);
        }
        // A script that fails between setting and clearing the busy cursor
        // must not leave the host looking busy.
        m_functions->releaseBusyCursors();
    }
    if (failed) {
        fail(message, line);
        return false;
    }
    m_lastResult = result;
    return true;
}

QString HxScriptEngine::describeFailure(const QJSValue& result, const QStringList& trace,
                                        const QString& fileName, int* line) const
{
    QString file;
    if (result.isError()) {
        file = result.property(QStringLiteral("fileName")).toString();
        *line = result.property(QStringLiteral("lineNumber")).toInt();
    }
    if (!result.isError() || file.endsWith(QLatin1String(kGuardsFile))) {
        // Frames read "function:line:column:file". An error raised by a
        // guarded built-in is the script's, at the line that called it.
        for (const QString& entry : trace) {
            const QStringList frame = entry.split(QLatin1Char(':'));
            if (frame.size() < 4 || entry.endsWith(QLatin1String(kGuardsFile)))
                continue;
            *line = frame[1].toInt();
            file = frame.mid(3).join(QLatin1Char(':'));
            break;
        }
    }
    return QStringLiteral("%1:%2: %3")
        .arg(displayName(file, fileName))
        .arg(*line)
        .arg(clipped(result.toString()));
}

QString HxScriptEngine::stoppedMessage(int reason, const QString& fileName) const
{
    const QString name = displayName(QString(), fileName);
    const HxScriptLimits used = limits();
    const QString seconds = QString::number(m_watchdog->stoppedAfterMs() / 1000.0, 'f', 1);
    switch (HxScriptWatchdog::Reason(reason)) {
    case HxScriptWatchdog::Reason::TimeLimit:
        return tr("%1: the script was stopped after %2 s: it kept the host busy longer than the limit of %3 "
                  "s")
            .arg(name)
            .arg(seconds)
            .arg(used.timeLimitMs / 1000.0);
    case HxScriptWatchdog::Reason::Person:
        return tr("%1: the script was stopped after %2 s at your request").arg(name).arg(seconds);
    case HxScriptWatchdog::Reason::Memory:
        return tr("%1: the script was stopped: it took more than %2 MB of memory")
            .arg(name)
            .arg(used.memoryLimitBytes >> 20);
    case HxScriptWatchdog::Reason::None:
        break;
    }
    return QString();
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

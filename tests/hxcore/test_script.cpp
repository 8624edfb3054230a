#include "hxapptest.h"

#include "hxcore/hxmainwindow.h"
#include "hxcore/hxpane.h"
#include "hxcore/hxpanemgr.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxscript.h"
#include "hxcore/hxscriptengine.h"
#include "hxcore/hxvec3.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJSEngine>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray readAll(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

TEST(HxScript, LinesAndCodeCollectInOrderAndSaveAsUtf8)
{
    HxScript script("preset");
    script.addLine("if( o != undefined ) {", 0);
    script.addLine(QString::fromUtf8("o.set( \"Grüße\" )"), 1);
    script.addLine("clamped", -2);
    script.addLine("", 2);
    script.addCode("\t\t\"A\"");
    script.addCode(",\n");
    script.addLine("}\n");
    const QByteArray expected = "if( o != undefined ) {\n\to.set( \"Gr\xC3\xBC\xC3\x9F"
                                "e\" )\nclamped\n\t\t\n\t\t\"A\",\n}\n\n";
    EXPECT_EQ(script.text().toUtf8(), expected);

    // A line break in the description must not turn the rest of it into code.
    QTemporaryDir dir;
    EXPECT_EQ(script.saveToFile(dir.filePath("preset.js"), HxScript::WithHeader, "Kinetor\nPreset"), 0);
    EXPECT_EQ(readAll(dir.filePath("preset.js")), "// Kinetor Preset\n" + expected);
}

TEST(HxScript, FailedSavesReportAndLeaveTheOldFileAlone)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("state.js");
    {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("previous\n");
    }
    HxScript script;
    script.addCode(QString(64 * 1024, QLatin1Char('x')));
    EXPECT_EQ(script.saveToFile(QString(), HxScript::PlainText, "d"), HxScript::BadFileName);
    EXPECT_EQ(script.saveToFile(target, 7, "d"), HxScript::BadMode);
    EXPECT_NE(script.saveToFile(target + "/inside.js", HxScript::PlainText, "d"), 0); // parent is a file
    EXPECT_TRUE(script.errorString().contains("inside.js"));

    // A write that fails half way (the file size limit binds even root) must neither touch the
    // old file nor leave a temporary file behind.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int status = script.saveToFile(target, HxScript::PlainText, "d");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_NE(status, 0);
    EXPECT_EQ(readAll(target), QByteArray("previous\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"state.js"});
}

namespace {

// A script-visible object with slots that take the host's value types.
class Receiver : public QObject
{
    Q_OBJECT
public:
    HxVec3 pos;
    QString option;

public slots:
    void setPos(const HxVec3& value) { pos = value; }
    void setOption(const QString& value) { option = value; }
};

class HxScriptEngineTest : public HxAppTest
{
protected:
    void SetUp() override
    {
        HxAppTest::SetUp();
        m_engine = std::make_unique<HxScriptEngine>();
        m_engine->setInteractive(false);
        QJSEngine::setObjectOwnership(&m_receiver, QJSEngine::CppOwnership);
        m_engine->engine()->globalObject().setProperty("Receiver",
                                                       m_engine->engine()->newQObject(&m_receiver));
    }
    void TearDown() override
    {
        m_engine.reset();
        HxAppTest::TearDown();
    }

    // The value of an expression, or the error text.
    QString eval(const QString& code)
    {
        return m_engine->run(code, "probe.js") ? m_engine->lastResult().toString() : m_engine->lastError();
    }

    Receiver m_receiver;
    std::unique_ptr<HxScriptEngine> m_engine;
};

} // namespace

TEST_F(HxScriptEngineTest, HostObjectsAreGlobalReachPanesAndStayOwnedByTheHost)
{
    EXPECT_EQ(eval("typeof App + ' ' + typeof Scene + ' ' + typeof MessageBox"), "object object object");
    EXPECT_EQ(eval("MainWindow === null"), "true"); // headless
    EXPECT_EQ(eval("Scene.objectName = 'Stage'; Scene.objectName"), "Stage");
    EXPECT_EQ(hxScene->objectName(), "Stage");
    {
        HxMainWindow window;
        window.getPaneMgr()->addPane(new HxPane("Scripted"));
        EXPECT_EQ(eval("MainWindow.getPaneMgr().findPane( \"HxPane\" ).getTitle()"), "Scripted");
        EXPECT_EQ(eval("MainWindow.getPaneMgr().findPane( \"NoSuchPane\" ) == undefined"), "true");
    }
    // Collecting garbage and dropping the engine must leave the host alive.
    QPointer<HxScene> scene = hxScene;
    EXPECT_TRUE(m_engine->run("App = null; Scene = null;"));
    m_engine->engine()->collectGarbage();
    m_engine.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(scene.isNull());
}

TEST_F(HxScriptEngineTest, ValueConstructorsFeedSlotsAndRefuseBadNumbers)
{
    EXPECT_TRUE(m_engine->run("Receiver.setPos( new HxVec3( 1.5, -2, 1e6 ) );"));
    EXPECT_EQ(m_receiver.pos, HxVec3(1.5f, -2.0f, 1e6f));
    EXPECT_EQ(eval("var q = new HxQuat( 0.1, 0.2, 0.3, 0.9 ); [q.x, q.y, q.z, q.w].join(',')"),
              "0.1,0.2,0.3,0.9");
    EXPECT_EQ(eval("var v = HxVec3( 1, 2, 2 ); v.length() * 10 + v.y"), "32"); // callable without new
    for (const char* bad : {"new HxVec3( 1, 'a', 3 )", "new HxVec3( NaN, 0, 0 )", "new HxVec3( 1e39, 0, 0 )",
                            "new HxVec3( 1, 2 )", "new HxQuat( 0, 0, Infinity, 1 )"}) {
        EXPECT_FALSE(m_engine->run(QString("Receiver.setPos( %1 );").arg(bad), "bad.js")) << bad;
        EXPECT_TRUE(m_engine->lastError().startsWith("bad.js:1:")) << m_engine->lastError().toStdString();
        EXPECT_EQ(m_receiver.pos, HxVec3(1.5f, -2.0f, 1e6f)) << bad;
    }
}

TEST_F(HxScriptEngineTest, ErrorsNameFileAndLineAndEndOnlyThatScript)
{
    QSignalSpy errors(m_engine.get(), &HxScriptEngine::errorOccurred);
    EXPECT_FALSE(m_engine->run(
        "Receiver.setOption( 'before' );\nnoSuchFunction();\nReceiver.setOption( 'after' );", "state.js"));
    EXPECT_TRUE(m_engine->lastError().startsWith("state.js:2: ReferenceError"))
        << m_engine->lastError().toStdString();
    EXPECT_EQ(m_receiver.option, "before");
    const char* const failing[][2] = {
        {"var ok = 1;\n\nvar = ;", "syntax.js:3:"},
        {"function f() {\n  throw new Error( 'deep' );\n}\nf();", "throw.js:2:"},
        {"Scene.noSuchSlot( 1 );", "call.js:1:"}};
    for (auto [code, where] : failing) {
        EXPECT_FALSE(m_engine->run(code, QString(where).section(':', 0, 0)));
        EXPECT_TRUE(m_engine->lastError().startsWith(where)) << m_engine->lastError().toStdString();
    }
    EXPECT_FALSE(m_engine->runFile(m_scratch.filePath("missing.js")));
    EXPECT_TRUE(m_engine->lastError().contains("missing.js"));
    EXPECT_EQ(errors.count(), 5);

    EXPECT_FALSE(m_engine->run("setBusyCursor(); throw 'stop';")); // dying while busy leaves no busy cursor
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(m_engine->run("Receiver.setOption( 'again' );", "next.js"));
    EXPECT_TRUE(m_engine->lastError().isEmpty());
}

TEST_F(HxScriptEngineTest, StateScriptCollectedOnSaveRunsBackWithModifiers)
{
    QObject::connect(hxApp, &HxApp::saveStateScript, hxApp, [](HxScript& script) {
        script.addLine("if( Receiver != undefined ) {", 0);
        script.addLine("Receiver.setOption( getScriptFileName() + '|' + shiftPressed() + ctrlPressed() )", 1);
        script.addLine("}\n", 0);
    });
    HxScript state;
    emit hxApp->saveStateScript(state);
    const QString path = m_scratch.filePath("state.js");
    ASSERT_EQ(state.saveToFile(path, HxScript::PlainText, "test"), 0);
    m_engine->setKeyboardModifiers(Qt::ControlModifier);
    EXPECT_TRUE(m_engine->runFile(path));
    EXPECT_EQ(m_receiver.option, path + "|falsetrue");
}

TEST_F(HxScriptEngineTest, MessageBoxesAnswerWithTheButtonIndex)
{
    m_engine->setInteractive(true);
    QTimer::singleShot(0, [] {
        auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(shown, nullptr);
        for (QAbstractButton* button : shown->buttons())
            if (button->text() == "&No")
                button->click();
    });
    EXPECT_EQ(eval("MessageBox.question( \"Replace?\", \"Kinetor\", \"&Yes\", \"&No\" )"), "1");
}

#include "test_script.moc"

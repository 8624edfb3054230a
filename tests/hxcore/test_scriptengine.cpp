#include "hxapptest.h"

#include "hxcore/hxmainwindow.h"
#include "hxcore/hxpane.h"
#include "hxcore/hxpanemgr.h"
#include "hxcore/hxquat.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxscript.h"
#include "hxcore/hxscriptengine.h"
#include "hxcore/hxscriptmessagebox.h"
#include "hxcore/hxvec3.h"

#include <QApplication>
#include <QFile>
#include <QJSEngine>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

namespace {

// A script-visible object with slots that take the host's value types.
class Receiver : public QObject
{
    Q_OBJECT
public:
    HxVec3 pos;
    HxQuat rot;
    QString option;

public slots:
    void setPos(const HxVec3& value) { pos = value; }
    void setRot(const HxQuat& value) { rot = value; }
    void setOption(const QString& value) { option = value; }
};

class ScriptPane : public HxPane
{
    Q_OBJECT
public:
    ScriptPane() : HxPane("Scripted") {}
    Q_INVOKABLE int answer() const { return 42; }
};

class HxScriptEngineTest : public HxAppTest
{
protected:
    void SetUp() override
    {
        HxAppTest::SetUp();
        m_engine = std::make_unique<HxScriptEngine>();
        m_engine->setInteractive(false);
        m_engine->engine()->globalObject().setProperty("Receiver",
                                                       m_engine->engine()->newQObject(&m_receiver));
        QJSEngine::setObjectOwnership(&m_receiver, QJSEngine::CppOwnership);
    }
    void TearDown() override
    {
        m_engine.reset();
        HxAppTest::TearDown();
    }

    // The value of an expression, or the error text.
    QString eval(const QString& code)
    {
        if (!m_engine->run(code, "probe.js"))
            return m_engine->lastError();
        return m_engine->lastResult().toString();
    }

    Receiver m_receiver;
    std::unique_ptr<HxScriptEngine> m_engine;
};

} // namespace

TEST_F(HxScriptEngineTest, HostObjectsAreGlobalAndStayOwnedByTheHost)
{
    EXPECT_EQ(eval("typeof App + ' ' + typeof Scene + ' ' + typeof MessageBox"), "object object object");
    EXPECT_EQ(eval("MainWindow === null"), "true"); // headless

    hxScene->setTime(960);
    EXPECT_EQ(eval("Scene.objectName = 'Stage'; Scene.objectName"), "Stage");
    EXPECT_EQ(hxScene->objectName(), "Stage");

    // Collecting garbage and dropping the engine must leave the host alive.
    QPointer<HxScene> scene = hxScene;
    QPointer<HxApp> app = hxApp;
    EXPECT_TRUE(m_engine->run("App = null; Scene = null;"));
    m_engine->engine()->collectGarbage();
    m_engine.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(scene.isNull());
    EXPECT_FALSE(app.isNull());
}

TEST_F(HxScriptEngineTest, ScriptsReachPanesThroughTheMainWindow)
{
    HxMainWindow window;
    auto* pane = new ScriptPane;
    window.getPaneMgr()->addPane(pane);
    EXPECT_EQ(eval("var p = MainWindow.getPaneMgr().findPane( \"ScriptPane\" );"
                   "p != undefined ? p.getTitle() + ' ' + p.answer() : 'missing'"),
              "Scripted 42");
    EXPECT_EQ(eval("MainWindow.getPaneMgr().findPane( \"NoSuchPane\" ) == undefined"), "true");
}

TEST_F(HxScriptEngineTest, ValueConstructorsFeedSlotsAndRefuseBadNumbers)
{
    EXPECT_TRUE(m_engine->run("Receiver.setPos( new HxVec3( 1.5, -2, 1e6 ) );"
                              "Receiver.setRot( new HxQuat( 0.1, 0.2, 0.3, 0.9 ) );"));
    EXPECT_EQ(m_receiver.pos, HxVec3(1.5f, -2.0f, 1e6f));
    // Kept exactly, not normalised.
    EXPECT_EQ(m_receiver.rot, HxQuat(0.1, 0.2, 0.3, 0.9));

    EXPECT_EQ(eval("var v = new HxVec3( 1, 2, 3 ); v.x + v.y * 10 + v.z * 100"), "321");
    EXPECT_EQ(eval("var z = new HxVec3(); z.x + z.y + z.z"), "0");
    EXPECT_EQ(eval("var q = new HxQuat(); [q.x, q.y, q.z, q.w].join(',')"), "0,0,0,1");
    EXPECT_EQ(eval("var c = new HxVec3( new HxVec3( 4, 5, 6 ) ); c.y"), "5");
    EXPECT_EQ(eval("HxVec3( 1, 2, 2 ).length()"), "3"); // callable without new

    for (const char* bad :
         {"new HxVec3( 1, 'a', 3 )", "new HxVec3( NaN, 0, 0 )", "new HxVec3( 1e39, 0, 0 )",
          "new HxVec3( 1, 2 )", "new HxQuat( 0, 0, Infinity, 1 )", "new HxQuat( 1, 2, 3 )"}) {
        m_receiver.pos = HxVec3(7, 7, 7);
        EXPECT_FALSE(m_engine->run(QString("Receiver.setPos( %1 );").arg(bad), "bad.js")) << bad;
        EXPECT_TRUE(m_engine->lastError().startsWith("bad.js:1:")) << m_engine->lastError().toStdString();
        EXPECT_EQ(m_receiver.pos, HxVec3(7, 7, 7)) << bad;
    }
}

TEST_F(HxScriptEngineTest, ErrorsNameFileAndLineAndEndOnlyThatScript)
{
    QSignalSpy errors(m_engine.get(), &HxScriptEngine::errorOccurred);
    EXPECT_FALSE(m_engine->run("var a = 1;\nReceiver.setOption( 'before' );\nnoSuchFunction();\n"
                               "Receiver.setOption( 'after' );",
                               "state.js"));
    EXPECT_TRUE(m_engine->lastError().startsWith("state.js:3: ReferenceError"))
        << m_engine->lastError().toStdString();
    EXPECT_EQ(m_engine->lastErrorLine(), 3);
    EXPECT_EQ(m_receiver.option, "before");
    EXPECT_EQ(errors.count(), 1);

    EXPECT_FALSE(m_engine->run("var ok = 1;\n\nvar = ;", "syntax.js"));
    EXPECT_TRUE(m_engine->lastError().startsWith("syntax.js:3:")) << m_engine->lastError().toStdString();

    EXPECT_FALSE(m_engine->run("function f() {\n  throw new Error( 'deep' );\n}\nf();", "throw.js"));
    EXPECT_TRUE(m_engine->lastError().startsWith("throw.js:2:")) << m_engine->lastError().toStdString();
    EXPECT_TRUE(m_engine->lastError().contains("deep"));

    // A wrong call into the host is a script error too, not a crash.
    EXPECT_FALSE(m_engine->run("Scene.noSuchSlot( 1 );", "call.js"));
    EXPECT_TRUE(m_engine->lastError().startsWith("call.js:1:"));

    // The engine is fine afterwards and a good run clears the error.
    EXPECT_TRUE(m_engine->run("Receiver.setOption( 'again' );", "next.js"));
    EXPECT_TRUE(m_engine->lastError().isEmpty());
    EXPECT_EQ(m_receiver.option, "again");
    EXPECT_EQ(errors.count(), 4);
}

TEST_F(HxScriptEngineTest, FilesModifiersAndBusyCursor)
{
    const QString path = m_scratch.filePath("preset.js");
    HxScript script;
    script.addLine("Receiver.setOption( getScriptFileName() + '|' + shiftPressed() + '|' + ctrlPressed() );");
    ASSERT_EQ(script.saveToFile(path, HxScript::PlainText, "test"), 0);

    m_engine->setKeyboardModifiers(Qt::ControlModifier);
    EXPECT_TRUE(m_engine->runFile(path));
    EXPECT_EQ(m_receiver.option, path + "|false|true");
    m_engine->setKeyboardModifiers(Qt::ShiftModifier | Qt::AltModifier);
    EXPECT_TRUE(m_engine->runScript(script, "inline.js"));
    EXPECT_EQ(m_receiver.option, "inline.js|true|false");
    EXPECT_EQ(eval("getScriptFileName()"), "probe.js");

    EXPECT_FALSE(m_engine->runFile(m_scratch.filePath("missing.js")));
    EXPECT_TRUE(m_engine->lastError().contains("missing.js"));

    // A script that dies while busy leaves no busy cursor behind, and an
    // unbalanced clear does not remove a cursor the host set itself.
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(m_engine->run("setBusyCursor(); setBusyCursor(); throw 'stop';"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
    EXPECT_TRUE(m_engine->run("setBusyCursor(); clearBusyCursor(); clearBusyCursor();"));
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QGuiApplication::restoreOverrideCursor();
}

TEST_F(HxScriptEngineTest, MessageBoxesAnswerWithTheButtonIndex)
{
    HxScriptMessageBox* box = m_engine->getMessageBox();
    EXPECT_EQ(eval("MessageBox.warning( \"This needs a selection.\", \"Selection Error\", \"&OK\", \"\" )"),
              "0");
    EXPECT_EQ(box->lastText(), "This needs a selection.");
    EXPECT_EQ(box->lastCaption(), "Selection Error");
    EXPECT_EQ(box->getNumMessages(), 1);

    m_engine->setInteractive(true);
    QTimer::singleShot(0, [] {
        auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!shown) {
            ADD_FAILURE() << "no message box";
            return;
        }
        for (QAbstractButton* button : shown->buttons())
            if (button->text() == "&No")
                button->click();
    });
    EXPECT_EQ(eval("MessageBox.question( \"Replace?\", \"Kinetor\", \"&Yes\", \"&No\" )"), "1");
}

TEST_F(HxScriptEngineTest, StateScriptCollectedOnSaveRunsBack)
{
    QObject::connect(hxApp, &HxApp::saveStateScript, hxApp, [](HxScript& script) {
        script.addLine("if( Receiver != undefined ) {", 0);
        script.addLine("Receiver.setOption( \"restored\" )", 1);
        script.addLine("}\n", 0);
    });
    HxScript state;
    emit hxApp->saveStateScript(state);
    EXPECT_EQ(state.text(), "if( Receiver != undefined ) {\n\tReceiver.setOption( \"restored\" )\n}\n\n");
    EXPECT_TRUE(m_engine->runScript(state, "scene state"));
    EXPECT_EQ(m_receiver.option, "restored");
}

#include "test_scriptengine.moc"

#include "hxapptest.h"

#include "hxcore/hxscriptengine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace {

class HostileScriptTest : public HxAppTest
{
protected:
    void SetUp() override
    {
        HxAppTest::SetUp();
        m_engine = std::make_unique<HxScriptEngine>();
        m_engine->setInteractive(false);
        m_limits.timeLimitMs = 400;
        m_limits.memoryLimitBytes = qint64(300) << 20;
        m_engine->setLimits(m_limits);
    }
    void TearDown() override
    {
        m_engine.reset();
        HxAppTest::TearDown();
    }

    // An executable shell script standing in for the stop window.
    QString writePrompt(const QString& name, const QByteArray& body)
    {
        const QString path = m_scratch.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + body + "\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    // The engine still runs plain code after what came before.
    void expectUsable()
    {
        ASSERT_TRUE(m_engine->run(QStringLiteral("6 * 7"), QStringLiteral("after.js")))
            << m_engine->lastError().toStdString();
        EXPECT_EQ(m_engine->lastResult().toInt(), 42);
    }

    HxScriptLimits m_limits;
    std::unique_ptr<HxScriptEngine> m_engine;
};

// Runs a script that would overflow the native stack or exhaust memory if a
// guard failed. It runs in a child process, so a crash fails this test
// instead of ending the whole suite; the child exits 0 only when the script
// failed with the expected message and the engine still works.
void runInChild(const char* code, const char* expected)
{
    HxScriptEngine engine;
    engine.setInteractive(false);
    HxScriptLimits limits;
    limits.timeLimitMs = 20000;
    engine.setLimits(limits);
    const bool ok = engine.run(QString::fromLatin1(code), QStringLiteral("hostile.js"));
    const QString error = engine.lastError();
    const bool stillWorks = engine.run(QStringLiteral("1 + 1")) && engine.lastResult().toInt() == 2;
    std::fprintf(stderr, "%s\n", qPrintable(error.left(300)));
    std::exit(!ok && error.contains(QLatin1String(expected)) && stillWorks ? 0 : 1);
}

} // namespace

TEST_F(HostileScriptTest, EndlessLoopsStopAtTheTimeLimitAndTheEngineCarriesOn)
{
    for (const char* code : {"while (true) {}",
                             // Catching the interruption does not keep the script alive.
                             "for (;;) { try { for (;;) {} } catch (e) {} }",
                             // Ropes keep doubling cheap, so this only ever loops.
                             "var s = 'x'; while (true) s += s;"}) {
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(m_engine->run(QString::fromLatin1(code), QStringLiteral("loop.js"))) << code;
        EXPECT_LT(clock.elapsed(), 10000) << code;
        // Doubling may reach the memory cap before the time limit, when the
        // engine flattens its string: either way the script is stopped.
        const QString error = m_engine->lastError();
        EXPECT_TRUE(error.startsWith(QLatin1String("loop.js: the script was stopped"))) << error.toStdString();
        EXPECT_TRUE(error.contains(QLatin1String("limit of 0.4 s")) ||
                    error.contains(QLatin1String("of memory")))
            << error.toStdString();
        expectUsable();
    }
    // A thrown object whose toString never returns is described under the
    // same watch.
    EXPECT_FALSE(m_engine->run(QStringLiteral("throw { toString: function () { for (;;) {} } };"),
                               QStringLiteral("thrown.js")));
    EXPECT_TRUE(m_engine->lastError().contains(QLatin1String("stopped")))
        << m_engine->lastError().toStdString();
    expectUsable();
}

TEST_F(HostileScriptTest, TimeInADialogDoesNotCount)
{
    m_engine->setInteractive(true);
    // A person takes longer than the limit to answer; the host was
    // responsive all along, so the script finishes.
    QTimer::singleShot(1200, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->accept();
    });
    EXPECT_TRUE(
        m_engine->run(QStringLiteral("MessageBox.information('Pick one', 'Preset', 'OK', '', ''); 'done'"),
                      QStringLiteral("dialog.js")))
        << m_engine->lastError().toStdString();
    EXPECT_EQ(m_engine->lastResult().toString(), QStringLiteral("done"));
}

TEST_F(HostileScriptTest, StopWindowStopsTheScriptOrLetsItRunOn)
{
    m_limits.timeLimitMs = 0;
    m_limits.promptAfterMs = 200;
    const QString asked = m_scratch.filePath(QStringLiteral("asked.txt"));

    // The person presses Stop.
    m_limits.promptProgram =
        writePrompt(QStringLiteral("stop.sh"), "echo \"$@\" >> '" + asked.toUtf8() + "'; exit 0");
    m_engine->setLimits(m_limits);
    EXPECT_FALSE(m_engine->run(QStringLiteral("while (true) {}"), QStringLiteral("busy.js")));
    EXPECT_TRUE(m_engine->lastError().contains(QLatin1String("at your request")))
        << m_engine->lastError().toStdString();
    QFile log(asked);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().startsWith("--script busy.js --busy 0")) << "the window names the script";
    log.close();
    expectUsable();

    // The person keeps waiting: asked again after each while, until a time
    // limit (set as well) ends it.
    QFile::remove(asked);
    m_limits.promptProgram =
        writePrompt(QStringLiteral("wait.sh"), "echo again >> '" + asked.toUtf8() + "'; exit 1");
    m_limits.timeLimitMs = 1500;
    m_engine->setLimits(m_limits);
    EXPECT_FALSE(m_engine->run(QStringLiteral("while (true) {}"), QStringLiteral("busy.js")));
    EXPECT_TRUE(m_engine->lastError().contains(QLatin1String("limit of 1.5 s")))
        << m_engine->lastError().toStdString();
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_GE(log.readAll().count("again"), 2);
    log.close();

    // The script ends by itself while the window is up: the window goes and
    // the run succeeds without waiting for it.
    m_limits.timeLimitMs = 0;
    m_limits.promptProgram = writePrompt(QStringLiteral("slow.sh"), "exec sleep 30");
    m_engine->setLimits(m_limits);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(
        m_engine->run(QStringLiteral("var t = Date.now(); while (Date.now() - t < 700) {} 'finished'"),
                      QStringLiteral("busy.js")))
        << m_engine->lastError().toStdString();
    EXPECT_LT(clock.elapsed(), 10000);

    // A stop window that cannot start leaves the script running, unharmed.
    m_limits.promptProgram = m_scratch.filePath(QStringLiteral("missing"));
    m_engine->setLimits(m_limits);
    EXPECT_TRUE(m_engine->run(QStringLiteral("var t = Date.now(); while (Date.now() - t < 500) {} 1")));
}

TEST_F(HostileScriptTest, RunawayAllocationIsRefusedOrStopped)
{
    // A fill over 2^32 - 1 elements would run in the engine for minutes
    // without ever looking at the interruption flag.
    EXPECT_FALSE(m_engine->run(QStringLiteral("new Array(2**32 - 1).fill(0)"), QStringLiteral("fill.js")));
    EXPECT_TRUE(m_engine->lastError().contains(
        QLatin1String("RangeError: Array.prototype.fill: 4294967295 elements")))
        << m_engine->lastError().toStdString();
    EXPECT_FALSE(m_engine->run(QStringLiteral("var a = []; a[2**32 - 2] = 1; a.sort()")));
    EXPECT_TRUE(m_engine->lastError().contains(QLatin1String("Array.prototype.sort")));
    EXPECT_FALSE(m_engine->run(QStringLiteral("'ab'.repeat(2**30)")));
    EXPECT_TRUE(m_engine->lastError().contains(QLatin1String("String.prototype.repeat")));
    // Ordinary use of the same built-ins is untouched.
    ASSERT_TRUE(m_engine->run(QStringLiteral("[3, 1, 2].sort().concat([4]).join('-') + 'x'.repeat(3) + "
                                             "'7'.padStart(3, '0') + [[1, [2]], 3].toString()")));
    EXPECT_EQ(m_engine->lastResult().toString(), QStringLiteral("1-2-3-4xxx0071,2,3"));

    // Allocation that the built-ins cannot see is caught by its size.
    m_limits.timeLimitMs = 60000;
    m_engine->setLimits(m_limits);
    EXPECT_FALSE(
        m_engine->run(QStringLiteral("var keep = []; for (;;) keep.push(new Array(100000).fill(0.5));"),
                      QStringLiteral("grow.js")));
    EXPECT_TRUE(m_engine->lastError().contains(QLatin1String("took more than 300 MB")))
        << m_engine->lastError().toStdString();
    m_engine->run(QStringLiteral("keep = null"));
    expectUsable();
}

TEST_F(HostileScriptTest, DeepNestingEndsInAnErrorInsteadOfACrash)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const QByteArray nested = "var a = []; for (var i = 0; i < 1e6; i++) a = [a]; ";
    const char* const tooDeep = "Maximum call stack size exceeded";
    const std::pair<QByteArray, const char*> cases[] = {
        {nested + "String(a);", tooDeep},
        {nested + "a.toLocaleString();", tooDeep},
        // Building the message of this TypeError writes out the nested array.
        {nested + "a.noSuchMethod();", tooDeep},
        {"var o = {}; for (var i = 0; i < 1e6; i++) o = {o: o}; JSON.stringify(o);", tooDeep},
        {"function f(n) { return f(n + 1) + 1; } f(0);", tooDeep},
        {"eval('('.repeat(100000) + '1' + ')'.repeat(100000));", "depth exceeded"}};
    for (const auto& [code, expected] : cases)
        EXPECT_EXIT(runInChild(code.constData(), expected), ::testing::ExitedWithCode(0), "")
            << code.constData();
}

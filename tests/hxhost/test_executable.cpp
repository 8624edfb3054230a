#include "hxhosttest.h"

#include <QProcess>

namespace {
// Runs hxhost offscreen with scratch settings; gives the exit code, or -1 for a crash or a hang.
int runHost(const QStringList& arguments, QString* errors)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QTemporaryDir settings;
    environment.insert(QStringLiteral("HX_SETTINGS_PATH"), settings.filePath(QStringLiteral("settings.ini")));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(HXHOST_EXECUTABLE), arguments);
    const bool finished = process.waitForFinished(60000);
    *errors = QString::fromLocal8Bit(process.readAllStandardError());
    return finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// Light pixels in the middle of the picture, where the viewport shows the figure on a dark background.
int lightPixelsInTheMiddle(const QImage& picture)
{
    int count = 0;
    for (int y = picture.height() / 5; y < picture.height() * 4 / 5; ++y)
        for (int x = picture.width() * 2 / 5; x < picture.width() * 3 / 5; ++x)
            count += picture.pixelColor(x, y).lightness() > 150;
    return count;
}
} // namespace

using HostExecutableTest = HxAppTest; // no window of its own

TEST_F(HostExecutableTest, ScreenshotShowsTheSampleFigureAndABadFigureFailsWithTheReason)
{
    QString errors;
    const QString withFigure = m_scratch.filePath(QStringLiteral("with.png"));
    ASSERT_EQ(runHost({QStringLiteral("--screenshot"), withFigure}, &errors), 0) << errors.toStdString();
    const QImage picture(withFigure);
    EXPECT_GE(picture.width(), 800);
    // The same window with an empty figure: the sample figure must add plenty of bone pixels.
    const QString empty =
        writeFile(m_scratch, QStringLiteral("empty.json"), R"({"name": "Nobody", "bones": []})");
    const QString withoutFigure = m_scratch.filePath(QStringLiteral("without.png"));
    ASSERT_EQ(runHost({"--figure", empty, "--screenshot", withoutFigure}, &errors), 0)
        << errors.toStdString();
    EXPECT_GT(lightPixelsInTheMiddle(picture), lightPixelsInTheMiddle(QImage(withoutFigure)) + 500);

    const QString broken = writeFile(m_scratch, QStringLiteral("broken.json"), "{ not json");
    const QString shot = m_scratch.filePath(QStringLiteral("shot.png"));
    EXPECT_EQ(runHost({"--figure", broken, "--screenshot", shot}, &errors), 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("broken.json"))) << errors.toStdString();
    EXPECT_GT(QImage(shot).width(), 0) << "the window is still rendered";
}

TEST_F(HostExecutableTest, TheSampleSceneOpensFromTheCommandLineAndABrokenOneFailsWithTheReason)
{
    QString errors;
    const QString shot = m_scratch.filePath(QStringLiteral("scene.png"));
    EXPECT_EQ(runHost({sourcePath("samples/scenes/mannequin-layers.hxs"), "--screenshot", shot}, &errors), 0)
        << errors.toStdString();
    EXPECT_FALSE(errors.contains("skipped"))
        << "every class of the sample is known: " << errors.toStdString();
    const QString broken = writeFile(m_scratch, QStringLiteral("broken.hxs"), "HXSCENE\x1a");
    EXPECT_EQ(runHost({broken, "--screenshot", shot}, &errors), 1);
    EXPECT_TRUE(errors.contains(broken + ": byte ")) << errors.toStdString();
}

// --script runs once the figure is loaded and selected; an error fails the
// run with the file and line.
TEST_F(HostExecutableTest, ScriptRunsAfterTheFigureIsLoadedAndErrorsNameFileAndLine)
{
    QString errors;
    const QString shot = m_scratch.filePath(QStringLiteral("shot.png"));
    const QString good =
        writeFile(m_scratch, QStringLiteral("good.js"),
                  "console.log( 'selected ' + Scene.getPrimarySelection().objectName + ' of ' +\n"
                  "    Scene.getPrimarySelection().getSkeleton().objectName );");
    ASSERT_EQ(runHost({"--select", "leftForearm", "--script", good, "--screenshot", shot}, &errors), 0)
        << errors.toStdString();
    EXPECT_TRUE(errors.contains(QStringLiteral("selected leftForearm of Mannequin"))) << errors.toStdString();

    const QString bad = writeFile(m_scratch, QStringLiteral("bad.js"), "var a = 1;\nnoSuchFunction();");
    EXPECT_EQ(runHost({"--script", bad, "--screenshot", shot}, &errors), 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("bad.js:2: ReferenceError"))) << errors.toStdString();
}

#include "hxapptest.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace {
struct HostRun
{
    int exitCode = -1;
    QString errors;
};

HostRun runHost(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QTemporaryDir settings;
    environment.insert(QStringLiteral("HX_SETTINGS_PATH"), settings.filePath(QStringLiteral("settings.ini")));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(HXHOST_EXECUTABLE), arguments);
    HostRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        run.errors = QStringLiteral("hxhost did not finish");
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

// Light pixels in the middle of the picture, where the viewport shows the
// figure against its dark background.
int lightPixelsInTheMiddle(const QImage& picture)
{
    int count = 0;
    const QRect middle(picture.width() * 2 / 5, picture.height() / 5, picture.width() / 5,
                       picture.height() * 3 / 5);
    for (int y = middle.top(); y <= middle.bottom(); ++y)
        for (int x = middle.left(); x <= middle.right(); ++x)
            if (picture.pixelColor(x, y).lightness() > 150)
                ++count;
    return count;
}
} // namespace

TEST(HostExecutableTest, ScreenshotShowsTheSampleFigure)
{
    QTemporaryDir dir;
    const QString withFigure = dir.filePath(QStringLiteral("with.png"));
    HostRun run = runHost({QStringLiteral("--screenshot"), withFigure});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QImage picture(withFigure);
    ASSERT_FALSE(picture.isNull());
    EXPECT_GE(picture.width(), 800);

    // An empty figure gives the same window without bones; the sample
    // figure must add plenty of bone pixels to the viewport.
    const QString empty = dir.filePath(QStringLiteral("empty.json"));
    QFile file(empty);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"name": "Nobody", "bones": []})");
    file.close();
    const QString withoutFigure = dir.filePath(QStringLiteral("without.png"));
    run = runHost({QStringLiteral("--figure"), empty, QStringLiteral("--screenshot"), withoutFigure});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QImage blank(withoutFigure);
    ASSERT_FALSE(blank.isNull());
    EXPECT_GT(lightPixelsInTheMiddle(picture), lightPixelsInTheMiddle(blank) + 500);
}

TEST(HostExecutableTest, ABadFigureFailsTheScreenshotRunWithTheReason)
{
    QTemporaryDir dir;
    const QString broken = dir.filePath(QStringLiteral("broken.json"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{ not json");
    file.close();
    const QString shot = dir.filePath(QStringLiteral("shot.png"));
    const HostRun run = runHost({QStringLiteral("--figure"), broken, QStringLiteral("--screenshot"), shot});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("broken.json"))) << run.errors.toStdString();
    EXPECT_TRUE(QImage(shot).width() > 0) << "the window is still rendered";
}

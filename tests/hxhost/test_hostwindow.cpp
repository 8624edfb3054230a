#include "hxhosttest.h"
#include "hxhosttestfigure.h"

#include "hxhostwindow.h"
#include "hxmediaaudioclip.h"
#include "hxparameterspane.h"
#include "hxscenepane.h"
#include "hxtimelinepane.h"
#include "hxviewport.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxundostack.h"
#include "hxcore/hxundostackhold.h"

#include <QAction>
#include <QApplication>
#include <QDataStream>
#include <QFile>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>
#include <QTreeWidget>
#include <QUndoStack>

namespace {
QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
    return path;
}

// A mono 16-bit PCM WAV file of the given length.
QByteArray wav(int rate, int frames)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 dataSize = quint32(frames) * 2;
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataSize);
    out.writeRawData("WAVE", 4);
    out.writeRawData("fmt ", 4);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2) << quint16(2)
        << quint16(16);
    out.writeRawData("data", 4);
    out << dataSize;
    for (int i = 0; i < frames; ++i)
        out << qint16((i % 100) * 300);
    return bytes;
}

QAction* menuAction(QMenuBar* bar, const QString& menuTitle, const QString& text)
{
    for (QAction* menu : bar->actions())
        if (menu->text().remove(QLatin1Char('&')) == menuTitle && menu->menu())
            for (QAction* action : menu->menu()->actions())
                if (action->text().remove(QLatin1Char('&')) == text)
                    return action;
    return nullptr;
}
} // namespace

class HostWindowTest : public HxHostTest
{
protected:
    void SetUp() override
    {
        HxHostTest::SetUp();
        m_window = std::make_unique<HxHostWindow>();
    }
    void TearDown() override
    {
        m_window.reset();
        HxHostTest::TearDown();
    }
    // Runs the call; any modal box it opens is read and closed.
    QString modalTextDuring(const std::function<void()>& call)
    {
        QString text;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text = box->text();
                box->close();
            }
        });
        poll.start();
        call();
        return text;
    }

    std::unique_ptr<HxHostWindow> m_window;
};

TEST_F(HostWindowTest, IsTheInterfaceAndDocksItsPanesThroughThePaneManager)
{
    EXPECT_EQ(hxApp->getInterface(), m_window.get());
    HxPaneMgr* panes = m_window->getPaneMgr();
    EXPECT_EQ(panes->findPane(QStringLiteral("HxScenePane")), m_window->scenePane());
    EXPECT_EQ(panes->findPane(QStringLiteral("HxParametersPane")), m_window->parametersPane());
    EXPECT_EQ(panes->findPane(QStringLiteral("HxTimelinePane")), m_window->timelinePane());
    EXPECT_NE(panes->findPane(QStringLiteral("HxHistoryPane")), nullptr);
    EXPECT_EQ(m_window->centralWidget(), m_window->viewport());
    EXPECT_EQ(m_window->dockWidgetArea(panes->getDock(m_window->timelinePane())), Qt::BottomDockWidgetArea);
    // The existing figure is already listed.
    EXPECT_NE(m_window->scenePane()->itemFor(m_figure), nullptr);
}

TEST_F(HostWindowTest, AMalformedFigureShowsTheErrorAndKeepsTheScene)
{
    const int nodesBefore = hxScene->getNumNodes();
    hxScene->setPrimarySelection(bone("arm"));
    const QString broken =
        writeFile(m_scratch, QStringLiteral("broken.json"), "{ \"name\": \"Bad\", \"bones\": [");
    bool loaded = true;
    const QString shown = modalTextDuring([&] { loaded = m_window->loadFigure(broken); });
    EXPECT_FALSE(loaded);
    EXPECT_TRUE(shown.contains(QStringLiteral("broken.json"))) << shown.toStdString();
    EXPECT_EQ(hxScene->getNumNodes(), nodesBefore);
    EXPECT_EQ(hxScene->findNode(QStringLiteral("Stick")), m_figure);
    EXPECT_EQ(hxScene->getPrimarySelection(), bone("arm")) << "the selection survives too";

    // A missing file goes through the same reporter.
    QStringList reported;
    m_window->setErrorReporter([&](const QString&, const QString& message) { reported.append(message); });
    EXPECT_FALSE(m_window->loadFigure(m_scratch.filePath(QStringLiteral("missing.json"))));
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported.first().contains(QStringLiteral("missing.json")));
    EXPECT_EQ(hxScene->getNumNodes(), nodesBefore);
}

TEST_F(HostWindowTest, AGoodFigureIsAddedAndNewEmptiesTheScene)
{
    const QString path =
        writeFile(m_scratch, QStringLiteral("second.json"), testFigureJson("Second").toUtf8());
    ASSERT_TRUE(m_window->loadFigure(path));
    auto* second = qobject_cast<HxSkeleton*>(hxScene->findNode(QStringLiteral("Second")));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->getNumBones(), 4);
    EXPECT_NE(hxScene->findNode(QStringLiteral("Stick")), nullptr) << "loading adds; it does not replace";
    EXPECT_TRUE(m_window->windowTitle().contains(QStringLiteral("Second")));

    {
        HxUndoStackHold hold(hxUndoStack);
        bone("arm")->getXRotControl()->beginEdit();
        bone("arm")->getXRotControl()->setValue(10.0f);
        bone("arm")->getXRotControl()->finishEdit();
        hold.accept(QStringLiteral("turn"));
    }
    hxScene->setTime(480);
    m_figure = nullptr;
    m_window->newScene();
    EXPECT_EQ(hxScene->getNumNodes(), 0);
    EXPECT_EQ(hxUndoStack->undoStack()->count(), 0);
    EXPECT_EQ(hxScene->getTime(), 0);
    EXPECT_EQ(m_window->scenePane()->tree()->topLevelItemCount(), 0);
}

TEST_F(HostWindowTest, EditMenuUndoesAndRedoesWithStandardShortcuts)
{
    QAction* undo = menuAction(m_window->menuBar(), QStringLiteral("Edit"), QStringLiteral("Undo"));
    QAction* redo = menuAction(m_window->menuBar(), QStringLiteral("Edit"), QStringLiteral("Redo"));
    ASSERT_NE(undo, nullptr);
    ASSERT_NE(redo, nullptr);
    EXPECT_EQ(undo->shortcut(), QKeySequence(QKeySequence::Undo));
    EXPECT_EQ(redo->shortcut(), QKeySequence(QKeySequence::Redo));
    EXPECT_FALSE(undo->isEnabled());

    HxFloatProperty* turn = bone("arm")->getXRotControl();
    {
        HxUndoStackHold hold(hxUndoStack);
        turn->beginEdit();
        turn->setValue(25.0f);
        turn->finishEdit();
        hold.accept(QStringLiteral("Change X Rotate"));
    }
    EXPECT_TRUE(undo->isEnabled());
    undo->trigger();
    EXPECT_EQ(turn->getValue(), 0.0f);
    EXPECT_TRUE(redo->isEnabled());
    redo->trigger();
    EXPECT_EQ(turn->getValue(), 25.0f);

    for (const char* menu : {"File", "Edit", "View", "Playback", "Help"})
        EXPECT_TRUE(std::any_of(m_window->menuBar()->actions().cbegin(),
                                m_window->menuBar()->actions().cend(),
                                [&](QAction* a) { return a->text().remove(QLatin1Char('&')) == menu; }))
            << menu;
    EXPECT_NE(menuAction(m_window->menuBar(), QStringLiteral("File"), QStringLiteral("Load Figure\u2026")),
              nullptr);
    EXPECT_NE(menuAction(m_window->menuBar(), QStringLiteral("File"), QStringLiteral("Load Audio\u2026")),
              nullptr);
    EXPECT_NE(menuAction(m_window->menuBar(), QStringLiteral("File"), QStringLiteral("Quit")), nullptr);
}

TEST_F(HostWindowTest, AudioComesFromTheWavHeaderAndBadFilesKeepTheOldClip)
{
    QStringList reported;
    m_window->setErrorReporter([&](const QString&, const QString& message) { reported.append(message); });

    const QString good = writeFile(m_scratch, QStringLiteral("tone.wav"), wav(8000, 12000)); // 1.5 s
    ASSERT_TRUE(m_window->loadAudio(good)) << reported.join('\n').toStdString();
    HxAudioClip* clip = hxScene->getAudio();
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->getRate(), 8000);
    EXPECT_EQ(clip->getEndTime(), 4800 * 3 / 2);

    QByteArray truncated = wav(8000, 12000).left(30);
    QByteArray notWav = "just text, not sound";
    QByteArray compressed = wav(8000, 100);
    compressed[20] = 2; // format 2 is a compressed format
    for (const QByteArray& bad : {truncated, notWav, compressed}) {
        reported.clear();
        const QString path = writeFile(m_scratch, QStringLiteral("bad.wav"), bad);
        EXPECT_FALSE(m_window->loadAudio(path));
        ASSERT_EQ(reported.size(), 1);
        EXPECT_TRUE(reported.first().contains(QStringLiteral("bad.wav")));
        EXPECT_EQ(hxScene->getAudio(), clip) << "the previous clip stays";
    }

    // A header that claims more data than the file has is read as far as
    // the file goes.
    QByteArray cut = wav(8000, 8000);
    cut.chop(8000);
    HxMediaAudioClip::WavInfo info;
    ASSERT_TRUE(HxMediaAudioClip::readWavInfo(writeFile(m_scratch, QStringLiteral("cut.wav"), cut), info));
    EXPECT_EQ(info.frames, 4000);
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.bitsPerSample, 16);
}

TEST_F(HostWindowTest, PluginFoldersWithoutModulesAreSkippedAndBadModulesReported)
{
    QStringList reported;
    m_window->setErrorReporter([&](const QString&, const QString& message) { reported.append(message); });
    EXPECT_EQ(m_window->loadPlugins(m_scratch.filePath(QStringLiteral("no-such-folder"))), 0);
    EXPECT_TRUE(reported.isEmpty());

    QTemporaryDir plugins;
    writeFile(plugins, QStringLiteral("readme.txt"), "not a module");
    EXPECT_EQ(m_window->loadPlugins(plugins.path()), 0);
    EXPECT_TRUE(reported.isEmpty()) << "files that are not modules are not looked at";

    writeFile(plugins, QStringLiteral("libbroken.so"), "not really a shared object");
    EXPECT_EQ(m_window->loadPlugins(plugins.path()), 0);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported.first().contains(QStringLiteral("libbroken.so")));
    EXPECT_TRUE(m_window->pluginLoader().loadedModules().isEmpty());
}

TEST_F(HostWindowTest, ScreenshotWritesTheWholeWindow)
{
    const QString path = m_scratch.filePath(QStringLiteral("window.png"));
    QString error;
    ASSERT_TRUE(m_window->saveScreenshot(path, &error)) << error.toStdString();
    QImage picture(path);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), m_window->size() * m_window->devicePixelRatio());
    EXPECT_FALSE(m_window->saveScreenshot(m_scratch.filePath(QStringLiteral("no/such/dir/x.png")), &error));
    EXPECT_FALSE(error.isEmpty());
}

#include "hxhosttest.h"

#include "hxhistorypane.h"
#include "hxhostwindow.h"
#include "hxmediaaudioclip.h"
#include "hxscenepane.h"
#include "hxtimelinepane.h"
#include "hxviewport.h"

#include "hxcore/hxaudioclip.h"
#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxpanemgr.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxundostack.h"
#include "hxcore/hxundostackhold.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUndoStack>
#include <QUndoView>
#include <QtEndian>
#include <cmath>

namespace {
// A WAV file of 8 kHz mono 16-bit PCM.
QByteArray wav(int frames)
{
    QByteArray header("RIFF....WAVEfmt \x10\0\0\0\1\0\1\0\x40\x1f\0\0\x80\x3e\0\0\2\0\x10\0data....", 44);
    qToLittleEndian<quint32>(36 + frames * 2, header.data() + 4);
    qToLittleEndian<quint32>(frames * 2, header.data() + 40);
    return header + QByteArray(frames * 2, '\x10');
}
} // namespace

class HostWindowTest : public HxHostTest
{
protected:
    void collectErrors()
    {
        m_window->setErrorReporter(
            [this](const QString&, const QString& message) { m_errors.append(message); });
    }

    QStringList m_errors;
};

TEST_F(HostWindowTest, DocksItsPanesAndItsMenusUndoAndRedo)
{
    HxPaneMgr* panes = m_window->getPaneMgr();
    EXPECT_EQ(panes->findPane(QStringLiteral("HxScenePane")), m_window->scenePane());
    EXPECT_NE(panes->findPane(QStringLiteral("HxHistoryPane")), nullptr);
    EXPECT_EQ(m_window->dockWidgetArea(panes->getDock(m_window->timelinePane())), Qt::BottomDockWidgetArea);
    EXPECT_EQ(m_window->centralWidget(), m_window->viewport());
    EXPECT_NE(m_window->scenePane()->itemFor(m_figure), nullptr) << "the existing figure is listed";

    QAction* undo = m_window->undoAction();
    QAction* redo = m_window->redoAction();
    EXPECT_EQ(undo->shortcut(), QKeySequence(QKeySequence::Undo));
    EXPECT_EQ(redo->shortcut(), QKeySequence(QKeySequence::Redo));
    EXPECT_FALSE(undo->isEnabled());
    HxFloatProperty* turn = bone("arm")->getXRotControl();
    setUndoable(turn, 25.0f);
    undo->trigger();
    EXPECT_EQ(turn->getValue(), 0.0f);
    redo->trigger();
    EXPECT_EQ(turn->getValue(), 25.0f);
}

TEST_F(HostWindowTest, AMalformedFigureShowsTheErrorAndKeepsTheScene)
{
    const int nodes = hxScene->getNumNodes();
    hxScene->setPrimarySelection(bone("arm"));
    const QString broken =
        writeFile(m_scratch, QStringLiteral("broken.json"), "{ \"name\": \"Bad\", \"bones\": [");
    QString shown; // the default reporter opens a message box: read it and close it
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->close();
        }
    });
    poll.start(10);
    EXPECT_FALSE(m_window->loadFigure(broken));
    EXPECT_TRUE(shown.contains(QStringLiteral("broken.json"))) << shown.toStdString();
    EXPECT_EQ(hxScene->getNumNodes(), nodes);
    EXPECT_EQ(hxScene->findNode(QStringLiteral("Stick")), m_figure);
    EXPECT_EQ(hxScene->getPrimarySelection(), bone("arm")) << "the selection survives too";

    collectErrors();
    EXPECT_FALSE(m_window->loadFigure(m_scratch.filePath(QStringLiteral("missing.json"))));
    EXPECT_EQ(m_errors.size(), 1);
    EXPECT_TRUE(m_errors.value(0).contains(QStringLiteral("missing.json")));
    EXPECT_EQ(hxScene->getNumNodes(), nodes);
}

TEST_F(HostWindowTest, AGoodFigureIsAddedAndNewEmptiesTheScene)
{
    const int nodes = hxScene->getNumNodes();
    ASSERT_TRUE(m_window->loadFigure(sourcePath(QStringLiteral("samples/figures/mannequin.json"))));
    auto* loaded = qobject_cast<HxSkeleton*>(hxScene->findNode(QStringLiteral("Mannequin")));
    ASSERT_NE(loaded, nullptr);
    EXPECT_GT(loaded->getNumBones(), 10);
    EXPECT_EQ(hxScene->getNumNodes(), nodes + 1 + loaded->getNumBones())
        << "loading adds; it does not replace";
    EXPECT_TRUE(m_window->windowTitle().contains(QStringLiteral("Mannequin")));

    setUndoable(bone("arm")->getXRotControl(), 10.0f);
    hxScene->setTime(480);
    m_figure = nullptr;
    m_window->newScene();
    EXPECT_EQ(hxScene->getNumNodes(), 0);
    EXPECT_EQ(hxUndoStack->undoStack()->count(), 0);
    EXPECT_EQ(hxScene->getTime(), 0);
    EXPECT_EQ(m_window->scenePane()->tree()->topLevelItemCount(), 0);
}

TEST_F(HostWindowTest, AudioLoadsFromWavAndBadSoundsPluginsAndPathsAreReported)
{
    collectErrors();
    ASSERT_TRUE(m_window->loadAudio(writeFile(m_scratch, QStringLiteral("tone.wav"), wav(12000))))
        << m_errors.join('\n').toStdString();
    HxAudioClip* clip = hxScene->getAudio();
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->getRate(), 8000);
    EXPECT_EQ(clip->getEndTime(), 4800 * 3 / 2) << "12000 frames at 8 kHz last 1.5 s";
    auto* media = dynamic_cast<HxMediaAudioClip*>(clip);
    ASSERT_NE(media, nullptr);
    media->setRate(0.5);
    EXPECT_EQ(media->playbackRate(), 0.5);
    for (double bad : {0.0, -1.0, std::nan("")})
        media->setRate(bad);
    EXPECT_EQ(media->playbackRate(), 0.5) << "a speed that would stall or reverse the sound is ignored";
    media->setRate(1.0);

    QByteArray compressed = wav(100);
    compressed[20] = 2; // a compressed format
    for (const QByteArray& bad : {wav(12000).left(30), QByteArray("just text"), compressed}) {
        m_errors.clear();
        EXPECT_FALSE(m_window->loadAudio(writeFile(m_scratch, QStringLiteral("bad.wav"), bad)));
        EXPECT_EQ(m_errors.size(), 1);
        EXPECT_TRUE(m_errors.value(0).contains(QStringLiteral("bad.wav")));
        EXPECT_EQ(hxScene->getAudio(), clip) << "the previous clip stays";
    }

    m_errors.clear();
    EXPECT_EQ(m_window->loadPlugins(m_scratch.filePath(QStringLiteral("no-such-folder"))), 0);
    writeFile(m_scratch, QStringLiteral("libbroken.so"), "not really a shared object");
    EXPECT_EQ(m_window->loadPlugins(m_scratch.path()), 0);
    EXPECT_EQ(m_errors.size(), 1) << "the sound files beside it are not looked at";
    EXPECT_TRUE(m_errors.value(0).contains(QStringLiteral("libbroken.so")));
    QString error;
    EXPECT_FALSE(m_window->saveScreenshot(m_scratch.filePath(QStringLiteral("no/such/dir/x.png")), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(HostWindowTest, UndoWaitsForALiveDragAndClosingTheWindowEndsItAsItsStep)
{
    HxFloatProperty* turn = bone("arm")->getXRotControl();
    setUndoable(turn, 25.0f);
    QUndoStack* stack = hxUndoStack->undoStack();
    EXPECT_EQ(m_window->undoAction()->text(), QStringLiteral("&Undo %1").arg(stack->undoText()));
    auto drag = std::make_unique<HxUndoStackHold>();
    drag->setCloser(
        [&] {
            drag->accept(QStringLiteral("Drag"));
            drag.reset();
        },
        true);
    turn->setValue(40.0f);

    m_window->undoAction()->trigger();
    EXPECT_EQ(turn->getValue(), 40.0f);
    EXPECT_FALSE(m_window->statusBar()->currentMessage().isEmpty()) << "the person is told why";
    QUndoView* history = m_window->historyPane()->view();
    const QRect start = history->visualRect(history->model()->index(0, 0));
    QTest::mouseClick(history->viewport(), Qt::LeftButton, {}, start.center());
    EXPECT_EQ(stack->index(), 1) << "a click in the history waits as well";
    EXPECT_EQ(turn->getValue(), 40.0f);

    m_window->close();
    EXPECT_FALSE(drag);
    EXPECT_EQ(stack->undoText(), QStringLiteral("Drag"));
    m_window->undoAction()->trigger();
    EXPECT_EQ(turn->getValue(), 25.0f);
}

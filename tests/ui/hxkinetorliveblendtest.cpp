#include "hxfakeclock.h"
#include "kinetoruitest.h"

#include "model/hxkinetorpose.h"

#include "hxcore/hxaudioclip.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxundostack.h"
#include "hxcore/hxviewportmgr.h"

#include <QPointer>
#include <QUndoStack>

namespace {

class LoggingClip : public HxAudioClip
{
public:
    explicit LoggingClip(QStringList* log) : m_log(log) {}
    HxTime getEndTime() const override { return 4800 * 60; }
    void seek(HxTime time) override { *m_log << QStringLiteral("seek %1").arg(time); }
    int getRate() const override { return 44100; }
    void setRate(double rate) override { *m_log << QStringLiteral("rate %1").arg(rate); }
    void play() override { *m_log << QStringLiteral("play"); }
    void stop() override { *m_log << QStringLiteral("stop"); }

private:
    QStringList* m_log;
};

// A figure's layer with two dots, shown in the docked pane, with a sound
// track: a Preview or Record drag on it, then whatever ends it.
class HxKinetorLiveBlendTest : public HxKinetorUiTest
{
protected:
    void SetUp() override
    {
        HxKinetorUiTest::SetUp();
        createWindowWithPane();
        m_audio.clear();
        m_figure = addFigure();
        hxScene->setAudio(new LoggingClip(&m_audio));
        m_layer = showLayerOf(m_figure);
        m_figure->getXPosControl()->setValue(0.0f);
        m_layer->addPose(new HxKinetorPose(10.0f, 10.0f, m_figure, true), false);
        m_figure->getXPosControl()->setValue(5.0f);
        m_layer->addPose(new HxKinetorPose(90.0f, 10.0f, m_figure, true), false);
        auto clock = std::make_unique<HxFakeClock>();
        m_clock = clock.get();
        m_layer->setClock(std::move(clock));
        m_view = m_layer->getView();
        m_timer = m_layer->getRecordTimer();
    }

    // Presses and blends a few ticks; the drag is live afterwards.
    void startDrag(int mode)
    {
        m_pane->setMode(mode);
        QTest::mousePress(m_view, Qt::LeftButton, Qt::NoModifier, QPoint(30, 10));
        for (int i = 0; i < 3; ++i) {
            QTest::mouseMove(m_view, QPoint(40 + 10 * i, 10));
            m_clock->advance(40);
            QCoreApplication::processEvents();
        }
        ASSERT_TRUE(m_layer->isLiveBlending());
        ASSERT_TRUE(m_timer->isActive());
        ASSERT_EQ(hxUndoStack->holdDepth(), 1);
        ASSERT_TRUE(viewports()->isManipulating());
        ASSERT_EQ(m_audio, (QStringList{"seek 0", "rate 1", "play"})) << "1.0 between the seek and the start";
        ASSERT_FALSE(hxUndoStack->undo()) << "Undo waits while the button is held";
    }
    // Nothing of the drag is left running, and what it did is one step.
    void expectEnded()
    {
        EXPECT_TRUE(!m_timer || !m_timer->isActive());
        EXPECT_TRUE(!m_layer || !m_layer->isLiveBlending());
        EXPECT_EQ(hxUndoStack->holdDepth(), 0);
        EXPECT_FALSE(viewports()->isManipulating());
        EXPECT_EQ(m_audio.value(3), QStringLiteral("stop"));
        EXPECT_EQ(hxUndoStack->undoStack()->undoText(), QStringLiteral("Kinetoring"));
    }
    HxViewportMgr* viewports() const { return m_window->getViewportMgr(); }

    HxSkeleton* m_figure = nullptr;
    QPointer<HxKinetorLayer> m_layer;
    QPointer<HxKinetorLayerView> m_view;
    QPointer<QTimer> m_timer;
    HxFakeClock* m_clock = nullptr;
    QStringList m_audio;
};

} // namespace

TEST_F(HxKinetorLiveBlendTest, ReleaseEndsTheDragAndAnExtraReleaseEndsNothingElse)
{
    startDrag(HxKinetorPane::RecordMode);
    viewports()->startManipulation(); // someone else's
    QTest::mouseRelease(m_view, Qt::LeftButton, Qt::NoModifier, QPoint(60, 10));
    EXPECT_TRUE(viewports()->isManipulating()) << "the drag ends only the manipulation it started";
    viewports()->endManipulation();
    expectEnded();
    EXPECT_EQ(m_audio, (QStringList{"seek 0", "rate 1", "play", "stop"})) << "the sound stopped once";
    QTest::mouseRelease(m_view, Qt::LeftButton, Qt::NoModifier, QPoint(60, 10));
    EXPECT_EQ(hxUndoStack->undoStack()->count(), 1);
}

TEST_F(HxKinetorLiveBlendTest, ModeChangeMidDragEndsItAndTimeReachesTheLayerAgain)
{
    startDrag(HxKinetorPane::RecordMode);
    m_pane->setMode(HxKinetorPane::EditMode); // a script can
    expectEnded();
    QTest::mouseRelease(m_view, Qt::LeftButton, Qt::NoModifier, QPoint(60, 10));
    EXPECT_FALSE(m_view->isDraggingCursor());
    m_pane->setMode(HxKinetorPane::PreviewMode);
    const HxPointKey* first = m_layer->getCursor()->keys().at(0);
    m_layer->getCursor()->setPosition(-50.0f, -50.0f);
    hxScene->setTime(first->time);
    EXPECT_EQ(m_layer->getCursor()->x(), first->x) << "time changes reach the layer again";
    ASSERT_TRUE(hxUndoStack->undo());
    EXPECT_EQ(m_layer->getCursor()->keys().count(), 0);
}

TEST_F(HxKinetorLiveBlendTest, RemovingTheFigureClearingTheSceneOrDeletingTheLayerOrPaneEndsTheDrag)
{
    const std::vector<std::function<void()>> endings = {
        [&] { hxScene->removeNode(m_figure); },
        [&] { hxScene->clear(); },
        [&] { m_pane->getLayerGroupByNode(m_figure)->deleteCurrentLayer(); },
        [&] { delete m_pane; },
        [&] { hxUndoStack->closeAllHolds(); }, // the host's window closing
    };
    for (std::size_t i = 0; i < endings.size(); ++i) {
        SCOPED_TRACE(i);
        if (i > 0) {
            TearDown();
            SetUp();
        }
        startDrag(i % 2 ? HxKinetorPane::PreviewMode : HxKinetorPane::RecordMode);
        endings[i]();
        expectEnded();
    }
}

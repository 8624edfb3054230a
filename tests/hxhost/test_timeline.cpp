#include "hxhosttest.h"

#include "hxfigureposer.h"
#include "hxplayback.h"
#include "hxtimelinepane.h"
#include "hxtimeruler.h"

#include "hxcore/hxaudioclip.h"
#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"

#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

namespace {
constexpr int kStep = 160;

class RecordingClip : public HxAudioClip
{
public:
    explicit RecordingClip(QStringList* log) : m_log(log) {}
    HxTime getEndTime() const override { return 4800 * 10; }
    void seek(HxTime time) override { m_log->append(QStringLiteral("seek %1").arg(time)); }
    int getRate() const override { return 44100; }
    void play() override { m_log->append(QStringLiteral("play")); }
    void stop() override { m_log->append(QStringLiteral("stop")); }

private:
    QStringList* m_log;
};
} // namespace

class TimelineTest : public HxHostTest
{
protected:
    void SetUp() override
    {
        HxHostTest::SetUp();
        m_pane = std::make_unique<HxTimelinePane>();
        m_pane->resize(800, 100);
        m_pane->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_pane.get()));
        // Playback runs on a clock the test moves; the ticker never fires
        // on its own.
        m_pane->playback()->setClock([this] { return m_now; });
    }
    void TearDown() override
    {
        m_pane.reset();
        HxHostTest::TearDown();
    }
    void advance(qint64 ms)
    {
        m_now += ms;
        m_pane->playback()->tick();
    }
    int frame() const { return hxScene->getTime() / kStep; }

    qint64 m_now = 1000;
    // Outlives the clip, which the scene deletes after the pane is gone.
    QStringList m_audio;
    std::unique_ptr<HxTimelinePane> m_pane;
};

TEST_F(TimelineTest, ScrubbingSetsTheTimeAndTheFigureFollowsItsKeys)
{
    HxFloatProperty* turn = bone("arm")->getZRotControl();
    turn->setValue(0, 0.0f);
    turn->setValue(60 * kStep, 90.0f);
    hxScene->setPrimarySelection(bone("arm"));
    EXPECT_EQ(m_pane->ruler()->keyFrames(), (QList<int>{0, 60}));

    HxTimeRuler* ruler = m_pane->ruler();
    const int y = ruler->height() / 2;
    QTest::mousePress(ruler, Qt::LeftButton, {}, QPoint(ruler->xForFrame(10), y));
    EXPECT_EQ(frame(), 10);
    QTest::mouseMove(ruler, QPoint(ruler->xForFrame(30), y));
    QTest::mouseRelease(ruler, Qt::LeftButton, {}, QPoint(ruler->xForFrame(30), y));
    EXPECT_EQ(frame(), 30);
    EXPECT_EQ(m_pane->frameBox()->value(), 30);

    // Halfway between the keys the arm is turned 45 degrees.
    EXPECT_FLOAT_EQ(turn->getValue(), 45.0f);
    HxFigurePoser poser(m_figure);
    const HxVec3 end = poser.boneFrame(bone("arm")).transformPoint(bone("arm")->getEndPoint());
    EXPECT_TRUE(end.equals(HxVec3(40 * 0.70710678f, 140 + 40 * 0.70710678f, 0), 1e-3f));

    // Scrubbing stays within the ranges.
    QTest::mouseClick(ruler, Qt::LeftButton, {}, QPoint(ruler->width() + 50, y));
    EXPECT_EQ(frame(), 120);
    QTest::mouseClick(ruler, Qt::LeftButton, {}, QPoint(-50, y));
    EXPECT_EQ(frame(), 0);

    // A key added while the node is selected appears on the ruler.
    turn->setValue(90 * kStep, 10.0f);
    EXPECT_EQ(m_pane->ruler()->keyFrames(), (QList<int>{0, 60, 90}));
    hxScene->setPrimarySelection(bone("chest"));
    EXPECT_TRUE(m_pane->ruler()->keyFrames().isEmpty());
}

TEST_F(TimelineTest, TheFrameBoxAndRangeBoxesDriveTheScene)
{
    m_pane->frameBox()->setValue(42);
    EXPECT_EQ(hxScene->getTime(), 42 * kStep);
    hxScene->setTime(7 * kStep);
    EXPECT_EQ(m_pane->frameBox()->value(), 7);

    m_pane->playStartBox()->setValue(10);
    m_pane->playEndBox()->setValue(50);
    EXPECT_EQ(hxScene->getPlayRange(), HxTimeRange(10 * kStep, 50 * kStep));
    m_pane->animEndBox()->setValue(200);
    EXPECT_EQ(hxScene->getAnimRange(), HxTimeRange(0, 200 * kStep));

    // Reversed ends are put in order by the scene, and the boxes show that.
    m_pane->playStartBox()->setValue(80);
    EXPECT_EQ(hxScene->getPlayRange(), HxTimeRange(50 * kStep, 80 * kStep));
    EXPECT_EQ(m_pane->playStartBox()->value(), 50);
    EXPECT_EQ(m_pane->playEndBox()->value(), 80);

    hxScene->setAnimRange(HxTimeRange(5 * kStep, 95 * kStep));
    EXPECT_EQ(m_pane->animStartBox()->value(), 5);
    EXPECT_EQ(m_pane->animEndBox()->value(), 95);
}

TEST_F(TimelineTest, PlaybackRunsInRealTimeAndStopsAtTheEndOfThePlayRange)
{
    QStringList& audio = m_audio;
    hxScene->setAudio(new RecordingClip(&audio));
    hxScene->setAudioStartFrame(2);
    hxScene->setPlayRange(HxTimeRange(10 * kStep, 40 * kStep));
    HxPlayback* playback = m_pane->playback();
    QSignalSpy playing(playback, &HxPlayback::playingChanged);

    QTest::mouseClick(m_pane->playButton(), Qt::LeftButton);
    ASSERT_TRUE(playback->isPlaying());
    EXPECT_EQ(frame(), 10) << "playback starts at the play range when the time is outside it";
    EXPECT_EQ(audio, (QStringList{QStringLiteral("seek %1").arg(8 * kStep), "play"}))
        << "the sound starts at the same moment, offset by its start frame";

    advance(100); // 100 ms at 30 fps: three frames
    EXPECT_EQ(frame(), 13);
    advance(17); // 117 ms: 3.5 frames; the time stays on frame 13 exactly
    EXPECT_EQ(hxScene->getTime(), 13 * kStep);
    advance(500); // 617 ms: 18.5 frames
    EXPECT_EQ(hxScene->getTime(), 28 * kStep);
    EXPECT_TRUE(playback->isPlaying());

    advance(5000);
    EXPECT_EQ(frame(), 40) << "playback ends on the last frame of the range";
    EXPECT_FALSE(playback->isPlaying());
    EXPECT_EQ(audio.last(), QStringLiteral("stop"));
    ASSERT_EQ(playing.count(), 2);
    EXPECT_FALSE(playing.last().at(0).toBool());
    advance(1000);
    EXPECT_EQ(frame(), 40) << "a stopped playback ignores stray ticks";

    // Playing from the end starts over; playing from inside continues.
    playback->play();
    EXPECT_EQ(frame(), 10);
    playback->stop();
    hxScene->setTime(25 * kStep);
    playback->play();
    advance(300);
    EXPECT_EQ(frame(), 34);
    EXPECT_TRUE(playback->isPlaying());
}

TEST_F(TimelineTest, PlaybackFollowsTheFrameRateAndScrubbingStopsIt)
{
    hxScene->setTimeStep(200); // 24 fps
    HxPlayback* playback = m_pane->playback();
    playback->play();
    advance(1000);
    EXPECT_EQ(hxScene->getTime(), 24 * 200);

    HxTimeRuler* ruler = m_pane->ruler();
    QTest::mouseClick(ruler, Qt::LeftButton, {}, QPoint(ruler->xForFrame(5), ruler->height() / 2));
    EXPECT_FALSE(playback->isPlaying());
    EXPECT_EQ(hxScene->getTime(), 5 * 200);
}

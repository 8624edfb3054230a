#include "hxlayertest.h"

#include "model/hxposecollection.h"

#include "hxcore/hxfigurereader.h"
#include "hxcore/hxmatrix4.h"
#include "hxcore/hxundostack.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTimer>
#include <QUndoStack>
#include <cmath>

namespace {

using Times = std::vector<int>;

Times frames(int from, int to, int step, Times out = {})
{
    for (int t = from; t <= to; t += step)
        out.push_back(t);
    return out;
}

// Three dots over which every blended channel is a plane: hip X = x / 10 + y / 5, smile = x / 100 +
// y / 200; hip Z rotation 0 at A, 90 at B. Chest, Head, the figure's transform, Frown and Flex never
// vary (C does not record Flex at all).
class RecordingTest : public HxLayerTest
{
protected:
    void SetUp() override
    {
        HxLayerTest::SetUp();
        addDot(0, 0, 0, 0, 0);
        m_b = addDot(100, 0, 10, 90, 1);
        m_c = addDot(0, 100, 20, 0, 0.5f);
        m_c->getNodeDataAt(3)->getPropValues().remove(m_flex);
        m_layer->updateChangeFlags(nullptr);
        m_pane->setMode(HxKinetorPane::RecordMode);
    }
    // Keys on every frame of the play range, as earlier animation.
    static void animate(HxFloatProperty* property, float value)
    {
        for (int t = 0; t <= 4800; t += 160)
            property->setValue(t, value);
    }
    // The key times of a property, or of the cursor when there is none.
    Times keyTimes(const HxFloatProperty* property = nullptr) const
    {
        Times times;
        if (property)
            for (const HxFloatKey& key : property->getKeys())
                times.push_back(key.time);
        else
            for (const auto& key : cursorKeys())
                times.push_back(std::get<0>(key));
        return times;
    }
    // Every control and property of the figure, and the cursor keys.
    std::pair<std::vector<HxFloatProperty::State>, CursorKeys> snapshot() const
    {
        std::vector<HxFloatProperty*> all{m_smile, m_frown, m_flex};
        for (HxNode* node : std::initializer_list<HxNode*>{m_hip, m_chest, m_head, m_figure})
            for (int c = 0; c < HxNode::NumTransformControls; ++c)
                all.push_back(node->getTransformControl(c));
        std::vector<HxFloatProperty::State> states;
        for (HxFloatProperty* p : all)
            states.push_back({p->getStaticValue(), p->getKeys()});
        return {states, cursorKeys()};
    }
    // Ticks of ms each from time 0, the cursor moving by 10 along x each tick.
    void record(int ticks, qint64 ms = 100)
    {
        hxScene->setTime(0);
        press(0, 0);
        for (int i = 1; i <= ticks; ++i)
            tick(ms, 10.0f * i, 0);
        release();
    }

    HxKinetorPose* m_b = nullptr;
    HxKinetorPose* m_c = nullptr;
};

TEST_F(RecordingTest, RecordKeysEveryThirdFrameClearsBetweenAndUndoesAsOneStep)
{
    HxFloatProperty* hipX = m_hip->getXPosControl();
    for (HxFloatProperty* animated : {hipX, m_chest->getXPosControl(), m_frown, m_flex})
        animate(animated, 0.5f);
    const auto before = snapshot();
    record(5);

    EXPECT_EQ(hxScene->getTime(), 2400);
    EXPECT_EQ(keyTimes(hipX), frames(2560, 4800, 160, frames(480, 2400, 480, {0})));
    EXPECT_EQ(keyTimes(m_smile), frames(480, 2400, 480));
    EXPECT_EQ(keyTimes(), frames(480, 2400, 480));
    for (int i = 1; i <= 5; ++i) {
        EXPECT_NEAR(hipX->getValue(480 * i), i, 1e-5);
        EXPECT_NEAR(m_smile->getValue(480 * i), 0.1 * i, 1e-6);
        // The blended matrix between 0 and 90 degrees, orthonormalized.
        const double t = 0.1 * i;
        EXPECT_NEAR(m_hip->getZRotControl()->getValue(480 * i), std::atan2(t, 1 - t) * 180 / M_PI, 1e-3);
    }
    // Nothing that the poses agree on is touched.
    for (HxFloatProperty* kept : {m_chest->getXPosControl(), m_frown, m_flex})
        EXPECT_EQ(keyTimes(kept), frames(0, 4800, 160));
    EXPECT_EQ(m_head->getXPosControl()->getNumKeys(), 0);

    const auto after = snapshot();
    ASSERT_EQ(hxUndoStack->undoStack()->count(), 1);
    EXPECT_EQ(hxUndoStack->undoStack()->text(0), QStringLiteral("Kinetoring"));
    hxUndoStack->undo();
    EXPECT_TRUE(snapshot() == before);
    hxUndoStack->redo();
    EXPECT_TRUE(snapshot() == after);

    // Recording again at a slower pace clears the earlier frames, cursor keys included.
    record(3, 200);
    EXPECT_EQ(keyTimes(), frames(960, 2880, 960));
    EXPECT_EQ(keyTimes(hipX), frames(3040, 4800, 160, frames(960, 2880, 960, {0})));
}

TEST_F(RecordingTest, ThePlayRangeEndStopsOrExtendsAndPreviewNeverMovesTimeOrClears)
{
    m_pane->setExtendFrames(false);
    hxScene->setPlayRange(HxTimeRange(0, 960));
    hxScene->setTime(960);
    press(0, 0);
    for (float x : {50.0f, 100.0f, 100.0f})
        tick(100, x, 0);
    release();
    EXPECT_EQ(keyTimes(m_hip->getXPosControl()), Times{960});
    EXPECT_NEAR(m_hip->getXPosControl()->getValue(960), 5.0, 1e-5);
    EXPECT_EQ(keyTimes(), Times{960});
    EXPECT_EQ(hxScene->getTime(), 960);

    m_pane->setExtendFrames(true);
    hxScene->setAnimRange(HxTimeRange(0, 960));
    hxScene->setTime(800);
    press(0, 0);
    tick(100, 0, 0);
    EXPECT_EQ(hxScene->getTime(), 1280);
    EXPECT_EQ(hxScene->getPlayRange(), HxTimeRange(0, 1440));
    EXPECT_EQ(hxScene->getAnimRange(), HxTimeRange(0, 1440));
    tick(100, 0, 0);
    release();
    EXPECT_EQ(hxScene->getTime(), 1760);
    EXPECT_EQ(hxScene->getPlayRange(), HxTimeRange(0, 1920));

    // Outside the play range nothing is blended.
    const auto before = snapshot();
    hxScene->setTime(6000);
    press(0, 0);
    tick(100, 50, 0);
    release();
    EXPECT_EQ(hxScene->getTime(), 6000);
    EXPECT_TRUE(snapshot() == before);

    m_pane->setMode(HxKinetorPane::PreviewMode);
    hxScene->setTime(1280);
    press(0, 0);
    tick(1000, 100, 0);
    EXPECT_NEAR(m_hip->getXPosControl()->getValue(1280), 10.0, 1e-5);
    tick(1000, 50, 50);
    release();
    EXPECT_EQ(hxScene->getTime(), 1280);
    EXPECT_NEAR(m_hip->getXPosControl()->getValue(1280), 15.0, 1e-5);
    EXPECT_EQ(keyTimes(m_hip->getXPosControl()), (Times{1280, 1760}));
    EXPECT_EQ(keyTimes(), (Times{1280, 1760}));
}

TEST_F(RecordingTest, FillSkippedFramesKeysTheGapsAsOneUndoStep)
{
    record(5);
    for (int t = 0; t <= 2400; t += 160) {
        hxScene->setTime(t);
        m_layer->updateForTime(t);
        // The first fill opens the group and starts its timer.
        EXPECT_EQ(m_layer->isEditing(), t >= 640);
        EXPECT_EQ(m_layer->getUndoTimer()->isActive(), t >= 640);
    }
    EXPECT_EQ(keyTimes(m_hip->getXPosControl()), frames(480, 2400, 160));
    EXPECT_EQ(keyTimes(), frames(480, 2400, 160));
    // The cursor runs straight from key to key, and so does the plane.
    EXPECT_NEAR(m_hip->getXPosControl()->getValue(800), (10 + 10 * 320 / 480.0) / 10, 1e-5);
    EXPECT_NEAR(m_smile->getValue(2240), (40 + 10 * 320 / 480.0) / 100, 1e-6);

    // Landing on a keyed frame fills nothing.
    const float before = m_hip->getXPosControl()->getValue(960);
    m_layer->getCursor()->setPosition(99, 99);
    m_layer->updateForTime(960);
    EXPECT_EQ(m_hip->getXPosControl()->getValue(960), before);

    // Each time change while the group is open restarts its 500 ms.
    EXPECT_EQ(m_layer->getUndoTimer()->interval(), 500);
    QTest::qWait(300);
    m_layer->updateForTime(960);
    QTest::qWait(300);
    EXPECT_TRUE(m_layer->isEditing());
    QTRY_VERIFY_WITH_TIMEOUT(!m_layer->isEditing(), 2000);
    ASSERT_EQ(hxUndoStack->undoStack()->count(), 2);
    EXPECT_EQ(hxUndoStack->undoStack()->text(1), QStringLiteral("Kinetor Fill Frames"));
    hxUndoStack->undo();
    EXPECT_EQ(keyTimes(m_hip->getXPosControl()), frames(480, 2400, 480));
    EXPECT_EQ(keyTimes(), frames(480, 2400, 480));

    m_pane->setFillFrames(false);
    m_layer->updateForTime(640);
    EXPECT_FALSE(m_layer->isEditing());
    EXPECT_EQ(keyTimes(), frames(480, 2400, 480));
}

TEST_F(RecordingTest, ClearLayerAnimationTakesOnlyWhatTheLayerVaries)
{
    animate(m_chest->getXPosControl(), 3);
    animate(m_frown, 0.25f);
    record(5);
    m_layer->clearAnimation(HxTimeRange(0, 1500));
    for (const Times& times : {keyTimes(m_hip->getXPosControl()), keyTimes(m_hip->getZRotControl()),
                               keyTimes(m_smile), keyTimes()})
        EXPECT_EQ(times, (Times{1920, 2400}));
    EXPECT_EQ(m_chest->getXPosControl()->getNumKeys(), 31);
    EXPECT_EQ(m_frown->getNumKeys(), 31);
}

TEST_F(RecordingTest, DotsAndRecordsThatCannotBeBlendedAreLeftOut)
{
    m_pane->setMode(HxKinetorPane::PreviewMode);
    addDot(0, 0, 1000, 45, 9)->setPosition(0.6f, 0.9f);         // on A's integer cell: ignored
    m_b->getNodeDataAt(2)->setPos(HxVec3(std::nanf(""), 0, 0)); // leaves the head untouched
    m_layer->updateChangeFlags(nullptr);
    ASSERT_TRUE(m_layer->getTransformChanged()[2]);
    m_c->getNodeDataAt(3)->getPropValues().remove(m_smile); // counts as 0 at C
    press(0, 100);
    tick(10, 0, 100);
    EXPECT_NEAR(m_hip->getXPosControl()->getValue(0), 20.0, 1e-5);
    EXPECT_NEAR(m_smile->getValue(0), 0.0, 1e-6);
    tick(10, 50, 0);
    EXPECT_NEAR(m_hip->getXPosControl()->getValue(0), 5.0, 1e-5);
    for (int c = 0; c < HxNode::NumTransformControls; ++c)
        EXPECT_EQ(m_head->getTransformControl(c)->getNumKeys(), 0) << c;

    // A pose of the head alone has one record: from the second pose node on nothing is blended,
    // while that record keeps hip X on the plane.
    auto* shortPose = new HxKinetorPose(60, 60, m_head, true);
    shortPose->getNodeDataAt(0)->setPos(HxVec3(18, 0, 0));
    m_layer->addPose(shortPose, false);
    m_smile->deleteKeys(HxTimeRange(0, 0));
    tick(10, 20, 0);
    release();
    EXPECT_NEAR(m_hip->getXPosControl()->getValue(0), 2.0, 1e-5);
    EXPECT_EQ(m_smile->getNumKeys(), 0);

    // Fewer than two distinct cells: nothing at all, not even a cursor key.
    m_layer->getCursor()->removeKeys(HxTimeRange(0, 0));
    for (HxKinetorPose* pose : {m_b, m_c, shortPose})
        m_layer->removePose(pose);
    m_layer->applyBlend();
    EXPECT_TRUE(m_layer->getCursor()->keys().isEmpty());
}

TEST(OrthonormalizeTest, RowsBecomeUnitAndOrthogonalAndTranslationStays)
{
    HxMatrix4 skewed = HxMatrix4::identity();
    skewed.m[0][1] = 0.3f;
    skewed.m[2][0] = -0.2f;
    skewed.m[1][1] = 1.4f;
    skewed.m[3][0] = 7.0f;
    HxKinetorLayer::orthonormalizeRotation(skewed);
    for (int r = 0; r < 3; ++r) {
        EXPECT_NEAR(skewed.row(r).length(), 1.0, 1e-5);
        EXPECT_NEAR(skewed.row(r).dot(skewed.row((r + 1) % 3)), 0.0, 1e-3);
    }
    EXPECT_EQ(skewed.m[3][0], 7.0f);
}

TEST(OrthonormalizeTest, AZeroRowIsRebuiltFromTheOtherTwo)
{
    HxMatrix4 m = HxMatrix4::identity();
    m.m[0][0] = 0.0f;
    HxKinetorLayer::orthonormalizeRotation(m);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(m.m[r][c], r == c ? 1.0f : 0.0f) << r << ", " << c;
}

// On the shipped figure (bones in every rotation order, a fitted jacket following its bones), each
// dot's random angles come back when the cursor records on it.
TEST_F(HxLayerTest, SampleFigureRecordingReproducesEachDotAndUndoesAsOneStep)
{
    QString error;
    HxSkeleton* figure = HxFigureReader::addToScene(
        sourcePath(QStringLiteral("samples/figures/mannequin.json")), nullptr, &error);
    ASSERT_NE(figure, nullptr) << error.toStdString();
    QList<HxNode*> nodes;
    collectPoseNodes(nodes, figure);
    ASSERT_EQ(nodes.size(), 24) << "23 bones that follow none, then the figure";
    m_layer->setNode(figure);
    QRandomGenerator random(11);
    std::vector<float> angles[3];
    const std::pair<int, int> dots[] = {{0, 0}, {200, 0}, {0, 200}};
    for (int d = 0; d < 3; ++d) {
        for (HxNode* node : std::as_const(nodes))
            for (int c = 3; c < 6; ++c) { // within 40 degrees, away from gimbal lock
                angles[d].push_back(float(random.bounded(80.0) - 40.0));
                node->getTransformControl(c)->setValue(angles[d].back());
            }
        m_layer->addPose(dots[d].first, dots[d].second);
    }
    m_pane->setMode(HxKinetorPane::RecordMode);
    press(0, 0);
    for (const auto& [x, y] : dots)
        tick(100, float(x), float(y));
    release();

    for (int d = 0; d < 3; ++d) {
        std::size_t a = 0;
        for (HxNode* node : std::as_const(nodes))
            for (int c = 3; c < 6; ++c) {
                const HxFloatProperty* control = node->getTransformControl(c);
                EXPECT_NEAR(control->getValue(480 * (d + 1)), angles[d][a++], 2e-3)
                    << node->objectName().toStdString();
                EXPECT_TRUE(control->hasKeyAt(480 * (d + 1)) && !control->hasKeyAt(480 * d + 320));
            }
    }
    // A varied node is keyed whole: its position too, at the value all dots share.
    const HxFloatProperty* hipX = figure->findBone(QStringLiteral("hip"))->getXPosControl();
    EXPECT_EQ(hipX->getNumKeys(), 3);
    EXPECT_NEAR(hipX->getValue(960), hipX->getStaticValue(), 1e-4);
}

} // namespace

namespace {
class QuantumProbe : public HxKinetorClock
{
public:
    using HxKinetorClock::report;
};
} // namespace

// Ticks come faster than a millisecond apart; a clock that dropped what it
// had not reported would make recorded time lag the wall clock and the sound.
TEST(KinetorClockTest, ReportsWholeQuantaAndCarriesTheRest)
{
    QuantumProbe clock;
    clock.start();
    qint64 reported = 0;
    for (qint64 total = 0; total <= 1000; total += 3) {
        const qint64 due = clock.report(total);
        EXPECT_EQ(due % HxKinetorClock::QuantumMs, 0);
        EXPECT_EQ(due * 4800 % 1000, 0) << "a report is a whole number of scene ticks";
        reported += due;
        ASSERT_LT(total - reported, HxKinetorClock::QuantumMs);
    }
}

#include "hxlayertest.h"

#include "hxcore/hxmatrix4.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxundostack.h"

#include <QTest>
#include <QTimer>
#include <QUndoStack>
#include <cmath>

namespace {

// Three dots over which every blended channel is a plane: hip X = x / 10 +
// y / 5, smile = x / 100 + y / 200; hip Z rotation goes from 0 at A to 90
// at B. Chest, Head, the figure's transform, Frown and Flex never vary
// (C does not record Flex at all).
class RecordingTest : public HxLayerTest
{
protected:
    void SetUp() override
    {
        HxLayerTest::SetUp();
        m_a = addDot(0, 0, 0, 0, 0);
        m_b = addDot(100, 0, 10, 90, 1);
        m_c = addDot(0, 100, 20, 0, 0.5f);
        m_c->getNodeDataAt(3)->getPropValues().remove(m_flex);
        m_layer->updateChangeFlags(nullptr);
        m_pane->setMode(HxKinetorPane::RecordMode);
    }

    // Keys on every frame of the play range, as earlier animation.
    void animate(HxFloatProperty* property, float value)
    {
        for (int t = 0; t <= 4800; t += 160)
            property->setValue(t, value);
    }
    static std::vector<int> keyTimes(const HxFloatProperty* property)
    {
        std::vector<int> times;
        for (const HxFloatKey& key : property->getKeys())
            times.push_back(key.time);
        return times;
    }
    std::vector<int> cursorTimes() const
    {
        std::vector<int> times;
        for (int i = 0; i < m_layer->getCursor()->keys().count(); ++i)
            times.push_back(m_layer->getCursor()->keys().at(i)->time);
        return times;
    }
    // Every control and property the figure has, and the cursor keys.
    struct Snapshot
    {
        std::vector<HxFloatProperty::State> states;
        std::vector<std::tuple<int, float, float>> cursor;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot() const
    {
        Snapshot s;
        for (HxNode* node : {static_cast<HxNode*>(m_hip), static_cast<HxNode*>(m_chest),
                             static_cast<HxNode*>(m_head), static_cast<HxNode*>(m_figure)})
            for (int c = 0; c < HxNode::NumTransformControls; ++c)
                s.states.push_back({node->getTransformControl(c)->getStaticValue(),
                                    node->getTransformControl(c)->getKeys()});
        for (HxFloatProperty* p : {m_smile, m_frown, m_flex})
            s.states.push_back({p->getStaticValue(), p->getKeys()});
        for (int i = 0; i < m_layer->getCursor()->keys().count(); ++i) {
            const HxPointKey* k = m_layer->getCursor()->keys().at(i);
            s.cursor.emplace_back(k->time, k->x, k->y);
        }
        return s;
    }
    // Five ticks of 100 ms at step 160 (every third frame), the cursor
    // moving from (10, 0) to (50, 0).
    void recordFiveTicks()
    {
        press(0, 0);
        for (int i = 1; i <= 5; ++i)
            tick(100, 10.0f * i, 0);
        release();
    }

    HxKinetorPose* m_a = nullptr;
    HxKinetorPose* m_b = nullptr;
    HxKinetorPose* m_c = nullptr;
};

std::vector<int> frames(int from, int to, int step)
{
    std::vector<int> out;
    for (int t = from; t <= to; t += step)
        out.push_back(t);
    return out;
}

std::vector<int> joined(std::vector<int> a, const std::vector<int>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(RecordingTest, RecordKeysEveryThirdFrameAndClearsTheFramesBetween)
{
    animate(m_hip->getXPosControl(), -1);
    animate(m_chest->getXPosControl(), 3);
    animate(m_frown, 0.25f);
    animate(m_flex, 0.75f);
    const Snapshot before = snapshot();

    recordFiveTicks();

    EXPECT_EQ(hxScene->getTime(), 2400);
    const std::vector<int> recorded = frames(480, 2400, 480);
    EXPECT_EQ(keyTimes(m_hip->getXPosControl()), joined(joined({0}, recorded), frames(2560, 4800, 160)));
    EXPECT_EQ(keyTimes(m_smile), recorded);
    EXPECT_EQ(cursorTimes(), recorded);
    for (int i = 1; i <= 5; ++i) {
        EXPECT_NEAR(m_hip->getXPosControl()->getValue(480 * i), i, 1e-5);
        EXPECT_NEAR(m_smile->getValue(480 * i), 0.1 * i, 1e-6);
        // Halfway between 0 and 90 degrees the blended matrix turns 45.
        const double t = 0.1 * i;
        EXPECT_NEAR(m_hip->getZRotControl()->getValue(480 * i), std::atan2(t, 1 - t) * 180 / M_PI, 1e-3);
        EXPECT_FLOAT_EQ(m_layer->getCursor()->findKey(480 * i)->x, 10.0f * i);
    }
    // Nothing that the poses agree on is touched.
    EXPECT_EQ(keyTimes(m_chest->getXPosControl()), frames(0, 4800, 160));
    EXPECT_EQ(keyTimes(m_frown).size(), 31u);
    EXPECT_EQ(keyTimes(m_flex).size(), 31u);
    EXPECT_EQ(m_head->getXPosControl()->getNumKeys(), 0);

    // The whole drag is one step that undo takes back exactly.
    const Snapshot after = snapshot();
    ASSERT_EQ(hxUndoStack->undoStack()->count(), 1);
    EXPECT_EQ(hxUndoStack->undoStack()->text(0), QStringLiteral("Kinetoring"));
    hxUndoStack->undo();
    EXPECT_TRUE(snapshot() == before);
    hxUndoStack->redo();
    EXPECT_TRUE(snapshot() == after);

    // Recording again over the stretch at a slower pace clears the earlier
    // frames, cursor keys included.
    hxScene->setTime(0);
    press(0, 0);
    for (int i = 1; i <= 3; ++i)
        tick(200, 10.0f * i, 0);
    release();
    const std::vector<int> again = frames(960, 2880, 960);
    EXPECT_EQ(cursorTimes(), again);
    EXPECT_EQ(keyTimes(m_hip->getXPosControl()), joined(joined({0}, again), frames(3040, 4800, 160)));
}

TEST_F(RecordingTest, TheEndOfThePlayRangeStopsOrExtendsTheRecording)
{
    m_pane->setExtendFrames(false);
    hxScene->setPlayRange(HxTimeRange(0, 960));
    hxScene->setTime(960);
    press(0, 0);
    tick(100, 50, 0);
    tick(100, 100, 0);
    tick(100, 100, 0);
    release();
    EXPECT_EQ(keyTimes(m_hip->getXPosControl()), (std::vector<int>{960}));
    EXPECT_NEAR(m_hip->getXPosControl()->getValue(960), 5.0, 1e-5);
    EXPECT_EQ(cursorTimes(), (std::vector<int>{960}));
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
}

TEST_F(RecordingTest, PreviewBlendsAtThePressTimeAndOutsideThePlayRangeNothingHappens)
{
    m_pane->setMode(HxKinetorPane::PreviewMode);
    for (int t : {160, 320, 480})
        m_hip->getXPosControl()->setValue(t, -1);
    hxScene->setTime(320);
    press(0, 0);
    tick(1000, 100, 0);
    EXPECT_NEAR(m_hip->getXPosControl()->getValue(320), 10.0, 1e-5);
    tick(1000, 50, 50);
    release();
    EXPECT_EQ(hxScene->getTime(), 320);
    EXPECT_EQ(keyTimes(m_hip->getXPosControl()), (std::vector<int>{160, 320, 480}));
    EXPECT_NEAR(m_hip->getXPosControl()->getValue(320), 15.0, 1e-5);
    EXPECT_EQ(m_hip->getXPosControl()->getValue(160), -1.0f);

    m_pane->setMode(HxKinetorPane::RecordMode);
    hxScene->setTime(6000);
    press(0, 0);
    tick(100, 50, 0);
    release();
    EXPECT_EQ(hxScene->getTime(), 6000);
    EXPECT_EQ(m_smile->getNumKeys(), 1);
    EXPECT_EQ(cursorTimes(), (std::vector<int>{320}));
}

TEST_F(RecordingTest, FillSkippedFramesKeysTheGapsAsOneUndoStep)
{
    recordFiveTicks();
    ASSERT_EQ(hxUndoStack->undoStack()->count(), 1);
    for (int t = 0; t <= 2400; t += 160) {
        hxScene->setTime(t);
        m_layer->updateForTime(t);
        // The first fill opens the group and starts its timer.
        EXPECT_EQ(m_layer->isEditing(), t >= 640);
        EXPECT_EQ(m_layer->getUndoTimer()->isActive(), t >= 640);
    }
    EXPECT_EQ(keyTimes(m_hip->getXPosControl()), frames(480, 2400, 160));
    EXPECT_EQ(cursorTimes(), frames(480, 2400, 160));
    // The cursor runs straight from key to key, and so does the plane.
    EXPECT_NEAR(m_hip->getXPosControl()->getValue(800), (10 + 10 * 320 / 480.0) / 10, 1e-5);
    EXPECT_NEAR(m_smile->getValue(2240), (40 + 10 * 320 / 480.0) / 100, 1e-6);

    // Landing on a keyed frame fills nothing.
    const float before = m_hip->getXPosControl()->getValue(960);
    m_layer->getCursor()->setPosition(99, 99);
    m_layer->updateForTime(960);
    EXPECT_EQ(m_hip->getXPosControl()->getValue(960), before);
    EXPECT_FLOAT_EQ(m_layer->getCursor()->x(), 20.0f);

    ASSERT_TRUE(m_layer->isEditing());
    EXPECT_TRUE(m_layer->getUndoTimer()->isActive());
    EXPECT_EQ(m_layer->getUndoTimer()->interval(), 500);
    // Each time change while the group is open restarts its 500 ms.
    QTest::qWait(300);
    m_layer->updateForTime(960);
    QTest::qWait(300);
    EXPECT_TRUE(m_layer->isEditing());
    QTRY_VERIFY_WITH_TIMEOUT(!m_layer->isEditing(), 2000);
    ASSERT_EQ(hxUndoStack->undoStack()->count(), 2);
    EXPECT_EQ(hxUndoStack->undoStack()->text(1), QStringLiteral("Kinetor Fill Frames"));
    hxUndoStack->undo();
    EXPECT_EQ(keyTimes(m_hip->getXPosControl()), frames(480, 2400, 480));
    EXPECT_EQ(cursorTimes(), frames(480, 2400, 480));

    m_pane->setFillFrames(false);
    m_layer->updateForTime(640);
    EXPECT_FALSE(m_layer->isEditing());
    EXPECT_EQ(cursorTimes(), frames(480, 2400, 480));
}

TEST_F(RecordingTest, ClearLayerAnimationTakesOnlyWhatTheLayerVaries)
{
    animate(m_chest->getXPosControl(), 3);
    animate(m_frown, 0.25f);
    recordFiveTicks();
    m_layer->clearAnimation(HxTimeRange(0, 1500));
    EXPECT_EQ(keyTimes(m_hip->getXPosControl()), (std::vector<int>{1920, 2400}));
    EXPECT_EQ(keyTimes(m_hip->getZRotControl()), (std::vector<int>{1920, 2400}));
    EXPECT_EQ(keyTimes(m_smile), (std::vector<int>{1920, 2400}));
    EXPECT_EQ(cursorTimes(), (std::vector<int>{1920, 2400}));
    EXPECT_EQ(m_chest->getXPosControl()->getNumKeys(), 31);
    EXPECT_EQ(m_frown->getNumKeys(), 31);
}

TEST_F(RecordingTest, DotsAndRecordsThatCannotBeBlendedAreLeftOut)
{
    m_pane->setMode(HxKinetorPane::PreviewMode);
    // A dot on A's integer cell is ignored; so are its wild values.
    addDot(0, 0, 1000, 45, 9)->setPosition(0.6f, 0.9f);
    // A NaN in B's head record makes the head unblendable.
    HxKinetorNodeData* head = m_b->getNodeDataAt(2);
    head->setPos(HxVec3(std::nanf(""), 0, 0));
    m_layer->updateChangeFlags(nullptr);
    ASSERT_TRUE(m_layer->getTransformChanged()[2]);
    // C no longer records smile: it counts as 0 there.
    m_c->getNodeDataAt(3)->getPropValues().remove(m_smile);
    press(0, 100);
    tick(10, 0, 100);
    EXPECT_NEAR(m_hip->getXPosControl()->getValue(0), 20.0, 1e-5);
    EXPECT_NEAR(m_smile->getValue(0), 0.0, 1e-6);
    tick(10, 50, 0);
    EXPECT_NEAR(m_hip->getXPosControl()->getValue(0), 5.0, 1e-5);
    for (int c = 0; c < HxNode::NumTransformControls; ++c)
        EXPECT_EQ(m_head->getTransformControl(c)->getNumKeys(), 0) << c;

    // A pose made for the head alone has one record: from the second pose
    // node on, nothing is blended. Its one record keeps hip X on the plane.
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

TEST_F(RecordingTest, ReferenceSolveGivesTheSameFigureAndRotationsStayOrthonormal)
{
    m_pane->setMode(HxKinetorPane::PreviewMode);
    m_layer->getCursor()->setPosition(37, 81);
    m_layer->applyBlend();
    const Snapshot weights = snapshot();
    m_layer->setBlendSolve(HxKinetorLayer::BlendSolve::PerChannel);
    m_layer->applyBlend();
    const Snapshot reference = snapshot();
    ASSERT_EQ(weights.states.size(), reference.states.size());
    for (std::size_t i = 0; i < weights.states.size(); ++i) {
        const std::vector<HxFloatKey> fast = weights.states[i].keys.toVector();
        const std::vector<HxFloatKey> slow = reference.states[i].keys.toVector();
        ASSERT_EQ(fast.size(), slow.size());
        for (std::size_t k = 0; k < fast.size(); ++k)
            EXPECT_NEAR(fast[k].value, slow[k].value, 1e-4);
    }

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
    HxMatrix4 turn;
    HxQuat(HxRotationOrder::XYZ, HxVec3(0.3f, -0.5f, 1.1f)).getValue(turn);
    HxMatrix4 kept = turn;
    HxKinetorLayer::orthonormalizeRotation(kept);
    EXPECT_TRUE(kept.equals(turn, 1e-6f));
}

} // namespace

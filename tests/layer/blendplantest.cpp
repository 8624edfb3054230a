#include "hxlayertest.h"

#include "layer/hxkinetorblend.h"

#include "hxcore/hxmatrix4.h"
#include "hxcore/hxquat.h"
#include "hxcore/hxvec3.h"

#include <QRandomGenerator>
#include <array>
#include <cmath>

namespace {

using BlendPlanTest = HxLayerTest;

// The weights the layer reports through its stored elimination equal a fresh solve of the same
// dots, one entry per pose with 0 for a pose whose dot shares a cell with an earlier one.
TEST_F(BlendPlanTest, WeightsAtAPointMatchAFreshSolveAndSkipSharedCells)
{
    QRandomGenerator random(99);
    std::vector<HxBlendDot> dots;
    for (int d = 0; d < 12; ++d) {
        const int x = 50 * (d % 4) + int(random.bounded(30));
        const int y = 50 * (d / 4) + int(random.bounded(30));
        addDot(x, y, float(d), float(3 * d), 0.1f * float(d));
        dots.push_back({float(x), float(y)});
    }
    // On the fourth dot's cell, a fraction apart: it takes no part.
    m_layer->addPose(0, 0)->setPosition(dots[3].x + 0.5f, dots[3].y + 0.25f);

    HxKinetorMatrix a;
    for (const auto& [cx, cy] : {std::pair{37.0f, 61.5f}, {-120.0f, 400.0f}, {dots[5].x, dots[5].y}}) {
        std::vector<double> weights;
        ASSERT_TRUE(m_layer->blendWeightsAt(cx, cy, weights));
        ASSERT_EQ(weights.size(), 13u);
        EXPECT_EQ(weights[12], 0.0);
        bool collinear = false;
        double tc = 0.0;
        buildBlendSystem(dots, cx, cy, a, collinear, tc);
        std::vector<double> fresh;
        ASSERT_TRUE(computeBlendWeights(a, dots, cx, cy, collinear, tc, fresh));
        double sum = 0.0;
        for (std::size_t i = 0; i < fresh.size(); ++i) {
            EXPECT_NEAR(weights[i], fresh[i], 1e-12 * std::max(1.0, std::fabs(fresh[i])));
            sum += weights[i];
        }
        EXPECT_NEAR(sum, 1.0, 1e-9) << "the constant column makes the weights sum to one";
    }
    std::vector<double> onDot;
    ASSERT_TRUE(m_layer->blendWeightsAt(dots[5].x, dots[5].y, onDot));
    for (std::size_t i = 0; i < 12; ++i)
        EXPECT_NEAR(onDot[i], i == 5 ? 1.0 : 0.0, 1e-9) << i;

    std::vector<double> none{1.0};
    EXPECT_FALSE(m_layer->blendWeightsAt(std::nanf(""), 0.0f, none));
    EXPECT_EQ(none.size(), 13u);
    while (m_layer->getNumPoses() > 1)
        m_layer->removePose(m_layer->getPoses().last());
    EXPECT_FALSE(m_layer->blendWeightsAt(10.0f, 10.0f, none));
}

// The pass over the table takes the dots one at a time and four at a time, the last four straight
// into floats: at every count of dots it sets what one solve per channel sets.
TEST_F(BlendPlanTest, TheWeightedPassMatchesOneSolvePerChannelAtEveryCountOfDots)
{
    QRandomGenerator random(5);
    m_pane->setMode(HxKinetorPane::PreviewMode);
    const auto blended = [&](HxKinetorLayer::BlendSolve solve, float x, float y) {
        m_layer->setBlendSolve(solve);
        m_layer->getCursor()->setPosition(x, y);
        m_layer->applyBlend();
        return std::array<float, 3>{m_hip->getXPosControl()->getValue(), m_hip->getZRotControl()->getValue(),
                                    m_smile->getValue()};
    };
    for (int count = 2; count <= 9; ++count) {
        m_layer->clearPoses();
        for (int d = 0; d < count; ++d)
            addDot(60 * d + int(random.bounded(40)), int(random.bounded(200)), float(random.bounded(20.0) - 10.0),
                   float(random.bounded(80.0) - 40.0), float(random.generateDouble()));
        for (int c = 0; c < 3; ++c) {
            const float x = float(random.bounded(600.0) - 50.0);
            const float y = float(random.bounded(300.0) - 50.0);
            const std::array<float, 3> fast = blended(HxKinetorLayer::BlendSolve::Weights, x, y);
            const std::array<float, 3> reference = blended(HxKinetorLayer::BlendSolve::PerChannel, x, y);
            for (int v = 0; v < 3; ++v)
                EXPECT_NEAR(fast[v], reference[v], 1e-5f * std::max(1.0f, std::fabs(reference[v])))
                    << count << " dots, value " << v << " at " << x << ", " << y;
        }
    }
}

// What the blend was built from can change between drags without the layer being told: a view
// drags a dot, a script rewrites a record. The next blend must see it.
TEST_F(BlendPlanTest, MovedDotsAndRewrittenRecordsReachTheNextBlend)
{
    addDot(0, 0, 0, 0, 0);
    HxKinetorPose* b = addDot(100, 0, 10, 0, 1);
    m_pane->setMode(HxKinetorPane::PreviewMode);
    press(100, 0);
    tick(10, 100, 0);
    EXPECT_NEAR(m_hip->getXPosControl()->getValue(0), 10.0, 1e-5);
    EXPECT_NEAR(m_smile->getValue(0), 1.0, 1e-6);

    b->setPosition(200, 0); // halfway to the moved dot now
    tick(10, 100, 0);
    EXPECT_NEAR(m_hip->getXPosControl()->getValue(0), 5.0, 1e-5);

    b->getNodeDataAt(0)->setPos(HxVec3(30, 0, 0));
    b->getNodeDataAt(3)->getPropValues()[m_smile] = 0.5;
    tick(10, 200, 0);
    EXPECT_NEAR(m_hip->getXPosControl()->getValue(0), 30.0, 1e-5);
    EXPECT_NEAR(m_smile->getValue(0), 0.5, 1e-6);
    release();
}

// A property that differs only on a dot sharing another's cell still varies across the layer's
// poses: the blend sets it (from the dots that take part) and a Record drag keys it.
TEST_F(BlendPlanTest, APropertyThatDiffersOnlyOnASharedCellIsStillKeyed)
{
    addDot(0, 0, 0, 0, 0.25f);
    addDot(100, 0, 10, 0, 0.25f);
    addDot(100, 0, 10, 0, 0.75f)->setPosition(100.5f, 0.25f);
    m_pane->setMode(HxKinetorPane::RecordMode);
    press(50, 0);
    tick(40, 50, 0);
    tick(40, 60, 0);
    release();
    EXPECT_GE(m_smile->getNumKeys(), 2);
    EXPECT_NEAR(m_smile->getValue(hxScene->getTime()), 0.25, 1e-6);
    EXPECT_GE(m_hip->getXPosControl()->getNumKeys(), 2);
}

// A figure changed between drags is blended as it now is: a bone given another rotation order
// gets angles in that order for the same blended rotation.
TEST_F(BlendPlanTest, ARotationOrderChangedBetweenDragsReachesTheNextBlend)
{
    m_hip->getXRotControl()->setValue(30.0f);
    addDot(0, 0, 0, 0, 0);
    addDot(100, 0, 0, 40, 1);
    m_pane->setMode(HxKinetorPane::PreviewMode);
    press(100, 0);
    tick(10, 100, 0);
    release();
    EXPECT_NEAR(m_hip->getXRotControl()->getValue(0), 30.0, 1e-4);
    EXPECT_NEAR(m_hip->getZRotControl()->getValue(0), 40.0, 1e-4);

    m_hip->setRotationOrder(HxRotationOrder::ZYX);
    press(100, 0);
    tick(10, 100, 0);
    release();
    constexpr double kDeg = M_PI / 180.0;
    const HxVec3 angles(float(m_hip->getXRotControl()->getValue(0) * kDeg),
                        float(m_hip->getYRotControl()->getValue(0) * kDeg),
                        float(m_hip->getZRotControl()->getValue(0) * kDeg));
    EXPECT_GT(std::fabs(angles.y), 0.1f) << "ZYX needs a Y turn for this rotation";
    HxMatrix4 got, expected;
    HxQuat(HxRotationOrder::ZYX, angles).getValue(got);
    HxQuat(HxRotationOrder::XYZ, HxVec3(float(30 * kDeg), 0.0f, float(40 * kDeg))).getValue(expected);
    for (int e = 0; e < 9; ++e)
        EXPECT_NEAR(got.m[e / 3][e % 3], expected.m[e / 3][e % 3], 1e-5) << e;
}

// A node whose blended values overflow a float keeps its last frame whole; every other node and
// property of the same tick is still set.
TEST_F(BlendPlanTest, ANodeThatDoesNotBlendToFiniteValuesKeepsItsFrameAndTheRestMoveOn)
{
    m_chest->getXRotControl()->setValue(10.0f);
    addDot(0, 0, 0, 0, 0);
    m_chest->getXRotControl()->setValue(20.0f);
    addDot(100, 0, 3e38f, 30, 1); // a cursor beyond this dot takes it past the largest float
    addDot(0, 100, 0, 0, 0.5f);
    m_pane->setMode(HxKinetorPane::PreviewMode);
    press(50, 0);
    tick(10, 50, 0);
    EXPECT_NEAR(m_hip->getXPosControl()->getValue(0), 1.5e38, 1e33);
    EXPECT_NEAR(m_chest->getXRotControl()->getValue(0), 15.0, 1e-4);
    const float hipTurn = m_hip->getZRotControl()->getValue(0);
    EXPECT_NEAR(hipTurn, 15.0, 1e-4);

    tick(10, 150, 0);
    EXPECT_NEAR(m_hip->getXPosControl()->getValue(0), 1.5e38, 1e33) << "the hip keeps its frame";
    EXPECT_EQ(m_hip->getZRotControl()->getValue(0), hipTurn) << "all of it, its turn too";
    EXPECT_GT(m_chest->getXRotControl()->getValue(0), 24.0f) << "the chest goes on, past the dot";
    EXPECT_NEAR(m_smile->getValue(0), 1.5, 1e-5);

    tick(10, 100, 0); // finite again: the hip follows once more
    EXPECT_NEAR(m_hip->getXPosControl()->getValue(0), 3e38, 1e33);
    release();
}

} // namespace

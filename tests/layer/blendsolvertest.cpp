#include "layer/hxkinetorblend.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <cmath>
#include <functional>

namespace {

using Dots = std::vector<HxBlendDot>;

// The value at the cursor of a channel given by a function of the dot.
double blendAt(const Dots& dots, float cx, float cy, const std::function<double(const HxBlendDot&)>& channel,
               bool* collinearOut = nullptr, int* sizeOut = nullptr)
{
    HxKinetorMatrix a;
    bool collinear = false;
    double tc = 0.0;
    buildBlendSystem(dots, cx, cy, a, collinear, tc);
    HxKinetorMatrix b(a.rows(), 1);
    for (std::size_t i = 0; i < dots.size(); ++i)
        b(int(i) + 1, 1) = channel(dots[i]);
    HxKinetorMatrix x(a.rows(), 1);
    if (collinearOut)
        *collinearOut = collinear;
    if (sizeOut)
        *sizeOut = a.rows();
    return evaluateBlend(a, b, x, dots, cx, cy, collinear, tc);
}

HxBlendDot polar(float degrees, float radius)
{
    const double r = degrees * 3.14159265358979323846 / 180.0;
    return {float(radius * std::cos(r)), float(radius * std::sin(r))};
}

TEST(BlendSolverTest, EliminationPivotsAndReturnsTheDeterminant)
{
    // A zero leading element forces a row swap, which flips the sign.
    HxKinetorMatrix a(3, 3);
    const double values[3][3] = {{0, 2, 1}, {1, 1, 1}, {2, 1, 3}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            a(i + 1, j + 1) = values[i][j];
    HxKinetorMatrix b(3, 1);
    b(1, 1) = 7;
    b(2, 1) = 6;
    b(3, 1) = 13;
    HxKinetorMatrix x;
    EXPECT_NEAR(solveLinearSystem(a, b, x), -3.0, 1e-12);
    ASSERT_EQ(x.rows(), 3);
    EXPECT_NEAR(x(1, 1), 1.0, 1e-12);
    EXPECT_NEAR(x(2, 1), 2.0, 1e-12);
    EXPECT_NEAR(x(3, 1), 3.0, 1e-12);
    EXPECT_EQ(a(1, 1), 0.0) << "the inputs are copies";
}

TEST(BlendSolverTest, TwoDotsInterpolateAlongTheirLineWithoutClamping)
{
    const Dots dots{{10, 20}, {70, 100}};
    auto value = [](const HxBlendDot& d) {
        return d.x < 50 ? 1.0 : 3.0;
    };
    bool collinear = false;
    int size = 0;
    EXPECT_NEAR(blendAt(dots, 40, 60, value, &collinear, &size), 2.0, 1e-9);
    EXPECT_TRUE(collinear);
    EXPECT_EQ(size, 4);
    EXPECT_NEAR(blendAt(dots, 130, 180, value), 5.0, 1e-9);
    EXPECT_NEAR(blendAt(dots, -20, -20, value), 0.0, 1e-9);
    // (70, 100) + 45 * (-4, 3) lies on the perpendicular through the second dot.
    EXPECT_NEAR(blendAt(dots, -110, 235, value), 3.0, 1e-9);
}

TEST(BlendSolverTest, LayoutTestUsesTheFirstDotAndTheToleranceAngle)
{
    auto zero = [](const HxBlendDot&) {
        return 0.0;
    };
    bool collinear = false;
    int size = 0;
    blendAt({{0, 0}, {100, 0}, polar(25.0f, 100)}, 0, 0, zero, &collinear, &size);
    EXPECT_TRUE(collinear);
    EXPECT_EQ(size, 5);
    blendAt({{0, 0}, {100, 0}, polar(205.0f, 100)}, 0, 0, zero, &collinear);
    EXPECT_TRUE(collinear) << "behind the first dot counts as on the line";
    blendAt({{0, 0}, {100, 0}, polar(206.0f, 100)}, 0, 0, zero, &collinear);
    EXPECT_FALSE(collinear) << "26 degrees off on the far side";
    blendAt({{0, 0}, {100, 0}, polar(26.0f, 100)}, 0, 0, zero, &collinear, &size);
    EXPECT_FALSE(collinear);
    EXPECT_EQ(size, 6);

    blendAt({{0, 0}, {100, 0}, {300, 100}}, 0, 0, zero, &collinear);
    EXPECT_TRUE(collinear);
    blendAt({{100, 0}, {0, 0}, {300, 100}}, 0, 0, zero, &collinear);
    EXPECT_FALSE(collinear);
}

TEST(BlendSolverTest, ReproducesDotValuesConstantsAndLinearRampsIn2D)
{
    const Dots dots{{0, 0}, {200, 10}, {40, 150}, {180, 170}, {90, 60}};
    const double held[] = {3.5, -1.25, 8.0, 0.5, 2.0};
    for (std::size_t i = 0; i < dots.size(); ++i) {
        auto value = [&](const HxBlendDot& d) {
            for (std::size_t j = 0; j < dots.size(); ++j)
                if (d.x == dots[j].x && d.y == dots[j].y)
                    return held[j];
            return 0.0;
        };
        EXPECT_NEAR(blendAt(dots, dots[i].x, dots[i].y, value), held[i], 1e-9);
    }
    auto constant = [](const HxBlendDot&) {
        return 4.25;
    };
    auto ramp = [](const HxBlendDot& d) {
        return 2.0 - 0.5 * d.x + 0.25 * d.y;
    };
    for (const HxBlendDot& c : Dots{{33, 77}, {-400, 25}, {900, -300}, {120.5f, 13.25f}}) {
        EXPECT_NEAR(blendAt(dots, c.x, c.y, constant), 4.25, 1e-9);
        EXPECT_NEAR(blendAt(dots, c.x, c.y, ramp), ramp(c), 1e-9);
    }
}

TEST(BlendSolverTest, WeightsAgreeWithThePerChannelSolveOnRandomLayouts)
{
    QRandomGenerator random(20240601);
    int checked = 0;
    for (int layout = 0; layout < 60; ++layout) {
        const int n = 2 + int(random.bounded(40));
        Dots dots;
        // Dots at least 8 units apart keep the systems well conditioned.
        while (int(dots.size()) < n) {
            HxBlendDot d{float(random.bounded(600)), float(random.bounded(600))};
            bool clear = true;
            for (const HxBlendDot& o : dots)
                clear = clear && std::hypot(o.x - d.x, o.y - d.y) >= 8.0;
            if (clear)
                dots.push_back(d);
        }
        const float cx = float(random.bounded(800)) - 100.0f;
        const float cy = float(random.bounded(800)) - 100.0f + 0.5f;
        HxKinetorMatrix a;
        bool collinear = false;
        double tc = 0.0;
        buildBlendSystem(dots, cx, cy, a, collinear, tc);
        std::vector<double> weights;
        ASSERT_TRUE(computeBlendWeights(a, dots, cx, cy, collinear, tc, weights));
        for (int channel = 0; channel < 5; ++channel) {
            HxKinetorMatrix b(a.rows(), 1);
            double fast = 0.0;
            double scale = 0.0;
            for (int i = 0; i < n; ++i) {
                const double v = random.generateDouble() * 200.0 - 100.0;
                b(i + 1, 1) = v;
                fast += weights[std::size_t(i)] * v;
                scale = std::max(scale, std::fabs(v));
            }
            HxKinetorMatrix x(a.rows(), 1);
            const double reference = evaluateBlend(a, b, x, dots, cx, cy, collinear, tc);
            EXPECT_NEAR(fast, reference, 1e-9 * std::max(std::fabs(reference), scale));
            ++checked;
        }
    }
    EXPECT_EQ(checked, 300);
}

TEST(BlendSolverTest, DistancesUseTruncatedCoordinatesThatNeverOverflow)
{
    EXPECT_EQ(hxTruncateCoordinate(-3.7f), -3);
    EXPECT_EQ(hxTruncateCoordinate(12.9f), 12);
    EXPECT_EQ(hxTruncateCoordinate(1e20f), INT_MAX);
    EXPECT_EQ(hxTruncateCoordinate(-1e20f), INT_MIN);
    EXPECT_EQ(hxTruncateCoordinate(std::nanf("")), 0);
    EXPECT_DOUBLE_EQ(hxBlendDistance(0.9f, 0.9f, 3.5f, -4.2f), 5.0);
    EXPECT_TRUE(std::isfinite(hxBlendDistance(-1e30f, 0, 1e30f, 0)));
}

} // namespace

#include "layer/hxkinetorblend.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <cmath>
#include <functional>

namespace {

using Dots = std::vector<HxBlendDot>;
struct Blend
{
    double value = 0.0;
    bool collinear = false;
    int size = 0;
};

// The reference value at the cursor of a channel given as a function of the dot.
Blend blendAt(const Dots& dots, float cx, float cy, const std::function<double(const HxBlendDot&)>& channel)
{
    Blend r;
    HxKinetorMatrix a;
    double tc = 0.0;
    buildBlendSystem(dots, cx, cy, a, r.collinear, tc);
    HxKinetorMatrix b(a.rows(), 1);
    HxKinetorMatrix x(a.rows(), 1);
    for (std::size_t i = 0; i < dots.size(); ++i)
        b(int(i) + 1, 1) = channel(dots[i]);
    r.size = a.rows();
    r.value = evaluateBlend(a, b, x, dots, cx, cy, r.collinear, tc);
    return r;
}

TEST(BlendSolverTest, TwoDotsInterpolateAlongTheirLineWithoutClamping)
{
    const Dots dots{{10, 20}, {70, 100}};
    // (cursor, expected); (-110, 235) is on the perpendicular through the second dot.
    for (auto [x, y, expected] :
         {std::tuple{40.0f, 60.0f, 2.0}, {130, 180, 5.0}, {-20, -20, 0.0}, {-110, 235, 3.0}}) {
        const Blend blend = blendAt(dots, x, y, [](const HxBlendDot& d) { return d.x < 50 ? 1.0 : 3.0; });
        EXPECT_NEAR(blend.value, expected, 1e-9) << x << ", " << y;
        EXPECT_TRUE(blend.collinear);
        EXPECT_EQ(blend.size, 4);
    }
}

TEST(BlendSolverTest, LayoutTestUsesTheFirstDotAndTheToleranceAngle)
{
    auto polar = [](double degrees) {
        return HxBlendDot{float(100 * std::cos(degrees * M_PI / 180)),
                          float(100 * std::sin(degrees * M_PI / 180))};
    };
    // Within 25.84 degrees of the line through the first two dots, seen from the first, is one-dimensional.
    const std::tuple<Dots, bool, int> cases[] = {
        {{{0, 0}, {100, 0}, polar(25)}, true, 5},  {{{0, 0}, {100, 0}, polar(26)}, false, 6},
        {{{0, 0}, {100, 0}, polar(205)}, true, 5}, {{{0, 0}, {100, 0}, polar(206)}, false, 6},
        {{{0, 0}, {100, 0}, {300, 100}}, true, 5}, {{{100, 0}, {0, 0}, {300, 100}}, false, 6}};
    for (const auto& [dots, collinear, size] : cases) {
        const Blend blend = blendAt(dots, 0, 0, [](const HxBlendDot&) { return 0.0; });
        EXPECT_EQ(blend.collinear, collinear) << dots[2].x << ", " << dots[2].y;
        EXPECT_EQ(blend.size, size);
    }
}

TEST(BlendSolverTest, ReproducesDotValuesConstantsAndLinearRampsIn2D)
{
    const Dots dots{{0, 0}, {200, 10}, {40, 150}, {180, 170}, {90, 60}};
    const double held[] = {3.5, -1.25, 8.0, 0.5, 2.0};
    for (std::size_t i = 0; i < dots.size(); ++i)
        EXPECT_NEAR(
            blendAt(dots, dots[i].x, dots[i].y, [&](const HxBlendDot& d) { return held[&d - dots.data()]; })
                .value,
            held[i], 1e-9);
    for (const HxBlendDot& c : Dots{{33, 77}, {-400, 25}, {900, -300}, {120.5f, 13.25f}}) {
        EXPECT_NEAR(blendAt(dots, c.x, c.y, [](const HxBlendDot&) { return 4.25; }).value, 4.25, 1e-9);
        EXPECT_NEAR(
            blendAt(dots, c.x, c.y, [](const HxBlendDot& d) { return 2.0 - 0.5 * d.x + 0.25 * d.y; }).value,
            2.0 - 0.5 * c.x + 0.25 * c.y, 1e-9);
    }
}

TEST(BlendSolverTest, WeightsAgreeWithThePerChannelSolveOnRandomLayouts)
{
    QRandomGenerator random(20240601);
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
        const float cy = float(random.bounded(800)) - 99.5f;
        HxKinetorMatrix a;
        bool collinear = false;
        double tc = 0.0;
        buildBlendSystem(dots, cx, cy, a, collinear, tc);
        std::vector<double> weights;
        ASSERT_TRUE(computeBlendWeights(a, dots, cx, cy, collinear, tc, weights));
        for (int channel = 0; channel < 5; ++channel) {
            HxKinetorMatrix b(a.rows(), 1);
            HxKinetorMatrix x(a.rows(), 1);
            double fast = 0.0;
            double scale = 0.0;
            for (int i = 0; i < n; ++i) {
                b(i + 1, 1) = random.generateDouble() * 200.0 - 100.0;
                fast += weights[std::size_t(i)] * b(i + 1, 1);
                scale = std::max(scale, std::fabs(b(i + 1, 1)));
            }
            const double reference = evaluateBlend(a, b, x, dots, cx, cy, collinear, tc);
            EXPECT_NEAR(fast, reference, 1e-9 * std::max(std::fabs(reference), scale));
        }
    }
}

} // namespace

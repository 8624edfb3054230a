#include "hxlayertest.h"

#include <QRandomGenerator>
#include <cmath>
#include <limits>

namespace {

class HxBlendWeightsTest : public HxLayerTest
{
protected:
    // What the blend sets on the smile channel with the cursor there.
    float blendedSmile(float x, float y)
    {
        m_pane->setMode(HxKinetorPane::PreviewMode);
        m_layer->getCursor()->setPosition(x, y);
        m_layer->applyBlend();
        return m_smile->getValue();
    }
    std::vector<double> weightsAt(float x, float y, bool expected = true) const
    {
        std::vector<double> weights;
        EXPECT_EQ(m_layer->blendWeightsAt(x, y, weights), expected) << x << ", " << y;
        EXPECT_EQ(weights.size(), std::size_t(m_layer->getNumPoses()));
        return weights;
    }
};

// The weights are the blend's: applied to the dots' values they give what the
// blend sets on the figure, solved one channel at a time; they sum to 1 at any
// cursor, inside the dots or far outside them, in two dimensions and on a line.
TEST_F(HxBlendWeightsTest, TheWeightsAreTheBlendsAndSumToOneAnywhere)
{
    QRandomGenerator random(11);
    std::vector<float> smiles;
    for (QPoint at : {QPoint(0, 0), QPoint(100, 10), QPoint(40, 90), QPoint(-30, 60), QPoint(130, 120)}) {
        smiles.push_back(float(random.generateDouble()));
        addDot(at.x(), at.y(), float(at.x()) / 10.0f, 0.0f, smiles.back());
    }
    m_layer->setBlendSolve(HxKinetorLayer::BlendSolve::PerChannel);
    const auto check = [&]() {
        for (int i = 0; i < 40; ++i) {
            const float x = float(random.generateDouble() * 600.0 - 250.0);
            const float y = float(random.generateDouble() * 600.0 - 250.0);
            const std::vector<double> weights = weightsAt(x, y);
            double sum = 0.0;
            double smile = 0.0;
            for (std::size_t k = 0; k < weights.size(); ++k) {
                sum += weights[k];
                smile += weights[k] * smiles[k];
            }
            EXPECT_NEAR(sum, 1.0, 1e-9) << x << ", " << y;
            EXPECT_NEAR(blendedSmile(x, y), float(smile), 2e-5f * std::max(1.0, std::fabs(smile)));
        }
    };
    check();

    // On a line the blend is one-dimensional.
    m_layer->clearPoses();
    smiles.clear();
    for (int d = 0; d < 3; ++d) {
        smiles.push_back(float(d * d) * 0.25f);
        addDot(50 * d, 20 * d, 0.0f, 0.0f, smiles.back());
    }
    check();
}

TEST_F(HxBlendWeightsTest, DotsSharingACellWeighNothingAndTooFewDotsCannotBlend)
{
    std::vector<double> none = weightsAt(10.0f, 10.0f, false);
    EXPECT_TRUE(none.empty());
    addDot(0, 0, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(weightsAt(10.0f, 10.0f, false), std::vector<double>({0.0}));
    HxKinetorPose* shared = new HxKinetorPose(0.6f, 0.9f, m_figure, true);
    m_layer->addPose(shared, false);
    EXPECT_EQ(weightsAt(10.0f, 10.0f, false), std::vector<double>({0.0, 0.0})) << "one cell is one dot";

    addDot(100, 0, 1.0f, 0.0f, 1.0f);
    addDot(0, 100, 2.0f, 0.0f, 0.5f);
    const std::vector<double> withShared = weightsAt(30.0f, 40.0f);
    EXPECT_EQ(withShared[1], 0.0);
    m_layer->removePose(shared);
    const std::vector<double> without = weightsAt(30.0f, 40.0f);
    EXPECT_EQ(std::vector<double>({withShared[0], withShared[2], withShared[3]}), without);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    weightsAt(nan, 0.0f, false);
    weightsAt(0.0f, inf, false);
}

} // namespace

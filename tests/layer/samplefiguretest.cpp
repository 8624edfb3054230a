#include "hxapptest.h"
#include "hxfakeclock.h"

#include "layer/hxkinetorlayer.h"
#include "layer/hxpointcontrol.h"
#include "model/hxposecollection.h"
#include "ui/hxkinetorpane.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfigurereader.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxundostack.h"

#include <QRandomGenerator>
#include <QUndoStack>

namespace {

// Recording on the shipped figure: bones in every rotation order, a fitted
// jacket whose bones follow the figure's, and properties of every kind.
class SampleFigureTest : public HxAppTest
{
protected:
    void SetUp() override
    {
        HxAppTest::SetUp();
        QString error;
        m_figure = HxFigureReader::addToScene(sourcePath(QStringLiteral("samples/figures/mannequin.json")),
                                              nullptr, &error);
        ASSERT_NE(m_figure, nullptr) << error.toStdString();
        collectPoseNodes(m_nodes, m_figure);
        m_layer = std::make_unique<HxKinetorLayer>(&m_pane, nullptr, QStringLiteral("Layer 1"), "Layer");
        m_layer->setNode(m_figure);
        auto clock = std::make_unique<HxFakeClock>();
        m_clock = clock.get();
        m_layer->setClock(std::move(clock));
    }
    void TearDown() override
    {
        delete m_layer->getView();
        m_layer.reset();
        HxAppTest::TearDown();
    }
    // Every rotate control of every pose node turned at random (within 40
    // degrees, away from gimbal lock), then captured as a dot.
    std::vector<float> addRandomDot(int x, int y, QRandomGenerator& random)
    {
        std::vector<float> angles;
        for (HxNode* node : std::as_const(m_nodes))
            for (HxFloatProperty* control :
                 {node->getXRotControl(), node->getYRotControl(), node->getZRotControl()}) {
                angles.push_back(float(random.bounded(80.0) - 40.0));
                control->setValue(angles.back());
            }
        m_layer->addPose(x, y);
        return angles;
    }

    HxSkeleton* m_figure = nullptr;
    QList<HxNode*> m_nodes;
    HxKinetorPane m_pane;
    std::unique_ptr<HxKinetorLayer> m_layer;
    HxFakeClock* m_clock = nullptr;
};

TEST_F(SampleFigureTest, RecordingReproducesEachDotAndUndoesAsOneStep)
{
    QRandomGenerator random(11);
    std::vector<std::vector<float>> dots;
    dots.push_back(addRandomDot(0, 0, random));
    dots.push_back(addRandomDot(200, 0, random));
    dots.push_back(addRandomDot(0, 200, random));
    ASSERT_EQ(m_nodes.size(), 24) << "23 bones that follow none, then the figure";
    m_pane.setMode(HxKinetorPane::RecordMode);

    m_layer->getClock()->start();
    m_layer->setCurrentTime(0);
    m_layer->setRecordTime(0);
    m_layer->beginEdit();
    const std::pair<float, float> path[] = {{0, 0}, {200, 0}, {0, 200}};
    for (const auto& [x, y] : path) {
        m_layer->getCursor()->setPosition(x, y);
        m_clock->advance(100);
        m_layer->timerUpdate();
    }
    m_layer->finishEdit(QStringLiteral("Kinetoring"));

    // On a dot, each bone takes that dot's angles back, whatever its order.
    for (int d = 0; d < 3; ++d) {
        const int time = 480 * (d + 1);
        std::size_t a = 0;
        for (HxNode* node : std::as_const(m_nodes)) {
            for (HxFloatProperty* c :
                 {node->getXRotControl(), node->getYRotControl(), node->getZRotControl()}) {
                EXPECT_NEAR(c->getValue(time), dots[std::size_t(d)][a++], 2e-3)
                    << node->objectName().toStdString() << " at " << time;
                EXPECT_TRUE(c->hasKeyAt(time));
                EXPECT_FALSE(c->hasKeyAt(time - 160));
            }
        }
    }
    const HxNode* jacket = m_figure->findBone(QStringLiteral("jacketChest"));
    ASSERT_NE(jacket, nullptr);
    EXPECT_EQ(jacket->getXRotControl()->getNumKeys(), 0);
    // A varied node is keyed whole: its position too, at the value all dots share.
    const HxFloatProperty* hipX = m_figure->findBone(QStringLiteral("hip"))->getXPosControl();
    EXPECT_EQ(hipX->getNumKeys(), 3);
    EXPECT_NEAR(hipX->getValue(960), hipX->getStaticValue(), 1e-4);

    ASSERT_EQ(hxUndoStack->undoStack()->count(), 1);
    hxUndoStack->undo();
    for (HxNode* node : std::as_const(m_nodes))
        for (int c = 0; c < HxNode::NumTransformControls; ++c)
            EXPECT_EQ(node->getTransformControl(c)->getNumKeys(), 0);
    EXPECT_TRUE(m_layer->getCursor()->keys().isEmpty());
}

} // namespace

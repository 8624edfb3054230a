#include "model/hxkinetorpose.h"
#include "model/hxkinetornodedata.h"
#include "model/hxposecollection.h"

#include "hxapptest.h"
#include "modeltestsupport.h"

#include "hxcore/hxfigurereader.h"

#include <QSignalSpy>
#include <numbers>
#include <ostream>
#include <random>

void PrintTo(HxRotationOrder order, std::ostream* out)
{
    *out << hxRotationOrderName(order).toStdString();
}

namespace {

// Degrees after a trip through float radians and back.
constexpr float kAngleTolerance = 2e-4f;
constexpr double kRadToDeg = 180.0 / std::numbers::pi;

using Controls = std::array<float, HxNode::NumTransformControls>;

Controls controlsOf(const HxNode* node)
{
    Controls result;
    for (int i = 0; i < HxNode::NumTransformControls; ++i)
        result[std::size_t(i)] = node->getTransformControl(i)->getValue();
    return result;
}

// Angles stay inside the ranges the host's Euler decomposition answers with
// and away from gimbal lock, so the same angles must come back.
void randomize(HxNode* node, std::mt19937& rng)
{
    std::uniform_real_distribution<float> position(-50.0f, 50.0f), scale(0.2f, 3.0f), outer(-179.0f, 179.0f),
        middle(-85.0f, 85.0f), amount(0.0f, 1.0f);
    int first = 0, second = 0, third = 0;
    hxRotationOrderAxes(node->getRotationOrder(), first, second, third);
    for (int axis = 0; axis < 3; ++axis) {
        node->getTransformControl(axis)->setValue(position(rng));
        node->getTransformControl(3 + axis)->setValue(axis == second ? middle(rng) : outer(rng));
        node->getTransformControl(6 + axis)->setValue(scale(rng));
    }
    node->getScaleControl()->setValue(scale(rng));
    QList<HxFloatProperty*> properties;
    collectAnimatableProperties(properties, node);
    for (HxFloatProperty* property : std::as_const(properties))
        property->setValue(amount(rng));
}

} // namespace

class HxKinetorPoseTest : public HxAppTest
{
protected:
    void SetUp() override
    {
        HxAppTest::SetUp();
        m_figure = addFigure(QStringLiteral("Figure"), {"Hip", "Chest", "Glove", "Head"});
        m_hip = m_figure->findBone(QStringLiteral("Hip"));
        m_chest = m_figure->findBone(QStringLiteral("Chest"));
        m_head = m_figure->findBone(QStringLiteral("Head"));
        m_figure->findBone(QStringLiteral("Glove"))->setFollowBone(m_chest);
        m_smile = addMorph(m_head, QStringLiteral("Smile"), QStringLiteral("Smile"))->getValueChannel();
        m_bulk = addOwnProperty(m_figure, QStringLiteral("Bulk"), QStringLiteral("Bulk"));
    }

    HxSkeleton* m_figure = nullptr;
    HxBone* m_hip = nullptr;
    HxBone* m_chest = nullptr;
    HxBone* m_head = nullptr;
    HxFloatProperty* m_smile = nullptr;
    HxFloatProperty* m_bulk = nullptr;
};

class HxKinetorPoseRoundTripTest : public HxAppTest, public ::testing::WithParamInterface<HxRotationOrder>
{};

TEST_P(HxKinetorPoseRoundTripTest, ApplyRestoresWhatCaptureSawOnTheSampleFigure)
{
    QString error;
    HxSkeleton* figure =
        HxFigureReader::addToScene(sourcePath("samples/figures/mannequin.json"), nullptr, &error);
    ASSERT_NE(figure, nullptr) << error.toStdString();
    QList<HxNode*> nodes;
    collectPoseNodes(nodes, figure);
    ASSERT_GT(nodes.size(), 20);
    QList<HxFloatProperty*> properties;
    std::mt19937 rng(20240611u + unsigned(GetParam()));
    for (HxNode* node : std::as_const(nodes)) {
        node->setRotationOrder(GetParam());
        randomize(node, rng);
        collectAnimatableProperties(properties, node);
    }
    ASSERT_GT(properties.size(), 5);
    std::vector<Controls> controls;
    std::vector<float> values;
    for (HxNode* node : std::as_const(nodes))
        controls.push_back(controlsOf(node));
    for (HxFloatProperty* property : std::as_const(properties))
        values.push_back(property->getValue());

    HxKinetorPose pose(0.0f, 0.0f, figure, true);
    ASSERT_EQ(pose.getNodeData().size(), std::size_t(nodes.size()));
    EXPECT_EQ(pose.findNodeData(figure->objectName()), pose.getNodeData().back().get());
    for (HxNode* node : std::as_const(nodes))
        randomize(node, rng);

    QSignalSpy redraws(hxScene, &HxScene::updateRequested);
    pose.applyToNode();
    EXPECT_EQ(redraws.count(), 1);
    for (qsizetype n = 0; n < nodes.size(); ++n) {
        const Controls now = controlsOf(nodes[n]);
        for (std::size_t i = 0; i < now.size(); ++i) {
            const float tolerance = i >= 3 && i < 6 ? kAngleTolerance : 0.0f;
            EXPECT_NEAR(now[i], controls[std::size_t(n)][i], tolerance)
                << nodes[n]->objectName().toStdString() << " control " << i;
        }
    }
    for (qsizetype p = 0; p < properties.size(); ++p)
        EXPECT_EQ(properties[p]->getValue(), values[std::size_t(p)])
            << properties[p]->objectName().toStdString();

    // A quarter turn about X is stored as the host's quaternion of it.
    HxNode* hip = nodes.first();
    for (int i = 3; i < 6; ++i)
        hip->getTransformControl(i)->setValue(i == 3 ? 90.0f : 0.0f);
    pose.captureFromNode();
    EXPECT_EQ(pose.getNodeDataAt(0)->getRot(),
              HxQuat(GetParam(), HxVec3(float(std::numbers::pi / 2), 0.0f, 0.0f)));
    hip->getXRotControl()->setValue(-30.0f);
    pose.applyToNode();
    EXPECT_NEAR(hip->getXRotControl()->getValue(), 90.0f, kAngleTolerance);
}

INSTANTIATE_TEST_SUITE_P(AllOrders, HxKinetorPoseRoundTripTest,
                         ::testing::Values(HxRotationOrder::XYZ, HxRotationOrder::XZY, HxRotationOrder::YXZ,
                                           HxRotationOrder::YZX, HxRotationOrder::ZXY, HxRotationOrder::ZYX),
                         [](const auto& info) { return hxRotationOrderName(info.param).toStdString(); });

TEST_F(HxKinetorPoseTest, ConstructionAndCaptureGiveOneRecordPerPoseNodeFigureLast)
{
    HxKinetorPose blank(12.5f, -3.0f, m_figure, false);
    EXPECT_EQ(blank.getX(), 12.5f);
    EXPECT_EQ(blank.getY(), -3.0f);
    EXPECT_TRUE(blank.isBackwardCompatible());
    ASSERT_EQ(blank.getNodeData().size(), 4u);
    for (const auto& record : blank.getNodeData())
        EXPECT_TRUE(record && record->getPropValues().isEmpty() && record->getScale() == HxVec3(1, 1, 1));

    m_figure->getXPosControl()->setValue(7.0f);
    m_head->getYScaleControl()->setValue(0.75f);
    m_smile->setValue(0.3f);
    m_bulk->setValue(-0.2f);
    HxKinetorPose pose(0.0f, 0.0f, m_figure, true);
    EXPECT_TRUE(pose.isBackwardCompatible());
    ASSERT_EQ(pose.getNodeData().size(), 4u);
    EXPECT_EQ(pose.getNodeDataAt(3)->getPos(), HxVec3(7.0f, 0.0f, 0.0f));
    EXPECT_EQ(pose.getNodeDataAt(3)->getPropValues(),
              (HxKinetorNodeData::PropertyValues{{m_bulk, double(-0.2f)}}));
    EXPECT_EQ(pose.getNodeDataAt(2)->getScale(), HxVec3(1.0f, 0.75f, 1.0f));
    EXPECT_EQ(pose.getNodeDataAt(2)->getPropValues(),
              (HxKinetorNodeData::PropertyValues{{m_smile, double(0.3f)}}));
    EXPECT_TRUE(pose.getNodeDataAt(0)->getPropValues().isEmpty());

    // Without a node nothing is recorded, found or applied.
    HxKinetorPose orphan(1.0f, 2.0f, nullptr, true);
    orphan.applyToNode();
    orphan.applyBackwardCompatible();
    orphan.setNodeData(QStringLiteral("Hip"), HxVec3(), HxVec3(), 1.0, HxQuat());
    EXPECT_TRUE(orphan.getNodeData().empty());
    EXPECT_EQ(orphan.findNodeData(QStringLiteral("Hip"), true), nullptr);
}

TEST_F(HxKinetorPoseTest, ApplyLeavesWhatThePoseDoesNotRecord)
{
    // A plain node has no animatable properties: its record holds only the
    // transform, and a property that appears later keeps its own value.
    auto* lamp = new HxNode(QStringLiteral("Lamp"));
    hxScene->addNode(lamp);
    lamp->getYPosControl()->setValue(2.0f);
    HxKinetorPose pose(0.0f, 0.0f, lamp, true);
    ASSERT_EQ(pose.getNodeData().size(), 1u);
    EXPECT_TRUE(pose.getNodeDataAt(0)->getPropValues().isEmpty());
    HxFloatProperty* glow = addOwnProperty(lamp, QStringLiteral("Glow"), QStringLiteral("Glow"), 0.8f);
    lamp->getYPosControl()->setValue(5.0f);
    pose.applyToNode();
    EXPECT_EQ(lamp->getYPosControl()->getValue(), 2.0f);
    EXPECT_EQ(glow->getValue(), 0.8f);

    // A bone added after capture takes the figure's record; the figure, now
    // without one, is skipped.
    HxKinetorPose figurePose(0.0f, 0.0f, m_figure, true);
    m_figure->addBone(new HxBone(QStringLiteral("Tail")));
    m_figure->getXPosControl()->setValue(9.0f);
    figurePose.applyToNode();
    EXPECT_EQ(m_figure->getXPosControl()->getValue(), 9.0f);
    EXPECT_EQ(figurePose.findNodeData(QStringLiteral("Figure")), nullptr);
}

TEST_F(HxKinetorPoseTest, FindAndSetNodeDataByName)
{
    HxKinetorPose pose(0.0f, 0.0f, m_figure, false);
    EXPECT_EQ(pose.findNodeData(QStringLiteral("Chest")), pose.getNodeDataAt(1));
    EXPECT_EQ(pose.findNodeData(QStringLiteral("Chest"), true), pose.getNodeDataAt(1));
    EXPECT_EQ(pose.findNodeData(QStringLiteral("Mannequin")), nullptr);
    EXPECT_EQ(pose.findNodeData(QStringLiteral("chest")), nullptr);
    // A following bone is no pose node.
    EXPECT_EQ(pose.findNodeData(QStringLiteral("Glove")), nullptr);
    HxKinetorNodeData* found = nullptr;
    ASSERT_TRUE(QMetaObject::invokeMethod(&pose, "findNodeData", Q_RETURN_ARG(HxKinetorNodeData*, found),
                                          Q_ARG(QString, QStringLiteral("Mannequin")), Q_ARG(bool, true)));
    EXPECT_EQ(found, pose.getNodeDataAt(3));

    std::vector<const HxKinetorNodeData*> before;
    for (const auto& record : pose.getNodeData())
        before.push_back(record.get());
    const HxQuat rot(0.1, 0.2, 0.3, 0.4);
    for (const char* name : {"Nobody", "Glove"})
        pose.setNodeData(QString::fromLatin1(name), HxVec3(1, 2, 3), HxVec3(4, 5, 6), 7.0, rot);
    for (std::size_t i = 0; i < before.size(); ++i)
        EXPECT_TRUE(pose.getNodeData()[i].get() == before[i] && before[i]->getPos() == HxVec3()) << i;

    ASSERT_TRUE(QMetaObject::invokeMethod(&pose, "setNodeData", Q_ARG(QString, QStringLiteral("Head")),
                                          Q_ARG(HxVec3, HxVec3(1, 2, 3)), Q_ARG(HxVec3, HxVec3(4, 5, 6)),
                                          Q_ARG(double, 7.0), Q_ARG(HxQuat, rot)));
    const HxKinetorNodeData* head = pose.getNodeDataAt(2);
    EXPECT_NE(head, before[2]);
    EXPECT_EQ(head->getPos(), HxVec3(1, 2, 3));
    EXPECT_EQ(head->getScale(), HxVec3(4, 5, 6));
    EXPECT_EQ(head->getGenScale(), 7.0);
    EXPECT_EQ(head->getRot(), rot);
    EXPECT_EQ(pose.getNodeDataAt(1), before[1]);

    EXPECT_STREQ(pose.metaObject()->className(), "HxKinetorPose");
    EXPECT_EQ(ownMethodSignatures(pose.metaObject()),
              (QStringList{"setNodeData(QString,HxVec3,HxVec3,double,HxQuat)", "findNodeData(QString)",
                           "findNodeData(QString,bool)"}));
}

TEST_F(HxKinetorPoseTest, BackwardCompatibleApplySetsPropertiesFirstAndRewritesRecords)
{
    m_hip->setRotationOrder(HxRotationOrder::ZXY);
    HxKinetorPose pose(0.0f, 0.0f, m_figure, false);
    // The older form may hold either sign of the quaternion; the rewrite
    // keeps the rotation but stores what the controls now say.
    const HxQuat turn(HxRotationOrder::ZXY, HxVec3(0.4f, -0.3f, 1.2f));
    const HxQuat negated(-turn.x(), -turn.y(), -turn.z(), -turn.w());
    pose.setNodeData(QStringLiteral("Hip"), HxVec3(1, 2, 3), HxVec3(2, 2, 2), 0.5, negated);
    pose.getNodeDataAt(2)->addPropVal(m_head, QStringLiteral("Smile"), 0.75);

    QStringList changes;
    for (HxNode* node : QList<HxNode*>{m_hip, m_chest, m_head, m_figure})
        for (int i = 0; i < node->getNumProperties(); ++i)
            QObject::connect(node->getProperty(i), &HxProperty::valueChanged,
                             [&changes] { changes.append("control"); });
    QObject::connect(m_smile, &HxProperty::valueChanged, [&changes] { changes.append("Smile"); });

    // A pose of the current form is left as read.
    pose.setBackwardCompatible(false);
    pose.postLoadFile();
    EXPECT_TRUE(changes.isEmpty());
    pose.setBackwardCompatible(true);
    pose.postLoadFile();
    ASSERT_FALSE(changes.isEmpty());
    EXPECT_EQ(changes.first(), QStringLiteral("Smile"));
    EXPECT_EQ(changes.count(QStringLiteral("Smile")), 1);

    EXPECT_EQ(m_smile->getValue(), 0.75f);
    EXPECT_EQ(controlsOf(m_hip)[0], 1.0f);
    EXPECT_EQ(controlsOf(m_hip)[2], 3.0f);
    EXPECT_EQ(controlsOf(m_hip)[7], 2.0f);
    EXPECT_EQ(controlsOf(m_hip)[9], 0.5f);
    EXPECT_NEAR(controlsOf(m_hip)[3], 0.4 * kRadToDeg, kAngleTolerance);
    EXPECT_NEAR(controlsOf(m_hip)[4], -0.3 * kRadToDeg, kAngleTolerance);
    EXPECT_NEAR(controlsOf(m_hip)[5], 1.2 * kRadToDeg, kAngleTolerance);
    const HxKinetorNodeData* hip = pose.getNodeDataAt(0);
    EXPECT_EQ(hip->getPos(), HxVec3(1, 2, 3));
    EXPECT_TRUE(hip->getRot().equals(turn, 1e-6f)) << hip->getRot().toString().toStdString();
}

#include "model/hxkinetorpose.h"
#include "model/hxkinetornodedata.h"
#include "model/hxposecollection.h"

#include "modeltestsupport.h"

#include "hxcore/hxfigurereader.h"

#include <numbers>
#include <random>

namespace {

constexpr float kAngleTolerance = 2e-4f; // degrees after a trip through float radians

// The transform controls of the nodes in order, then the properties.
std::vector<float> valuesOf(const QList<HxNode*>& nodes, const QList<HxFloatProperty*>& properties = {})
{
    std::vector<float> values;
    for (HxNode* node : nodes)
        for (int i = 0; i < HxNode::NumTransformControls; ++i)
            values.push_back(node->getTransformControl(i)->getValue());
    for (HxFloatProperty* property : properties)
        values.push_back(property->getValue());
    return values;
}

// Angles inside the ranges the host's Euler decomposition answers with, away from gimbal lock.
void randomize(HxNode* node, std::mt19937& rng)
{
    auto uniform = [&rng](float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(rng);
    };
    int first = 0, second = 0, third = 0;
    hxRotationOrderAxes(node->getRotationOrder(), first, second, third);
    for (int axis = 0; axis < 3; ++axis) {
        node->getTransformControl(axis)->setValue(uniform(-50, 50));
        node->getTransformControl(3 + axis)->setValue(axis == second ? uniform(-85, 85) : uniform(-179, 179));
        node->getTransformControl(6 + axis)->setValue(uniform(0.2f, 3));
    }
    node->getScaleControl()->setValue(uniform(0.2f, 3));
    QList<HxFloatProperty*> properties;
    collectAnimatableProperties(properties, node);
    for (HxFloatProperty* property : std::as_const(properties))
        property->setValue(uniform(0, 1));
}

// Bones Hip > Chest > Glove (following Chest) > Head with the morph Smile, and the own property Bulk.
class HxKinetorPoseTest : public HxAppTest
{
protected:
    void SetUp() override
    {
        HxAppTest::SetUp();
        m_figure = addFigure(QStringLiteral("Figure"), {"Hip", "Chest", "Glove", "Head"});
        m_hip = m_figure->findBone(QStringLiteral("Hip"));
        m_head = m_figure->findBone(QStringLiteral("Head"));
        m_figure->findBone(QStringLiteral("Glove"))
            ->setFollowBone(m_figure->findBone(QStringLiteral("Chest")));
        m_smile = addMorph(m_head, QStringLiteral("Smile"), QStringLiteral("Smile"));
        m_bulk = addOwnProperty(m_figure, QStringLiteral("Bulk"), QStringLiteral("Bulk"));
    }

    HxSkeleton* m_figure = nullptr;
    HxBone* m_hip = nullptr;
    HxBone* m_head = nullptr;
    HxFloatProperty* m_smile = nullptr;
    HxFloatProperty* m_bulk = nullptr;
};

TEST_F(HxKinetorPoseTest, ApplyRestoresWhatCaptureSawOnTheSampleFigureInEveryRotationOrder)
{
    QString error;
    HxSkeleton* figure =
        HxFigureReader::addToScene(sourcePath("samples/figures/mannequin.json"), nullptr, &error);
    ASSERT_NE(figure, nullptr) << error.toStdString();
    QList<HxNode*> nodes;
    collectPoseNodes(nodes, figure);
    QList<HxFloatProperty*> properties;
    for (HxNode* node : std::as_const(nodes))
        collectAnimatableProperties(properties, node);
    ASSERT_GT(properties.size(), 5);
    std::mt19937 rng(20240611u);
    for (HxRotationOrder order : {HxRotationOrder::XYZ, HxRotationOrder::XZY, HxRotationOrder::YXZ,
                                  HxRotationOrder::YZX, HxRotationOrder::ZXY, HxRotationOrder::ZYX}) {
        for (HxNode* node : std::as_const(nodes)) {
            node->setRotationOrder(order);
            randomize(node, rng);
        }
        const std::vector<float> captured = valuesOf(nodes, properties);
        HxKinetorPose pose(0.0f, 0.0f, figure, true);
        ASSERT_EQ(pose.getNodeData().size(), std::size_t(nodes.size()));
        EXPECT_EQ(pose.findNodeData(figure->objectName()), pose.getNodeData().back().get()) << "figure last";
        for (HxNode* node : std::as_const(nodes))
            randomize(node, rng);
        pose.applyToNode();
        const std::vector<float> applied = valuesOf(nodes, properties);
        for (std::size_t i = 0; i < applied.size(); ++i) {
            const bool angle = i < std::size_t(10 * nodes.size()) && i % 10 >= 3 && i % 10 < 6;
            EXPECT_NEAR(applied[i], captured[i], angle ? kAngleTolerance : 0)
                << hxRotationOrderName(order).toStdString() << " value " << i;
        }
    }
}

TEST_F(HxKinetorPoseTest, CaptureGivesOneRecordPerPoseNodeFigureLast)
{
    m_figure->getXPosControl()->setValue(7.0f);
    m_head->getYScaleControl()->setValue(0.75f);
    m_smile->setValue(0.3f);
    m_bulk->setValue(-0.2f);
    for (bool capture : {false, true}) {
        HxKinetorPose pose(12.5f, -3.0f, m_figure, capture);
        EXPECT_TRUE(pose.isBackwardCompatible());
        ASSERT_EQ(pose.getNodeData().size(), 4u);
        EXPECT_EQ(pose.getNodeDataAt(3)->getPos(), HxVec3(capture ? 7.0f : 0.0f, 0.0f, 0.0f));
        EXPECT_EQ(pose.getNodeDataAt(2)->getScale(), HxVec3(1.0f, capture ? 0.75f : 1.0f, 1.0f));
        using Values = HxKinetorNodeData::PropertyValues;
        EXPECT_EQ(pose.getNodeDataAt(3)->getPropValues(),
                  (capture ? Values{{m_bulk, double(-0.2f)}} : Values{}));
        EXPECT_EQ(pose.getNodeDataAt(2)->getPropValues(),
                  (capture ? Values{{m_smile, double(0.3f)}} : Values{}));
        EXPECT_TRUE(pose.getNodeDataAt(0)->getPropValues().isEmpty()) << "no animatable properties";
    }
    HxKinetorPose orphan(1.0f, 2.0f, nullptr, true); // without a node nothing is recorded or applied
    orphan.applyToNode();
    EXPECT_TRUE(orphan.getNodeData().empty());
}

TEST_F(HxKinetorPoseTest, NodeDataStartsAtRestAndScriptsSetItsValuesUnchanged)
{
    HxKinetorNodeData record;
    EXPECT_EQ(std::tuple(record.getScale(), record.getGenScale(), record.getRot()),
              std::tuple(HxVec3(1, 1, 1), 1.0, HxQuat(0, 0, 0, 1)));
    EXPECT_EQ(ownMethods(record.metaObject()),
              "setPos(HxVec3) setScale(HxVec3,double) setRot(HxQuat) addPropVal(HxNode*,QString,double)");
    // A quaternion that is not unit length is kept as it is.
    record.setRot(HxQuat(1.0, 2.0, -3.0, 0.25));
    EXPECT_EQ(record.getRot(), HxQuat(1.0, 2.0, -3.0, 0.25));

    HxFloatProperty* lean = addOwnProperty(m_figure, QStringLiteral("Lean"), QStringLiteral("Lean"));
    HxFloatProperty* muscle = addMorph(m_figure, QStringLiteral("Bulk"), QStringLiteral("Muscle"));
    addOwnProperty(m_figure, QStringLiteral("Hidden"), QStringLiteral("Hidden"))->setHidden(true);
    addOwnProperty(m_figure, QStringLiteral("HipScale"), QStringLiteral("Hip Scale"));
    using Values = HxKinetorNodeData::PropertyValues;
    // The owner's name means all of its own properties; a morph and a property may share a name.
    record.addPropVal(m_figure, QStringLiteral("Figure"), 0.5);
    EXPECT_EQ(record.getPropValues(), (Values{{m_bulk, 0.5}, {lean, 0.5}}));
    record.addPropVal(m_figure, QStringLiteral("Bulk"), 1.0);
    record.addPropVal(m_figure, QStringLiteral("Bulk"), 2.0);
    EXPECT_EQ(record.getPropValues(), (Values{{m_bulk, 2.0}, {lean, 0.5}, {muscle, 2.0}}));
    // Labels, other case, uncollected properties and no node match nothing.
    for (const char* name : {"Muscle", "bulk", "Hidden", "HipScale", "XTranslate"})
        record.addPropVal(m_figure, QString::fromLatin1(name), 9.0);
    record.addPropVal(nullptr, QStringLiteral("Bulk"), 9.0);
    EXPECT_EQ(record.getPropValues(), (Values{{m_bulk, 2.0}, {lean, 0.5}, {muscle, 2.0}}));
}

TEST_F(HxKinetorPoseTest, FindAndSetNodeDataByName)
{
    HxKinetorPose pose(0.0f, 0.0f, m_figure, false);
    EXPECT_EQ(ownMethods(pose.metaObject()), "setNodeData(QString,HxVec3,HxVec3,double,HxQuat) "
                                             "findNodeData(QString) findNodeData(QString,bool)");
    EXPECT_EQ(pose.findNodeData(QStringLiteral("Chest")), pose.getNodeDataAt(1));
    EXPECT_EQ(pose.findNodeData(QStringLiteral("Chest"), true), pose.getNodeDataAt(1));
    for (const char* name : {"Mannequin", "chest", "Glove"}) // a following bone is no pose node
        EXPECT_EQ(pose.findNodeData(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(pose.findNodeData(QStringLiteral("Mannequin"), true), pose.getNodeDataAt(3));

    const HxQuat rot(0.1, 0.2, 0.3, 0.4);
    for (const char* name : {"Nobody", "Glove"})
        pose.setNodeData(QString::fromLatin1(name), HxVec3(1, 2, 3), HxVec3(4, 5, 6), 7.0, rot);
    for (const auto& record : pose.getNodeData())
        EXPECT_EQ(record->getPos(), HxVec3());
    pose.setNodeData(QStringLiteral("Head"), HxVec3(1, 2, 3), HxVec3(4, 5, 6), 7.0, rot);
    const HxKinetorNodeData* head = pose.getNodeDataAt(2);
    EXPECT_EQ(std::tuple(head->getPos(), head->getScale(), head->getGenScale(), head->getRot()),
              std::tuple(HxVec3(1, 2, 3), HxVec3(4, 5, 6), 7.0, rot));
}

TEST_F(HxKinetorPoseTest, BackwardCompatibleApplySetsPropertiesThenTransformsThenRewritesRecords)
{
    m_hip->setRotationOrder(HxRotationOrder::ZXY);
    HxKinetorPose pose(0.0f, 0.0f, m_figure, false);
    // The older form may hold either sign of the quaternion; the rewrite keeps the rotation.
    const HxQuat turn(HxRotationOrder::ZXY, HxVec3(0.4f, -0.3f, 1.2f));
    pose.setNodeData(QStringLiteral("Hip"), HxVec3(1, 2, 3), HxVec3(2, 2, 2), 0.5,
                     HxQuat(-turn.x(), -turn.y(), -turn.z(), -turn.w()));
    pose.getNodeDataAt(2)->addPropVal(m_head, QStringLiteral("Smile"), 0.75);
    QStringList changes;
    for (int i = 0; i < HxNode::NumTransformControls; ++i)
        QObject::connect(m_hip->getTransformControl(i), &HxProperty::valueChanged,
                         [&] { changes << "control"; });
    QObject::connect(m_smile, &HxProperty::valueChanged, [&] { changes << "Smile"; });

    pose.setBackwardCompatible(false);
    pose.postLoadFile(nullptr);
    EXPECT_TRUE(changes.isEmpty()) << "a pose of the current form is left as read";
    pose.setBackwardCompatible(true);
    pose.postLoadFile(nullptr);
    ASSERT_GT(changes.size(), 1);
    EXPECT_EQ(changes.first(), "Smile");
    EXPECT_EQ(changes.count("Smile"), 1);
    EXPECT_EQ(m_smile->getValue(), 0.75f);
    const std::vector<float> hip = valuesOf({m_hip});
    for (auto [i, expected] : {std::pair{0, 1.0f}, {2, 3.0f}, {7, 2.0f}, {9, 0.5f}})
        EXPECT_EQ(hip[std::size_t(i)], expected) << i;
    for (auto [i, radians] : {std::pair{3, 0.4}, {4, -0.3}, {5, 1.2}})
        EXPECT_NEAR(hip[std::size_t(i)], radians * 180 / std::numbers::pi, kAngleTolerance) << i;
    EXPECT_EQ(pose.getNodeDataAt(0)->getPos(), HxVec3(1, 2, 3));
    EXPECT_TRUE(pose.getNodeDataAt(0)->getRot().equals(turn, 1e-6f));
}

} // namespace

#include "model/hxposecollection.h"
#include "model/hxkinetornodedata.h"
#include "model/hxkinetorpose.h"

#include "hxapptest.h"
#include "modeltestsupport.h"

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

using HxPoseCollectionTest = HxAppTest;

TEST_F(HxPoseCollectionTest, PoseNodesAreNonFollowingBonesThenTheNodeItself)
{
    HxSkeleton* figure = addFigure(QStringLiteral("Figure"), {"P", "Q", "R"});
    HxBone* p = figure->findBone(QStringLiteral("P"));
    HxBone* q = figure->findBone(QStringLiteral("Q"));
    HxBone* r = figure->findBone(QStringLiteral("R"));
    q->setFollowBone(p);

    QList<HxNode*> nodes;
    collectPoseNodes(nodes, figure);
    EXPECT_EQ(nodes, (QList<HxNode*>{p, r, figure}));

    nodes.clear();
    collectPoseNodes(nodes, q);
    EXPECT_TRUE(nodes.isEmpty());
    collectPoseNodes(nodes, r);
    EXPECT_EQ(nodes, QList<HxNode*>{r});

    // Callers may gather several nodes into one list: nothing is cleared.
    auto* plain = new HxNode(QStringLiteral("Prop"));
    hxScene->addNode(plain);
    collectPoseNodes(nodes, plain);
    collectPoseNodes(nodes, nullptr);
    EXPECT_EQ(nodes, (QList<HxNode*>{r, plain}));

    HxSkeleton* empty = addFigure(QStringLiteral("Empty"), {});
    nodes.clear();
    collectPoseNodes(nodes, empty);
    EXPECT_EQ(nodes, QList<HxNode*>{empty});
}

TEST_F(HxPoseCollectionTest, MorphChannelsComeFirstWhateverTheirFlags)
{
    auto* node = new HxNode(QStringLiteral("Head"));
    hxScene->addNode(node);
    HxFloatProperty* blink = addOwnProperty(node, QStringLiteral("Blink"), QStringLiteral("Blink"));
    HxMorph* smile = addMorph(node, QStringLiteral("Smile"), QStringLiteral("Smile"));
    HxMorph* hidden = addMorph(node, QStringLiteral("Frown"), QStringLiteral("Frown"));
    hidden->getValueChannel()->setHidden(true);
    HxMorph* fixed = addMorph(node, QStringLiteral("Jaw"), QStringLiteral("Jaw"));
    fixed->getValueChannel()->setCanAnimate(false);
    HxMorph* scaled = addMorph(node, QStringLiteral("Bulk"), QStringLiteral("Scale"));
    // An item that is not a morph contributes nothing.
    node->getObject()->addItem(new HxElement);

    QList<HxFloatProperty*> properties;
    collectAnimatableProperties(properties, node);
    EXPECT_EQ(properties,
              (QList<HxFloatProperty*>{smile->getValueChannel(), hidden->getValueChannel(),
                                       fixed->getValueChannel(), scaled->getValueChannel(), blink}));
}

TEST_F(HxPoseCollectionTest, OwnPropertiesMustBePlainVisibleAnimatableAndNotScales)
{
    auto* node = new HxNode(QStringLiteral("Hip"));
    hxScene->addNode(node);
    // The ten transform controls alone give nothing: nine carry an axis and
    // the general scale is a scale.
    QList<HxFloatProperty*> properties;
    collectAnimatableProperties(properties, node);
    EXPECT_TRUE(properties.isEmpty());

    HxFloatProperty* bend = addOwnProperty(node, QStringLiteral("Bend"), QStringLiteral("Bend"));
    addOwnProperty(node, QStringLiteral("HipScale"), QStringLiteral("Hip SCALE"));
    addOwnProperty(node, QStringLiteral("Upscale"), QStringLiteral("Upscale"));
    addOwnProperty(node, QStringLiteral("Hidden"), QStringLiteral("Hidden"))->setHidden(true);
    addOwnProperty(node, QStringLiteral("Locked"), QStringLiteral("Locked"))->setCanAnimate(false);
    addOwnProperty(node, QStringLiteral("Side"), QStringLiteral("Side"))
        ->setXYZInterest(HxNumericProperty::XInterest);
    HxFloatProperty* twist = addOwnProperty(node, QStringLiteral("Twist"), QStringLiteral("Twist"));

    properties.clear();
    collectAnimatableProperties(properties, node);
    collectAnimatableProperties(properties, nullptr);
    EXPECT_EQ(properties, (QList<HxFloatProperty*>{bend, twist}));
}

class HxPrunePropertiesTest : public HxAppTest
{
protected:
    void SetUp() override
    {
        HxAppTest::SetUp();
        m_node = new HxNode(QStringLiteral("Face"));
        hxScene->addNode(m_node);
        m_a = addOwnProperty(m_node, QStringLiteral("A"), QStringLiteral("A"));
        m_b = addOwnProperty(m_node, QStringLiteral("B"), QStringLiteral("B"));
    }

    // A pose whose only record holds exactly these entries.
    HxKinetorPose* addPose(std::initializer_list<std::pair<HxFloatProperty*, double>> values)
    {
        m_owned.push_back(std::make_unique<HxKinetorPose>(0.0f, 0.0f, m_node, false));
        HxKinetorPose* pose = m_owned.back().get();
        for (const auto& [property, value] : values)
            pose->getNodeDataAt(0)->getPropValues().insert(property, value);
        m_poses.append(pose);
        return pose;
    }

    QList<HxFloatProperty*> pruned(QList<HxFloatProperty*> properties, unsigned nodeIndex = 0) const
    {
        pruneConstantProperties(properties, m_poses, nodeIndex);
        return properties;
    }

    HxNode* m_node = nullptr;
    HxFloatProperty* m_a = nullptr;
    HxFloatProperty* m_b = nullptr;
    std::vector<std::unique_ptr<HxKinetorPose>> m_owned;
    QList<HxKinetorPose*> m_poses;
};

TEST_F(HxPrunePropertiesTest, KeepsOnlyValuesThatDifferBetweenTwoPoses)
{
    EXPECT_TRUE(pruned({m_a, m_b}).isEmpty()) << "no poses, nothing can vary";

    addPose({{m_a, 0.5}, {m_b, 0.5}});
    addPose({{m_a, 0.5}, {m_b, std::nextafter(0.5, 1.0)}});
    EXPECT_EQ(pruned({m_a, m_b}), QList<HxFloatProperty*>{m_b});
    // Order is kept and every entry is judged on its own.
    EXPECT_EQ(pruned({m_b, m_a, m_b}), (QList<HxFloatProperty*>{m_b, m_b}));
}

TEST_F(HxPrunePropertiesTest, PosesWithoutAnEntryOrRecordAreSkipped)
{
    addPose({{m_a, 1.0}, {m_b, 2.0}});
    addPose({});
    addPose({{m_a, 1.0}});
    // B is recorded by one pose only; A is equal wherever it is recorded.
    EXPECT_TRUE(pruned({m_a, m_b}).isEmpty());

    addPose({{m_a, 3.0}});
    EXPECT_EQ(pruned({m_a, m_b}), QList<HxFloatProperty*>{m_a});
    // No pose has a record at a later position.
    EXPECT_TRUE(pruned({m_a, m_b}, 1).isEmpty());
}

TEST_F(HxPrunePropertiesTest, NaNDiffersFromEverythingIncludingNaN)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    addPose({{m_a, nan}, {m_b, 0.5}});
    addPose({{m_a, nan}, {m_b, nan}});
    EXPECT_EQ(pruned({m_a, m_b}), (QList<HxFloatProperty*>{m_a, m_b}));
}

#include "kinetoruitest.h"

#include "model/hxkinetorpose.h"

#include <QPointer>

namespace {

class HxKinetorLayerGroupTest : public HxKinetorUiTest
{};

// Tab labels, each checked against its layer's name.
QStringList labels(const HxKinetorLayerGroup& group)
{
    QStringList result;
    for (int i = 0; i < group.count(); ++i) {
        result.append(group.tabText(i));
        EXPECT_EQ(group.layerAt(i)->getName(), result.last());
    }
    return result;
}

TEST_F(HxKinetorLayerGroupTest, StartsWithLayerOneProposesTheFirstGapAndRenamesTabAndLayer)
{
    HxNode* node = addNode(QStringLiteral("Prop"));
    HxKinetorLayerGroup group(nullptr, node);
    ASSERT_EQ(labels(group), QStringList({"Layer 1"}));
    EXPECT_EQ(group.layerAt(0)->getNode(), node);
    HxKinetorLayer* second = group.addLayer(QString());
    EXPECT_EQ(second->getName(), QStringLiteral("Layer 2"));
    EXPECT_EQ(group.currentWidget(), second->getView());
    group.addLayer(QStringLiteral("Layer 3"));
    group.setCurrentIndex(1);
    group.deleteCurrentLayer();
    EXPECT_EQ(group.uniqueLayerName(), QStringLiteral("Layer 2"));
    group.setCurrentIndex(0);
    group.renameCurrentLayer(QStringLiteral("Walk"));
    EXPECT_EQ(group.uniqueLayerName(), QStringLiteral("Layer 1"));
    group.addLayer(QStringLiteral("Walk"));
    EXPECT_EQ(labels(group), QStringList({"Walk", "Layer 3", "Walk"}));
}

TEST_F(HxKinetorLayerGroupTest, EmptyDefaultLayerGoesOnlyUnderAllItsConditions)
{
    HxKinetorLayerGroup group(nullptr, addNode(QStringLiteral("Prop")));
    HxKinetorLayer* layer = group.layerAt(0);
    auto* pose = new HxKinetorPose(1.0f, 1.0f, layer->getNode(), true);
    layer->addPose(pose, false);
    group.deleteEmptyDefaultLayer();
    EXPECT_EQ(group.count(), 1) << "a dot keeps it";
    layer->removePose(pose);
    group.renameCurrentLayer(QStringLiteral("Layer 01"));
    group.deleteEmptyDefaultLayer();
    EXPECT_EQ(group.count(), 1) << "another name keeps it";
    group.renameCurrentLayer(QStringLiteral("Layer 1"));
    group.addLayer(QStringLiteral("Other"));
    group.setCurrentIndex(0);
    group.deleteEmptyDefaultLayer();
    EXPECT_EQ(group.count(), 2) << "a second tab keeps it";
    group.removeLayer(group.layerAt(1));
    QPointer<HxKinetorLayer> untouched = layer;
    group.deleteEmptyDefaultLayer();
    EXPECT_EQ(group.count(), 0);
    EXPECT_TRUE(untouched.isNull());
}

TEST_F(HxKinetorLayerGroupTest, DeletingLayersOrTheGroupDeletesLayersAndViews)
{
    auto group = std::make_unique<HxKinetorLayerGroup>(nullptr, addNode(QStringLiteral("Prop")));
    group->addLayer(QStringLiteral("B"));
    QList<QPointer<QObject>> doomed = {group->layerAt(0), group->layerViewAt(0), group->layerAt(1),
                                       group->layerViewAt(1)};
    group->deleteAllLayers();
    EXPECT_EQ(group->count(), 0);
    for (const QPointer<QObject>& object : doomed)
        EXPECT_TRUE(object.isNull());
    group->deleteCurrentLayer();
    group->renameCurrentLayer(QStringLiteral("Nothing"));
    EXPECT_EQ(group->count(), 0);

    QPointer<HxKinetorLayer> last = group->addLayer(QStringLiteral("X"));
    group.reset();
    EXPECT_TRUE(last.isNull());
}

} // namespace

#include "kinetoruitest.h"

#include "model/hxkinetorpose.h"

#include <QPointer>

namespace {

class HxKinetorLayerGroupTest : public HxKinetorUiTest
{
protected:
    void SetUp() override
    {
        HxKinetorUiTest::SetUp();
        m_node = addNode(QStringLiteral("Prop"));
        m_group = std::make_unique<HxKinetorLayerGroup>(nullptr, m_node);
    }
    void TearDown() override
    {
        m_group.reset();
        HxKinetorUiTest::TearDown();
    }
    QStringList labels() const
    {
        QStringList result;
        for (int i = 0; i < m_group->count(); ++i)
            result.append(m_group->tabText(i));
        return result;
    }

    HxNode* m_node = nullptr;
    std::unique_ptr<HxKinetorLayerGroup> m_group;
};

TEST_F(HxKinetorLayerGroupTest, StartsWithLayerOneForItsNodeAndProposesTheFirstFreeNumber)
{
    ASSERT_EQ(labels(), QStringList({QStringLiteral("Layer 1")}));
    HxKinetorLayer* first = m_group->layerAt(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->getNode(), m_node);
    EXPECT_EQ(first->getName(), QStringLiteral("Layer 1"));
    EXPECT_EQ(first->getView(), m_group->widget(0));
    EXPECT_EQ(first->objectName(), QStringLiteral("Layer"));
    EXPECT_EQ(m_group->uniqueLayerName(), QStringLiteral("Layer 2"));

    HxKinetorLayer* second = m_group->addLayer(QString());
    EXPECT_EQ(second->getName(), QStringLiteral("Layer 2"));
    EXPECT_EQ(m_group->currentWidget(), second->getView());
    m_group->addLayer(QStringLiteral("Layer 3"));
    m_group->setCurrentIndex(1);
    m_group->deleteCurrentLayer();
    EXPECT_EQ(labels(), QStringList({QStringLiteral("Layer 1"), QStringLiteral("Layer 3")}));
    EXPECT_EQ(m_group->uniqueLayerName(), QStringLiteral("Layer 2"));

    m_group->setCurrentIndex(0);
    m_group->renameCurrentLayer(QStringLiteral("Walk"));
    EXPECT_EQ(m_group->uniqueLayerName(), QStringLiteral("Layer 1"));

    // Duplicate names are the person's business.
    HxKinetorLayer* twin = m_group->addLayer(QStringLiteral("Walk"));
    EXPECT_EQ(twin->getName(), QStringLiteral("Walk"));
    EXPECT_EQ(labels(),
              QStringList({QStringLiteral("Walk"), QStringLiteral("Layer 3"), QStringLiteral("Walk")}));
}

TEST_F(HxKinetorLayerGroupTest, RenameChangesTabAndLayerTogether)
{
    m_group->addLayer(QStringLiteral("Second"));
    m_group->renameCurrentLayer(QStringLiteral("Run"));
    EXPECT_EQ(m_group->tabText(1), QStringLiteral("Run"));
    EXPECT_EQ(m_group->layerAt(1)->getName(), QStringLiteral("Run"));
    EXPECT_EQ(m_group->tabText(0), QStringLiteral("Layer 1"));
    EXPECT_EQ(m_group->layerAt(0)->getName(), QStringLiteral("Layer 1"));
}

TEST_F(HxKinetorLayerGroupTest, EmptyDefaultLayerGoesOnlyUnderAllItsConditions)
{
    // A dot keeps it.
    HxKinetorLayer* layer = m_group->layerAt(0);
    auto* pose = new HxKinetorPose(1.0f, 1.0f, m_node, true);
    layer->addPose(pose, false);
    m_group->deleteEmptyDefaultLayer();
    EXPECT_EQ(m_group->count(), 1);
    layer->removePose(pose);

    // Another name keeps it.
    m_group->renameCurrentLayer(QStringLiteral("Layer 01"));
    m_group->deleteEmptyDefaultLayer();
    EXPECT_EQ(m_group->count(), 1);
    m_group->renameCurrentLayer(QStringLiteral("Layer 1"));

    // A second tab keeps it.
    m_group->addLayer(QStringLiteral("Other"));
    m_group->setCurrentIndex(0);
    m_group->deleteEmptyDefaultLayer();
    EXPECT_EQ(m_group->count(), 2);
    m_group->removeLayer(m_group->layerAt(1));

    QPointer<HxKinetorLayer> untouched = m_group->layerAt(0);
    m_group->deleteEmptyDefaultLayer();
    EXPECT_EQ(m_group->count(), 0);
    EXPECT_TRUE(untouched.isNull());
}

TEST_F(HxKinetorLayerGroupTest, DeletingLayersDeletesTheirViewsAndLayers)
{
    m_group->addLayer(QStringLiteral("B"));
    m_group->addLayer(QStringLiteral("C"));
    QList<QPointer<HxKinetorLayer>> layers;
    QList<QPointer<HxKinetorLayerView>> views;
    for (int i = 0; i < 3; ++i) {
        layers.append(m_group->layerAt(i));
        views.append(m_group->layerViewAt(i));
    }

    m_group->removeLayer(nullptr);
    EXPECT_EQ(m_group->count(), 3);
    m_group->deleteAllLayers();
    EXPECT_EQ(m_group->count(), 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(layers[i].isNull());
        EXPECT_TRUE(views[i].isNull());
    }
    m_group->deleteCurrentLayer();
    m_group->renameCurrentLayer(QStringLiteral("Nothing"));
    EXPECT_EQ(m_group->count(), 0);
    EXPECT_EQ(m_group->uniqueLayerName(), QStringLiteral("Layer 1"));

    // Layers made elsewhere (a loaded scene) come in through their tab.
    auto* loaded = new HxKinetorLayer(nullptr, m_group.get(), QStringLiteral("Loaded"), "Layer");
    m_group->addLayerTab(loaded);
    EXPECT_EQ(labels(), QStringList({QStringLiteral("Loaded")}));
    EXPECT_EQ(m_group->currentLayer(), loaded);

    QPointer<HxKinetorLayer> last = loaded;
    QPointer<HxKinetorLayer> other = m_group->addLayer(QStringLiteral("X"));
    m_group.reset();
    EXPECT_TRUE(last.isNull());
    EXPECT_TRUE(other.isNull());
}

} // namespace

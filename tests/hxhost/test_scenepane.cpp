#include "hxhosttest.h"
#include "hxhosttestfigure.h"

#include "hxscenepane.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"

#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

class ScenePaneTest : public HxHostTest
{
protected:
    void SetUp() override
    {
        HxHostTest::SetUp();
        m_pane = std::make_unique<HxScenePane>();
        m_pane->resize(260, 500);
        m_pane->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_pane.get()));
    }
    void TearDown() override
    {
        m_pane.reset();
        HxHostTest::TearDown();
    }
    QTreeWidgetItem* item(HxNode* node) { return m_pane->itemFor(node); }
    // Clicks the row as a person would.
    void clickRow(HxNode* node)
    {
        QTreeWidget* tree = m_pane->tree();
        tree->scrollToItem(item(node));
        const QRect rect = tree->visualItemRect(item(node));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
    }

    std::unique_ptr<HxScenePane> m_pane;
};

TEST_F(ScenePaneTest, TheTreeFollowsTheBoneHierarchy)
{
    QTreeWidget* tree = m_pane->tree();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(tree->topLevelItem(0), item(m_figure));
    EXPECT_EQ(item(bone("hip"))->parent(), item(m_figure));
    EXPECT_EQ(item(bone("chest"))->parent(), item(bone("hip")));
    EXPECT_EQ(item(bone("forearm"))->parent(), item(bone("arm")));
    EXPECT_EQ(item(bone("sleeve"))->parent(), item(m_figure))
        << "a bone without a parent hangs off the figure";
    EXPECT_EQ(item(bone("arm"))->text(0), QStringLiteral("arm"));
    EXPECT_EQ(m_pane->nodeFor(item(bone("arm"))), bone("arm"));

    // A second figure is a second top-level row; removing it takes its rows.
    HxSkeleton* other = makeTestFigure(QStringLiteral("Other"));
    hxScene->addNode(other);
    EXPECT_EQ(tree->topLevelItemCount(), 2);
    hxScene->removeNode(other);
    EXPECT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(item(bone("arm"))->text(0), QStringLiteral("arm"));

    hxScene->clear();
    EXPECT_EQ(tree->topLevelItemCount(), 0);
}

TEST_F(ScenePaneTest, PickingARowSelectsTheNodeAndTheReverse)
{
    clickRow(bone("arm"));
    EXPECT_EQ(hxScene->getPrimarySelection(), bone("arm"));

    clickRow(m_figure);
    EXPECT_EQ(hxScene->getPrimarySelection(), m_figure);

    hxScene->setPrimarySelection(bone("forearm"));
    const QList<QTreeWidgetItem*> selected = m_pane->tree()->selectedItems();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first(), item(bone("forearm")));
    EXPECT_EQ(m_pane->tree()->currentItem(), item(bone("forearm")));

    hxScene->setPrimarySelection(nullptr);
    EXPECT_TRUE(m_pane->tree()->selectedItems().isEmpty());

    // Removing the selected figure leaves no stale selection behind.
    hxScene->setPrimarySelection(bone("chest"));
    hxScene->removeNode(m_figure);
    EXPECT_TRUE(m_pane->tree()->selectedItems().isEmpty());
    EXPECT_EQ(hxScene->getPrimarySelection(), nullptr);
}

TEST_F(ScenePaneTest, TheFilterKeepsMatchesAndTheirAncestors)
{
    QLineEdit* filter = m_pane->findChild<QLineEdit*>();
    ASSERT_NE(filter, nullptr);
    filter->setText(QStringLiteral("fore"));
    EXPECT_FALSE(item(bone("forearm"))->isHidden());
    EXPECT_FALSE(item(bone("arm"))->isHidden()) << "the path to a match stays visible";
    EXPECT_FALSE(item(m_figure)->isHidden());
    EXPECT_TRUE(item(bone("sleeve"))->isHidden());
    filter->clear();
    EXPECT_FALSE(item(bone("sleeve"))->isHidden());
}

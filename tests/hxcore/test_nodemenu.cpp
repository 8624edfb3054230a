#include "hxapptest.h"

#include "hxcore/hxnode.h"
#include "hxcore/hxnodemenu.h"

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

class HxNodeMenuTest : public HxAppTest
{
protected:
    void SetUp() override
    {
        HxAppTest::SetUp();
        for (const char* name : {"Figure", "Camera", "Light"})
            m_nodes.push_back(std::make_unique<HxNode>(QString::fromLatin1(name)));
    }
    void TearDown() override
    {
        m_nodes.clear();
        HxAppTest::TearDown();
    }

    HxNode* node(int i) const { return m_nodes[i].get(); }
    QList<HxNode*> all() const { return {node(0), node(1), node(2)}; }

    // Opens the node menu and runs `act` on it from inside its event loop;
    // returns the entry texts the menu showed.
    QStringList openMenu(HxNodeMenu& menu, std::function<void(QMenu*)> act)
    {
        QStringList shown;
        QTimer::singleShot(0, [&shown, act] {
            auto* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!open) {
                ADD_FAILURE() << "the node menu did not open";
                return;
            }
            for (QAction* entry : open->actions())
                shown << entry->text();
            act(open);
        });
        menu.showMenu();
        return shown;
    }

    static void choose(QMenu* open, const QString& text)
    {
        for (QAction* entry : open->actions())
            if (entry->text() == text) {
                open->setActiveAction(entry);
                QTest::keyClick(open, Qt::Key_Return);
                return;
            }
        ADD_FAILURE() << "no entry " << text.toStdString();
        open->close();
    }

    std::vector<std::unique_ptr<HxNode>> m_nodes;
};

} // namespace

TEST_F(HxNodeMenuTest, SelectNodeIsSilentWhileAPickSignalsOnce)
{
    HxNodeMenu menu(nullptr, "KinetorNodeMenu", true);
    EXPECT_EQ(menu.objectName(), "KinetorNodeMenu");
    EXPECT_TRUE(menu.allowsNone());
    EXPECT_EQ(menu.getCurrent(), nullptr);
    EXPECT_EQ(menu.text(), "None");
    QSignalSpy picked(&menu, &HxNodeMenu::selectionChanged);

    menu.setNodeList(all());
    menu.selectNode(node(1));
    EXPECT_EQ(menu.getCurrent(), node(1));
    EXPECT_EQ(menu.text(), "Camera");
    menu.selectNode(nullptr);
    EXPECT_EQ(menu.getCurrent(), nullptr);
    EXPECT_EQ(picked.count(), 0);

    openMenu(menu, [](QMenu* open) { choose(open, "Light"); });
    ASSERT_EQ(picked.count(), 1);
    EXPECT_EQ(picked.at(0).at(0).value<HxNode*>(), node(2));
    EXPECT_EQ(menu.getCurrent(), node(2));
    EXPECT_EQ(menu.text(), "Light");

    // Picking "None" is a pick too.
    openMenu(menu, [](QMenu* open) { choose(open, "None"); });
    ASSERT_EQ(picked.count(), 2);
    EXPECT_EQ(picked.at(1).at(0).value<HxNode*>(), nullptr);
    EXPECT_EQ(menu.getCurrent(), nullptr);

    // Dismissing the menu picks nothing.
    menu.selectNode(node(0));
    openMenu(menu, [](QMenu* open) { QTest::keyClick(open, Qt::Key_Escape); });
    EXPECT_EQ(picked.count(), 2);
    EXPECT_EQ(menu.getCurrent(), node(0));
}

TEST_F(HxNodeMenuTest, OwnerRefreshesTheListBeforeTheMenuShows)
{
    HxNodeMenu menu(nullptr, "Nodes", false);
    menu.setNodeList({node(0)});
    QStringList events;
    // The owner's handler runs while the menu is still hidden and its list is
    // the one the menu then shows.
    QObject::connect(&menu, &HxNodeMenu::aboutToShowMenu, &menu, [&] {
        events << (menu.getMenu()->isVisible() ? "visible" : "hidden");
        menu.setNodeList({node(2), nullptr, node(1)});
    });
    const QStringList shown = openMenu(menu, [&](QMenu* open) {
        events << (open->isVisible() ? "shown" : "not shown");
        open->close();
    });
    EXPECT_EQ(events, (QStringList{"hidden", "shown"}));
    EXPECT_EQ(shown, (QStringList{"Light", "Camera"})); // no "None" without the flag; nulls skipped
    EXPECT_EQ(menu.getNodeList(), (QList<HxNode*>{node(2), node(1)}));

    // The current node carries the check mark.
    menu.selectNode(node(1));
    QList<bool> checks;
    openMenu(menu, [&](QMenu* open) {
        for (QAction* entry : open->actions())
            checks << entry->isChecked();
        open->close();
    });
    EXPECT_EQ(checks, (QList<bool>{false, true}));
}

TEST_F(HxNodeMenuTest, FollowsRenamesAndDeletionsOfItsNodes)
{
    HxNodeMenu menu(nullptr, "Nodes", true);
    menu.setNodeList(all());
    menu.selectNode(node(0));
    node(0)->setObjectName("Hero");
    EXPECT_EQ(menu.text(), "Hero");

    // Nodes deleted after the list was set are not offered, and a deleted
    // current node leaves the menu on none.
    m_nodes[2].reset();
    m_nodes[0].reset();
    EXPECT_EQ(menu.getCurrent(), nullptr);
    EXPECT_EQ(menu.text(), "None");
    EXPECT_EQ(menu.getNodeList(), QList<HxNode*>{node(1)});
    const QStringList shown = openMenu(menu, [](QMenu* open) { open->close(); });
    EXPECT_EQ(shown, (QStringList{"None", "Camera"}));

    // A node that dies while its entry is on screen cannot be picked.
    QSignalSpy picked(&menu, &HxNodeMenu::selectionChanged);
    openMenu(menu, [this](QMenu* open) {
        m_nodes[1].reset();
        choose(open, "Camera");
    });
    EXPECT_EQ(picked.count(), 0);
    EXPECT_EQ(menu.getCurrent(), nullptr);
}

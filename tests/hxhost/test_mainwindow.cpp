#include "hxapptest.h"

#include "hxcore/hxmainwindow.h"
#include "hxcore/hxpane.h"
#include "hxcore/hxpanemgr.h"
#include "hxcore/hxviewportmgr.h"

#include <QCoreApplication>
#include <QDockWidget>
#include <QSignalSpy>

namespace {
class CountingPane : public HxPane
{
    Q_OBJECT
public:
    explicit CountingPane(const QString& title = QStringLiteral("Counting")) : HxPane(title) {}
    void saveSettings() override { ++saved; }
    void restoreSettings() override { ++restored; }
    int saved = 0;
    int restored = 0;
};

class OtherPane : public HxPane
{
    Q_OBJECT
public:
    OtherPane() : HxPane(QStringLiteral("Other")) {}
};
} // namespace

using MainWindowTest = HxAppTest;

TEST_F(MainWindowTest, IsTheInterfaceOnlyWhileItLives)
{
    EXPECT_EQ(hxApp->getInterface(), nullptr);
    {
        HxMainWindow window;
        EXPECT_EQ(hxApp->getInterface(), &window);
        ASSERT_NE(window.getPaneMgr(), nullptr);
        ASSERT_NE(window.getViewportMgr(), nullptr);
    }
    EXPECT_EQ(hxApp->getInterface(), nullptr);

    // A second window made while the first lives takes over; the first
    // going away must not clear the second's registration.
    auto first = std::make_unique<HxMainWindow>();
    HxMainWindow second;
    first.reset();
    EXPECT_EQ(hxApp->getInterface(), &second);
}

TEST_F(MainWindowTest, PanesAreDockedAndFoundByClassName)
{
    HxMainWindow window;
    HxPaneMgr* panes = window.getPaneMgr();
    QSignalSpy added(panes, &HxPaneMgr::paneAdded);
    auto* counting = new CountingPane(QStringLiteral("Counting"));
    auto* other = new OtherPane;
    QDockWidget* dock = panes->addPane(counting, Qt::LeftDockWidgetArea);
    panes->addPane(other);

    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(added.count(), 2);
    EXPECT_EQ(dock->widget(), counting);
    EXPECT_EQ(dock->windowTitle(), QStringLiteral("Counting"));
    EXPECT_EQ(dock->objectName(), QStringLiteral("CountingPaneDock"));
    EXPECT_EQ(window.dockWidgetArea(dock), Qt::LeftDockWidgetArea);
    EXPECT_EQ(window.dockWidgetArea(panes->getDock(other)), Qt::RightDockWidgetArea);

    EXPECT_EQ(panes->findPane(QStringLiteral("CountingPane")), counting);
    EXPECT_EQ(panes->findPane(QStringLiteral("OtherPane")), other);
    EXPECT_EQ(panes->findPane(QStringLiteral("HxPane")), nullptr) << "the base class name is not a match";
    EXPECT_EQ(panes->findPane(QStringLiteral("NoSuchPane")), nullptr);
    EXPECT_EQ(panes->getNumPanes(), 2);
    EXPECT_EQ(panes->getPane(2), nullptr);
    EXPECT_EQ(panes->getPane(-1), nullptr);

    // Adding the same pane again docks it once.
    EXPECT_EQ(panes->addPane(counting), dock);
    EXPECT_EQ(panes->getNumPanes(), 2);

    counting->setTitle(QStringLiteral("Renamed"));
    EXPECT_EQ(dock->windowTitle(), QStringLiteral("Renamed"));
}

TEST_F(MainWindowTest, ADeletedPaneLeavesNoTrace)
{
    HxMainWindow window;
    HxPaneMgr* panes = window.getPaneMgr();
    auto* pane = new CountingPane;
    QPointer<QDockWidget> dock = panes->addPane(pane);
    delete pane;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(panes->findPane(QStringLiteral("CountingPane")), nullptr);
    EXPECT_EQ(panes->getNumPanes(), 0);
    EXPECT_TRUE(dock.isNull()) << "the empty dock goes with its pane";

    auto* again = new CountingPane;
    QPointer<QDockWidget> secondDock = panes->addPane(again);
    QPointer<CountingPane> watched = again;
    panes->removePane(again);
    EXPECT_TRUE(watched.isNull());
    EXPECT_TRUE(secondDock.isNull());
}

TEST_F(MainWindowTest, WindowSettingsKeepTheLayoutAndAskThePanes)
{
    QByteArray stateBefore;
    {
        HxMainWindow window;
        auto* pane = new CountingPane;
        window.getPaneMgr()->addPane(pane);
        EXPECT_FALSE(window.restoreWindowSettings()) << "nothing was saved yet";
        EXPECT_EQ(pane->restored, 1);
        window.getPaneMgr()->getDock(pane)->hide();
        window.saveWindowSettings();
        EXPECT_EQ(pane->saved, 1);
    }
    HxMainWindow window;
    auto* pane = new CountingPane;
    QDockWidget* dock = window.getPaneMgr()->addPane(pane);
    window.show();
    EXPECT_TRUE(dock->isVisible());
    EXPECT_TRUE(window.restoreWindowSettings());
    EXPECT_FALSE(dock->isVisible()) << "the saved layout had the dock hidden";
}

TEST(ViewportMgrTest, ManipulationsNestAndSignalOnlyAtTheOuterEnds)
{
    HxViewportMgr manager;
    QSignalSpy changed(&manager, &HxViewportMgr::manipulationChanged);
    manager.endManipulation(); // unmatched: ignored
    EXPECT_FALSE(manager.isManipulating());
    EXPECT_EQ(changed.count(), 0);

    manager.startManipulation();
    manager.startManipulation();
    EXPECT_TRUE(manager.isManipulating());
    manager.endManipulation();
    EXPECT_TRUE(manager.isManipulating()) << "the outer manipulation still runs";
    manager.endManipulation();
    EXPECT_FALSE(manager.isManipulating());
    ASSERT_EQ(changed.count(), 2);
    EXPECT_TRUE(changed.at(0).at(0).toBool());
    EXPECT_FALSE(changed.at(1).at(0).toBool());

    manager.endManipulation();
    EXPECT_EQ(changed.count(), 2);
}

#include "test_mainwindow.moc"

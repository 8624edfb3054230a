#include "hxapptest.h"

#include "hxcore/hxmainwindow.h"
#include "hxcore/hxpane.h"
#include "hxcore/hxpanemgr.h"

#include <QCoreApplication>
#include <QDockWidget>

namespace {
class CountingPane : public HxPane
{
    Q_OBJECT
public:
    CountingPane() : HxPane(QStringLiteral("Counting")) {}
    void saveSettings() override { ++saved; }
    void restoreSettings() override { ++restored; }
    int saved = 0;
    int restored = 0;
};
} // namespace

using MainWindowTest = HxAppTest;

TEST_F(MainWindowTest, IsTheInterfaceWhileItLivesAndDocksPanesOnce)
{
    auto first = std::make_unique<HxMainWindow>();
    auto window = std::make_unique<HxMainWindow>();
    first.reset();
    EXPECT_EQ(hxApp->getInterface(), window.get()) << "the older window going away keeps the newer one";

    HxPaneMgr* panes = window->getPaneMgr();
    auto* pane = new CountingPane;
    QPointer<QDockWidget> dock = panes->addPane(pane, Qt::LeftDockWidgetArea);
    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(panes->addPane(pane), dock) << "adding again docks it once";
    EXPECT_EQ(window->dockWidgetArea(dock), Qt::LeftDockWidgetArea);
    EXPECT_EQ(panes->findPane(QStringLiteral("CountingPane")), pane);
    EXPECT_EQ(panes->findPane(QStringLiteral("HxPane")), nullptr) << "the base class name is not a match";
    delete pane;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(panes->getNumPanes(), 0);
    EXPECT_TRUE(dock.isNull()) << "the empty dock goes with its pane";
    QPointer<CountingPane> removed = new CountingPane;
    dock = panes->addPane(removed);
    panes->removePane(removed);
    EXPECT_TRUE(removed.isNull() && dock.isNull());

    window.reset();
    EXPECT_EQ(hxApp->getInterface(), nullptr);
}

TEST_F(MainWindowTest, WindowSettingsKeepTheLayoutAndAskThePanes)
{
    {
        HxMainWindow window;
        auto* pane = new CountingPane;
        window.getPaneMgr()->addPane(pane);
        EXPECT_FALSE(window.restoreWindowSettings()) << "nothing was saved yet";
        window.getPaneMgr()->getDock(pane)->hide();
        window.saveWindowSettings();
        EXPECT_EQ(pane->restored, 1);
        EXPECT_EQ(pane->saved, 1);
    }
    HxMainWindow window;
    QDockWidget* dock = window.getPaneMgr()->addPane(new CountingPane);
    window.show();
    EXPECT_TRUE(dock->isVisible());
    EXPECT_TRUE(window.restoreWindowSettings());
    EXPECT_FALSE(dock->isVisible()) << "the saved layout had the dock hidden";
}

#include "test_mainwindow.moc"

#include "hxapptest.h"

#include "hxcore/hxaction.h"
#include "hxcore/hxactionmenu.h"
#include "hxcore/hxactionmgr.h"
#include "hxcore/hxhelpmgr.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxpane.h"
#include "hxcore/hxpaneaction.h"
#include "hxcore/hxpanemgr.h"

#include <QApplication>
#include <QDockWidget>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

// Remembers what the host asked of it, in order.
class RecordingAction : public HxAction
{
    Q_OBJECT
public:
    explicit RecordingAction(const QString& name, bool toggle = false, QStringList* log = nullptr)
        : HxAction(name + " text", name + " description"), m_log(log)
    {
        if (!name.isEmpty())
            setObjectName(name);
        setToggleAction(toggle);
    }

    void init() override
    {
        if (m_log)
            *m_log << "init " + objectName();
        if (onInit)
            onInit();
        HxAction::init();
    }
    void setAccel(const QKeySequence& key) override
    {
        HxAction::setAccel(key);
        ++accelCalls;
    }
    QKeySequence getDefaultAccel() const override { return defaultAccel; }

    int executed = 0;
    QList<bool> toggles;
    int accelCalls = 0;
    QKeySequence defaultAccel;
    std::function<void()> onInit;

protected:
    void executeAction() override { ++executed; }
    void toggleAction(bool onOff) override { toggles << onOff; }

private:
    QStringList* m_log;
};

class UnnamedAction : public HxAction
{
    Q_OBJECT
public:
    UnnamedAction() : HxAction("Unnamed", QString()) {}
};

class ProbePane : public HxPane
{
    Q_OBJECT
public:
    ProbePane() : HxPane("Probe") {}
};

class ProbePaneAction : public HxPaneAction
{
    Q_OBJECT
public:
    ProbePaneAction() : HxPaneAction("ProbePane") {}
};

// The host's main window with an action manager of its own.
class ActionWindow : public HxMainWindow
{
    Q_OBJECT
public:
    ActionWindow() { setActionMgr(new HxActionMgr(this)); }
};

// Runs `choose` on the menu that opens next, from inside its event loop.
void whenMenuOpens(std::function<void(QMenu*)> choose)
{
    QTimer::singleShot(0, [choose] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) {
            ADD_FAILURE() << "no menu open";
            return;
        }
        choose(menu);
    });
}

void pickEntry(QMenu* menu, int index)
{
    menu->setActiveAction(menu->actions().at(index));
    QTest::keyClick(menu, Qt::Key_Return);
}

QStringList entryNames(const QMenu& menu)
{
    QStringList names;
    for (QAction* entry : menu.actions())
        names << (entry->isSeparator() ? QString("|") : entry->objectName());
    return names;
}

} // namespace

TEST(HxAction, ActivationRunsTheCommandOrTheToggleButSetOnDoesNot)
{
    RecordingAction command("Command");
    EXPECT_EQ(command.text(), "Command text");
    EXPECT_EQ(command.toolTip(), "Command description");
    EXPECT_EQ(command.getDescription(), "Command description");
    command.trigger();
    command.trigger();
    EXPECT_EQ(command.executed, 2);
    EXPECT_TRUE(command.toggles.isEmpty());
    command.setOn(true); // a command has no check mark to set
    EXPECT_FALSE(command.isOn());

    RecordingAction toggle("Toggle", true);
    EXPECT_TRUE(toggle.isToggleAction());
    toggle.trigger();
    toggle.trigger();
    EXPECT_EQ(toggle.toggles, (QList<bool>{true, false}));
    EXPECT_EQ(toggle.executed, 0);

    // Following a state from elsewhere must not feed it back.
    toggle.setOn(true);
    EXPECT_TRUE(toggle.isOn());
    toggle.setOn(false);
    EXPECT_FALSE(toggle.isOn());
    EXPECT_EQ(toggle.toggles.size(), 2);
}

TEST(HxAction, AcceleratorsAndTheDefaultGroup)
{
    RecordingAction action("Accel");
    action.setAccel(QKeySequence("Ctrl+K"));
    EXPECT_EQ(action.accel(), QKeySequence("Ctrl+K"));
    EXPECT_EQ(action.shortcut(), QKeySequence("Ctrl+K"));
    EXPECT_FALSE(action.getActionGroup().isEmpty());

    // init() gives the default accelerator only to an action without one.
    RecordingAction plain("Plain");
    plain.defaultAccel = QKeySequence("Ctrl+J");
    plain.init();
    EXPECT_EQ(plain.accel(), QKeySequence("Ctrl+J"));
    EXPECT_EQ(plain.accelCalls, 1); // through the virtual, so overrides see it
    RecordingAction chosen("Chosen");
    chosen.defaultAccel = QKeySequence("Ctrl+J");
    chosen.setAccel(QKeySequence("Alt+X"));
    chosen.init();
    EXPECT_EQ(chosen.accel(), QKeySequence("Alt+X"));
}

TEST(HxActionMgr, FindsActionsByClassNameAndOwnsThem)
{
    HxActionMgr manager;
    QPointer<RecordingAction> one = new RecordingAction("HxOneAction");
    auto* unnamed = new UnnamedAction;
    EXPECT_TRUE(manager.addAction(one));
    EXPECT_TRUE(manager.addAction(unnamed));
    EXPECT_EQ(unnamed->objectName(), "UnnamedAction");
    EXPECT_EQ(one->parent(), &manager);

    EXPECT_EQ(manager.findAction("HxOneAction"), one);
    EXPECT_EQ(manager.findAction("UnnamedAction"), unnamed);
    // Found by class name too when the object name differs.
    EXPECT_EQ(manager.findAction("RecordingAction"), one);
    EXPECT_EQ(manager.findAction("HxMissingAction"), nullptr);
    EXPECT_EQ(manager.findAction(QString()), nullptr);

    // Refused: null, twice the same, and a name that is taken. The caller
    // keeps what was refused.
    EXPECT_FALSE(manager.addAction(nullptr));
    EXPECT_FALSE(manager.addAction(one));
    auto clash = std::make_unique<RecordingAction>("HxOneAction");
    EXPECT_FALSE(manager.addAction(clash.get()));
    EXPECT_EQ(clash->parent(), nullptr);
    EXPECT_EQ(manager.findAction("HxOneAction"), one);
    EXPECT_EQ(manager.getNumActions(), 2);

    // An action deleted elsewhere drops out.
    delete unnamed;
    EXPECT_EQ(manager.findAction("UnnamedAction"), nullptr);
    EXPECT_EQ(manager.getActions(), (QList<HxAction*>{one}));

    auto* second = new RecordingAction("HxTwoAction");
    EXPECT_TRUE(manager.addAction(second));
    EXPECT_EQ(manager.getActionsInGroup(second->getActionGroup()).size(), 2);
    EXPECT_EQ(manager.getActionGroups(), QStringList{second->getActionGroup()});
}

TEST(HxActionMgr, DeletingTheManagerDeletesItsActions)
{
    auto manager = std::make_unique<HxActionMgr>();
    QPointer<RecordingAction> action = new RecordingAction("HxGoneAction");
    ASSERT_TRUE(manager->addAction(action));
    manager.reset();
    EXPECT_TRUE(action.isNull());
}

TEST(HxActionMgr, InitRunsOnceForEachActionInOrder)
{
    QStringList log;
    HxActionMgr manager;
    auto* first = new RecordingAction("HxFirstAction", false, &log);
    auto* second = new RecordingAction("HxSecondAction", false, &log);
    manager.addAction(first);
    manager.addAction(second);
    EXPECT_TRUE(log.isEmpty()); // nothing runs before the panes exist
    EXPECT_FALSE(manager.isInitialized(first));

    // An action that adds another while it initialises, and one that asks for
    // a second pass, must not cause a double init.
    first->onInit = [&] {
        manager.addAction(new RecordingAction("HxLateAction", false, &log));
        manager.initActions();
    };
    manager.initActions();
    EXPECT_EQ(log, (QStringList{"init HxFirstAction", "init HxSecondAction", "init HxLateAction"}));
    EXPECT_TRUE(manager.isInitialized(first));

    log.clear();
    manager.initActions();
    EXPECT_TRUE(log.isEmpty());
    // A plug-in loaded later gets its init() from the next call.
    manager.addAction(new RecordingAction("HxPluginAction", false, &log));
    manager.initActions();
    EXPECT_EQ(log, QStringList{"init HxPluginAction"});
}

TEST(HxActionMgr, AddsActionsToMenusByName)
{
    HxActionMgr manager;
    auto* zoom = new RecordingAction("HxZoomAction");
    manager.addAction(zoom);
    manager.addAction(new RecordingAction("HxResetAction"));
    QMenu menu;
    EXPECT_EQ(manager.addActionToMenu("HxResetAction", &menu), manager.findAction("HxResetAction"));
    EXPECT_EQ(manager.addActionToMenu("HxZoomAction", &menu), zoom);
    EXPECT_EQ(manager.addActionToMenu("HxNoSuchAction", &menu), nullptr);
    EXPECT_EQ(manager.addActionToMenu("HxZoomAction", nullptr), nullptr);
    EXPECT_EQ(entryNames(menu), (QStringList{"HxResetAction", "HxZoomAction"}));
    // The entry is the managed action itself: choosing it runs the command.
    menu.actions().at(1)->trigger();
    EXPECT_EQ(zoom->executed, 1);
}

TEST(HxActionMenu, InsertsByClassNameAndSeparatorsInOrder)
{
    HxActionMgr manager;
    for (const char* name : {"HxAAction", "HxBAction", "HxCAction", "HxDAction"})
        manager.addAction(new RecordingAction(name));
    HxActionMenu menu(nullptr, &manager);
    EXPECT_EQ(menu.getActionMgr(), &manager);

    EXPECT_NE(menu.insertAction("HxAAction", -1), nullptr);
    EXPECT_NE(menu.insertAction("HxBAction", -1), nullptr);
    EXPECT_NE(menu.insertSeparator(-1), nullptr);
    EXPECT_NE(menu.insertAction("HxCAction", -1), nullptr);
    EXPECT_EQ(entryNames(menu), (QStringList{"HxAAction", "HxBAction", "|", "HxCAction"}));

    // An index inserts before that entry; past the end appends.
    menu.insertAction("HxDAction", 0);
    menu.insertSeparator(2);
    EXPECT_EQ(entryNames(menu), (QStringList{"HxDAction", "HxAAction", "|", "HxBAction", "|", "HxCAction"}));
    HxActionMenu other(nullptr, &manager);
    other.insertAction("HxAAction", 5);
    other.insertSeparator(9);
    other.insertAction("HxBAction", 1);
    EXPECT_EQ(entryNames(other), (QStringList{"HxAAction", "HxBAction", "|"}));

    // An unknown name adds nothing.
    EXPECT_EQ(menu.insertAction("HxUnknownAction", -1), nullptr);
    EXPECT_EQ(menu.actions().size(), 6);
}

TEST(HxActionMenu, RunsAndReportsTheChosenIndex)
{
    HxActionMgr manager;
    auto* first = new RecordingAction("HxFirstAction");
    auto* second = new RecordingAction("HxSecondAction");
    manager.addAction(first);
    manager.addAction(second);
    HxActionMenu menu(nullptr, &manager);
    menu.insertAction("HxFirstAction");
    menu.insertSeparator();
    menu.insertAction("HxSecondAction");

    whenMenuOpens([](QMenu* open) { pickEntry(open, 2); });
    EXPECT_EQ(menu.execIndex(QPoint(10, 10)), 2);
    EXPECT_EQ(second->executed, 1);
    EXPECT_EQ(first->executed, 0);

    whenMenuOpens([](QMenu* open) { QTest::keyClick(open, Qt::Key_Escape); });
    EXPECT_EQ(menu.execIndex(QPoint(10, 10)), -1);
    EXPECT_EQ(first->executed + second->executed, 1);
}

class HxActionWindowTest : public HxAppTest
{};

TEST_F(HxActionWindowTest, MenusUseTheMainWindowsActionManager)
{
    HxActionMenu orphan;
    EXPECT_EQ(orphan.getActionMgr(), nullptr);
    EXPECT_EQ(orphan.insertAction("HxAnyAction"), nullptr);

    ActionWindow window;
    ASSERT_EQ(hxApp->getInterface(), &window);
    window.getActionMgr()->addAction(new RecordingAction("HxWindowAction"));
    HxActionMenu menu;
    EXPECT_EQ(menu.getActionMgr(), window.getActionMgr());
    EXPECT_EQ(menu.insertAction("HxWindowAction"), window.getActionMgr()->findAction("HxWindowAction"));
}

TEST_F(HxActionWindowTest, PaneActionsInitialiseAfterPanesAndFollowTheDock)
{
    ActionWindow window;
    HxActionMgr* manager = window.getActionMgr();
    auto* paneAction = new ProbePaneAction;
    HxPane* seenInInit = nullptr;
    auto* probe = new RecordingAction("HxProbeAction");
    probe->onInit = [&] {
        seenInInit = window.getPaneMgr()->findPane("ProbePane");
    };
    manager->addAction(paneAction);
    manager->addAction(probe);
    EXPECT_EQ(paneAction->objectName(), "ProbePaneAction");
    EXPECT_TRUE(paneAction->isToggleAction());

    auto* pane = new ProbePane;
    window.getPaneMgr()->addPane(pane);
    window.show();
    manager->initActions();
    EXPECT_EQ(seenInInit, pane);
    EXPECT_EQ(paneAction->getPane(), pane);
    EXPECT_EQ(paneAction->text(), "Probe");
    EXPECT_TRUE(paneAction->isOn());

    QDockWidget* dock = window.getPaneMgr()->getDock(pane);
    ASSERT_NE(dock, nullptr);
    paneAction->trigger();
    EXPECT_TRUE(dock->isHidden());
    EXPECT_FALSE(paneAction->isOn());
    paneAction->trigger();
    EXPECT_FALSE(dock->isHidden());
    EXPECT_TRUE(paneAction->isOn());

    // Closing the dock by its own means unchecks the action.
    dock->close();
    EXPECT_FALSE(paneAction->isOn());
    dock->show();
    EXPECT_TRUE(paneAction->isOn());
}

TEST_F(HxActionWindowTest, PaneActionWithoutItsPaneWarnsAndStaysOff)
{
    ActionWindow window;
    auto* paneAction = new ProbePaneAction;
    window.getActionMgr()->addAction(paneAction);
    window.getActionMgr()->initActions();
    EXPECT_EQ(paneAction->getPane(), nullptr);
    paneAction->trigger();
    EXPECT_FALSE(paneAction->isOn());
}

TEST_F(HxActionWindowTest, HelpManagerAppliesTextsByObjectName)
{
    HxHelpMgr* help = hxApp->getHelpMgr();
    ASSERT_NE(help, nullptr);
    RecordingAction action("HxHelpedAction");
    help->setOnlineHelp(&action);
    help->setOnlineHelp(&action);
    EXPECT_TRUE(help->isRegistered(&action));
    EXPECT_EQ(help->getNumRegistered(), 1);
    EXPECT_EQ(help->helpFor(&action), "HxHelpedAction description"); // the tool tip until a text exists

    help->setHelpText("HxHelpedAction", "Does the helped thing.");
    EXPECT_EQ(action.whatsThis(), "Does the helped thing.");
    auto widget = std::make_unique<QWidget>();
    widget->setObjectName("HxHelpedWidget");
    help->setHelpText("HxHelpedWidget", "A widget.");
    help->setOnlineHelp(widget.get());
    EXPECT_EQ(widget->whatsThis(), "A widget.");
    EXPECT_EQ(help->getNumRegistered(), 2);
    widget.reset();
    EXPECT_EQ(help->getNumRegistered(), 1);
    help->setOnlineHelp(static_cast<QWidget*>(nullptr));
    EXPECT_EQ(help->getNumRegistered(), 1);
}

#include "test_actions.moc"

#include "hxapptest.h"

#include "hxcore/hxaction.h"
#include "hxcore/hxactionmenu.h"
#include "hxcore/hxactionmgr.h"
#include "hxcore/hxhelpmgr.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxnode.h"
#include "hxcore/hxnodemenu.h"
#include "hxcore/hxpane.h"
#include "hxcore/hxpaneaction.h"
#include "hxcore/hxpanemgr.h"
#include "hxcore/hxstyle.h"

#include <QApplication>
#include <QDockWidget>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QSet>
#include <QSignalSpy>
#include <QStyleOption>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

QStringList g_log; // what the host asked of the actions, in order

class RecordingAction : public HxAction
{
    Q_OBJECT
public:
    explicit RecordingAction(const QString& name, bool toggle = false) : HxAction(name, name + " description")
    {
        setObjectName(name);
        setToggleAction(toggle);
    }
    void init() override
    {
        g_log << "init " + objectName();
        if (onInit)
            onInit();
        HxAction::init();
    }
    QKeySequence getDefaultAccel() const override { return defaultAccel; }

    QKeySequence defaultAccel;
    std::function<void()> onInit;

protected:
    void executeAction() override { g_log << "run " + objectName(); }
    void toggleAction(bool onOff) override { g_log << objectName() + (onOff ? " on" : " off"); }
};

class UnnamedAction : public HxAction
{
    Q_OBJECT
public:
    UnnamedAction() : HxAction("Unnamed", QString()) {}
};

class ActionWindow : public HxMainWindow
{
    Q_OBJECT
public:
    ActionWindow() { setActionMgr(new HxActionMgr(this)); }
};

class HxHostUiTest : public HxAppTest
{
protected:
    void SetUp() override
    {
        HxAppTest::SetUp();
        g_log.clear();
        m_window = std::make_unique<ActionWindow>();
        m_manager = m_window->getActionMgr();
        for (const char* name : {"Figure", "Camera", "Light"})
            m_nodes.push_back(std::make_unique<HxNode>(QString::fromLatin1(name)));
    }
    void TearDown() override
    {
        m_nodes.clear();
        m_window.reset();
        HxAppTest::TearDown();
    }
    HxNode* node(int i) const { return m_nodes[i].get(); }

    std::unique_ptr<ActionWindow> m_window;
    HxActionMgr* m_manager = nullptr;
    std::vector<std::unique_ptr<HxNode>> m_nodes;
};

// Shows a menu through `show`; from inside its event loop runs `before`, lists the entries ("|" for
// a separator, "*" after a checked one) and picks the one called `choice`, or dismisses it.
QStringList pick(const std::function<void()>& show, const QString& choice,
                 const std::function<void()>& before = {})
{
    QStringList shown;
    QTimer::singleShot(0, [&] {
        auto* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(open, nullptr);
        if (before)
            before();
        for (QAction* entry : open->actions()) {
            shown << (entry->isSeparator() ? QString("|") : entry->text() + (entry->isChecked() ? "*" : ""));
            if (!choice.isEmpty() && entry->text() == choice)
                open->setActiveAction(entry);
        }
        QTest::keyClick(open, choice.isEmpty() ? Qt::Key_Escape : Qt::Key_Return);
    });
    show();
    return shown;
}

} // namespace

TEST_F(HxHostUiTest, CommandsExecuteTogglesToggleAndSetOnDoesNotFeedBack)
{
    RecordingAction command("Command"), toggle("Toggle", true);
    EXPECT_EQ(command.toolTip(), "Command description");
    command.trigger();
    command.setOn(true); // a command has no check mark to set
    toggle.trigger();
    toggle.trigger();
    toggle.setOn(true); // following a state from elsewhere
    EXPECT_EQ(g_log, (QStringList{"run Command", "Toggle on", "Toggle off"}));
    EXPECT_FALSE(command.isOn());
    EXPECT_TRUE(toggle.isOn());

    // init() gives the default accelerator only to an action without one.
    command.defaultAccel = toggle.defaultAccel = QKeySequence("Ctrl+J");
    toggle.setAccel(QKeySequence("Alt+X"));
    command.init();
    toggle.init();
    EXPECT_EQ(command.shortcut(), QKeySequence("Ctrl+J"));
    EXPECT_EQ(toggle.accel(), QKeySequence("Alt+X"));
    EXPECT_FALSE(command.getActionGroup().isEmpty());

    HxHelpMgr* help = hxApp->getHelpMgr(); // help follows the object name, the tool tip until then
    help->setOnlineHelp(&command);
    EXPECT_EQ(help->helpFor(&command), "Command description");
    help->setHelpText("Command", "Does the thing.");
    EXPECT_EQ(command.whatsThis(), "Does the thing.");
}

TEST_F(HxHostUiTest, ManagerFindsByNameOrClassOwnsAndInitsOnceInOrder)
{
    QPointer<RecordingAction> first = new RecordingAction("HxFirstAction");
    auto* unnamed = new UnnamedAction;
    EXPECT_TRUE(m_manager->addAction(first) && m_manager->addAction(unnamed));
    EXPECT_TRUE(m_manager->addAction(new RecordingAction("HxSecondAction")));
    EXPECT_EQ(m_manager->findAction("UnnamedAction"), unnamed); // named after its class
    EXPECT_EQ(m_manager->findAction("RecordingAction"), first); // by class name when the object name differs
    EXPECT_EQ(m_manager->findAction("HxMissingAction"), nullptr);

    // Refused: null, twice the same, and a taken name; the caller keeps what was refused.
    auto clash = std::make_unique<RecordingAction>("HxFirstAction");
    EXPECT_FALSE(m_manager->addAction(nullptr) || m_manager->addAction(first) ||
                 m_manager->addAction(clash.get()));
    EXPECT_EQ(clash->parent(), nullptr);
    delete unnamed; // an action deleted elsewhere drops out
    EXPECT_EQ(m_manager->getNumActions(), 2);

    // One added during init, and a nested second pass, must not cause a double init.
    EXPECT_TRUE(g_log.isEmpty());
    first->onInit = [&] {
        m_manager->addAction(new RecordingAction("HxLateAction"));
        m_manager->initActions();
    };
    m_manager->initActions();
    m_manager->initActions();
    EXPECT_EQ(g_log, (QStringList{"init HxFirstAction", "init HxSecondAction", "init HxLateAction"}));
    m_window.reset();
    EXPECT_TRUE(first.isNull());
}

TEST_F(HxHostUiTest, MenusInsertByClassNameAndReportTheChosenIndex)
{
    for (const char* name : {"HxAAction", "HxBAction", "HxCAction"})
        m_manager->addAction(new RecordingAction(name));
    QMenu plain;
    EXPECT_EQ(m_manager->addActionToMenu("HxBAction", &plain), m_manager->findAction("HxBAction"));
    EXPECT_EQ(m_manager->addActionToMenu("HxNoSuchAction", &plain), nullptr);
    EXPECT_EQ(plain.actions(), QList<QAction*>{m_manager->findAction("HxBAction")});

    HxActionMenu menu; // finds the main window's manager
    menu.insertAction("HxAAction");
    menu.insertAction("HxCAction");
    menu.insertSeparator(1);
    menu.insertAction("HxBAction", 0);
    EXPECT_EQ(menu.insertAction("HxUnknownAction"), nullptr);
    int index = 0;
    const auto exec = [&] {
        index = menu.execIndex(QPoint(10, 10));
    };
    EXPECT_EQ(pick(exec, "HxCAction"), (QStringList{"HxBAction", "HxAAction", "|", "HxCAction"}));
    EXPECT_EQ(index, 3);
    pick(exec, QString());
    EXPECT_EQ(index, -1);
    EXPECT_EQ(g_log, QStringList{"run HxCAction"});
}

TEST_F(HxHostUiTest, PaneActionsInitialiseAfterPanesAndFollowTheDock)
{
    auto* paneAction = new HxPaneAction("HxPane");
    auto* probe = new RecordingAction("HxProbeAction");
    HxPane* seenInInit = nullptr;
    probe->onInit = [&] {
        seenInInit = m_window->getPaneMgr()->findPane("HxPane");
    };
    m_manager->addAction(paneAction);
    m_manager->addAction(probe);
    paneAction->trigger(); // before its pane exists it stays off
    EXPECT_FALSE(paneAction->isOn());

    auto* pane = new HxPane("Probe");
    m_window->getPaneMgr()->addPane(pane);
    m_window->show();
    m_manager->initActions();
    EXPECT_EQ(seenInInit, pane);
    EXPECT_EQ(paneAction->text(), "Probe");
    EXPECT_TRUE(paneAction->isOn());
    QDockWidget* dock = m_window->getPaneMgr()->getDock(pane);
    ASSERT_NE(dock, nullptr);
    paneAction->trigger();
    EXPECT_TRUE(dock->isHidden());
    paneAction->trigger();
    EXPECT_FALSE(dock->isHidden());
    dock->close(); // closed by its own means, the action unchecks
    EXPECT_FALSE(paneAction->isOn());
}

TEST_F(HxHostUiTest, NodeMenuSelectNodeIsSilentWhileAPickSignalsOnce)
{
    HxNodeMenu menu(nullptr, "KinetorNodeMenu", true);
    const auto show = [&] {
        menu.showMenu();
    };
    QSignalSpy picked(&menu, &HxNodeMenu::selectionChanged);
    menu.setNodeList({node(0), node(1), node(2)});
    menu.selectNode(node(1));
    EXPECT_EQ(menu.text(), "Camera");
    menu.selectNode(nullptr);
    EXPECT_EQ(menu.text(), "None");
    EXPECT_EQ(picked.count(), 0);

    EXPECT_EQ(pick(show, "Light"), (QStringList{"None*", "Figure", "Camera", "Light"}));
    ASSERT_EQ(picked.count(), 1);
    EXPECT_EQ(picked.at(0).at(0).value<HxNode*>(), node(2));
    EXPECT_EQ(menu.getCurrent(), node(2));
    pick(show, "None"); // a pick too
    ASSERT_EQ(picked.count(), 2);
    EXPECT_EQ(picked.at(1).at(0).value<HxNode*>(), nullptr);
    menu.selectNode(node(0));
    pick(show, QString()); // dismissing picks nothing
    EXPECT_EQ(picked.count(), 2);
    EXPECT_EQ(menu.getCurrent(), node(0));

    // The owner refreshes the list while the menu is still hidden; nulls are skipped.
    bool hiddenWhileRefreshing = false;
    QObject::connect(&menu, &HxNodeMenu::aboutToShowMenu, &menu, [&] {
        hiddenWhileRefreshing = !menu.getMenu()->isVisible();
        menu.setNodeList({node(2), nullptr, node(0)});
    });
    EXPECT_EQ(pick(show, QString()), (QStringList{"None", "Light", "Figure*"}));
    EXPECT_TRUE(hiddenWhileRefreshing);
}

TEST_F(HxHostUiTest, NodeMenuFollowsRenamesAndDeletionsOfItsNodes)
{
    HxNodeMenu menu(nullptr, "Nodes", false);
    menu.setNodeList({node(0), node(1), node(2)});
    menu.selectNode(node(0));
    node(0)->setObjectName("Hero");
    EXPECT_EQ(menu.text(), "Hero");
    m_nodes[2].reset();
    m_nodes[0].reset(); // the current node: the menu falls back to none
    EXPECT_EQ(menu.text(), "None");
    EXPECT_EQ(menu.getNodeList(), QList<HxNode*>{node(1)});

    // No "None" entry without the flag, and a node that dies while on screen cannot be picked.
    QSignalSpy picked(&menu, &HxNodeMenu::selectionChanged);
    EXPECT_EQ(pick([&] { menu.showMenu(); }, "Camera", [this] { m_nodes[1].reset(); }),
              QStringList{"Camera"});
    EXPECT_EQ(picked.count(), 0);
    EXPECT_EQ(menu.getCurrent(), nullptr);
}

namespace {

const QColor Background(200, 200, 200);

QImage draw(HxStyle& style, QImage image, QStyle::PrimitiveElement element, const QRect& rect,
            QStyle::State state = QStyle::State_None)
{
    QStyleOption option;
    option.rect = rect;
    option.state = state;
    QPainter painter(&image);
    style.drawPrimitive(element, &option, &painter);
    return image;
}

QImage canvas()
{
    QImage image(40, 40, QImage::Format_ARGB32);
    image.fill(Background);
    return image;
}

bool untouchedOutside(const QImage& image, const QRect& rect)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!rect.contains(x, y) && image.pixelColor(x, y) != Background)
                return false;
    return true;
}

} // namespace

TEST(HxStyle, DotStatesDifferAndTheCursorStandsOutOverDots)
{
    HxStyle style; // callers ask for the two metrics by their raw numbers
    const int d = style.pixelMetric(QStyle::PixelMetric(0xF0000041));
    const int c = style.pixelMetric(QStyle::PixelMetric(0xF0000042));
    EXPECT_EQ(d, HxStyle::PoseDotSize);
    EXPECT_EQ(c, HxStyle::BlendCursorSize);
    EXPECT_GE(d, 6);
    EXPECT_GT(c, d);
    QRect dotRect(0, 0, d, d), cursorRect(0, 0, c, c);
    dotRect.moveCenter(QPoint(20, 20));
    cursorRect.moveCenter(QPoint(20, 20));
    const QImage plain = draw(style, canvas(), HxStyle::PE_PoseDot, dotRect);
    const QImage selected = draw(style, canvas(), HxStyle::PE_PoseDot, dotRect, QStyle::State_Selected);
    const QImage active = draw(style, canvas(), HxStyle::PE_PoseDot, dotRect, QStyle::State_Active);
    // The centres differ, not just an anti-aliased edge, and nothing spills outside.
    const QPoint centre = dotRect.center();
    EXPECT_EQ((QSet<QRgb>{canvas().pixel(centre), plain.pixel(centre), selected.pixel(centre),
                          active.pixel(centre)})
                  .size(),
              4);
    for (const QImage* image : {&plain, &selected, &active})
        EXPECT_TRUE(untouchedOutside(*image, dotRect));
    EXPECT_EQ(draw(style, canvas(), HxStyle::PE_PoseDot, dotRect, QStyle::State_Enabled), plain);

    // The cursor reaches past the dot, so a dot can never hide it, and over the dot it uses
    // colours the dot does not have.
    const QImage withCursor = draw(style, active, HxStyle::PE_BlendCursor, cursorRect);
    EXPECT_TRUE(untouchedOutside(withCursor, cursorRect));
    bool beyondDot = false;
    QSet<QRgb> dotColours;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            if (dotRect.contains(x, y))
                dotColours.insert(active.pixel(x, y));
            else
                beyondDot = beyondDot || withCursor.pixel(x, y) != active.pixel(x, y);
        }
    EXPECT_TRUE(beyondDot);
    EXPECT_FALSE(dotColours.contains(withCursor.pixel(centre)));
}

TEST(HxStyle, DegenerateRequestsDrawNothing)
{
    HxStyle style;
    QImage image = draw(style, canvas(), HxStyle::PE_PoseDot, QRect(10, 10, 0, 0), QStyle::State_Selected);
    image = draw(style, image, HxStyle::PE_BlendCursor, QRect(10, 10, -4, 5));
    QPainter painter(&image);
    style.drawPrimitive(HxStyle::PE_PoseDot, nullptr, &painter);
    painter.end();
    QStyleOption option;
    option.rect = QRect(0, 0, 10, 10);
    style.drawPrimitive(HxStyle::PE_BlendCursor, &option, nullptr);
    EXPECT_EQ(image, canvas());
}

#include "test_hostui.moc"

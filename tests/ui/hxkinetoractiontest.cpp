#include "kinetoruitest.h"

#include "model/hxkinetorpose.h"
#include "ui/hxkinetorextendframesaction.h"
#include "ui/hxkinetorfillframesaction.h"
#include "ui/hxkinetorpaneaction.h"
#include "ui/hxkinetorplayaudioaction.h"
#include "ui/hxkinetorzoomtofitaction.h"

#include "hxcore/hxactionmenu.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxhelpmgr.h"
#include "hxcore/hxundostack.h"

#include <QPointer>

namespace {

class HxKinetorActionTest : public HxKinetorUiTest
{
protected:
    HxAction* action(const char* name) const { return actionMgr()->findAction(kinetorActions({name})[0]); }
    void run(const char* name) { action(name)->trigger(); }
};

TEST_F(HxKinetorActionTest, ThePaneMenuListsEveryActionNamedAfterItsClassAndToolTipsShowTheKey)
{
    createWindowWithPane();
    HxActionMenu menu(nullptr, actionMgr());
    m_pane->buildPaneMenu(&menu);
    const QStringList entries = menuEntries(&menu);
    EXPECT_EQ(entries,
              kinetorActions({"PlayAudio", "FillFrames", "ExtendFrames", "-", "ZoomToFit", "CenterView",
                              "ResetView", "-", "AddLayer", "DeleteLayer", "RenameLayer", "ClearLayer", "-",
                              "ClearLayerAnimation", "-", "DeletePose", "UpdatePose"}));
    EXPECT_EQ(actionMgr()->getNumActions(), 13);
    for (const QString& name : entries.filter(QStringLiteral("Action"))) {
        HxAction* found = actionMgr()->findAction(name);
        ASSERT_NE(found, nullptr) << qPrintable(name);
        EXPECT_EQ(QString::fromLatin1(found->metaObject()->className()), name);
        EXPECT_EQ(found->getActionGroup(), QStringLiteral("Kinetor"));
        EXPECT_EQ(found->isToggleAction(), entries.indexOf(name) < 3);
        EXPECT_TRUE(hxApp->getHelpMgr()->isRegistered(found));
    }
    HxKinetorPaneAction show;
    EXPECT_EQ(show.objectName(), QStringLiteral("HxKinetorPaneAction"));
    EXPECT_EQ(show.getPane(), m_pane);

    HxAction* zoom = action("ZoomToFit");
    EXPECT_EQ(zoom->toolTip(), QStringLiteral("Zoom so that all pose dots are visible."));
    zoom->setAccel(QKeySequence(QStringLiteral("Ctrl+K")));
    EXPECT_EQ(zoom->toolTip(), QStringLiteral("Zoom so that all pose dots are visible. (Ctrl+K)"));
}

TEST_F(HxKinetorActionTest, TogglesStartFromThePaneAndFollowItBothWays)
{
    createWindowWithPane(false);
    m_pane->setPlayAudio(false);
    m_pane->setExtendFrames(false);
    registerActions();
    const auto toggles = [&]() {
        return QList<bool>(
            {action("PlayAudio")->isOn(), action("FillFrames")->isOn(), action("ExtendFrames")->isOn()});
    };
    EXPECT_EQ(toggles(), QList<bool>({false, true, false}));
    m_pane->setPlayAudio(true);
    m_pane->setFillFrames(false);
    EXPECT_EQ(toggles(), QList<bool>({true, false, false}));
    for (const char* name : {"PlayAudio", "FillFrames", "ExtendFrames"})
        run(name);
    EXPECT_EQ(QList<bool>({m_pane->playAudio(), m_pane->fillFrames(), m_pane->extendFrames()}),
              QList<bool>({false, true, true}));
    EXPECT_EQ(toggles(), QList<bool>({false, true, true}));
}

TEST_F(HxKinetorActionTest, WithoutAPaneTogglesWarnAndCommandsDoNothing)
{
    HxKinetorPlayAudioAction audio;
    HxKinetorFillFramesAction fill;
    HxKinetorExtendFramesAction extend;
    HxKinetorZoomToFitAction zoom;
    QStringList expected;
    const QStringList warnings = warningsDuring([&]() {
        for (const char* where : {"init()", "toggleAction(bool)"})
            for (HxAction* toggle : std::initializer_list<HxAction*>{&audio, &fill, &extend}) {
                qstrcmp(where, "init()") == 0 ? toggle->init() : toggle->trigger();
                expected << QStringLiteral("No HxKinetorPane instance found in %1::%2")
                                .arg(toggle->objectName(), QLatin1String(where));
            }
        zoom.trigger();
    });
    EXPECT_EQ(warnings, expected);
}

TEST_F(HxKinetorActionTest, CommandsReachTheActiveLayerAndPoseCommandsNeedASelectedDot)
{
    HxSkeleton* figure = addFigure();
    createWindowWithPane();
    HxKinetorLayer* layer = showLayerOf(figure);
    HxFloatProperty* x = figure->getXPosControl();
    const auto storedX = [&](HxKinetorPose* dot) {
        x->setValue(0.0f);
        dot->applyToNode();
        return x->getValue();
    };
    x->setValue(3.0f);
    HxKinetorPose* dot = layer->addPose(30, 40);
    layer->setActivePose(nullptr);
    x->setValue(7.0f);
    run("UpdatePose");
    run("DeletePose");
    EXPECT_EQ(layer->getNumPoses(), 1);
    EXPECT_FLOAT_EQ(storedX(dot), 3.0f) << "nothing selected, nothing updated";
    layer->setActivePose(dot);
    x->setValue(7.0f);
    run("UpdatePose");
    EXPECT_EQ(QPointF(dot->getX(), dot->getY()), QPointF(30, 40));
    EXPECT_FLOAT_EQ(storedX(dot), 7.0f);
    run("DeletePose");
    EXPECT_EQ(layer->getNumPoses(), 0);

    layer->addPose(100, 100);
    run("ClearLayer");
    EXPECT_EQ(layer->getNumPoses(), 0);
    QPointer<HxKinetorLayer> doomed = layer;
    run("DeleteLayer");
    EXPECT_EQ(m_pane->getActiveLayer(), nullptr);
    hxUndoStack->clear();
    EXPECT_TRUE(doomed.isNull()) << "its undo step held it until the history let go";
    run("UpdatePose");
    run("ZoomToFit");
}

} // namespace

#include "kinetoruitest.h"

#include "layer/hxpointcontrol.h"
#include "model/hxkinetorpose.h"
#include "ui/hxkinetoractionbase.h"
#include "ui/hxkinetorextendframesaction.h"
#include "ui/hxkinetorfillframesaction.h"
#include "ui/hxkinetorpaneaction.h"
#include "ui/hxkinetorplayaudioaction.h"
#include "ui/hxkinetorzoomtofitaction.h"

#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxhelpmgr.h"

#include <QPointer>

namespace {

const QStringList ActionNames = kinetorActions(
    {"PlayAudio", "FillFrames", "ExtendFrames", "ZoomToFit", "ResetView", "CenterView", "AddLayer",
     "DeleteLayer", "RenameLayer", "ClearLayer", "ClearLayerAnimation", "DeletePose", "UpdatePose"});

class HxKinetorActionTest : public HxKinetorUiTest
{
protected:
    HxAction* action(const QString& name) const { return actionMgr()->findAction(name); }
    void run(const QString& name) { action(name)->trigger(); }
};

TEST_F(HxKinetorActionTest, ActionsAreNamedAfterTheirClassesAndListedUnderKinetor)
{
    createWindowWithPane();
    ASSERT_EQ(actionMgr()->getNumActions(), 13);
    for (const QString& name : ActionNames) {
        HxAction* found = action(name);
        ASSERT_NE(found, nullptr) << qPrintable(name);
        EXPECT_EQ(found->objectName(), name);
        EXPECT_EQ(QString::fromLatin1(found->metaObject()->className()), name);
        EXPECT_TRUE(found->inherits("HxKinetorActionBase"));
        EXPECT_EQ(found->getActionGroup(), QStringLiteral("Kinetor"));
        EXPECT_FALSE(found->getDescription().isEmpty());
        EXPECT_EQ(found->isToggleAction(), name.endsWith(QStringLiteral("AudioAction")) ||
                                               name.endsWith(QStringLiteral("FramesAction")));
        EXPECT_TRUE(hxApp->getHelpMgr()->isRegistered(found));
    }
    EXPECT_EQ(action(QStringLiteral("HxKinetorZoomToFitAction"))->text(), QStringLiteral("Zoom to Fit"));
    EXPECT_EQ(action(QStringLiteral("HxKinetorUpdatePoseAction"))->toolTip(),
              QStringLiteral("Saves the figure's current pose to the selected pose dot."));

    HxKinetorPaneAction show;
    EXPECT_EQ(show.objectName(), QStringLiteral("HxKinetorPaneAction"));
    EXPECT_EQ(show.getPaneClassName(), QStringLiteral("HxKinetorPane"));
    EXPECT_EQ(show.getPane(), m_pane);
}

TEST_F(HxKinetorActionTest, AcceleratorIsAppendedToTheToolTip)
{
    HxKinetorZoomToFitAction plain;
    const QString description = QStringLiteral("Zoom so that all pose dots are visible.");
    EXPECT_EQ(plain.toolTip(), description);
    plain.setAccel(QKeySequence());
    EXPECT_EQ(plain.toolTip(), description);

    HxKinetorZoomToFitAction withKey;
    withKey.setAccel(QKeySequence(QStringLiteral("Ctrl+K")));
    EXPECT_EQ(withKey.toolTip(), description + QStringLiteral(" (Ctrl+K)"));
    EXPECT_EQ(withKey.accel(), QKeySequence(QStringLiteral("Ctrl+K")));
}

TEST_F(HxKinetorActionTest, TogglesStartFromThePaneAndFollowItBothWays)
{
    createWindowWithPane(false);
    m_pane->setPlayAudio(false);
    m_pane->setExtendFrames(false);
    registerActions();
    HxAction* audio = action(QStringLiteral("HxKinetorPlayAudioAction"));
    HxAction* fill = action(QStringLiteral("HxKinetorFillFramesAction"));
    HxAction* extend = action(QStringLiteral("HxKinetorExtendFramesAction"));
    EXPECT_FALSE(audio->isOn());
    EXPECT_TRUE(fill->isOn());
    EXPECT_FALSE(extend->isOn());

    // From a script.
    m_pane->setPlayAudio(true);
    m_pane->setFillFrames(false);
    EXPECT_TRUE(audio->isOn());
    EXPECT_FALSE(fill->isOn());

    // From the menu.
    audio->trigger();
    EXPECT_FALSE(m_pane->playAudio());
    EXPECT_FALSE(audio->isOn());
    extend->trigger();
    EXPECT_TRUE(m_pane->extendFrames());
    fill->trigger();
    EXPECT_TRUE(m_pane->fillFrames());
}

TEST_F(HxKinetorActionTest, WithoutAPaneTogglesWarnAndCommandsDoNothing)
{
    HxKinetorPlayAudioAction audio;
    HxKinetorFillFramesAction fill;
    HxKinetorExtendFramesAction extend;
    HxWarningCapture warnings;
    audio.init();
    fill.init();
    extend.init();
    audio.trigger();
    fill.trigger();
    extend.trigger();
    HxKinetorZoomToFitAction zoom;
    zoom.trigger();
    const QStringList expected = {
        QStringLiteral("No HxKinetorPane instance found in HxKinetorPlayAudioAction::init()"),
        QStringLiteral("No HxKinetorPane instance found in HxKinetorFillFramesAction::init()"),
        QStringLiteral("No HxKinetorPane instance found in HxKinetorExtendFramesAction::init()"),
        QStringLiteral("No HxKinetorPane instance found in HxKinetorPlayAudioAction::toggleAction(bool)"),
        QStringLiteral("No HxKinetorPane instance found in HxKinetorFillFramesAction::toggleAction(bool)"),
        QStringLiteral("No HxKinetorPane instance found in HxKinetorExtendFramesAction::toggleAction(bool)")};
    EXPECT_EQ(warnings.messages(), expected);
}

TEST_F(HxKinetorActionTest, PoseCommandsNeedASelectedDotAndUpdateKeepsItsPlace)
{
    HxSkeleton* figure = addFigure(QStringLiteral("Figure"), {QStringLiteral("hip")});
    createWindowWithPane();
    m_pane->primarySelectionChanged(figure);
    HxKinetorLayer* layer = m_pane->getActiveLayer();
    ASSERT_NE(layer, nullptr);

    HxFloatProperty* x = figure->getXPosControl();
    x->setValue(3.0f);
    HxKinetorPose* dot = layer->addPose(30, 40);
    layer->setActivePose(nullptr);
    x->setValue(7.0f);
    run(QStringLiteral("HxKinetorUpdatePoseAction"));
    run(QStringLiteral("HxKinetorDeletePoseAction"));
    EXPECT_EQ(layer->getNumPoses(), 1);
    x->setValue(0.0f);
    dot->applyToNode();
    EXPECT_FLOAT_EQ(x->getValue(), 3.0f) << "nothing selected, nothing updated";

    layer->setActivePose(dot);
    x->setValue(7.0f);
    run(QStringLiteral("HxKinetorUpdatePoseAction"));
    EXPECT_FLOAT_EQ(dot->getX(), 30.0f);
    EXPECT_FLOAT_EQ(dot->getY(), 40.0f);
    x->setValue(0.0f);
    dot->applyToNode();
    EXPECT_FLOAT_EQ(x->getValue(), 7.0f);

    run(QStringLiteral("HxKinetorDeletePoseAction"));
    EXPECT_EQ(layer->getNumPoses(), 0);
    EXPECT_EQ(layer->getActivePose(), nullptr);
    run(QStringLiteral("HxKinetorDeletePoseAction"));

    // No active layer at all.
    m_pane->deleteAllLayers(figure);
    run(QStringLiteral("HxKinetorUpdatePoseAction"));
    run(QStringLiteral("HxKinetorZoomToFitAction"));
    EXPECT_EQ(m_pane->getActiveLayer(), nullptr);
}

TEST_F(HxKinetorActionTest, ViewAndLayerCommandsReachTheActiveLayer)
{
    HxSkeleton* figure = addFigure(QStringLiteral("Figure"), {QStringLiteral("hip")});
    createWindowWithPane();
    m_window->resize(900, 700);
    m_window->show();
    m_pane->primarySelectionChanged(figure);
    HxKinetorLayer* layer = m_pane->getActiveLayer();
    HxKinetorLayerView* view = layer->getView();
    layer->addPose(100, 100);
    layer->addPose(300, 160);

    run(QStringLiteral("HxKinetorZoomToFitAction"));
    const float fitted = view->getZoom();
    EXPECT_NE(fitted, 1.0f);
    view->setOrigin(1000.0f, 1000.0f);
    run(QStringLiteral("HxKinetorCenterViewAction"));
    EXPECT_FLOAT_EQ(view->getZoom(), fitted);
    int px = 0;
    int py = 0;
    view->layerToView(200.0f, 130.0f, px, py);
    EXPECT_NEAR(px, view->width() / 2, 1);
    EXPECT_NEAR(py, view->height() / 2, 1);
    run(QStringLiteral("HxKinetorResetViewAction"));
    EXPECT_FLOAT_EQ(view->getZoom(), 1.0f);
    EXPECT_FLOAT_EQ(view->getOriginX(), 0.0f);

    // Clear Layer Animation clears the play range only.
    HxFloatProperty* x = figure->getXPosControl();
    HxKinetorPose* moved = layer->getPoses().last();
    x->setValue(9.0f);
    layer->setPose(moved);
    x->setValue(0, 1.0f);
    x->setValue(hxScene->getPlayRange().end + 160, 2.0f);
    layer->getCursor()->setKey(480);
    run(QStringLiteral("HxKinetorClearLayerAnimationAction"));
    EXPECT_FLOAT_EQ(x->getValue(0), 2.0f) << "the key inside the play range is gone";
    EXPECT_EQ(layer->getCursor()->findKey(480), nullptr);

    run(QStringLiteral("HxKinetorClearLayerAction"));
    EXPECT_EQ(layer->getNumPoses(), 0);

    HxKinetorLayerGroup* group = m_pane->getActiveLayerGroup();
    answerInputDialogSoon(m_timers.get(), QStringLiteral("Second"), true);
    run(QStringLiteral("HxKinetorAddLayerAction"));
    ASSERT_EQ(group->count(), 2);
    answerInputDialogSoon(m_timers.get(), QStringLiteral("Renamed"), true);
    run(QStringLiteral("HxKinetorRenameLayerAction"));
    EXPECT_EQ(group->tabText(1), QStringLiteral("Renamed"));
    QPointer<HxKinetorLayer> doomed = m_pane->getActiveLayer();
    run(QStringLiteral("HxKinetorDeleteLayerAction"));
    EXPECT_EQ(group->count(), 1);
    EXPECT_TRUE(doomed.isNull());
}

} // namespace

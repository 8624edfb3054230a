#include "kinetoruitest.h"

#include "io/hxkinetorelementdata.h"
#include "layer/hxpointcontrol.h"

#include "hxcore/hxactionmenu.h"
#include "hxcore/hxnodemenu.h"
#include "hxcore/hxscript.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QPointer>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStackedWidget>

namespace {

class HxKinetorPaneTest : public HxKinetorUiTest
{
protected:
    void TearDown() override
    {
        m_ownPane.reset();
        HxKinetorUiTest::TearDown();
    }
    HxKinetorPane* makePane()
    {
        m_ownPane = std::make_unique<HxKinetorPane>();
        return m_ownPane.get();
    }
    std::unique_ptr<HxKinetorPane> m_ownPane;
};

TEST_F(HxKinetorPaneTest, BuiltOverASceneItShowsTheDefaultGroupAndGivesEveryNonBoneNodeAGroup)
{
    HxSkeleton* figure =
        addFigure(QStringLiteral("Figure"), {QStringLiteral("hip"), QStringLiteral("chest")});
    HxNode* prop = addNode(QStringLiteral("Prop"));
    HxNode* hidden = addNode(QStringLiteral("Hidden"), true);
    // A node that already carries its data keeps that item.
    auto* existing = new HxKinetorElementData;
    prop->addDataItem(existing);

    HxKinetorPane* pane = makePane();
    EXPECT_EQ(pane->objectName(), QStringLiteral("Kinetor"));
    EXPECT_EQ(pane->getTitle(), QStringLiteral("Kinetor"));
    EXPECT_EQ(pane->getActiveLayerGroup(), pane->getLayerGroupByNode(nullptr));
    EXPECT_EQ(pane->getLayerGroupByNode(nullptr)->objectName(), QStringLiteral("KinetorLayerGroup"));
    EXPECT_EQ(pane->getNodeMenu()->getCurrent(), nullptr);
    EXPECT_EQ(pane->getCurrentNode(), nullptr);
    EXPECT_EQ(pane->getNumLayerGroups(), 4);
    for (HxNode* node : {static_cast<HxNode*>(figure), prop, hidden}) {
        ASSERT_NE(pane->getLayerGroupByNode(node), nullptr) << qPrintable(node->objectName());
        EXPECT_EQ(pane->getLayerGroupByNode(node)->getNode(), node);
        EXPECT_NE(node->findDataItem(QStringLiteral("KinetorData")), nullptr);
    }
    EXPECT_EQ(prop->findDataItem(QStringLiteral("KinetorData")), existing);
    EXPECT_EQ(prop->dataItems().size(), 1);
    auto* data = qobject_cast<HxKinetorElementData*>(figure->findDataItem(QStringLiteral("KinetorData")));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->getNode(), figure);
    HxNode* bone = hxScene->findNode(QStringLiteral("hip"));
    ASSERT_NE(bone, nullptr);
    EXPECT_EQ(pane->getLayerGroupByNode(bone), nullptr);
    EXPECT_EQ(bone->findDataItem(QStringLiteral("KinetorData")), nullptr);

    // The node menu offers neither bones nor hidden nodes.
    pane->buildNodeList();
    EXPECT_EQ(pane->getNodeMenu()->getNodeList(), QList<HxNode*>({figure, prop}));
    EXPECT_EQ(pane->getNodeMenu()->objectName(), QStringLiteral("KinetorNodeMenu"));
    EXPECT_EQ(pane->getWidgetStack()->objectName(), QStringLiteral("KinetorLayerGroupWidgetStack"));
    EXPECT_GE(pane->minimumWidth(), 235);
    EXPECT_GE(pane->minimumHeight(), 335);
}

TEST_F(HxKinetorPaneTest, FollowsNodesAddedAndRemoved)
{
    HxKinetorPane* pane = makePane();
    HxNode* first = addNode(QStringLiteral("First"));
    EXPECT_EQ(pane->getCurrentNode(), first);
    EXPECT_EQ(pane->getNodeMenu()->getCurrent(), first);
    EXPECT_EQ(pane->getActiveLayerGroup(), pane->getLayerGroupByNode(first));

    HxNode* second = addNode(QStringLiteral("Second"));
    EXPECT_EQ(pane->getCurrentNode(), first);
    EXPECT_EQ(pane->getActiveLayerGroup(), pane->getLayerGroupByNode(first));

    QPointer<HxKinetorLayerGroup> secondGroup = pane->getLayerGroupByNode(second);
    hxScene->removeNode(second);
    EXPECT_TRUE(secondGroup.isNull());
    EXPECT_EQ(pane->getCurrentNode(), first);

    QPointer<HxKinetorLayerGroup> firstGroup = pane->getLayerGroupByNode(first);
    QPointer<HxKinetorLayer> firstLayer = firstGroup->layerAt(0);
    hxScene->removeNode(first);
    EXPECT_TRUE(firstGroup.isNull());
    EXPECT_TRUE(firstLayer.isNull());
    EXPECT_EQ(pane->getCurrentNode(), nullptr);
    EXPECT_EQ(pane->getActiveLayerGroup(), pane->getLayerGroupByNode(nullptr));
    EXPECT_EQ(pane->getNumLayerGroups(), 1);

    // With nothing current, the next node added becomes current.
    HxNode* third = addNode(QStringLiteral("Third"));
    EXPECT_EQ(pane->getCurrentNode(), third);
    EXPECT_EQ(pane->getActiveLayerGroup(), pane->getLayerGroupByNode(third));

    // A bone is never given a group, and a script passing null keeps the default.
    pane->nodeRemoved(nullptr);
    EXPECT_NE(pane->getLayerGroupByNode(nullptr), nullptr);
}

TEST_F(HxKinetorPaneTest, SelectionShowsTheFigureOfABoneAndNothingSelectedChangesNothing)
{
    HxSkeleton* figure = addFigure(QStringLiteral("Figure"), {QStringLiteral("hip")});
    HxNode* prop = addNode(QStringLiteral("Prop"));
    HxKinetorPane* pane = makePane();
    pane->show();

    hxScene->setPrimarySelection(hxScene->findNode(QStringLiteral("hip")));
    EXPECT_EQ(pane->getCurrentNode(), figure);
    EXPECT_EQ(pane->getNodeMenu()->getCurrent(), figure);
    EXPECT_EQ(pane->getActiveLayerGroup(), pane->getLayerGroupByNode(figure));

    hxScene->setPrimarySelection(nullptr);
    EXPECT_EQ(pane->getCurrentNode(), figure);
    EXPECT_EQ(pane->getActiveLayerGroup(), pane->getLayerGroupByNode(figure));

    hxScene->setPrimarySelection(prop);
    EXPECT_EQ(pane->getActiveLayerGroup(), pane->getLayerGroupByNode(prop));
    EXPECT_EQ(pane->getActiveLayerView(), pane->getLayerGroupByNode(prop)->currentWidget());
    EXPECT_EQ(pane->getActiveLayer(), pane->getLayerGroupByNode(prop)->currentLayer());

    // A person's pick in the node menu switches as well.
    emit pane->getNodeMenu()->selectionChanged(figure);
    EXPECT_EQ(pane->getActiveLayerGroup(), pane->getLayerGroupByNode(figure));

    pane->getLayerGroupByNode(figure)->deleteAllLayers();
    EXPECT_EQ(pane->getActiveLayerView(), nullptr);
    EXPECT_EQ(pane->getActiveLayer(), nullptr);
    pane->clearLayer();
    pane->clearLayerAnimation();
    pane->deleteLayer();
}

TEST_F(HxKinetorPaneTest, ModesOptionsAndSceneClear)
{
    HxKinetorPane* pane = makePane();
    EXPECT_EQ(pane->mode(), HxKinetorPane::EditMode);
    pane->setMode(5);
    EXPECT_EQ(pane->mode(), HxKinetorPane::EditMode);
    pane->setMode(2);
    EXPECT_EQ(pane->mode(), HxKinetorPane::RecordMode);
    EXPECT_TRUE(pane->findChild<QRadioButton*>(QStringLiteral("KinetorRecordModeButton"))->isChecked());
    pane->setMode(-1);
    EXPECT_EQ(pane->mode(), HxKinetorPane::RecordMode);

    // A click on a button reaches the mode as well.
    pane->findChild<QRadioButton*>(QStringLiteral("KinetorPreviewModeButton"))->click();
    EXPECT_EQ(pane->mode(), HxKinetorPane::PreviewMode);

    QSignalSpy audio(pane, &HxKinetorPane::playAudioChanged);
    QSignalSpy fill(pane, &HxKinetorPane::fillFramesChanged);
    QSignalSpy extend(pane, &HxKinetorPane::extendFramesChanged);
    EXPECT_TRUE(pane->playAudio());
    pane->setPlayAudio(true);
    pane->setFillFrames(false);
    pane->setExtendFrames(true);
    pane->setExtendFrames(false);
    ASSERT_EQ(audio.count(), 1);
    EXPECT_TRUE(audio.at(0).at(0).toBool());
    ASSERT_EQ(fill.count(), 1);
    EXPECT_FALSE(fill.at(0).at(0).toBool());
    EXPECT_EQ(extend.count(), 2);
    EXPECT_FALSE(pane->fillFrames());
    EXPECT_FALSE(pane->extendFrames());

    hxScene->clear();
    EXPECT_EQ(pane->mode(), HxKinetorPane::EditMode);
    EXPECT_TRUE(pane->playAudio());
    EXPECT_FALSE(pane->fillFrames());
    EXPECT_FALSE(pane->extendFrames());
}

TEST_F(HxKinetorPaneTest, ResizeKeepsAFivePixelMargin)
{
    HxKinetorPane* pane = makePane();
    pane->show();
    pane->resize(300, 400);
    EXPECT_EQ(pane->getLayoutBox()->geometry(), QRect(5, 5, 290, 390));
    pane->resize(400, 500);
    EXPECT_EQ(pane->getLayoutBox()->geometry(), QRect(5, 5, 390, 490));
}

TEST_F(HxKinetorPaneTest, TimeReachesTheActiveLayerOnlyOutsideEditMode)
{
    HxNode* prop = addNode(QStringLiteral("Prop"));
    HxKinetorPane* pane = makePane();
    pane->primarySelectionChanged(prop);
    pane->setFillFrames(false);
    HxPointControl* cursor = pane->getActiveLayer()->getCursor();
    cursor->setPosition(0.0f, 0.0f);
    cursor->setKey(0);
    cursor->setPosition(100.0f, 40.0f);
    cursor->setKey(480);
    cursor->setPosition(-1.0f, -1.0f);

    hxScene->setTime(240);
    EXPECT_FLOAT_EQ(cursor->x(), -1.0f);
    pane->setMode(HxKinetorPane::PreviewMode);
    hxScene->setTime(120);
    EXPECT_FLOAT_EQ(cursor->x(), 25.0f);
    EXPECT_FLOAT_EQ(cursor->y(), 10.0f);
    pane->setMode(HxKinetorPane::RecordMode);
    hxScene->setTime(360);
    EXPECT_FLOAT_EQ(cursor->x(), 75.0f);
}

TEST_F(HxKinetorPaneTest, AddLayerByNodeAndTitle)
{
    HxNode* prop = addNode(QStringLiteral("Prop"));
    auto* stray = new HxNode(QStringLiteral("Stray"));
    std::unique_ptr<HxNode> strayOwner(stray);
    HxKinetorPane* pane = makePane();

    HxKinetorLayer* added = pane->addLayer(nullptr, QStringLiteral("A"));
    ASSERT_NE(added, nullptr);
    HxKinetorLayerGroup* defaults = pane->getLayerGroupByNode(nullptr);
    EXPECT_EQ(defaults->count(), 2);
    EXPECT_EQ(defaults->tabText(1), QStringLiteral("A"));
    EXPECT_EQ(added->getNode(), nullptr);
    EXPECT_EQ(added->getPane(), pane);

    EXPECT_EQ(pane->addLayer(prop, QString()), nullptr);
    EXPECT_EQ(pane->getLayerGroupByNode(prop)->count(), 1);
    EXPECT_EQ(pane->addLayer(stray, QStringLiteral("B")), nullptr);
    HxKinetorLayer* onProp = pane->addLayer(prop, QStringLiteral("B"));
    ASSERT_NE(onProp, nullptr);
    EXPECT_EQ(onProp->getNode(), prop);

    pane->deleteAllLayers(stray);
    pane->deleteAllLayers(prop);
    EXPECT_EQ(pane->getLayerGroupByNode(prop)->count(), 0);
    pane->deleteEmptyDefaultLayer(nullptr);
    EXPECT_EQ(defaults->count(), 2) << "two tabs: not the untouched default";
}

TEST_F(HxKinetorPaneTest, LayerDialogsAddAndRenameOnlyWhenConfirmedWithAName)
{
    HxKinetorPane* pane = makePane();
    HxKinetorLayerGroup* group = pane->getActiveLayerGroup();
    auto proposal = std::make_shared<QString>();

    answerInputDialogSoon(m_timers.get(), QStringLiteral("Walk"), true, proposal);
    pane->addLayer();
    EXPECT_EQ(*proposal, QStringLiteral("Layer 2"));
    ASSERT_EQ(group->count(), 2);
    EXPECT_EQ(group->tabText(1), QStringLiteral("Walk"));

    answerInputDialogSoon(m_timers.get(), QStringLiteral("Ignored"), false);
    pane->addLayer();
    answerInputDialogSoon(m_timers.get(), QString(), true);
    pane->addLayer();
    EXPECT_EQ(group->count(), 2);

    answerInputDialogSoon(m_timers.get(), QStringLiteral("Run"), true, proposal);
    pane->renameLayer();
    EXPECT_EQ(*proposal, QStringLiteral("Walk"));
    EXPECT_EQ(group->tabText(1), QStringLiteral("Run"));
    EXPECT_EQ(group->currentLayer()->getName(), QStringLiteral("Run"));
    answerInputDialogSoon(m_timers.get(), QString(), true);
    pane->renameLayer();
    EXPECT_EQ(group->tabText(1), QStringLiteral("Run"));

    pane->deleteLayer();
    EXPECT_EQ(group->count(), 1);
}

TEST_F(HxKinetorPaneTest, StateScriptRestoresTheThreeOptions)
{
    HxKinetorPane* pane = makePane();
    const QString stars = QStringLiteral("/") + QString(69, QLatin1Char('*')) + QStringLiteral("/\n");
    const auto expected = [&](const char* audio, const char* fill, const char* extend) {
        return stars + QStringLiteral("// Kinetor Tab State:\n\n") +
               QStringLiteral(
                   "var o_kinetorPane = MainWindow.getPaneMgr().findPane( \"HxKinetorPane\" );\n") +
               QStringLiteral("if( o_kinetorPane != undefined ) {\n") +
               QStringLiteral("\to_kinetorPane.setPlayAudio( %1 )\n").arg(QLatin1String(audio)) +
               QStringLiteral("\to_kinetorPane.setFillFrames( %1 )\n").arg(QLatin1String(fill)) +
               QStringLiteral("\to_kinetorPane.setExtendFrames( %1 )\n").arg(QLatin1String(extend)) +
               QStringLiteral("}\n\n");
    };

    HxScript script;
    emit hxApp->saveStateScript(script);
    EXPECT_EQ(script.text(), expected("true", "true", "true"));

    pane->setFillFrames(false);
    HxScript second;
    pane->saveStateScript(second);
    EXPECT_EQ(second.text(), expected("true", "false", "true"));
    pane->setPlayAudio(false);
    pane->setExtendFrames(false);
    pane->saveStateScript(second);
    EXPECT_EQ(second.text(), expected("true", "false", "true") + expected("false", "false", "false"));
}

TEST_F(HxKinetorPaneTest, PaneMenuListsEveryActionInItsGroups)
{
    HxKinetorPane* pane = createWindowWithPane();
    HxActionMenu menu(nullptr, actionMgr());
    EXPECT_TRUE(pane->hasPaneMenu());
    pane->buildPaneMenu(&menu);
    QStringList entries;
    for (QAction* entry : menu.actions())
        entries.append(entry->isSeparator() ? QStringLiteral("-") : entry->objectName());
    EXPECT_EQ(entries,
              kinetorActions({"PlayAudio", "FillFrames", "ExtendFrames", "-", "ZoomToFit", "CenterView",
                              "ResetView", "-", "AddLayer", "DeleteLayer", "RenameLayer", "ClearLayer", "-",
                              "ClearLayerAnimation", "-", "DeletePose", "UpdatePose"}));
    EXPECT_EQ(m_window->getPaneMgr()->findPane(QStringLiteral("HxKinetorPane")), pane);
}

} // namespace

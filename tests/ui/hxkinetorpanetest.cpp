#include "kinetoruitest.h"

#include "io/hxkinetorelementdata.h"

#include "hxcore/hxnodemenu.h"
#include "hxcore/hxscript.h"

#include <QPointer>
#include <QRadioButton>
#include <QSignalSpy>

namespace {

class HxKinetorPaneTest : public HxKinetorUiTest
{
protected:
    HxKinetorLayerGroup* groupOf(HxNode* node) const { return m_pane->getLayerGroupByNode(node); }
    void expectShows(HxNode* node) const { EXPECT_EQ(m_pane->getActiveLayerGroup(), groupOf(node)); }
};

TEST_F(HxKinetorPaneTest, BuiltOverASceneItShowsTheDefaultGroupAndGivesEveryNonBoneNodeAGroup)
{
    HxSkeleton* figure = addFigure();
    HxNode* prop = addNode(QStringLiteral("Prop"));
    HxNode* hidden = addNode(QStringLiteral("Hidden"));
    hidden->setHidden(true);

    createWindowWithPane(false);
    expectShows(nullptr);
    EXPECT_EQ(m_pane->getNodeMenu()->getCurrent(), nullptr);
    EXPECT_EQ(m_pane->getNumLayerGroups(), 4);
    for (HxNode* node : {static_cast<HxNode*>(figure), prop, hidden}) {
        ASSERT_NE(groupOf(node), nullptr) << qPrintable(node->objectName());
        EXPECT_EQ(groupOf(node)->getNode(), node);
        auto* data = qobject_cast<HxKinetorElementData*>(node->findDataItem(QStringLiteral("KinetorData")));
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(data->getNode(), node);
    }
    HxNode* bone = hxScene->findNode(QStringLiteral("hip"));
    EXPECT_EQ(groupOf(bone), nullptr);
    EXPECT_TRUE(bone->dataItems().isEmpty());
    m_pane->buildNodeList();
    EXPECT_EQ(m_pane->getNodeMenu()->getNodeList(), QList<HxNode*>({figure, prop}))
        << "no bones or hidden nodes";

    HxKinetorLayer* added = m_pane->addLayer(nullptr, QStringLiteral("A"));
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(groupOf(nullptr)->tabText(1), QStringLiteral("A"));
    EXPECT_EQ(added->getPane(), m_pane);
    HxNode stray(QStringLiteral("Stray"));
    EXPECT_EQ(m_pane->addLayer(prop, QString()), nullptr);
    EXPECT_EQ(m_pane->addLayer(&stray, QStringLiteral("B")), nullptr);
    EXPECT_EQ(m_pane->addLayer(prop, QStringLiteral("B"))->getNode(), prop);
}

TEST_F(HxKinetorPaneTest, FollowsNodesAddedAndRemovedAndTheSelection)
{
    createWindowWithPane(false);
    HxNode* first = addNode(QStringLiteral("First"));
    HxNode* second = addNode(QStringLiteral("Second"));
    EXPECT_EQ(m_pane->getCurrentNode(), first);
    EXPECT_EQ(m_pane->getNodeMenu()->getCurrent(), first);
    expectShows(first);
    QPointer<HxKinetorLayer> firstLayer = groupOf(first)->layerAt(0);
    hxScene->removeNode(first);
    EXPECT_TRUE(firstLayer.isNull());
    EXPECT_EQ(m_pane->getCurrentNode(), nullptr);
    expectShows(nullptr);

    HxSkeleton* figure = addFigure();
    EXPECT_EQ(m_pane->getCurrentNode(), figure)
        << "with nothing current, the next node added becomes current";
    hxScene->setPrimarySelection(second);
    expectShows(second);
    EXPECT_EQ(m_pane->getActiveLayer(), groupOf(second)->currentLayer());
    hxScene->setPrimarySelection(hxScene->findNode(QStringLiteral("hip")));
    EXPECT_EQ(m_pane->getNodeMenu()->getCurrent(), figure);
    expectShows(figure);
    hxScene->setPrimarySelection(nullptr);
    expectShows(figure);
    emit m_pane->getNodeMenu()->selectionChanged(second);
    expectShows(second);
}

TEST_F(HxKinetorPaneTest, ModesOptionsStateScriptSceneClearResizeAndTime)
{
    createWindowWithPane(false);
    m_pane->setMode(5);
    EXPECT_EQ(m_pane->mode(), HxKinetorPane::EditMode);
    m_pane->setMode(2);
    EXPECT_EQ(m_pane->mode(), HxKinetorPane::RecordMode);
    m_pane->findChild<QRadioButton*>(QStringLiteral("KinetorPreviewModeButton"))->click();
    EXPECT_EQ(m_pane->mode(), HxKinetorPane::PreviewMode);

    // Setters emit even when nothing changes.
    QSignalSpy audio(m_pane, &HxKinetorPane::playAudioChanged);
    QSignalSpy fill(m_pane, &HxKinetorPane::fillFramesChanged);
    QSignalSpy extend(m_pane, &HxKinetorPane::extendFramesChanged);
    m_pane->setPlayAudio(true);
    m_pane->setFillFrames(false);
    m_pane->setExtendFrames(false);
    m_pane->setExtendFrames(false);
    EXPECT_EQ(QList<qsizetype>({audio.count(), fill.count(), extend.count()}), QList<qsizetype>({1, 1, 2}));
    EXPECT_EQ(fill.at(0).at(0), QVariant(false));
    hxScene->clear();
    EXPECT_EQ(m_pane->mode(), HxKinetorPane::EditMode);
    EXPECT_TRUE(m_pane->playAudio());
    EXPECT_FALSE(m_pane->fillFrames());
    EXPECT_FALSE(m_pane->extendFrames());

    // The state script restores the three options.
    const QString script =
        QStringLiteral("/") + QString(69, QLatin1Char('*')) +
        "/\n// Kinetor Tab State:\n\n"
        "var o_kinetorPane = MainWindow.getPaneMgr().findPane( \"HxKinetorPane\" );\n"
        "if( o_kinetorPane != undefined ) {\n\to_kinetorPane.setPlayAudio( %1 )\n"
        "\to_kinetorPane.setFillFrames( %2 )\n\to_kinetorPane.setExtendFrames( %3 )\n}\n\n";
    HxScript viaSignal;
    emit hxApp->saveStateScript(viaSignal);
    EXPECT_EQ(viaSignal.text(), script.arg("true", "false", "false"));
    m_pane->setExtendFrames(true);
    HxScript direct;
    m_pane->saveStateScript(direct);
    EXPECT_EQ(direct.text(), script.arg("true", "false", "true"));

    m_pane->primarySelectionChanged(addNode(QStringLiteral("Prop")));
    HxPointControl* cursor = keyCursor(m_pane->getActiveLayer(), {100, 40});
    hxScene->setTime(240);
    EXPECT_FLOAT_EQ(cursor->x(), -1.0f) << "Edit mode forwards no time";
    m_pane->setMode(HxKinetorPane::PreviewMode);
    hxScene->setTime(120);
    EXPECT_EQ(QPointF(cursor->x(), cursor->y()), QPointF(25, 10));

    HxKinetorPane loose;
    loose.show();
    loose.resize(300, 400);
    EXPECT_EQ(loose.getLayoutBox()->geometry(), QRect(5, 5, 290, 390));
}

} // namespace

#include "../model/modeltestsupport.h"

#include "io/hxkinetorfilter.h"
#include "io/hxkinetorfilterframe.h"
#include "io/hxkinetorpresettext.h"
#include "layer/hxkinetorlayer.h"
#include "model/hxkinetornodedata.h"
#include "model/hxkinetorpose.h"
#include "ui/hxkinetorlayergroup.h"
#include "ui/hxkinetorpane.h"

#include "hxcore/hxmainwindow.h"
#include "hxcore/hxpanemgr.h"
#include "hxcore/hxscript.h"
#include "hxcore/hxscriptengine.h"
#include "hxcore/hxscriptmessagebox.h"

#include <QFile>
#include <QRadioButton>
#include <QTreeWidget>

namespace {

// Lines at an indent level, each ending in a line break.
QString lines(int indent, std::initializer_list<const char*> texts)
{
    QString text;
    for (const char* line : texts)
        text += QString(indent, QLatin1Char('\t')) + QString::fromUtf8(line) + QLatin1Char('\n');
    return text;
}

QString readText(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll())
                                          : QStringLiteral("<unreadable>");
}

// A window with the pane and a figure "Fig" with one bone "hip", a morph
// "Smile" and the properties "Breathing" and "Tension"; its layers are A
// (one pose at 12.5, 40) and B (no poses).
class HxKinetorFilterTest : public HxAppTest
{
protected:
    void SetUp() override
    {
        HxAppTest::SetUp();
        HxKinetorFilter::selectedLayers().clear();
        m_window = std::make_unique<HxMainWindow>();
        m_pane = new HxKinetorPane;
        m_window->getPaneMgr()->addPane(m_pane);
        m_figure = addFigure("Fig", {"hip"});
        addMorph(m_figure, "Smile", "Smile");
        addOwnProperty(m_figure, "Breathing", "Breathing");
        addOwnProperty(m_figure, "Tension", "Tension");

        m_group = m_pane->getLayerGroupByNode(m_figure);
        m_group->renameCurrentLayer("A");
        HxKinetorLayer* a = m_group->layerAt(0);
        HxKinetorPose* pose = a->newPose(0, 0);
        pose->setPosition(12.5f, 40.0f);
        HxKinetorNodeData* hip = pose->findNodeData("hip");
        hip->setPos(HxVec3(1000001.0f, -2.5f, 0.0f));
        hip->setScale(HxVec3(0.5f, 1.0f, 1.0f), 1.0);
        HxKinetorNodeData* figure = pose->findNodeData("Fig", true);
        figure->addPropVal(m_figure, "Smile", 0.25);
        figure->addPropVal(m_figure, "Tension", 0.75);
        a->addPose(pose, false);
        m_group->addLayer("B");
        hxScene->setPrimarySelection(m_figure->findBone("hip"));
    }
    void TearDown() override
    {
        m_window.reset();
        HxKinetorFilter::selectedLayers().clear();
        HxAppTest::TearDown();
    }

    // The whole text, or the file's text when the filter wrote one.
    QString written(unsigned int* status = nullptr)
    {
        HxKinetorFilter filter;
        const QString target = m_scratch.filePath("preset.js");
        QFile::remove(target);
        const unsigned int result = filter.writeToFile(target, HxScript::PlainText, {});
        if (status)
            *status = result;
        return readText(target);
    }

    // Runs the options frame: everything, or only the layers named.
    static void chooseLayers(const QStringList& names, bool fromList)
    {
        HxKinetorFilterFrame frame;
        if (fromList)
            frame.getSaveFromListButton()->setChecked(true);
        QTreeWidget* list = frame.getLayerListView();
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = list->topLevelItem(i);
            item->setCheckState(0, names.contains(item->text(1)) ? Qt::Checked : Qt::Unchecked);
        }
        frame.applyOptions();
    }

    std::unique_ptr<HxMainWindow> m_window;
    HxKinetorPane* m_pane = nullptr;
    HxSkeleton* m_figure = nullptr;
    HxKinetorLayerGroup* m_group = nullptr;
};

const QString kLayerA =
    lines(2, {"// Layer Section", "if( aLayerNames[0] == \"A\" ){"}) +
    lines(3, {"var oLayer = oKinetorPane.addLayer( oNode, \"A\" );", "// Pose Section",
              "var oPose = oLayer.newPose( 12.5, 40 );", "// Node Data  Section",
              "var sNodeName = new String( \"hip\" );", "var oNodeData = 0;", "var oCurrNode = 0;",
              "if( oNode.inherits(\"HxSkeleton\") ){"}) +
    lines(4, {"oCurrNode = oNode.findBone( sNodeName );"}) +
    lines(3, {"}", "oNodeData = oPose.findNodeData( sNodeName );", "if( oNodeData && oCurrNode ){"}) +
    lines(4, {"// Bone Data Transform Section", "oNodeData.setPos( new HxVec3( 1e+06, -2.5, 0 ) );",
              "oNodeData.setScale( new HxVec3( 0.5, 1, 1 ), 1 );",
              "oNodeData.setRot( new HxQuat( 0, 0, 0, 1 ) );", "// Bone Data Property Section"}) +
    lines(3, {"}", "// Node Data  Section", "var sNodeName = new String( \"Fig\" );", "var oNodeData = 0;",
              "var oCurrNode = 0;", "oCurrNode = oNode;",
              "oNodeData = oPose.findNodeData( sNodeName, true );", "if( oNodeData && oCurrNode ){"}) +
    lines(4,
          {"// Bone Data Transform Section", "oNodeData.setPos( new HxVec3( 0, 0, 0 ) );",
           "oNodeData.setScale( new HxVec3( 1, 1, 1 ), 1 );", "oNodeData.setRot( new HxQuat( 0, 0, 0, 1 ) );",
           "// Bone Data Property Section", "oNodeData.addPropVal( oCurrNode, \"Smile\", 0.25 );",
           "oNodeData.addPropVal( oCurrNode, \"Tension\", 0.75 );"}) +
    lines(3, {"}", "oLayer.addPose( oPose, false );", "oLayer.zoomOutToFit();"}) + lines(2, {"}"});

QString layerB(int position)
{
    return lines(2, {"// Layer Section"}) +
           QStringLiteral("\t\tif( aLayerNames[%1] == \"B\" ){\n").arg(position) +
           lines(3, {"var oLayer = oKinetorPane.addLayer( oNode, \"B\" );", "oLayer.zoomOutToFit();"}) +
           lines(2, {"}"});
}

QString preset(const QString& names, const QString& blocks)
{
    return kinetorPresetHead() + names + kinetorPresetMiddle() + kinetorPresetCreateLayersHead() + blocks +
           QStringLiteral("\t}\n}\n\n");
}

} // namespace

// Both layers: the last tab ends the name list without a comma; the bone
// gets the findBone form, the figure the top-level form; the property
// without a stored value (Breathing) has no line.
TEST_F(HxKinetorFilterTest, AllLayersAreWrittenLineForLine)
{
    chooseLayers({}, false);
    EXPECT_EQ(HxKinetorFilter::selectedLayers(), QList<QString>({"A_0", "B_1"}));
    unsigned int status = 1;
    const QString text = written(&status);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(text, preset("\t\t\"A\",\n\t\t\"B\"\n", kLayerA + layerB(1)));
}

// Only A: it keeps its comma (it is not the last tab); nothing checked
// leaves an empty list and no blocks. A save without a new choice repeats
// the last one.
TEST_F(HxKinetorFilterTest, ChosenLayersOnlyAndTheChoiceOutlivesTheSave)
{
    chooseLayers({"A"}, true);
    EXPECT_EQ(written(), preset("\t\t\"A\",\n", kLayerA));
    EXPECT_EQ(written(), preset("\t\t\"A\",\n", kLayerA));

    chooseLayers({"B"}, true);
    EXPECT_EQ(written(), preset("\t\t\"B\"\n", layerB(0)));

    chooseLayers({}, true);
    EXPECT_TRUE(HxKinetorFilter::selectedLayers().isEmpty());
    EXPECT_EQ(written(), preset(QString(), QString()));
}

TEST_F(HxKinetorFilterTest, FrameListsTheTabsSortedAsTextAndEnablesTheListOnlyForAChoice)
{
    for (int i = 2; i < 11; ++i)
        m_group->addLayer(QStringLiteral("L%1").arg(i));
    m_group->addLayer(QStringLiteral("Pose %1"));
    HxKinetorFilterFrame frame;
    EXPECT_EQ(frame.getLabel(), "Kinetor Preset Options");
    QTreeWidget* list = frame.getLayerListView();
    EXPECT_EQ(list->objectName(), "layerListView");
    EXPECT_FALSE(list->isEnabled());
    EXPECT_TRUE(frame.getSaveAllButton()->isChecked());
    frame.getSaveFromListButton()->setChecked(true);
    EXPECT_TRUE(list->isEnabled());
    QStringList order;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        order.append(list->topLevelItem(i)->text(0));
    EXPECT_EQ(order.mid(0, 5), QStringList({"0", "1", "10", "11", "2"}));
    // The keys follow the tabs, not the rows, and take a name as it is.
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(0) != "10" && list->topLevelItem(i)->text(0) != "11")
            list->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
    frame.applyOptions();
    EXPECT_EQ(HxKinetorFilter::selectedLayers(), QList<QString>({"L10_10", "Pose %1_11"}));
}

TEST_F(HxKinetorFilterTest, MissingSelectionPaneOrGroupWritesNothingAndSaysWhy)
{
    HxKinetorFilter filter;
    EXPECT_TRUE(filter.getSaveError().isNull());
    const QString target = m_scratch.filePath("never.js");

    hxScene->setPrimarySelection(nullptr);
    EXPECT_EQ(filter.getSaveError(), "Please select an item in the scene.");
    EXPECT_EQ(filter.writeToFile(target, 0, {}), 97u);

    // A node the pane has no group for.
    auto* stranger = new HxSkeleton("Stranger");
    m_pane->blockSignals(true);
    hxScene->blockSignals(true);
    hxScene->addNode(stranger);
    hxScene->blockSignals(false);
    m_pane->blockSignals(false);
    hxScene->setPrimarySelection(stranger);
    EXPECT_EQ(filter.writeToFile(target, 0, {}), 98u);
    EXPECT_TRUE(filter.errorString().contains("Stranger"));

    hxScene->setPrimarySelection(m_figure);
    delete m_pane;
    EXPECT_EQ(filter.writeToFile(target, 0, {}), 97u);
    EXPECT_FALSE(QFile::exists(target));

    // A status of the script's own save comes back unchanged.
    m_pane = new HxKinetorPane;
    m_window->getPaneMgr()->addPane(m_pane);
    EXPECT_EQ(filter.writeToFile(m_scratch.filePath("missing/folder/p.js"), 0, {}),
              unsigned(HxScript::OpenFailed));
    EXPECT_FALSE(filter.errorString().isEmpty());
}

// A preset run where the pane is missing says so and stops before touching
// anything.
TEST_F(HxKinetorFilterTest, APresetRunWithoutThePaneIsRefused)
{
    chooseLayers({}, false);
    HxKinetorFilter filter;
    const QString preset = m_scratch.filePath("nopane.js");
    ASSERT_EQ(filter.writeToFile(preset, HxScript::WithHeader, {}), 0u);
    EXPECT_TRUE(readText(preset).startsWith("// Kinetor Preset\n"));
    delete m_pane;
    m_pane = nullptr;
    const float x = m_figure->getXPosControl()->getValue();

    HxScriptEngine engine;
    engine.setInteractive(false);
    EXPECT_TRUE(engine.runFile(preset)) << engine.lastError().toStdString();
    EXPECT_EQ(engine.getMessageBox()->lastText(), "Cannot find Kinetor Pane. Loading will be aborted.");
    EXPECT_EQ(engine.getMessageBox()->lastCaption(), "Selection Error");
    EXPECT_EQ(engine.getMessageBox()->getNumMessages(), 1);
    EXPECT_EQ(m_figure->getXPosControl()->getValue(), x);
}

// Presets in the real host: the module loaded into the host window, layers
// exported through File > Export and rebuilt by running the preset.
#include "layer/hxkinetorlayer.h"
#include "model/hxkinetornodedata.h"
#include "model/hxkinetorpose.h"
#include "model/hxposecollection.h"
#include "ui/hxkinetorlayergroup.h"
#include "ui/hxkinetorlayerview.h"
#include "ui/hxkinetorpane.h"

#include "hxapptest.h"
#include "hxhostwindow.h"
#include "hxscriptrunner.h"

#include "hxcore/hxactionmgr.h"
#include "hxcore/hxbone.h"
#include "hxcore/hxelement.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxpanemgr.h"
#include "hxcore/hxsavefilter.h"
#include "hxcore/hxsavefiltermgr.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxscriptengine.h"
#include "hxcore/hxscriptmessagebox.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxundostack.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>
#include <QTreeWidget>
#include <QUndoStack>
#include <cmath>

namespace {

// What a layer holds, in words that survive a new scene: its name, and per
// pose the position and every record value at six significant digits,
// properties named by their owner and themselves.
struct LayerText
{
    QString name;
    QStringList poses;
    bool operator==(const LayerText&) const = default;
};

QString six(double value)
{
    return QString::number(value, 'g', 6);
}

// The module's classes are a second copy of the test's own, so objects it
// made are read through static casts and plain members, never qobject_cast.
QList<LayerText> layersOf(HxPane* pane, HxNode* node, bool truncate = false)
{
    QList<LayerText> result;
    HxKinetorLayerGroup* group = static_cast<HxKinetorPane*>(pane)->getLayerGroupByNode(node);
    if (!group)
        return result;
    for (int i = 0; i < group->count(); ++i) {
        HxKinetorLayer* layer = static_cast<HxKinetorLayerView*>(group->widget(i))->getLayer();
        LayerText text{layer->getName(), {}};
        for (HxKinetorPose* pose : layer->getPoses()) {
            QList<HxNode*> nodes;
            pose->getNodeList(nodes);
            const double x = truncate ? std::trunc(pose->getX()) : pose->getX();
            const double y = truncate ? std::trunc(pose->getY()) : pose->getY();
            QString line = QStringLiteral("(%1, %2)").arg(x).arg(y);
            for (qsizetype k = 0; k < nodes.size(); ++k) {
                const HxKinetorNodeData* data = pose->getNodeDataAt(k);
                const HxQuat& q = data->getRot();
                line += QStringLiteral(" %1: %2 %3 %4 | %5 %6 %7 %8 | %9 %10 %11 %12")
                            .arg(nodes[k]->objectName(), six(data->getPos().x), six(data->getPos().y),
                                 six(data->getPos().z), six(data->getScale().x), six(data->getScale().y),
                                 six(data->getScale().z), six(data->getGenScale()), six(q.x()))
                            .arg(six(q.y()), six(q.z()), six(q.w()));
                QStringList values;
                for (auto it = data->getPropValues().begin(); it != data->getPropValues().end(); ++it)
                    values.append(QStringLiteral("%1/%2=%3")
                                      .arg(it.key()->getOwner()->objectName(), it.key()->objectName(),
                                           six(it.value())));
                values.sort();
                line += QStringLiteral(" {%1}").arg(values.join(QLatin1Char(' ')));
            }
            text.poses.append(line);
        }
        result.append(text);
    }
    return result;
}

QStringList namesOf(const QList<LayerText>& layers)
{
    QStringList names;
    for (const LayerText& layer : layers)
        names.append(layer.name);
    return names;
}

class HxPresetTest : public HxAppTest
{
protected:
    void SetUp() override
    {
        HxAppTest::SetUp();
        m_window = std::make_unique<HxHostWindow>();
        m_window->setErrorReporter([this](const QString& title, const QString& message) {
            m_reports.append(title + ": " + message);
        });
        m_window->scriptRunner()->engine()->setInteractive(false);
        ASSERT_EQ(m_window->loadPlugins(QFileInfo(QStringLiteral(HXKINETOR_MODULE)).absolutePath()), 1);
        m_pane = m_window->getPaneMgr()->findPane("HxKinetorPane");
        ASSERT_NE(m_pane, nullptr);
        loadMannequin();
        m_window->getSaveFilterMgr()->setFileNameChooser(
            [this](HxSaveFilter*, const QString&) { return m_scratch.filePath("dance"); });
    }
    void TearDown() override
    {
        m_window.reset();
        HxAppTest::TearDown();
    }

    void loadMannequin()
    {
        ASSERT_TRUE(m_window->loadFigure(sourcePath("samples/figures/mannequin.json")));
        m_figure = qobject_cast<HxSkeleton*>(hxScene->findNode("Mannequin"));
        ASSERT_NE(m_figure, nullptr);
        hxScene->setPrimarySelection(m_figure->findBone("leftForearm"));
    }

    bool script(const QString& code)
    {
        const bool ok = m_window->scriptRunner()->engine()->run(code, "setup.js");
        EXPECT_TRUE(ok) << m_window->scriptRunner()->engine()->lastError().toStdString();
        return ok;
    }

    // Three layers: Walk with three captured poses at fractional places,
    // Idle with one, Empty with none.
    void buildLayers()
    {
        HxFloatProperty* bend = m_figure->findBone("leftForearm")->getXRotControl();
        HxFloatProperty* turn = m_figure->findBone("head")->getYRotControl();
        HxFloatProperty* smile = nullptr;
        for (int i = 0; i < m_figure->getObject()->getNumItems(); ++i)
            if (auto* morph = qobject_cast<HxMorph*>(m_figure->getObject()->getItem(i));
                morph && morph->objectName() == "Smile")
                smile = morph->getValueChannel();
        ASSERT_NE(smile, nullptr);
        ASSERT_TRUE(script("var oPane = MainWindow.getPaneMgr().findPane( 'HxKinetorPane' );"
                           "var oFig = Scene.getPrimarySelection().getSkeleton();"
                           "oPane.deleteAllLayers( oFig );"
                           "var oWalk = oPane.addLayer( oFig, 'Walk' );"));
        const float values[][3] = {
            {12.345678f, -33.3f, 0.123456789f}, {-47.5f, 10.0f, 0.9f}, {0.0f, 0.0f, 0.0f}};
        for (const auto& v : values) {
            bend->setValue(v[0]);
            turn->setValue(v[1]);
            smile->setValue(v[2]);
            ASSERT_TRUE(script("oWalk.addPose( 10, 20 );"));
        }
        m_figure->getXPosControl()->setValue(1000001.0f);
        ASSERT_TRUE(script("var oIdle = oPane.addLayer( oFig, 'Idle' ); oIdle.addPose( 0, 0 );"
                           "oPane.addLayer( oFig, 'Empty' );"));
        m_figure->getXPosControl()->setValue(0.0f);
        HxKinetorLayerGroup* group = static_cast<HxKinetorPane*>(m_pane)->getLayerGroupByNode(m_figure);
        const QList<HxKinetorPose*>& walk =
            static_cast<HxKinetorLayerView*>(group->widget(0))->getLayer()->getPoses();
        walk[0]->setPosition(12.7f, -3.6f);
        walk[1]->setPosition(150.25f, 40.0f);
        walk[2]->setPosition(-0.5f, 99.99f);
    }

    // File > Export with the filter's options dialog answered by the
    // callback; the written file's name, or empty.
    QString exportPreset(const std::function<void(QDialog*)>& answer = {})
    {
        QTimer::singleShot(0, [answer] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            if (answer)
                answer(dialog);
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        HxSaveFilter* filter = m_window->getSaveFilterMgr()->findFilter("HxKinetorFilter");
        EXPECT_NE(filter, nullptr);
        return filter && m_window->getSaveFilterMgr()->exportWith(filter) ? m_scratch.filePath("dance.js")
                                                                          : QString();
    }

    // A new scene with the mannequin, which has only its empty default layer.
    void freshScene()
    {
        m_window->newScene();
        loadMannequin();
    }

    QList<LayerText> layers(bool truncate = false) const { return layersOf(m_pane, m_figure, truncate); }
    HxScriptMessageBox* messages() const { return m_window->scriptRunner()->engine()->getMessageBox(); }

    std::unique_ptr<HxHostWindow> m_window;
    HxPane* m_pane = nullptr;
    HxSkeleton* m_figure = nullptr;
    QStringList m_reports;
};

} // namespace

// Every layer out and back in: same names and order, dot places cut to
// whole numbers, every record equal to six significant digits. The empty
// default layer of the new scene goes; layers already there stay.
TEST_F(HxPresetTest, ExportedLayersComeBackWhenThePresetRuns)
{
    buildLayers();
    const QList<LayerText> before = layers(true);
    ASSERT_EQ(namesOf(before), QStringList({"Walk", "Idle", "Empty"}));
    const QString preset = exportPreset();
    ASSERT_FALSE(preset.isEmpty()) << m_reports.join('\n').toStdString();
    EXPECT_TRUE(m_reports.isEmpty()) << m_reports.join('\n').toStdString();

    freshScene();
    ASSERT_EQ(namesOf(layers()), QStringList({"Layer 1"}));
    ASSERT_TRUE(m_window->runScript(preset)) << m_reports.join('\n').toStdString();
    EXPECT_EQ(layers(), before);

    // The whole run is one step in the history.
    EXPECT_EQ(hxUndoStack->undoStack()->undoText(), "Run Script dance.js");
    EXPECT_TRUE(hxUndoStack->undo());
    EXPECT_EQ(namesOf(layers()), QStringList({"Layer 1"}));
    EXPECT_TRUE(hxUndoStack->redo());
    EXPECT_EQ(layers(), before);

    // Add keeps what is there (and no default layer is left to remove).
    ASSERT_TRUE(m_window->runScript(preset));
    EXPECT_EQ(namesOf(layers()), QStringList({"Walk", "Idle", "Empty", "Walk", "Idle", "Empty"}));
    EXPECT_EQ(layers().mid(3), before);
}

// On another figure the bones it shares with the mannequin get their records
// and the figure its own, whatever it is called; the rest keep defaults.
TEST_F(HxPresetTest, APresetBuildsOnAnotherFigureFromTheBonesItShares)
{
    buildLayers();
    const QString preset = exportPreset();
    ASSERT_FALSE(preset.isEmpty());
    HxKinetorLayerGroup* group = static_cast<HxKinetorPane*>(m_pane)->getLayerGroupByNode(m_figure);
    const HxKinetorPose* original =
        static_cast<HxKinetorLayerView*>(group->widget(1))->getLayer()->getPoses().first(); // Idle
    QList<HxNode*> originalNodes;
    original->getNodeList(originalNodes);
    const HxKinetorNodeData* originalFigure = original->getNodeDataAt(originalNodes.size() - 1);

    QFile figureFile(m_scratch.filePath("other.json"));
    ASSERT_TRUE(figureFile.open(QIODevice::WriteOnly));
    figureFile.write(R"({"name": "Other", "bones": [
        {"name": "hip", "origin": [0, 100, 0], "end": [0, 110, 0]},
        {"name": "tail", "parent": "hip", "origin": [0, 100, 0], "end": [0, 90, -20]}]})");
    figureFile.close();
    ASSERT_TRUE(m_window->loadFigure(figureFile.fileName()));
    auto* other = qobject_cast<HxSkeleton*>(hxScene->findNode("Other"));
    ASSERT_NE(other, nullptr);
    hxScene->setPrimarySelection(other);
    ASSERT_TRUE(m_window->runScript(preset)) << m_reports.join('\n').toStdString();

    const QList<LayerText> built = layersOf(m_pane, other);
    EXPECT_EQ(namesOf(built), QStringList({"Walk", "Idle", "Empty"}));
    HxKinetorLayerGroup* otherGroup = static_cast<HxKinetorPane*>(m_pane)->getLayerGroupByNode(other);
    const HxKinetorPose* idle =
        static_cast<HxKinetorLayerView*>(otherGroup->widget(1))->getLayer()->getPoses().first();
    QList<HxNode*> nodes;
    idle->getNodeList(nodes);
    ASSERT_EQ(nodes.size(), 3); // hip, tail, Other
    EXPECT_EQ(six(idle->getNodeDataAt(2)->getPos().x), "1e+06")
        << "the figure's record, found by being on top";
    EXPECT_EQ(six(idle->getNodeDataAt(2)->getPos().x), six(originalFigure->getPos().x));
    EXPECT_TRUE(idle->getNodeDataAt(2)->getPropValues().isEmpty()) << "Other has no morphs";
    EXPECT_TRUE(idle->getNodeDataAt(1)->getRot().equals(HxQuat(), 0)) << "tail is not in the preset";
    EXPECT_EQ(namesOf(layers()), QStringList({"Walk", "Idle", "Empty"})) << "the mannequin is untouched";
}

// Replace comes from the preferred options, which Shift applies; without
// Shift they are ignored.
TEST_F(HxPresetTest, ShiftAppliesThePreferredOptions)
{
    buildLayers();
    const QString preset = exportPreset();
    ASSERT_FALSE(preset.isEmpty());
    const QList<LayerText> before = layers(true);
    hxApp->getSettings()->setValue("Scripts/KinetorPreset/cbAction", "Replace All Layers");

    ASSERT_TRUE(m_window->runScript(preset));
    EXPECT_EQ(layers().size(), 6) << "a plain run adds";
    m_window->scriptRunner()->engine()->setKeyboardModifiers(Qt::ShiftModifier);
    ASSERT_TRUE(m_window->runScript(preset));
    EXPECT_EQ(layers(), before) << "Shift replaced them all";
}

// Ctrl shows the preset's dialog: the person checks "From List :", leaves
// out Idle and asks to replace; only Walk and Empty are built. With "Set
// Preferred Options on Accept" the choice of action is remembered.
TEST_F(HxPresetTest, CtrlLetsThePersonPickTheLayersInThePresetsDialog)
{
    buildLayers();
    const QString preset = exportPreset();
    ASSERT_FALSE(preset.isEmpty());
    m_window->scriptRunner()->engine()->setInteractive(true);
    m_window->scriptRunner()->engine()->setKeyboardModifiers(Qt::ControlModifier);
    QString caption;
    QTimer::singleShot(0, [&caption] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        caption = dialog->windowTitle();
        dialog->findChild<QGroupBox*>()->setChecked(true);
        auto* list = dialog->findChild<QTreeWidget*>();
        ASSERT_EQ(list->topLevelItemCount(), 3);
        list->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
        dialog->findChild<QComboBox*>()->setCurrentText("Replace All Layers");
        dialog->findChild<QCheckBox*>()->setChecked(true);
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->text() == "&Accept")
                button->click();
    });
    ASSERT_TRUE(m_window->runScript(preset)) << m_reports.join('\n').toStdString();
    EXPECT_EQ(caption, "Kinetor Preset [dance.js]");
    EXPECT_EQ(namesOf(layers()), QStringList({"Walk", "Empty"}));
    EXPECT_EQ(hxApp->getSettings()->value("Scripts/KinetorPreset/cbAction").toString(), "Replace All Layers");

    // Cancel builds nothing.
    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    ASSERT_TRUE(m_window->runScript(preset));
    EXPECT_EQ(namesOf(layers()), QStringList({"Walk", "Empty"}));
}

// The export's options frame: "Save from List" with only Idle checked.
TEST_F(HxPresetTest, TheExportDialogWritesOnlyTheCheckedLayers)
{
    buildLayers();
    const QString preset = exportPreset([](QDialog* dialog) {
        dialog->findChild<QRadioButton*>("saveFromListButton")->setChecked(true);
        auto* list = dialog->findChild<QTreeWidget*>("layerListView");
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            list->topLevelItem(i)->setCheckState(0, list->topLevelItem(i)->text(1) == "Idle" ? Qt::Checked
                                                                                             : Qt::Unchecked);
    });
    ASSERT_FALSE(preset.isEmpty());
    freshScene();
    ASSERT_TRUE(m_window->runScript(preset));
    EXPECT_EQ(namesOf(layers()), QStringList({"Idle"}));
}

// File > Export offers the filter through its own action, whose tool tip
// shows its accelerator; with nothing selected the action only says why.
TEST_F(HxPresetTest, TheFilterActionIsInFileExportAndRunsTheFiltersExport)
{
    QMenu* exportMenu = m_window->findChild<QMenu*>("exportMenu");
    ASSERT_NE(exportMenu, nullptr);
    emit exportMenu->aboutToShow();
    ASSERT_EQ(exportMenu->actions().size(), 1);
    QAction* entry = exportMenu->actions().first();
    EXPECT_EQ(entry, m_window->getActionMgr()->findAction("HxKinetorFilterAction"));
    EXPECT_EQ(entry->text(), QString::fromUtf8("Kinetor Preset\u2026"));
    auto* action = static_cast<HxAction*>(entry);
    action->setAccel(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    EXPECT_TRUE(action->toolTip().endsWith(" (Ctrl+Shift+E)")) << action->toolTip().toStdString();

    hxScene->setPrimarySelection(nullptr);
    entry->trigger();
    EXPECT_EQ(m_reports, QStringList({"Export Kinetor Preset: Please select an item in the scene."}));
    EXPECT_FALSE(QFile::exists(m_scratch.filePath("dance.js")));
}

TEST_F(HxPresetTest, APresetRunWithNothingSelectedSaysSoAndChangesNothing)
{
    buildLayers();
    const QString preset = exportPreset();
    ASSERT_FALSE(preset.isEmpty());
    const QList<LayerText> before = layers();
    hxScene->setPrimarySelection(nullptr);
    ASSERT_TRUE(m_window->runScript(preset));
    EXPECT_EQ(messages()->lastText(), "This action requires an item within the scene to be selected.");
    EXPECT_EQ(messages()->lastCaption(), "Selection Error");
    EXPECT_EQ(layers(), before);
}

// A preset that does not parse changes nothing; one that throws half way
// keeps what it built and says where it stopped.
TEST_F(HxPresetTest, BrokenPresetsAreReportedWithFileAndLine)
{
    buildLayers();
    const QString preset = exportPreset();
    ASSERT_FALSE(preset.isEmpty());
    QFile file(preset);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList text = QString::fromUtf8(file.readAll()).split('\n');
    file.close();
    const int idle = int(text.indexOf("\t\tif( aLayerNames[1] == \"Idle\" ){"));
    ASSERT_GT(idle, 0);
    const int last = int(text.lastIndexOf("\t\t\toLayer.zoomOutToFit();"));

    auto variant = [&](const QString& name, int line, const QString& code) {
        QStringList changed = text;
        changed[line] = code;
        const QString path = m_scratch.filePath(name);
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(changed.join('\n').toUtf8());
        return path;
    };

    freshScene();
    m_reports.clear();
    const QString broken = variant("broken.js", last, "\t\t\toLayer.zoomOutToFit(;");
    EXPECT_FALSE(m_window->runScript(broken));
    ASSERT_EQ(m_reports.size(), 1);
    EXPECT_TRUE(
        m_reports[0].startsWith(QStringLiteral("Run Script: %1:%2: SyntaxError").arg(broken).arg(last + 1)))
        << m_reports[0].toStdString();
    EXPECT_EQ(namesOf(layers()), QStringList({"Layer 1"})) << "nothing ran";

    m_reports.clear();
    const QString throwing = variant("throwing.js", idle, "\t\tthrow new Error( \"stopped here\" ); {");
    EXPECT_FALSE(m_window->runScript(throwing));
    ASSERT_EQ(m_reports.size(), 1);
    EXPECT_EQ(m_reports[0],
              QStringLiteral("Run Script: %1:%2: Error: stopped here").arg(throwing).arg(idle + 1));
    EXPECT_EQ(namesOf(layers()), QStringList({"Walk"})) << "what came before the throw stays";

    // No settings folder that the script entered and never left is left behind.
    const QString lost = m_scratch.filePath("lost.js");
    QFile lostFile(lost);
    ASSERT_TRUE(lostFile.open(QIODevice::WriteOnly));
    lostFile.write("App.getAppSettingsMgr().pushPath( 'Deep' );\nthrow 'out';\n");
    lostFile.close();
    EXPECT_FALSE(m_window->runScript(lost));
    EXPECT_TRUE(script("App.getAppSettingsMgr().getPath() == ''"));
    EXPECT_TRUE(m_window->scriptRunner()->engine()->lastResult().toBool());
}

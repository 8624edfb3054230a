#include "plugin/hxkinetormodule.h"

#include "hxapptest.h"

#include "hxhostwindow.h"

#include "hxcore/hxactionmgr.h"
#include "hxcore/hxbone.h"
#include "hxcore/hxclassfactory.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxpane.h"
#include "hxcore/hxpanemgr.h"
#include "hxcore/hxplugin.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxundostack.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QMenuBar>
#include <QMetaObject>
#include <QRadioButton>
#include <QTest>
#include <QUndoStack>
#include <memory>

using HxModuleTest = HxAppTest;

TEST_F(HxModuleTest, FactoriesAreListedInOrderAndMakeTheirClass)
{
    HxKinetorModule module;
    HxPlugin* plugin = module.plugin();
    EXPECT_EQ(plugin->getName(), "Kinetor");
    EXPECT_EQ(plugin->getVersion(), 0x01050000u);
    const QStringList expected = {"HxKinetorPane",
                                  "HxKinetorPaneAction",
                                  "HxKinetorFilter",
                                  "HxKinetorFilterAction",
                                  "HxKinetorPlayAudioAction",
                                  "HxKinetorFillFramesAction",
                                  "HxKinetorExtendFramesAction",
                                  "HxKinetorZoomToFitAction",
                                  "HxKinetorResetViewAction",
                                  "HxKinetorCenterViewAction",
                                  "HxKinetorAddLayerAction",
                                  "HxKinetorDeleteLayerAction",
                                  "HxKinetorRenameLayerAction",
                                  "HxKinetorClearLayerAction",
                                  "HxKinetorClearLayerAnimationAction",
                                  "HxKinetorDeletePoseAction",
                                  "HxKinetorUpdatePoseAction",
                                  "HxKinetorElementData",
                                  "HxKinetorLayer",
                                  "HxKinetorPose",
                                  "HxKinetorNodeData"};
    ASSERT_EQ(plugin->getNumClassFactories(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        HxClassFactory* factory = plugin->getClassFactory(i);
        EXPECT_EQ(factory->getClassName(), expected[i]);
        std::unique_ptr<QObject> made(factory->create());
        ASSERT_TRUE(made) << expected[i].toStdString();
        EXPECT_EQ(QString::fromLatin1(made->metaObject()->className()), expected[i]);
        EXPECT_EQ(factory->create(made.get()), nullptr);
    }
    EXPECT_EQ(plugin->getClassFactory(0)->getGUID(),
              HxGUID::fromString("89F86E80-ADA4-433a-97E4-0C349C8D3E34"));
    EXPECT_EQ(plugin->getClassFactory(2)->getGUID(),
              HxGUID::fromString("EA89B7C3-9109-4c84-8F98-C9D48D50B90D"));
    EXPECT_EQ(plugin->getClassFactory(3)->getGUID(),
              HxGUID::fromString("CBC5A459-AE74-41f9-A049-7C79DA052661"));
    EXPECT_EQ(plugin->getClassFactory(expected.size() - 1)->getGUID(), HxGUID::fromLegacyClassID(0x10000017));
}

TEST_F(HxModuleTest, TheBuiltModuleExportsItsVersionAndOnePluginObject)
{
    QLibrary library(QStringLiteral(HXKINETOR_MODULE));
    ASSERT_TRUE(library.load()) << library.errorString().toStdString();
    auto version = reinterpret_cast<unsigned int (*)()>(library.resolve("getSDKVersion"));
    auto definition = reinterpret_cast<HxPlugin* (*)()>(library.resolve("getPluginDefinition"));
    ASSERT_TRUE(version && definition);
    EXPECT_EQ(version(), 0x02000000u);
    HxPlugin* first = definition();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(definition(), first);
    EXPECT_EQ(first->getClassFactory(0)->getClassName(), "HxKinetorPane");
}

// The host docks the module's pane, registers every action and shows the
// pane's menu, whose entries are the module's own actions.
TEST_F(HxModuleTest, TheHostDocksThePaneAndOffersItsMenu)
{
    HxHostWindow window;
    window.setErrorReporter([](const QString& title, const QString& message) {
        ADD_FAILURE() << title.toStdString() << ": " << message.toStdString();
    });
    ASSERT_EQ(window.loadPlugins(QFileInfo(QStringLiteral(HXKINETOR_MODULE)).absolutePath()), 1);
    HxPane* pane = window.getPaneMgr()->findPane("HxKinetorPane");
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->getTitle(), "Kinetor");
    EXPECT_EQ(window.getActionMgr()->findAction("HxKinetorClearLayerAnimationAction")->objectName(),
              "HxKinetorClearLayerAnimationAction");
    QMenu* kinetor = nullptr;
    for (QAction* entry : window.menuBar()->actions())
        if (entry->menu() && entry->menu()->title() == "Kinetor")
            kinetor = entry->menu();
    ASSERT_NE(kinetor, nullptr);
    QStringList names;
    for (QAction* entry : kinetor->actions())
        names.append(entry->isSeparator() ? QStringLiteral("-") : entry->objectName());
    EXPECT_EQ(names.first(), "HxKinetorPlayAudioAction");
    EXPECT_EQ(names.last(), "HxKinetorUpdatePoseAction");
    EXPECT_EQ(names.count("-"), 4);
    // The option toggles started from the pane's values.
    EXPECT_TRUE(window.getActionMgr()->findAction("HxKinetorPlayAudioAction")->isChecked());
}

// At 1600 x 1000 the docked canvas has room to perform on and the viewport
// keeps a good part of the window.
TEST_F(HxModuleTest, TheDockedCanvasGetsRoomBesideTheViewport)
{
    HxHostWindow window;
    window.setErrorReporter(
        [](const QString&, const QString& message) { ADD_FAILURE() << message.toStdString(); });
    ASSERT_EQ(window.loadPlugins(QFileInfo(QStringLiteral(HXKINETOR_MODULE)).absolutePath()), 1);
    window.resize(1600, 1000);
    window.show();
    QTest::qWait(50);
    QWidget* view = nullptr;
    for (QWidget* candidate : window.findChildren<QWidget*>("KinetorLayerView"))
        if (candidate->isVisible())
            view = candidate;
    ASSERT_NE(view, nullptr);
    EXPECT_GE(view->width(), 500);
    EXPECT_GE(view->height(), 400);
    QWidget* viewport = window.centralWidget();
    EXPECT_TRUE(viewport->isVisible());
    EXPECT_GE(viewport->width(), 600);
    EXPECT_GE(viewport->height(), 600);
    EXPECT_TRUE(window.getPaneMgr()->findPane("HxParametersPane")->isVisible());
}

// A person's whole road through the docked pane, with nothing but clicks on
// its widgets: two dots in Edit mode, a Preview press on the second dot puts
// its pose on the figure, a Record drag keys the figure as one undo step.
TEST_F(HxModuleTest, APersonPosesPreviewsAndRecordsThroughTheDockedPane)
{
    HxHostWindow window;
    window.setErrorReporter(
        [](const QString&, const QString& message) { ADD_FAILURE() << message.toStdString(); });
    ASSERT_EQ(window.loadPlugins(QFileInfo(QStringLiteral(HXKINETOR_MODULE)).absolutePath()), 1);
    ASSERT_TRUE(window.loadFigure(sourcePath("samples/figures/mannequin.json")));
    window.resize(1400, 900);
    window.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(hxUndoStack->undoStack()->count(), 0) << "adding a figure, and its first layer, is no step";
    HxPane* pane = window.getPaneMgr()->findPane("HxKinetorPane");
    ASSERT_NE(pane, nullptr);
    window.getPaneMgr()->showPane(pane);
    auto* figure = qobject_cast<HxSkeleton*>(hxScene->findNode("Mannequin"));
    ASSERT_NE(figure, nullptr);
    HxFloatProperty* bend = figure->findBone("leftForearm")->getXRotControl();

    QWidget* view = nullptr;
    for (QWidget* candidate : pane->findChildren<QWidget*>("KinetorLayerView"))
        if (candidate->isVisible())
            view = candidate;
    ASSERT_NE(view, nullptr);
    const QPoint rest(40, 60), bent(140, 60), beyond(190, 60);
    QTest::mouseClick(view, Qt::LeftButton, {}, rest);
    bend->setValue(60.0f);
    QTest::mouseClick(view, Qt::LeftButton, {}, bent);
    bend->setValue(0.0f);

    pane->findChild<QRadioButton*>("KinetorPreviewModeButton")->click();
    QTest::mousePress(view, Qt::LeftButton, {}, bent);
    QTest::qWait(30);
    EXPECT_NEAR(bend->getValue(), 60.0f, 1e-3f);
    QTest::mouseRelease(view, Qt::LeftButton, {}, bent);
    EXPECT_EQ(hxScene->getTime(), 0) << "previewing holds the time";

    pane->findChild<QRadioButton*>("KinetorRecordModeButton")->click();
    // A press this soon after the last release would be a double click.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const int stepsBefore = hxUndoStack->undoStack()->count();
    QTest::mousePress(view, Qt::LeftButton, {}, rest);
    for (int x = rest.x(); x <= beyond.x(); x += 15) {
        QTest::mouseMove(view, QPoint(x, rest.y()));
        QTest::qWait(20);
    }
    QTest::mouseRelease(view, Qt::LeftButton, {}, beyond);
    EXPECT_GT(hxScene->getTime(), 0);
    ASSERT_GE(bend->getNumKeys(), 2);
    // Past the second dot the blend extrapolates beyond its pose.
    EXPECT_GT(bend->getKeys().back().value, 60.0f);
    ASSERT_EQ(hxUndoStack->undoStack()->count(), stepsBefore + 1);
    EXPECT_EQ(hxUndoStack->undoStack()->undoText(), "Kinetoring");
    QStringList steps;
    for (int i = 0; i < hxUndoStack->undoStack()->count(); ++i)
        steps << hxUndoStack->undoStack()->text(i);
    EXPECT_EQ(steps, QStringList({"Add Pose", "Change", "Add Pose", "Change", "Kinetoring", "Kinetoring"}))
        << "the bends set between the clicks are steps of their own, and so is the preview";
    hxUndoStack->undo();
    EXPECT_EQ(bend->getNumKeys(), 1) << "only the preview's key at the press time is left";
}

#include "kinetoruitest.h"

#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxstyle.h"
#include "ui/hxkinetorcanvasassist.h"
#include "ui/hxkinetorviewoptions.h"

#include <QCoreApplication>
#include <QDir>
#include <cmath>

namespace {

class HxKinetorScreenshotTest : public HxKinetorUiTest
{};

// Pictures a person can look at, in the build folder: the docked pane over a
// figure's layer of five dots, in Edit with one selected and in Preview.
TEST_F(HxKinetorScreenshotTest, WritesThePaneInEditAndPreview)
{
    HxSkeleton* figure = addFigure();
    createWindowWithPane();
    HxKinetorLayer* layer = showLayerOf(figure);
    m_window->resize(700, 560);
    ASSERT_NE(layer, nullptr);
    for (const QPoint& place :
         {QPoint(0, 0), QPoint(120, 10), QPoint(60, 90), QPoint(-40, 140), QPoint(150, 160)}) {
        figure->getXPosControl()->setValue(float(place.x()) / 10.0f);
        layer->addPose(place.x(), place.y());
    }
    layer->setActivePose(layer->getPoses().at(2));
    layer->zoomToFit();
    const QDir folder(QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots"));
    ASSERT_TRUE(folder.mkpath(QStringLiteral(".")));
    const auto dots = [](const QImage& image, QStyle::State state, int tolerance) {
        return countNear(image, HxStyle::poseDotColor(state), tolerance);
    };

    const QImage edit = m_window->grab().toImage();
    ASSERT_TRUE(edit.save(folder.filePath(QStringLiteral("kinetor-pane-edit.png"))));
    // A selected dot's fill is only a thin ring between its outline and its core.
    EXPECT_GT(dots(edit, QStyle::State_None, 12), 4 * 10);
    EXPECT_GT(dots(edit, QStyle::State_Selected, 25), 1);
    EXPECT_EQ(dots(edit, QStyle::State_Active, 12), 0);

    m_pane->setMode(HxKinetorPane::PreviewMode);
    layer->getCursor()->setPosition(70.0f, 60.0f);
    const QImage preview = m_window->grab().toImage();
    ASSERT_TRUE(preview.save(folder.filePath(QStringLiteral("kinetor-pane-preview.png"))));
    EXPECT_GT(dots(preview, QStyle::State_Active, 12), 5 * 10);
    EXPECT_EQ(dots(preview, QStyle::State_Selected, 25), 0);
}

// The canvas overlays as a person turns them on from the Show menu: weights
// during a Preview drag, the selected dot's influence, the covered area with
// the cursor outside it, a recorded cursor path, and an empty canvas's hint.
TEST_F(HxKinetorScreenshotTest, WritesTheCanvasOverlays)
{
    HxSkeleton* figure = addFigure();
    createWindowWithPane();
    HxKinetorLayer* layer = showLayerOf(figure);
    m_window->resize(620, 560);
    ASSERT_NE(layer, nullptr);
    const QDir folder(QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots"));
    ASSERT_TRUE(folder.mkpath(QStringLiteral(".")));
    HxKinetorViewOptions* options = m_pane->getViewOptions();
    HxKinetorLayerView* view = layer->getView();
    const auto save = [&](const char* name) {
        QApplication::processEvents();
        const QImage picture = m_window->grab().toImage();
        EXPECT_TRUE(picture.save(folder.filePath(QString::fromLatin1(name))));
        return picture;
    };

    options->setOn(HxKinetorViewOptions::CanvasHints, true);
    const QImage empty = save("canvas-empty-hint.png");
    EXPECT_EQ(view->getAssist()->overlay().canvasHint(), QStringLiteral("Click to place a pose dot"));

    for (const QPoint& place : {QPoint(0, 0), QPoint(120, 10), QPoint(60, 90), QPoint(-40, 140),
                                QPoint(150, 160), QPoint(20, 60)}) {
        figure->getXPosControl()->setValue(float(place.x()) / 10.0f);
        layer->addPose(place.x(), place.y());
    }
    layer->zoomToFit();
    options->setOn(HxKinetorViewOptions::DotNumbers, true);
    options->setOn(HxKinetorViewOptions::Weights, true);
    options->setOn(HxKinetorViewOptions::WeightNumbers, true);
    m_pane->setMode(HxKinetorPane::PreviewMode);
    int px = 0;
    int py = 0;
    view->layerToView(75.0f, 55.0f, px, py);
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(px - 30, py - 20));
    QTest::mouseMove(view, QPoint(px, py));
    save("canvas-weights.png");
    EXPECT_EQ(view->getAssist()->overlay().shownWeights().size(), std::size_t(6));
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(px, py));

    options->setOn(HxKinetorViewOptions::Weights, false);
    options->setOn(HxKinetorViewOptions::WeightNumbers, false);
    options->setOn(HxKinetorViewOptions::Coverage, true);
    layer->getCursor()->setPosition(-45.0f, 20.0f);
    view->update();
    save("canvas-coverage.png");
    EXPECT_TRUE(view->getAssist()->overlay().wasCursorOutside());

    options->setOn(HxKinetorViewOptions::Coverage, false);
    options->setOn(HxKinetorViewOptions::CursorPath, true);
    HxPointControl* cursor = layer->getCursor();
    for (int frame = 0; frame <= 150; ++frame) {
        const double t = frame / 150.0;
        cursor->setPosition(float(60.0 + 70.0 * std::cos(t * 5.0) * (1.0 - 0.4 * t)),
                            float(80.0 + 60.0 * std::sin(t * 7.0)));
        cursor->setKey(frame * 160);
    }
    hxScene->setTime(62 * 160);
    cursor->evaluateAt(62 * 160);
    view->update();
    save("canvas-cursor-path.png");

    options->setOn(HxKinetorViewOptions::CursorPath, false);
    options->setOn(HxKinetorViewOptions::Influence, true);
    m_pane->setMode(HxKinetorPane::EditMode);
    layer->setActivePose(layer->getPoses().at(2));
    view->update();
    save("canvas-influence.png");
    EXPECT_TRUE(view->getAssist()->overlay().influenceMap().isValid());
    for (int i = 0; i < HxKinetorViewOptions::OptionCount; ++i)
        options->setOn(HxKinetorViewOptions::Option(i), false);
}

} // namespace

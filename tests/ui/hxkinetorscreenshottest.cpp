#include "kinetoruitest.h"

#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxstyle.h"

#include <QCoreApplication>
#include <QDir>

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

} // namespace

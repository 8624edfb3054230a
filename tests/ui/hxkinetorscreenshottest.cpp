#include "kinetoruitest.h"

#include "layer/hxpointcontrol.h"
#include "model/hxkinetorpose.h"

#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxstyle.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>

namespace {

// Pictures a person can look at: the pane docked in a main window over a
// figure's layer of five dots, in Edit mode with one dot selected and in
// Preview with the blend cursor. They land in the build folder.
class HxKinetorScreenshotTest : public HxKinetorUiTest
{};

int countColour(const QImage& image, const QColor& colour, int tolerance)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += (std::abs(c.red() - colour.red()) <= tolerance &&
                      std::abs(c.green() - colour.green()) <= tolerance &&
                      std::abs(c.blue() - colour.blue()) <= tolerance)
                         ? 1
                         : 0;
        }
    return count;
}

TEST_F(HxKinetorScreenshotTest, WritesThePaneInEditAndPreview)
{
    HxSkeleton* figure =
        addFigure(QStringLiteral("Figure"), {QStringLiteral("hip"), QStringLiteral("chest")});
    createWindowWithPane();
    m_window->resize(700, 560);
    m_window->show();
    m_pane->primarySelectionChanged(figure);
    HxKinetorLayer* layer = m_pane->getActiveLayer();
    ASSERT_NE(layer, nullptr);
    const QList<QPoint> places = {{0, 0}, {120, 10}, {60, 90}, {-40, 140}, {150, 160}};
    for (const QPoint& place : places) {
        figure->getXPosControl()->setValue(float(place.x()) / 10.0f);
        layer->addPose(place.x(), place.y());
    }
    layer->setActivePose(layer->getPoses().at(2));
    layer->zoomToFit();

    const QDir folder(QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots"));
    ASSERT_TRUE(folder.mkpath(QStringLiteral(".")));

    const QImage edit = m_window->grab().toImage();
    const QString editFile = folder.filePath(QStringLiteral("kinetor-pane-edit.png"));
    ASSERT_TRUE(edit.save(editFile));
    // A selected dot's fill is a thin ring between its outline and its core.
    EXPECT_GT(countColour(edit, HxStyle::poseDotColor(QStyle::State_None), 12), 4 * 10);
    EXPECT_GT(countColour(edit, HxStyle::poseDotColor(QStyle::State_Selected), 25), 1);
    EXPECT_EQ(countColour(edit, HxStyle::poseDotColor(QStyle::State_Active), 12), 0);

    m_pane->setMode(HxKinetorPane::PreviewMode);
    layer->getCursor()->setPosition(70.0f, 60.0f);
    const QImage preview = m_window->grab().toImage();
    const QString previewFile = folder.filePath(QStringLiteral("kinetor-pane-preview.png"));
    ASSERT_TRUE(preview.save(previewFile));
    EXPECT_GT(countColour(preview, HxStyle::poseDotColor(QStyle::State_Active), 12), 5 * 10);
    EXPECT_EQ(countColour(preview, HxStyle::poseDotColor(QStyle::State_Selected), 25), 0);

    EXPECT_FALSE(QImage(editFile).isNull());
    EXPECT_FALSE(QImage(previewFile).isNull());
}

} // namespace

#include "kinetoruitest.h"

#include "model/hxkinetorpose.h"

#include "hxcore/hxfloatproperty.h"

#include <QDir>

namespace {

// The canvases that must look the same whatever view options exist, as long
// as they are all off: pictures of them taken before the options were added
// live in tests/ui/canvas-reference. Setting HX_WRITE_CANVAS_REFERENCE to a
// folder writes the pictures there instead of comparing.
class HxKinetorCanvasTest : public HxKinetorUiTest
{
protected:
    void SetUp() override
    {
        HxKinetorUiTest::SetUp();
        m_figure = addFigure();
        createWindowWithPane();
        m_layer.reset(new HxKinetorLayer(m_pane, nullptr, QStringLiteral("Test"), "Layer"));
        m_view.reset(m_layer->getView());
        m_layer->setNode(m_figure);
        m_view->resize(220, 160);
    }
    void TearDown() override
    {
        m_view.reset();
        m_layer.reset();
        HxKinetorUiTest::TearDown();
    }
    HxKinetorPose* addDot(float x, float y, float value = 0.0f)
    {
        m_figure->getXPosControl()->setValue(value);
        auto* pose = new HxKinetorPose(x, y, m_figure, true);
        m_layer->addPose(pose, false);
        return pose;
    }
    void addFiveDots()
    {
        addDot(0.0f, 0.0f, 0.0f);
        addDot(120.0f, 10.0f, 1.0f);
        addDot(60.0f, 90.0f, 2.0f);
        addDot(-40.0f, 140.0f, 3.0f);
        addDot(150.0f, 160.0f, 4.0f);
    }
    // The named canvases, each set up from the one before.
    QList<QPair<QString, QImage>> canvases()
    {
        QList<QPair<QString, QImage>> shots;
        const auto shoot = [&](const char* name) {
            shots.append({QString::fromLatin1(name), m_view->grab().toImage()});
        };
        shoot("empty-edit");
        m_pane->setMode(HxKinetorPane::PreviewMode);
        shoot("empty-preview");
        m_pane->setMode(HxKinetorPane::EditMode);
        addDot(30.0f, 40.0f);
        shoot("one-dot-edit");
        addFiveDots();
        m_layer->setActivePose(m_layer->getPoses().at(2));
        m_layer->zoomToFit();
        shoot("six-dots-edit");
        m_pane->setMode(HxKinetorPane::PreviewMode);
        m_layer->getCursor()->setPosition(70.0f, 60.0f);
        shoot("six-dots-preview");
        m_layer->getCursor()->setPosition(-60.0f, -30.0f);
        shoot("six-dots-preview-outside");
        HxPointControl* cursor = keyCursor(m_layer.get(), {100.0, 120.0});
        cursor->setPosition(50.0f, 60.0f);
        shoot("keyed-cursor-preview");
        addDot(60.4f, 90.7f, 5.0f);
        m_pane->setMode(HxKinetorPane::RecordMode);
        shoot("shared-cell-record");
        m_pane->setMode(HxKinetorPane::EditMode);
        m_view->setZoom(2.5f, 40, 30);
        shoot("shared-cell-edit-zoomed");
        m_layer->setNode(nullptr);
        shoot("no-figure-edit");
        return shots;
    }

    HxSkeleton* m_figure = nullptr;
    std::unique_ptr<HxKinetorLayer> m_layer;
    std::unique_ptr<HxKinetorLayerView> m_view;
};

TEST_F(HxKinetorCanvasTest, WithEveryViewOptionOffTheCanvasPaintsAsItAlwaysHas)
{
    const QString writeTo = qEnvironmentVariable("HX_WRITE_CANVAS_REFERENCE");
    const QDir reference(sourcePath(QStringLiteral("tests/ui/canvas-reference")));
    for (const auto& [name, image] : canvases()) {
        const QString file = name + QStringLiteral(".png");
        if (!writeTo.isEmpty()) {
            ASSERT_TRUE(image.save(QDir(writeTo).filePath(file)));
            continue;
        }
        QImage expected(reference.filePath(file));
        ASSERT_FALSE(expected.isNull()) << file.toStdString();
        EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32), expected.convertToFormat(QImage::Format_RGB32))
            << name.toStdString();
    }
}

} // namespace

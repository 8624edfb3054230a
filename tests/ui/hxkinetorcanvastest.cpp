#include "kinetoruitest.h"

#include "ui/hxkinetorcanvasassist.h"
#include "ui/hxkinetordotlayout.h"
#include "ui/hxkinetorviewoptions.h"

#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxnodemenu.h"
#include "hxcore/hxscript.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSettings>
#include <QStatusBar>
#include <QToolButton>
#include <cmath>

namespace {

// The canvases that must look the same whatever view options exist, as long
// as they are all off: pictures of them taken before the options were added
// live in tests/ui/canvas-reference. Setting HX_WRITE_CANVAS_REFERENCE to a
// folder writes the pictures there instead of comparing.
class HxKinetorCanvasTest : public HxKinetorLayerFixture
{
protected:
    void SetUp() override
    {
        HxKinetorLayerFixture::SetUp();
        freshLayer();
    }
    void freshLayer()
    {
        makeLayer(m_pane, QSize(220, 160));
        m_pane->setMode(HxKinetorPane::EditMode);
    }
    HxKinetorViewOptions* options() const { return m_pane->getViewOptions(); }
    HxKinetorCanvasOverlay& overlay() const { return m_view->getAssist()->overlay(); }
    std::vector<double> weightsAt(QPointF at) const
    {
        std::vector<double> weights;
        m_layer->blendWeightsAt(float(at.x()), float(at.y()), weights);
        return weights;
    }
    // A dot holding the figure with its X translation at value.
    HxKinetorPose* addDot(float x, float y, float value = 0.0f)
    {
        m_figure->getXPosControl()->setValue(value);
        return HxKinetorLayerFixture::addDot(x, y);
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
        freshLayer();
        QList<QPair<QString, QImage>> shots;
        const auto shoot = [&](const char* name) {
            shots.append({QString::fromLatin1(name), grab()});
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
        m_layer->setNode(m_figure);
        return shots;
    }
};

TEST_F(HxKinetorCanvasTest, WithEveryViewOptionOffTheCanvasPaintsAsItAlwaysHas)
{
    // Each option, on for a round of pictures, leaves nothing behind once off.
    for (int i = 0; i < HxKinetorViewOptions::OptionCount; ++i) {
        const auto option = HxKinetorViewOptions::Option(i);
        options()->setOn(option, true);
        const auto on = canvases();
        options()->setOn(option, false);
        if (option != HxKinetorViewOptions::KeepCursorInside) {
            EXPECT_NE(on, canvases()) << "option " << i << " shows nothing";
        }
    }

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

// The weights drawn are the blend's at the cursor (Preview) or under the
// hovering mouse (Edit), sum to 1, and hovering never moves a dot.
TEST_F(HxKinetorCanvasTest, WeightsShownAreTheBlendsAtTheCursorOrUnderTheHoveringMouse)
{
    addFiveDots();
    m_layer->zoomToFit();
    options()->setOn(HxKinetorViewOptions::Weights, true);
    m_pane->setMode(HxKinetorPane::PreviewMode);
    QRandomGenerator random(5);
    for (int i = 0; i < 25; ++i) {
        const QPointF at(random.generateDouble() * 500.0 - 200.0, random.generateDouble() * 500.0 - 200.0);
        m_layer->getCursor()->setPosition(float(at.x()), float(at.y()));
        grab();
        const std::vector<double> shown = overlay().shownWeights();
        ASSERT_EQ(shown, weightsAt(at));
        double sum = 0.0;
        for (double weight : shown)
            sum += weight;
        EXPECT_NEAR(sum, 1.0, 1e-9);
    }
    // The ring of a dot that dominates is drawn in the weights' warm colour.
    m_layer->getCursor()->setPosition(60.0f, 90.0f);
    const QImage dominant = grab();
    const QColor warm = HxKinetorCanvasOverlay::weightColour(0.5);
    EXPECT_GT(countNear(dominant, warm, 40, QRect(pixelOf({60, 90}) - QPoint(30, 30), QSize(60, 60))), 20);

    m_pane->setMode(HxKinetorPane::EditMode);
    HxKinetorPose* active = m_layer->getPoses().at(1);
    m_layer->setActivePose(active);
    EXPECT_TRUE(m_view->hasMouseTracking());
    QMouseEvent hover(QEvent::MouseMove, QPointF(100, 70), m_view->mapToGlobal(QPointF(100, 70)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(m_view.get(), &hover);
    grab();
    EXPECT_EQ(overlay().shownWeights(), weightsAt(layerAt({100, 70})));
    EXPECT_EQ(QPointF(active->getX(), active->getY()), QPointF(120, 10)) << "hovering moved the dot";
    // While a dot is dragged the readout follows the mouse too.
    const QPoint from = pixelOf({120, 10});
    const QPoint to = from + QPoint(15, 25);
    QTest::mousePress(m_view.get(), Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(m_view.get(), to);
    grab();
    EXPECT_EQ(overlay().shownWeights(), weightsAt(layerAt(to)));
    QTest::mouseRelease(m_view.get(), Qt::LeftButton, Qt::NoModifier, to);
    EXPECT_EQ(QPointF(active->getX(), active->getY()), layerAt(to));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(m_view.get(), &leave);
    grab();
    EXPECT_TRUE(overlay().shownWeights().empty());
    options()->setOn(HxKinetorViewOptions::Weights, false);
    EXPECT_FALSE(m_view->hasMouseTracking());
}

// The selected dot's map is 1 at the dot and 0 at the others, matches the
// blend's weight of that dot everywhere, and is only recomputed when dots,
// selection, zoom, origin or size change.
TEST_F(HxKinetorCanvasTest, TheInfluenceMapIsTheSelectedDotsWeightAndIsComputedOnlyWhenNeeded)
{
    addFiveDots();
    m_layer->zoomToFit();
    options()->setOn(HxKinetorViewOptions::Influence, true);
    const auto& map = overlay().influenceMap();
    const QList<HxKinetorPose*> poses = m_layer->getPoses();
    QRandomGenerator random(9);
    for (int selected : {0, 2, 4}) {
        m_layer->setActivePose(poses[selected]);
        grab();
        ASSERT_TRUE(map.isValid());
        for (int i = 0; i < poses.size(); ++i)
            EXPECT_NEAR(map.weightAt(poses[i]->getX(), poses[i]->getY()), i == selected ? 1.0 : 0.0, 1e-9);
        for (int i = 0; i < 20; ++i) {
            const QPointF at(random.generateDouble() * 400.0 - 100.0,
                             random.generateDouble() * 400.0 - 100.0);
            EXPECT_NEAR(map.weightAt(float(at.x()), float(at.y())), weightsAt(at)[std::size_t(selected)],
                        1e-9);
        }
    }
    // Picture and dot agree: the sample at the selected dot is the full colour.
    const QPoint dot = pixelOf({poses[4]->getX(), poses[4]->getY()});
    const QColor sample = map.image().pixelColor(dot / HxKinetorInfluenceMap::SampleStep);
    EXPECT_LT(colourDistance(sample, HxKinetorInfluenceMap::colourFor(1.0)), 40);

    const int computed = map.computeCount();
    grab();
    m_view->update();
    grab();
    EXPECT_EQ(map.computeCount(), computed);
    m_view->setZoom(m_view->getZoom() * 1.5f, 10, 10);
    grab();
    EXPECT_EQ(map.computeCount(), computed + 1);
    poses[1]->setPosition(110.0f, 20.0f);
    grab();
    EXPECT_EQ(map.computeCount(), computed + 2);
    m_view->resize(240, 160);
    grab();
    EXPECT_EQ(map.computeCount(), computed + 3);
    m_layer->setActivePose(poses[0]);
    grab();
    EXPECT_EQ(map.computeCount(), computed + 4);

    // Dots on a line: the one-dimensional blend's weights.
    freshLayer();
    for (int d = 0; d < 3; ++d)
        addDot(40.0f * d, 10.0f * d);
    m_layer->setActivePose(m_layer->getPoses().at(1));
    grab();
    const auto& line = overlay().influenceMap();
    ASSERT_TRUE(line.isValid());
    EXPECT_NEAR(line.weightAt(40.0f, 10.0f), 1.0, 1e-9);
    EXPECT_NEAR(line.weightAt(-30.0f, 70.0f), weightsAt({-30.0, 70.0})[1], 1e-9);
    // A dot that does not count has no map.
    m_layer->setActivePose(addDot(40.6f, 10.2f));
    grab();
    EXPECT_FALSE(line.isValid());
}

// The covered area, the warning when the cursor leaves it, and the clamp that
// keeps a dragged cursor inside.
TEST_F(HxKinetorCanvasTest, TheCursorOutsideTheDotsIsFlaggedAndCanBeKeptInside)
{
    QRandomGenerator random(3);
    const auto clampsInside = [&](const HxKinetorDotLayout& layout) {
        for (int i = 0; i < 200; ++i) {
            const QPointF at(random.generateDouble() * 800.0 - 300.0,
                             random.generateDouble() * 800.0 - 300.0);
            const QPointF clamped = layout.clamp(at);
            EXPECT_TRUE(layout.covers(clamped)) << at.x() << ", " << at.y();
            if (layout.covers(at)) {
                EXPECT_EQ(clamped, at);
            }
        }
    };
    addFiveDots();
    const HxKinetorDotLayout area(m_layer->getPoses());
    EXPECT_FALSE(area.isCollinear());
    EXPECT_EQ(area.hull().size(), 4) << "(60, 90) lies inside";
    EXPECT_TRUE(area.covers({60, 60}));
    EXPECT_FALSE(area.covers({-60, -30}));
    const QPointF onEdge = area.clamp({60, -40});
    EXPECT_NEAR(onEdge.y(), onEdge.x() / 12.0, 1e-9) << "onto the edge from (0, 0) to (120, 10)";
    clampsInside(area);
    freshLayer();
    addDot(0.0f, 0.0f);
    addDot(100.0f, 0.0f);
    addDot(200.0f, 10.0f);
    const HxKinetorDotLayout line(m_layer->getPoses());
    EXPECT_TRUE(line.isCollinear());
    EXPECT_TRUE(line.covers({50, 300})) << "across the line the blend does not extrapolate";
    EXPECT_FALSE(line.covers({-20, 0}));
    clampsInside(line);

    freshLayer();
    addFiveDots();
    m_layer->zoomToFit();
    options()->setOn(HxKinetorViewOptions::Coverage, true);
    m_pane->setMode(HxKinetorPane::PreviewMode);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(m_view.get(), &enter);
    QStatusBar* status = m_window->statusBar();
    EXPECT_EQ(status->currentMessage(), HxKinetorCanvasAssist::modeHint(HxKinetorPane::PreviewMode));
    const QPoint outside = pixelOf({-30, 10});
    m_layer->getCursor()->setPosition(-30.0f, 10.0f);
    const QImage warned = grab();
    EXPECT_TRUE(overlay().wasCursorOutside());
    EXPECT_EQ(status->currentMessage(), HxKinetorCanvasAssist::extrapolatingMessage());
    EXPECT_GT(countNear(warned, QColor(245, 150, 0), 30, QRect(outside - QPoint(9, 9), QSize(18, 18))), 5);
    m_layer->getCursor()->setPosition(60.0f, 60.0f);
    grab();
    EXPECT_EQ(status->currentMessage(), HxKinetorCanvasAssist::modeHint(HxKinetorPane::PreviewMode));
    m_pane->setMode(HxKinetorPane::RecordMode);
    grab();
    EXPECT_EQ(status->currentMessage(), HxKinetorCanvasAssist::modeHint(HxKinetorPane::RecordMode));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(m_view.get(), &leave);
    EXPECT_TRUE(status->currentMessage().isEmpty());
    m_pane->setMode(HxKinetorPane::PreviewMode);

    // A drag out of the dots: the cursor follows, or stops at the edge.
    const QPoint inside = pixelOf({60, 60});
    const QPoint far = pixelOf({-100, -100});
    for (bool keep : {false, true}) {
        options()->setOn(HxKinetorViewOptions::KeepCursorInside, keep);
        QTest::mousePress(m_view.get(), Qt::LeftButton, Qt::NoModifier, inside);
        QTest::mouseMove(m_view.get(), far);
        const QPointF cursor(m_layer->getCursor()->x(), m_layer->getCursor()->y());
        QTest::mouseRelease(m_view.get(), Qt::LeftButton, Qt::NoModifier, far);
        EXPECT_EQ(area.covers(cursor), keep);
        if (!keep) {
            EXPECT_EQ(cursor, layerAt(far));
        }
    }
}

TEST_F(HxKinetorCanvasTest, TheCanvasSaysWhatIsMissingAndDeleteRemovesTheSelectedDot)
{
    options()->setOn(HxKinetorViewOptions::CanvasHints, true);
    m_layer->setNode(nullptr);
    grab();
    EXPECT_EQ(overlay().canvasHint(), QStringLiteral("Pick a figure above"));
    m_layer->setNode(m_figure);
    HxKinetorPose* first = addDot(30.0f, 40.0f);
    grab();
    EXPECT_EQ(overlay().canvasHint(), QStringLiteral("Add a second dot to blend"));
    addDot(30.9f, 40.5f);
    grab();
    EXPECT_EQ(overlay().canvasHint(), QStringLiteral("Add a second dot to blend")) << "one cell, one dot";
    HxKinetorPose* third = addDot(90.0f, 40.0f);
    grab();
    EXPECT_TRUE(overlay().canvasHint().contains(QStringLiteral("only the first counts")));

    // Delete and Backspace remove the selected dot in Edit mode only.
    m_layer->setActivePose(third);
    m_pane->setMode(HxKinetorPane::PreviewMode);
    QTest::keyClick(m_view.get(), Qt::Key_Delete);
    EXPECT_EQ(m_layer->getNumPoses(), 3);
    m_pane->setMode(HxKinetorPane::EditMode);
    QTest::keyClick(m_view.get(), Qt::Key_Delete);
    EXPECT_EQ(m_layer->getNumPoses(), 2);
    m_layer->setActivePose(first);
    QTest::keyClick(m_view.get(), Qt::Key_Backspace);
    EXPECT_EQ(m_layer->getNumPoses(), 1);
    EXPECT_FALSE(m_view->toolTip().isEmpty());
    for (const char* name : {"KinetorEditModeButton", "KinetorPreviewModeButton", "KinetorRecordModeButton"})
        EXPECT_FALSE(m_pane->findChild<QWidget*>(QLatin1String(name))->toolTip().isEmpty()) << name;
    EXPECT_FALSE(m_pane->getNodeMenu()->toolTip().isEmpty());
}

// The Show button beside the layer tabs sets the options; they live in the
// application settings and never in the scene's state script.
TEST_F(HxKinetorCanvasTest, ShowMenuOptionsAreRememberedInTheSettingsNotInTheScene)
{
    HxScript before;
    m_pane->saveStateScript(before);
    auto* button = qobject_cast<QToolButton*>(m_pane->getActiveLayerGroup()->cornerWidget());
    ASSERT_NE(button, nullptr);
    QMenu* show = button->menu();
    ASSERT_NE(show, nullptr);
    EXPECT_EQ(show->title(), QStringLiteral("Show"));
    QStringList labels;
    for (QAction* entry : show->actions()) {
        if (entry->isSeparator())
            continue;
        labels.append(entry->text());
        EXPECT_TRUE(entry->isCheckable() && !entry->isChecked());
    }
    EXPECT_EQ(labels.size(), int(HxKinetorViewOptions::OptionCount));
    EXPECT_TRUE(labels.contains(QStringLiteral("Keep Cursor Inside Dots")));
    auto* coverage = show->findChild<QAction*>(QStringLiteral("KinetorShowCoverage"));
    ASSERT_NE(coverage, nullptr);
    coverage->trigger();
    EXPECT_TRUE(options()->isOn(HxKinetorViewOptions::Coverage));
    EXPECT_TRUE(hxApp->getSettings()
                    ->value(HxKinetorViewOptions::settingsKey(HxKinetorViewOptions::Coverage))
                    .toBool());
    options()->setOn(HxKinetorViewOptions::Coverage, false);
    EXPECT_FALSE(coverage->isChecked()) << "the entry follows the option";
    options()->setOn(HxKinetorViewOptions::CursorPath, true);
    HxKinetorViewOptions reread;
    EXPECT_TRUE(reread.isOn(HxKinetorViewOptions::CursorPath));
    EXPECT_FALSE(reread.isOn(HxKinetorViewOptions::Coverage));
    HxScript after;
    m_pane->saveStateScript(after);
    EXPECT_EQ(after.text(), before.text());
}

} // namespace

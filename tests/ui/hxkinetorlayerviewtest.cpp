#include "kinetoruitest.h"

#include "layer/hxpointcontrol.h"
#include "model/hxkinetorpose.h"

#include "hxcore/hxaudioclip.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxstyle.h"
#include "hxcore/hxviewportmgr.h"

#include <QImage>
#include <QPointer>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <limits>

namespace {

// A layer with its view as a top-level widget of its own.
struct LooseLayer
{
    LooseLayer(HxKinetorPane* pane, HxNode* node, int width = 200, int height = 100)
        : layer(std::make_unique<HxKinetorLayer>(pane, nullptr, QStringLiteral("Test"), "Layer")),
          view(layer->getView())
    {
        layer->setNode(node);
        view->resize(width, height);
    }
    HxKinetorPose* addDot(float x, float y)
    {
        auto* pose = new HxKinetorPose(x, y, layer->getNode(), true);
        layer->addPose(pose, false);
        return pose;
    }

    std::unique_ptr<HxKinetorLayer> layer;
    std::unique_ptr<HxKinetorLayerView> view;
};

bool near(const QColor& a, const QColor& b, int tolerance = 3)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

QColor dotColourAt(const QImage& image, HxKinetorLayerView* view, const HxKinetorPose* pose)
{
    int px = 0;
    int py = 0;
    view->layerToView(pose->getX(), pose->getY(), px, py);
    // Off the centre, where a selected dot has its light core, inside the fill.
    return image.pixelColor(px - 3, py);
}

// The state whose dot colour the pixel shows. Small dots blend their fill
// with the outline, so the nearest colour decides, within a margin.
int drawnState(const QColor& c)
{
    int best = -1;
    int bestDistance = 40;
    for (QStyle::State state : {QStyle::State_None, QStyle::State_Selected, QStyle::State_Active}) {
        const QColor d = HxStyle::poseDotColor(state);
        const int distance = std::max(
            {std::abs(c.red() - d.red()), std::abs(c.green() - d.green()), std::abs(c.blue() - d.blue())});
        if (distance < bestDistance) {
            bestDistance = distance;
            best = int(state);
        }
    }
    return best;
}

int cursorPixels(const QImage& image, int cx, int cy)
{
    int count = 0;
    for (int y = std::max(0, cy - 10); y < std::min(image.height(), cy + 10); ++y)
        for (int x = std::max(0, cx - 10); x < std::min(image.width(), cx + 10); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += (c.red() > 150 && c.green() < 90 && c.blue() < 90) ? 1 : 0;
        }
    return count;
}

void sendWheel(QWidget* widget, int delta)
{
    const QPointF pos(widget->width() / 2, widget->height() / 2);
    QWheelEvent event(pos, widget->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

class TestClip : public HxAudioClip
{
public:
    HxTime getEndTime() const override { return end; }
    void seek(HxTime time) override { calls.append(QStringLiteral("seek %1").arg(time)); }
    int getRate() const override { return 44100; }
    void play() override { calls.append(QStringLiteral("play")); }
    void stop() override { calls.append(QStringLiteral("stop")); }

    HxTime end = 4800 * 10;
    QStringList calls;
};

class HxKinetorLayerViewTest : public HxKinetorUiTest
{
protected:
    void SetUp() override
    {
        HxKinetorUiTest::SetUp();
        m_figure = addFigure(QStringLiteral("Figure"), {QStringLiteral("hip"), QStringLiteral("chest")});
        createWindowWithPane();
        m_loose = std::make_unique<LooseLayer>(m_pane, m_figure);
    }
    void TearDown() override
    {
        m_loose.reset();
        HxKinetorUiTest::TearDown();
    }
    HxKinetorLayerView* view() const { return m_loose->view.get(); }
    // The figure's layer as the pane shows it: the one the actions reach.
    HxKinetorLayer* shownLayer()
    {
        m_pane->primarySelectionChanged(m_figure);
        m_window->resize(800, 600);
        m_window->show();
        return m_pane->getActiveLayer();
    }
    HxKinetorLayer* layer() const { return m_loose->layer.get(); }
    QPoint pixelOf(float x, float y) const
    {
        int px = 0;
        int py = 0;
        view()->layerToView(x, y, px, py);
        return {px, py};
    }

    HxSkeleton* m_figure = nullptr;
    std::unique_ptr<LooseLayer> m_loose;
};

TEST_F(HxKinetorLayerViewTest, MapsTruncatingTowardZeroAndZoomsAboutAPixel)
{
    int px = -1;
    int py = -1;
    view()->layerToView(0.0f, 0.0f, px, py);
    EXPECT_EQ(QPoint(px, py), QPoint(0, 0));
    view()->layerToView(10.5f, -3.2f, px, py);
    EXPECT_EQ(QPoint(px, py), QPoint(10, -3));
    view()->layerToView(-0.7f, 0.7f, px, py);
    EXPECT_EQ(QPoint(px, py), QPoint(0, 0));

    view()->setZoom(2.0f, 50, 40);
    EXPECT_FLOAT_EQ(view()->getZoom(), 2.0f);
    EXPECT_FLOAT_EQ(view()->getOriginX(), 25.0f);
    EXPECT_FLOAT_EQ(view()->getOriginY(), 20.0f);
    view()->layerToView(50.0f, 40.0f, px, py);
    EXPECT_EQ(QPoint(px, py), QPoint(50, 40));
    float x = 0.0f;
    float y = 0.0f;
    view()->viewToLayer(51, 41, x, y);
    EXPECT_FLOAT_EQ(x, 50.5f);
    EXPECT_FLOAT_EQ(y, 40.5f);

    for (float bad : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()}) {
        view()->setZoom(bad, 10, 10);
        EXPECT_FLOAT_EQ(view()->getZoom(), 2.0f);
        EXPECT_FLOAT_EQ(view()->getOriginX(), 25.0f);
        EXPECT_FLOAT_EQ(view()->getOriginY(), 20.0f);
    }

    view()->resetView();
    EXPECT_FLOAT_EQ(view()->getZoom(), 1.0f);
    EXPECT_FLOAT_EQ(view()->getOriginX(), 0.0f);
    EXPECT_FLOAT_EQ(view()->getOriginY(), 0.0f);

    // A resize shows more or less of the layer; it moves nothing.
    view()->setOrigin(3.0f, 4.0f);
    view()->resize(400, 300);
    EXPECT_FLOAT_EQ(view()->getOriginX(), 3.0f);
    EXPECT_FLOAT_EQ(view()->getZoom(), 1.0f);
}

TEST_F(HxKinetorLayerViewTest, FitsTheDotsWithTheirMarginAndDrawsThemWhereTheFitPutsThem)
{
    view()->fitToPoses(true, true);
    EXPECT_FLOAT_EQ(view()->getZoom(), 1.0f) << "no dots, nothing to fit";

    HxKinetorPose* dot = m_loose->addDot(100.0f, 100.0f);
    view()->fitToPoses(true, true);
    EXPECT_FLOAT_EQ(view()->getZoom(), 3.125f);
    EXPECT_FLOAT_EQ(view()->getOriginX(), 68.0f);
    EXPECT_FLOAT_EQ(view()->getOriginY(), 84.0f);
    EXPECT_EQ(pixelOf(100.0f, 100.0f), QPoint(100, 50));
    const QImage image = view()->grab().toImage();
    EXPECT_EQ(drawnState(dotColourAt(image, view(), dot)), int(QStyle::State_None));

    // Centring alone keeps the zoom.
    view()->setZoom(1.0f, 0, 0);
    view()->fitToPoses(false, true);
    EXPECT_FLOAT_EQ(view()->getZoom(), 1.0f);
    EXPECT_EQ(pixelOf(100.0f, 100.0f), QPoint(100, 50));

    m_loose->addDot(300.0f, 100.0f);
    view()->fitToPoses(true, false);
    // Box 84..316 by 84..116: the width is the tighter direction.
    EXPECT_FLOAT_EQ(view()->getZoom(), 200.0f / 232.0f);
}

TEST_F(HxKinetorLayerViewTest, GridMarksEveryTwentyUnitsAndClosesUpWhenZoomedFarOut)
{
    const QColor background = view()->palette().color(view()->backgroundRole());
    const QColor canvas = background.lighter(120);
    const QColor line = background.darker(130);

    QImage image = view()->grab().toImage();
    EXPECT_TRUE(near(image.pixelColor(20, 10), line));
    EXPECT_TRUE(near(image.pixelColor(40, 50), line));
    EXPECT_TRUE(near(image.pixelColor(10, 10), canvas));
    EXPECT_TRUE(near(image.pixelColor(31, 33), canvas));

    // Layer (0, 0) off to the left and above: lines still fall on it.
    view()->setOrigin(-7.0f, -13.0f);
    image = view()->grab().toImage();
    EXPECT_TRUE(near(image.pixelColor(27, 50), line));
    EXPECT_TRUE(near(image.pixelColor(50, 33), line));
    EXPECT_TRUE(near(image.pixelColor(26, 50), canvas));

    view()->setZoom(0.01f, 0, 0);
    image = view()->grab().toImage();
    for (const QPoint& p : {QPoint(5, 5), QPoint(50, 50), QPoint(151, 37), QPoint(196, 96)})
        EXPECT_TRUE(near(image.pixelColor(p), line)) << p.x() << "," << p.y();
}

TEST_F(HxKinetorLayerViewTest, ExtremeViewsStillPaint)
{
    m_loose->addDot(5.0f, 5.0f);
    view()->setOrigin(1e12f, -1e12f);
    EXPECT_FALSE(view()->grab().isNull());
    view()->setOrigin(0.0f, 0.0f);
    view()->setZoom(1e30f, 0, 0);
    EXPECT_FALSE(view()->grab().isNull());
    view()->setViewState(std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                         0.0f);
    EXPECT_FALSE(view()->grab().isNull());
}

TEST_F(HxKinetorLayerViewTest, DotsAndCursorFollowTheMode)
{
    HxKinetorPose* plain = m_loose->addDot(40.0f, 50.0f);
    HxKinetorPose* selected = m_loose->addDot(100.0f, 50.0f);
    layer()->setActivePose(selected);
    layer()->getCursor()->setPosition(160.0f, 50.0f);

    QImage image = view()->grab().toImage();
    EXPECT_EQ(drawnState(dotColourAt(image, view(), plain)), int(QStyle::State_None));
    EXPECT_EQ(drawnState(dotColourAt(image, view(), selected)), int(QStyle::State_Selected));
    EXPECT_EQ(cursorPixels(image, 160, 50), 0);

    m_pane->setMode(HxKinetorPane::PreviewMode);
    image = view()->grab().toImage();
    EXPECT_EQ(drawnState(dotColourAt(image, view(), plain)), int(QStyle::State_Active));
    EXPECT_EQ(drawnState(dotColourAt(image, view(), selected)), int(QStyle::State_Active));
    EXPECT_GT(cursorPixels(image, 160, 50), 5);

    // The cursor is drawn over the dots.
    layer()->getCursor()->setPosition(40.0f, 50.0f);
    image = view()->grab().toImage();
    EXPECT_GT(cursorPixels(image, 40, 50), 5);
}

TEST_F(HxKinetorLayerViewTest, PartialRepaintCopiesOnlyItsRectangle)
{
    QPixmap screen = view()->grab();
    const QImage before = screen.toImage();
    HxKinetorPose* left = m_loose->addDot(40.0f, 50.0f);
    HxKinetorPose* right = m_loose->addDot(160.0f, 50.0f);

    view()->render(&screen, QPoint(0, 0), QRegion(0, 0, 100, 100));
    const QImage after = screen.toImage();
    EXPECT_EQ(drawnState(dotColourAt(after, view(), left)), int(QStyle::State_None));
    const QPoint r = pixelOf(right->getX(), right->getY());
    EXPECT_EQ(after.pixelColor(r.x() - 3, r.y()), before.pixelColor(r.x() - 3, r.y()));
    EXPECT_EQ(after.copy(100, 0, 100, 100), before.copy(100, 0, 100, 100));
}

TEST_F(HxKinetorLayerViewTest, EditPressAddsADotAtWholeUnitsAndDragsItWithFloatPrecision)
{
    view()->setOrigin(-87.3f, -103.4f);
    QTest::mousePress(view(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    ASSERT_EQ(layer()->getNumPoses(), 1);
    HxKinetorPose* dot = layer()->getPoses().first();
    EXPECT_EQ(layer()->getActivePose(), dot);
    EXPECT_FLOAT_EQ(dot->getX(), 12.0f);
    EXPECT_FLOAT_EQ(dot->getY(), -3.0f);

    view()->setZoom(4.0f, 100, 100);
    QTest::mouseMove(view(), QPoint(103, 105));
    float x = 0.0f;
    float y = 0.0f;
    view()->viewToLayer(103, 105, x, y);
    EXPECT_FLOAT_EQ(dot->getX(), x);
    EXPECT_FLOAT_EQ(dot->getY(), y);
    EXPECT_NE(dot->getX(), std::trunc(dot->getX()));
    QTest::mouseRelease(view(), Qt::LeftButton, Qt::NoModifier, QPoint(103, 105));
    EXPECT_EQ(layer()->getNumPoses(), 1);
}

TEST_F(HxKinetorLayerViewTest, HitTestIsASquareOfEightUnitsAndTheFirstDotWins)
{
    HxKinetorPose* dot = m_loose->addDot(100.0f, 100.0f);
    EXPECT_EQ(view()->poseAt(108.0f, 108.0f), dot);
    EXPECT_EQ(view()->poseAt(92.0f, 92.0f), dot);
    EXPECT_EQ(view()->poseAt(108.01f, 100.0f), nullptr);
    EXPECT_EQ(view()->poseAt(100.0f, 91.99f), nullptr);

    HxKinetorPose* under = m_loose->addDot(0.0f, 0.0f);
    m_loose->addDot(4.0f, 0.0f);
    EXPECT_EQ(view()->poseAt(2.0f, 0.0f), under);

    // At zoom 2 the square is 16 pixels either way; a press there selects.
    view()->setZoom(2.0f, 0, 0);
    view()->setOrigin(80.0f, 80.0f);
    QTest::mouseClick(view(), Qt::LeftButton, Qt::NoModifier, QPoint(40 + 16, 40 - 16));
    EXPECT_EQ(layer()->getActivePose(), dot);
    EXPECT_EQ(layer()->getNumPoses(), 3);
    QTest::mouseClick(view(), Qt::LeftButton, Qt::NoModifier, QPoint(40 + 17, 40));
    EXPECT_EQ(layer()->getNumPoses(), 4) << "a press just outside adds a dot";
}

TEST_F(HxKinetorLayerViewTest, ShiftPressStoresTheFigurePoseAndAPlainPressAppliesIt)
{
    HxFloatProperty* x = m_figure->getXPosControl();
    x->setValue(1.0f);
    QTest::mouseClick(view(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    ASSERT_EQ(layer()->getNumPoses(), 1);

    x->setValue(2.0f);
    QTest::mouseClick(view(), Qt::LeftButton, Qt::ShiftModifier, QPoint(52, 48));
    EXPECT_EQ(layer()->getNumPoses(), 1);
    EXPECT_FLOAT_EQ(layer()->getPoses().first()->getX(), 50.0f);

    x->setValue(5.0f);
    QTest::mouseClick(view(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    EXPECT_FLOAT_EQ(x->getValue(), 2.0f);

    // Shift on empty canvas adds a dot as a plain press does.
    QTest::mouseClick(view(), Qt::LeftButton, Qt::ShiftModifier, QPoint(150, 50));
    EXPECT_EQ(layer()->getNumPoses(), 2);
}

TEST_F(HxKinetorLayerViewTest, PoseMenuDismissedRestoresThePreviousDotAndAChoiceRuns)
{
    HxKinetorLayer* shown = shownLayer();
    HxKinetorLayerView* canvas = shown->getView();
    auto* first = new HxKinetorPose(30.0f, 40.0f, m_figure, true);
    auto* second = new HxKinetorPose(80.0f, 40.0f, m_figure, true);
    shown->addPose(first, false);
    shown->addPose(second, false);
    shown->setActivePose(first);

    auto record = std::make_shared<HxClosedPopup>();
    HxKinetorPose* activeDuringMenu = nullptr;
    QTimer::singleShot(0, m_timers.get(), [&]() { activeDuringMenu = shown->getActivePose(); });
    closePopupSoon(m_timers.get(), record);
    QTest::mousePress(canvas, Qt::RightButton, Qt::NoModifier, QPoint(80, 40));
    QTest::mouseRelease(canvas, Qt::RightButton, Qt::NoModifier, QPoint(80, 40));
    EXPECT_TRUE(record->seen);
    EXPECT_EQ(record->entries, kinetorActions({"DeletePose", "UpdatePose"}));
    EXPECT_EQ(activeDuringMenu, second);
    EXPECT_EQ(shown->getActivePose(), first);

    record = std::make_shared<HxClosedPopup>();
    closePopupSoon(m_timers.get(), record, 0);
    QTest::mousePress(canvas, Qt::RightButton, Qt::NoModifier, QPoint(80, 40));
    QTest::mouseRelease(canvas, Qt::RightButton, Qt::NoModifier, QPoint(80, 40));
    ASSERT_EQ(shown->getNumPoses(), 1);
    EXPECT_EQ(shown->getPoses().first(), first);
    EXPECT_EQ(shown->getActivePose(), nullptr);
}

TEST_F(HxKinetorLayerViewTest, ContextMenusListTheirActionsByMode)
{
    auto record = std::make_shared<HxClosedPopup>();
    closePopupSoon(m_timers.get(), record);
    QTest::mouseClick(view(), Qt::RightButton, Qt::NoModifier, QPoint(150, 80));
    EXPECT_EQ(record->entries, kinetorActions({"ZoomToFit", "CenterView", "ResetView", "-", "AddLayer",
                                               "DeleteLayer", "RenameLayer", "ClearLayer"}));
    EXPECT_EQ(layer()->getNumPoses(), 0) << "a right press on empty canvas adds no dot";

    m_loose->addDot(150.0f, 80.0f);
    m_pane->setMode(HxKinetorPane::RecordMode);
    record = std::make_shared<HxClosedPopup>();
    closePopupSoon(m_timers.get(), record);
    QTest::mouseClick(view(), Qt::RightButton, Qt::NoModifier, QPoint(150, 80));
    EXPECT_EQ(record->entries,
              kinetorActions({"ZoomToFit", "CenterView", "ResetView", "-", "ClearLayerAnimation"}));

    // A choice comes back as its index and has run by then.
    HxKinetorLayerView* canvas = shownLayer()->getView();
    canvas->setZoom(3.0f, 0, 0);
    record = std::make_shared<HxClosedPopup>();
    closePopupSoon(m_timers.get(), record, 2);
    EXPECT_EQ(canvas->doContextMenu(0, 0, HxKinetorLayerView::PlaybackMenu), 2);
    EXPECT_FLOAT_EQ(canvas->getZoom(), 1.0f);
    EXPECT_EQ(view()->doContextMenu(0, 0, 7), -1);
}

TEST_F(HxKinetorLayerViewTest, WithoutAnActionManagerTheMenuWarnsAndTheDotIsRestored)
{
    m_loose.reset();
    m_window.reset();
    HxKinetorPane pane;
    LooseLayer loose(&pane, m_figure);
    HxKinetorPose* first = loose.addDot(40.0f, 50.0f);
    loose.addDot(100.0f, 50.0f);
    loose.layer->setActivePose(first);

    HxWarningCapture warnings;
    EXPECT_EQ(loose.view->doContextMenu(0, 0, HxKinetorLayerView::EditMenu), -1);
    QTest::mouseClick(loose.view.get(), Qt::RightButton, Qt::NoModifier, QPoint(100, 50));
    EXPECT_EQ(loose.layer->getActivePose(), first);
    EXPECT_EQ(warnings.messages().count(
                  QStringLiteral("No Action Manager found in HxKinetorLayerView::doContextMenu()")),
              2);
}

TEST_F(HxKinetorLayerViewTest, CtrlDragZoomsAboutTheCentreAndAltOrMiddleDragPans)
{
    HxKinetorPose* dot = m_loose->addDot(100.0f, 50.0f);
    auto record = std::make_shared<HxClosedPopup>();
    closePopupSoon(m_timers.get(), record);
    float cx = 0.0f;
    float cy = 0.0f;
    view()->viewToLayer(100, 50, cx, cy);

    QTest::mousePress(view(), Qt::RightButton, Qt::ControlModifier, QPoint(100, 50));
    QTest::mouseMove(view(), QPoint(130, 150));
    EXPECT_FLOAT_EQ(view()->getZoom(), 2.0f);
    EXPECT_EQ(pixelOf(cx, cy), QPoint(100, 50));
    QTest::mouseMove(view(), QPoint(100, -50));
    EXPECT_FLOAT_EQ(view()->getZoom(), 0.5f);
    EXPECT_EQ(pixelOf(cx, cy), QPoint(100, 50));
    QTest::mouseRelease(view(), Qt::RightButton, Qt::ControlModifier, QPoint(100, -50));
    EXPECT_FALSE(record->seen) << "Ctrl with the right button opens no menu";
    EXPECT_EQ(layer()->getActivePose(), nullptr);

    view()->resetView();
    QTest::mousePress(view(), Qt::MiddleButton, Qt::NoModifier, QPoint(100, 50));
    QTest::mouseMove(view(), QPoint(110, 70));
    QTest::mouseRelease(view(), Qt::MiddleButton, Qt::NoModifier, QPoint(110, 70));
    EXPECT_FLOAT_EQ(view()->getOriginX(), -10.0f);
    EXPECT_FLOAT_EQ(view()->getOriginY(), -20.0f);
    EXPECT_EQ(layer()->getActivePose(), nullptr) << "a middle press on a dot selects nothing";
    EXPECT_EQ(pixelOf(dot->getX(), dot->getY()), QPoint(110, 70)) << "the canvas follows the mouse";

    view()->setZoom(2.0f, 0, 0);
    const float ox = view()->getOriginX();
    QTest::mousePress(view(), Qt::LeftButton, Qt::AltModifier, QPoint(50, 50));
    QTest::mouseMove(view(), QPoint(30, 50));
    QTest::mouseRelease(view(), Qt::LeftButton, Qt::AltModifier, QPoint(30, 50));
    EXPECT_FLOAT_EQ(view()->getOriginX(), ox + 10.0f);
    EXPECT_EQ(layer()->getNumPoses(), 1);
}

TEST_F(HxKinetorLayerViewTest, WheelZoomsAboutTheCentreEvenWithoutANode)
{
    float cx = 0.0f;
    float cy = 0.0f;
    view()->viewToLayer(100, 50, cx, cy);
    sendWheel(view(), 120);
    EXPECT_NEAR(view()->getZoom(), 0.8827f, 1e-4f);
    EXPECT_EQ(pixelOf(cx, cy), QPoint(100, 50));
    sendWheel(view(), -120);
    EXPECT_NEAR(view()->getZoom(), 1.0f, 1e-5f);
    sendWheel(view(), -120);
    EXPECT_NEAR(view()->getZoom(), 1.1329f, 1e-4f);

    layer()->setNode(nullptr);
    sendWheel(view(), 240);
    EXPECT_NEAR(view()->getZoom(), 1.1329f * 0.7792f, 1e-3f);
    QTest::mouseClick(view(), Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    EXPECT_EQ(layer()->getNumPoses(), 0) << "a layer without a node ignores presses";
}

TEST_F(HxKinetorLayerViewTest, PreviewDragRunsTheLiveBlendAndHoldsOffTimeChanges)
{
    m_pane->setMode(HxKinetorPane::PreviewMode);
    m_pane->setFillFrames(false);
    // The layer must be the pane's active one for time changes to reach it.
    HxKinetorLayerGroup* group = m_pane->getLayerGroupByNode(m_figure);
    m_pane->primarySelectionChanged(m_figure);
    HxKinetorLayer* active = m_pane->getActiveLayer();
    ASSERT_EQ(m_pane->getActiveLayerGroup(), group);
    HxKinetorLayerView* activeView = active->getView();
    m_window->resize(800, 600);
    m_window->show();

    auto* first = new HxKinetorPose(10.0f, 10.0f, m_figure, true);
    active->addPose(first, false);
    HxPointControl* cursor = active->getCursor();
    cursor->setPosition(0.0f, 0.0f);
    cursor->setKey(0);
    cursor->setPosition(100.0f, 100.0f);
    cursor->setKey(480);
    cursor->setPosition(5.0f, 5.0f);

    // One dot: nothing starts.
    QTest::mousePress(activeView, Qt::LeftButton, Qt::NoModifier, QPoint(40, 30));
    EXPECT_FALSE(active->getRecordTimer()->isActive());
    EXPECT_FALSE(active->isEditing());
    EXPECT_FLOAT_EQ(cursor->x(), 5.0f);
    QTest::mouseRelease(activeView, Qt::LeftButton, Qt::NoModifier, QPoint(40, 30));

    active->addPose(new HxKinetorPose(60.0f, 10.0f, m_figure, true), false);
    HxViewportMgr* viewports = m_window->getViewportMgr();
    QTest::mousePress(activeView, Qt::LeftButton, Qt::NoModifier, QPoint(40, 30));
    EXPECT_TRUE(active->getRecordTimer()->isActive());
    EXPECT_EQ(active->getRecordTimer()->interval(), 0);
    EXPECT_TRUE(active->isEditing());
    EXPECT_TRUE(viewports->isManipulating());
    float x = 0.0f;
    float y = 0.0f;
    activeView->viewToLayer(40, 30, x, y);
    EXPECT_FLOAT_EQ(cursor->x(), x);
    EXPECT_FLOAT_EQ(cursor->y(), y);
    EXPECT_FALSE(activeView->isDraggingCursor());
    EXPECT_EQ(active->getNumPoses(), 2) << "Preview presses never add dots";

    QTest::mouseMove(activeView, QPoint(45, 35));
    EXPECT_TRUE(activeView->isDraggingCursor());
    activeView->viewToLayer(45, 35, x, y);
    EXPECT_FLOAT_EQ(cursor->x(), x);
    hxScene->setTime(240);
    EXPECT_FLOAT_EQ(cursor->x(), x) << "the drag holds the cursor, not the time";

    QTest::mouseRelease(activeView, Qt::LeftButton, Qt::NoModifier, QPoint(45, 35));
    EXPECT_FALSE(activeView->isDraggingCursor());
    EXPECT_FALSE(active->getRecordTimer()->isActive());
    EXPECT_FALSE(active->isEditing());
    EXPECT_FALSE(viewports->isManipulating());
    hxScene->setTime(360);
    EXPECT_FLOAT_EQ(cursor->x(), 75.0f);
    EXPECT_FLOAT_EQ(cursor->y(), 75.0f);
}

TEST_F(HxKinetorLayerViewTest, PlayAudioStartsTheClipAtTheSceneTimeAndReleaseStopsIt)
{
    auto* clip = new TestClip;
    hxScene->setAudio(clip);
    hxScene->setAudioStartFrame(2);
    hxScene->setTime(960);
    m_loose->addDot(10.0f, 10.0f);
    m_loose->addDot(60.0f, 10.0f);
    m_pane->setMode(HxKinetorPane::RecordMode);

    QTest::mousePress(view(), Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    QTest::mouseRelease(view(), Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    EXPECT_EQ(clip->calls,
              QStringList({QStringLiteral("seek 1280"), QStringLiteral("play"), QStringLiteral("stop")}));

    clip->calls.clear();
    clip->end = 1280;
    QTest::mouseClick(view(), Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    EXPECT_EQ(clip->calls, QStringList({QStringLiteral("stop")}))
        << "starting at the clip's end plays nothing";

    clip->calls.clear();
    clip->end = 4800 * 10;
    m_pane->setPlayAudio(false);
    QTest::mouseClick(view(), Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    EXPECT_EQ(clip->calls, QStringList({QStringLiteral("stop")}));
}

TEST_F(HxKinetorLayerViewTest, DeletingTheLayerFromItsOwnMenuIsSafe)
{
    m_pane->primarySelectionChanged(m_figure);
    HxKinetorLayerGroup* group = m_pane->getActiveLayerGroup();
    group->addLayer(QStringLiteral("Second"));
    QPointer<HxKinetorLayerView> doomed = m_pane->getActiveLayerView();
    QPointer<HxKinetorLayer> doomedLayer = doomed->getLayer();
    ASSERT_EQ(group->count(), 2);

    auto record = std::make_shared<HxClosedPopup>();
    closePopupSoon(m_timers.get(), record, 5);
    QTest::mouseClick(doomed, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
    EXPECT_TRUE(record->seen);
    EXPECT_EQ(group->count(), 1);
    EXPECT_TRUE(doomedLayer.isNull());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(doomed.isNull());
}

} // namespace

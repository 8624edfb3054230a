#include "kinetoruitest.h"

#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxstyle.h"
#include "hxcore/hxundostack.h"
#include "hxcore/hxviewportmgr.h"

#include <QPointer>
#include <QProxyStyle>
#include <QStyleOption>
#include <QUndoStack>
#include <QWheelEvent>
#include <cmath>
#include <limits>

namespace {

// Whether the pixel just off the dot's centre (a selected dot has a light core
// there) shows that state's colour; the three colours lie far apart.
bool drawnAs(const QImage& image, QPoint dot, QStyle::State state)
{
    return colourDistance(image.pixelColor(dot.x() - 3, dot.y()), HxStyle::poseDotColor(state)) < 40;
}

// Red pixels within ten of the point: the cursor.
int cursorPixels(const QImage& image, QPoint at)
{
    return countNear(image, QColor(204, 0, 0), 60, QRect(at - QPoint(10, 10), QSize(20, 20)));
}

// A 200 x 100 view of a figure's layer, standing alone over the pane.
class HxKinetorLayerViewTest : public HxKinetorLayerFixture
{
protected:
    void SetUp() override
    {
        HxKinetorLayerFixture::SetUp();
        makeLayer(m_pane);
    }
    QList<float> viewState() const { return {m_view->getZoom(), m_view->getOriginX(), m_view->getOriginY()}; }
    void mouse(Qt::MouseButton button, QPoint from, QPoint to, Qt::KeyboardModifiers keys = Qt::NoModifier)
    {
        QTest::mousePress(m_view.get(), button, keys, from);
        QTest::mouseMove(m_view.get(), to);
        QTest::mouseRelease(m_view.get(), button, keys, to);
    }
};

TEST_F(HxKinetorLayerViewTest, MapsZoomsFitsAndPaintsTheGridAtAnyZoom)
{
    EXPECT_EQ(pixelOf({10.5, -3.2}), QPoint(10, -3));
    EXPECT_EQ(pixelOf({-0.7, 0.7}), QPoint(0, 0)) << "truncated toward zero";
    m_view->setZoom(2.0f, 50, 40);
    EXPECT_EQ(viewState(), QList<float>({2.0f, 25.0f, 20.0f}));
    for (float bad : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()}) {
        m_view->setZoom(bad, 10, 10);
        EXPECT_EQ(viewState(), QList<float>({2.0f, 25.0f, 20.0f}));
    }
    addDot(100.0f, 100.0f);
    m_view->fitToPoses(true, true);
    EXPECT_EQ(viewState(), QList<float>({3.125f, 68.0f, 84.0f}));
    EXPECT_EQ(pixelOf({100, 100}), QPoint(100, 50));
    EXPECT_TRUE(drawnAs(grab(), {100, 50}, QStyle::State_None));

    m_view->resetView();
    const QColor line = m_view->palette().color(m_view->backgroundRole()).darker(130);
    const auto isLine = [&](QPoint p) {
        return colourDistance(grab().pixelColor(p), line) <= 3;
    };
    EXPECT_TRUE(isLine({20, 10}) && isLine({40, 50}));
    EXPECT_FALSE(isLine({10, 10}) || isLine({31, 33}));
    m_view->setZoom(0.01f, 0, 0);
    EXPECT_TRUE(isLine({5, 5}) && isLine({50, 50}) && isLine({151, 37}) && isLine({196, 96}))
        << "one-pixel step";
    m_view->setOrigin(1e12f, -1e12f);
    EXPECT_FALSE(m_view->grab().isNull());
}

TEST_F(HxKinetorLayerViewTest, APartialRepaintCopiesOnlyItsRectangleAndDotsAndCursorFollowTheMode)
{
    QPixmap screen = m_view->grab();
    const QImage empty = screen.toImage();
    addDot(40.0f, 50.0f);
    m_layer->setActivePose(addDot(160.0f, 50.0f));
    m_view->render(&screen, QPoint(0, 0), QRegion(0, 0, 100, 100));
    QImage image = screen.toImage();
    EXPECT_TRUE(drawnAs(image, {40, 50}, QStyle::State_None));
    EXPECT_EQ(image.copy(100, 0, 100, 100), empty.copy(100, 0, 100, 100));

    m_layer->getCursor()->setPosition(100.0f, 50.0f);
    image = grab();
    EXPECT_TRUE(drawnAs(image, {40, 50}, QStyle::State_None));
    EXPECT_TRUE(drawnAs(image, {160, 50}, QStyle::State_Selected));
    EXPECT_EQ(cursorPixels(image, {100, 50}), 0);
    m_pane->setMode(HxKinetorPane::PreviewMode);
    image = grab();
    EXPECT_TRUE(drawnAs(image, {40, 50}, QStyle::State_Active));
    EXPECT_TRUE(drawnAs(image, {160, 50}, QStyle::State_Active));
    EXPECT_GT(cursorPixels(image, {100, 50}), 5);
    m_layer->getCursor()->setPosition(40.0f, 50.0f);
    EXPECT_GT(cursorPixels(grab(), {40, 50}), 5) << "the cursor is drawn over the dots";
}

// A style built over the host's (a theme, a test's recorder) is asked for the dots and the
// cursor, with each dot's state, rather than passed over for a private copy of the host's.
TEST_F(HxKinetorLayerViewTest, AStyleBuiltOverTheHostsDrawsTheDotsAndTheCursor)
{
    class RecordingStyle : public QProxyStyle
    {
    public:
        RecordingStyle() : QProxyStyle(new HxStyle) {}
        void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                           const QWidget* widget) const override
        {
            if (element == HxStyle::PE_PoseDot)
                dots.append(option->state & (State_Selected | State_Active));
            if (element == HxStyle::PE_BlendCursor)
                ++cursors;
            QProxyStyle::drawPrimitive(element, option, painter, widget);
        }
        mutable QList<QStyle::State> dots;
        mutable int cursors = 0;
    };
    RecordingStyle style;
    m_view->setStyle(&style);
    addDot(40.0f, 50.0f);
    m_layer->setActivePose(addDot(160.0f, 50.0f));
    grab();
    EXPECT_EQ(style.dots, (QList<QStyle::State>{QStyle::State_None, QStyle::State_Selected}));
    EXPECT_EQ(style.cursors, 0);
    style.dots.clear();
    m_pane->setMode(HxKinetorPane::PreviewMode);
    grab();
    EXPECT_EQ(style.dots, (QList<QStyle::State>{QStyle::State_Active, QStyle::State_Active}));
    EXPECT_EQ(style.cursors, 1);
    m_view->setStyle(nullptr);
}

TEST_F(HxKinetorLayerViewTest, EditPressesAddDragHitAndStoreOrApplyPoses)
{
    m_view->setOrigin(-87.3f, -103.4f);
    QTest::mousePress(m_view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    ASSERT_EQ(m_layer->getNumPoses(), 1);
    HxKinetorPose* dot = m_layer->getPoses().first();
    EXPECT_EQ(m_layer->getActivePose(), dot);
    EXPECT_EQ(QPointF(dot->getX(), dot->getY()), QPointF(12, -3));
    m_view->setZoom(4.0f, 100, 100);
    QTest::mouseMove(m_view.get(), QPoint(103, 105));
    QTest::mouseRelease(m_view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(103, 105));
    EXPECT_EQ(QPointF(dot->getX(), dot->getY()), layerAt({103, 105}));
    EXPECT_NE(dot->getX(), std::trunc(dot->getX()));

    dot->setPosition(100.0f, 100.0f);
    EXPECT_EQ(m_view->poseAt(108.0f, 108.0f), dot);
    EXPECT_EQ(m_view->poseAt(92.0f, 92.0f), dot);
    EXPECT_EQ(m_view->poseAt(108.01f, 100.0f), nullptr);
    EXPECT_EQ(m_view->poseAt(100.0f, 91.99f), nullptr);
    HxKinetorPose* under = addDot(0.0f, 0.0f);
    addDot(4.0f, 0.0f);
    EXPECT_EQ(m_view->poseAt(2.0f, 0.0f), under);

    // Shift stores the figure's pose into the dot; a plain press applies it.
    m_view->resetView();
    HxFloatProperty* x = m_figure->getXPosControl();
    x->setValue(2.0f);
    QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::ShiftModifier, {2, 0});
    x->setValue(5.0f);
    QTest::mouseClick(m_view.get(), Qt::LeftButton, Qt::NoModifier, {2, 0});
    EXPECT_FLOAT_EQ(x->getValue(), 2.0f);
    EXPECT_EQ(m_layer->getNumPoses(), 3);
    EXPECT_EQ(QPointF(under->getX(), under->getY()), QPointF(0, 0));
}

TEST_F(HxKinetorLayerViewTest, ContextMenusFollowTheModeAndADismissedPoseMenuRestoresTheDot)
{
    HxKinetorLayer* shown = showLayerOf(m_figure);
    HxKinetorLayerView* canvas = shown->getView();
    const auto menuAt = [&](QPoint at, int choose = -1) {
        auto entries = closePopupSoon(m_timers.get(), choose);
        QTest::mouseClick(canvas, Qt::RightButton, Qt::NoModifier, at);
        return *entries;
    };
    EXPECT_EQ(menuAt({150, 80}), kinetorActions({"ZoomToFit", "CenterView", "ResetView", "-", "AddLayer",
                                                 "DeleteLayer", "RenameLayer", "ClearLayer"}));
    EXPECT_EQ(shown->getNumPoses(), 0) << "a right press on empty canvas adds no dot";
    HxKinetorPose* first = addDot(30.0f, 40.0f, shown);
    HxKinetorPose* second = addDot(80.0f, 40.0f, shown);
    shown->setActivePose(first);
    HxKinetorPose* activeDuringMenu = nullptr;
    QTimer::singleShot(0, m_timers.get(), [&]() { activeDuringMenu = shown->getActivePose(); });
    EXPECT_EQ(menuAt({80, 40}), kinetorActions({"DeletePose", "UpdatePose"}));
    EXPECT_EQ(activeDuringMenu, second);
    EXPECT_EQ(shown->getActivePose(), first);
    menuAt({80, 40}, 0);
    EXPECT_EQ(shown->getPoses(), QList<HxKinetorPose*>({first}));

    m_pane->setMode(HxKinetorPane::RecordMode);
    canvas->setZoom(3.0f, 0, 0);
    EXPECT_EQ(menuAt({30, 40}, 2),
              kinetorActions({"ZoomToFit", "CenterView", "ResetView", "-", "ClearLayerAnimation"}));
    EXPECT_FLOAT_EQ(canvas->getZoom(), 1.0f) << "the chosen entry has run";
    closePopupSoon(m_timers.get(), 1);
    EXPECT_EQ(canvas->doContextMenu(0, 0, HxKinetorLayerView::PlaybackMenu), 1);
    EXPECT_EQ(canvas->doContextMenu(0, 0, 7), -1);

    // Deleting the layer from its own menu must not touch the dead view.
    m_pane->setMode(HxKinetorPane::EditMode);
    m_pane->getActiveLayerGroup()->addLayer(QStringLiteral("Second"));
    QPointer<HxKinetorLayerView> doomed = canvas = m_pane->getActiveLayerView();
    menuAt({20, 20}, 5);
    EXPECT_EQ(m_pane->getActiveLayerGroup()->count(), 1);
    ASSERT_TRUE(hxUndoStack->undo());
    EXPECT_EQ(m_pane->getActiveLayerView(), doomed) << "the very layer comes back";
    ASSERT_TRUE(hxUndoStack->redo());
    hxUndoStack->clear();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(doomed.isNull());
}

TEST_F(HxKinetorLayerViewTest, WithoutAnActionManagerTheMenuWarnsAndTheDotIsRestored)
{
    makeLayer(nullptr);
    m_window.reset();
    auto pane = std::make_unique<HxKinetorPane>();
    makeLayer(pane.get());
    HxKinetorPose* first = addDot(40.0f, 50.0f);
    addDot(100.0f, 50.0f);
    m_layer->setActivePose(first);
    const QStringList warnings = warningsDuring([&]() {
        EXPECT_EQ(m_view->doContextMenu(0, 0, HxKinetorLayerView::EditMenu), -1);
        QTest::mouseClick(m_view.get(), Qt::RightButton, Qt::NoModifier, {100, 50});
    });
    EXPECT_EQ(m_layer->getActivePose(), first);
    EXPECT_EQ(
        warnings,
        QStringList(2, QStringLiteral("No Action Manager found in HxKinetorLayerView::doContextMenu()")));
    makeLayer(nullptr);
}

TEST_F(HxKinetorLayerViewTest, CtrlDragAndTheWheelZoomAboutTheCentreAndAMiddleDragPans)
{
    HxKinetorPose* dot = addDot(100.0f, 50.0f);
    auto entries = closePopupSoon(m_timers.get());
    const QPointF centre = layerAt({100, 50});
    mouse(Qt::RightButton, {100, 50}, {130, 150}, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(m_view->getZoom(), 2.0f);
    EXPECT_EQ(pixelOf(centre), QPoint(100, 50));
    mouse(Qt::RightButton, {100, 50}, {100, -50}, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(m_view->getZoom(), 1.0f);
    EXPECT_TRUE(entries->isEmpty()) << "Ctrl with the right button opens no menu";
    EXPECT_EQ(m_layer->getActivePose(), nullptr);

    QWheelEvent away(QPointF(100, 50), m_view->mapToGlobal(QPointF(100, 50)), QPoint(), QPoint(0, 120),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(m_view.get(), &away);
    EXPECT_NEAR(m_view->getZoom(), 0.8827f, 1e-4f);
    EXPECT_EQ(pixelOf(centre), QPoint(100, 50));

    // However far the wheel turns, the zoom stays finite and comes back.
    QWheelEvent toward(QPointF(100, 50), m_view->mapToGlobal(QPointF(100, 50)), QPoint(), QPoint(0, -120),
                       Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    for (int notch = 0; notch < 1000; ++notch)
        QApplication::sendEvent(m_view.get(), &toward);
    EXPECT_EQ(m_view->getZoom(), HxKinetorLayerView::MaxZoom);
    QApplication::sendEvent(m_view.get(), &away);
    EXPECT_LT(m_view->getZoom(), HxKinetorLayerView::MaxZoom) << "wheeling out recovers at once";
    for (int notch = 0; notch < 1000; ++notch)
        QApplication::sendEvent(m_view.get(), &away);
    EXPECT_EQ(m_view->getZoom(), HxKinetorLayerView::MinZoom);
    EXPECT_TRUE(std::isfinite(m_view->getOriginX()) && std::isfinite(m_view->getOriginY()));
    m_view->setZoom(std::numeric_limits<float>::infinity(), 0, 0);
    EXPECT_EQ(m_view->getZoom(), HxKinetorLayerView::MaxZoom);
    m_view->setViewState(std::numeric_limits<float>::quiet_NaN(), 0.0f, 0.0f);
    EXPECT_EQ(m_view->getZoom(), 1.0f) << "a stored zoom that is no number starts over at 1";

    m_view->resetView();
    mouse(Qt::MiddleButton, {100, 50}, {110, 70});
    EXPECT_EQ(viewState(), QList<float>({1.0f, -10.0f, -20.0f}));
    EXPECT_EQ(m_layer->getActivePose(), nullptr) << "a middle press on a dot selects nothing";
    EXPECT_EQ(pixelOf({dot->getX(), dot->getY()}), QPoint(110, 70));
}

TEST_F(HxKinetorLayerViewTest, PreviewDragRunsTheLiveBlendAndHoldsOffTimeChanges)
{
    m_pane->setMode(HxKinetorPane::PreviewMode);
    m_pane->setFillFrames(false);
    HxKinetorLayer* active = showLayerOf(m_figure);
    HxKinetorLayerView* view = active->getView();
    addDot(10.0f, 10.0f, active);
    HxPointControl* cursor = keyCursor(active, {100, 100});
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(40, 30));
    EXPECT_FALSE(active->getRecordTimer()->isActive()) << "one dot: nothing starts";
    EXPECT_FLOAT_EQ(cursor->x(), -1.0f);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(40, 30));
    // Its release still closes what the layer has open (a burst of fills, say) as a drag's would.
    active->beginEdit();
    m_figure->getXPosControl()->setValue(hxScene->getTime(), 5.0f);
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(40, 30));
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(40, 30));
    EXPECT_EQ(hxUndoStack->undoStack()->undoText(), QStringLiteral("Kinetoring"));
    EXPECT_FALSE(m_window->getViewportMgr()->isManipulating());

    addDot(60.0f, 10.0f, active);
    HxViewportMgr* viewports = m_window->getViewportMgr();
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(40, 30));
    EXPECT_TRUE(active->getRecordTimer()->isActive());
    EXPECT_TRUE(viewports->isManipulating());
    EXPECT_EQ(QPointF(cursor->x(), cursor->y()), layerAt({40, 30}, view));
    EXPECT_FALSE(view->isDraggingCursor());
    QTest::mouseMove(view, QPoint(45, 35));
    EXPECT_TRUE(view->isDraggingCursor());
    hxScene->setTime(240);
    EXPECT_EQ(QPointF(cursor->x(), cursor->y()), layerAt({45, 35}, view)) << "the drag holds the cursor";

    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(45, 35));
    EXPECT_FALSE(view->isDraggingCursor());
    EXPECT_FALSE(active->getRecordTimer()->isActive());
    EXPECT_FALSE(viewports->isManipulating());
    EXPECT_EQ(active->getNumPoses(), 2) << "Preview presses never add dots";
    hxScene->setTime(360);
    EXPECT_EQ(QPointF(cursor->x(), cursor->y()), QPointF(75, 75));
}

} // namespace

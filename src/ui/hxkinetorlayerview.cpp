#include "ui/hxkinetorlayerview.h"

#include "layer/hxkinetorclock.h"
#include "layer/hxkinetorlayer.h"
#include "layer/hxkinetorposemoveundoitem.h"
#include "layer/hxpointcontrol.h"
#include "model/hxkinetorpose.h"
#include "ui/hxkinetorcanvasassist.h"
#include "ui/hxkinetorpane.h"

#include "hxcore/hxactionmgr.h"
#include "hxcore/hxapp.h"
#include "hxcore/hxaudioclip.h"
#include "hxcore/hxhelpmgr.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxstyle.h"
#include "hxcore/hxundostack.h"
#include "hxcore/hxundostackhold.h"
#include "hxcore/hxviewportmgr.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyleOption>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <bit>
#include <cmath>

namespace {

// Far beyond any screen, yet far enough from the int limits that dot and
// cursor rectangles around such a pixel cannot overflow.
constexpr float PixelLimit = 1073741824.0f;

int toPixel(float value)
{
    if (std::isnan(value))
        return 0;
    return int(std::clamp(value, -PixelLimit, PixelLimit));
}

// The host application installs its style, or one built over it; a style
// that knows the pose dot's size draws the dots and the cursor. Elsewhere
// (tests, another application) the canvas still draws them the host's way.
const QStyle* canvasStyle(const QWidget* widget)
{
    QStyle* style = widget->style();
    if (style && style->pixelMetric(HxStyle::PM_PoseDotSize) > 0)
        return style;
    static QPointer<HxStyle> fallback;
    if (!fallback) {
        fallback = new HxStyle;
        fallback->setParent(qApp);
    }
    return fallback;
}

} // namespace

HxKinetorLayerView::HxKinetorLayerView(HxKinetorLayer* layer, QWidget* parent, const char* name)
    : QFrame(parent), m_layer(layer)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    // Every paint covers the whole widget from an off-screen picture, so
    // nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFrameStyle(QFrame::Box);
    setLineWidth(2);
    setFrameShadow(QFrame::Plain);
    if (hxApp && hxApp->getHelpMgr())
        hxApp->getHelpMgr()->setOnlineHelp(this);
    m_assist = new HxKinetorCanvasAssist(this);
}

HxKinetorLayerView::~HxKinetorLayerView()
{
    finishPoseMove();
    // Nothing drives a blend whose canvas has gone.
    if (m_layer)
        m_layer->endLiveBlend();
    // Before the widget part goes: hiding it sends events that the assist
    // would otherwise watch on a view that is half gone.
    delete m_assist;
}

HxKinetorLayer* HxKinetorLayerView::getLayer() const
{
    return m_layer;
}

void HxKinetorLayerView::layerToView(float x, float y, int& px, int& py) const
{
    px = toPixel(float((x - m_originX) * m_zoom));
    py = toPixel(float((y - m_originY) * m_zoom));
}

void HxKinetorLayerView::viewToLayer(int px, int py, float& x, float& y) const
{
    x = float(px) / m_zoom + m_originX;
    y = float(py) / m_zoom + m_originY;
}

void HxKinetorLayerView::setOrigin(float x, float y)
{
    m_originX = x;
    m_originY = y;
}

void HxKinetorLayerView::setZoom(float zoom, int px, int py)
{
    // Written so that NaN fails the test as well.
    if (!(zoom > 0.0f))
        return;
    zoom = std::clamp(zoom, MinZoom, MaxZoom);
    float x = 0.0f;
    float y = 0.0f;
    viewToLayer(px, py, x, y);
    m_zoom = zoom;
    m_originX = x - float(px) / zoom;
    m_originY = y - float(py) / zoom;
}

void HxKinetorLayerView::resetView()
{
    setOrigin(0.0f, 0.0f);
    setZoom(1.0f, 0, 0);
    update();
}

void HxKinetorLayerView::fitToPoses(bool zoom, bool center)
{
    if (!zoom && !center)
        return;
    if (!m_layer || m_layer->getPoses().isEmpty())
        return;

    const auto& poses = m_layer->getPoses();
    float minX = poses.first()->getX();
    float maxX = minX;
    float minY = poses.first()->getY();
    float maxY = minY;
    for (const HxKinetorPose* pose : poses) {
        minX = std::min(minX, pose->getX());
        maxX = std::max(maxX, pose->getX());
        minY = std::min(minY, pose->getY());
        maxY = std::max(maxY, pose->getY());
    }
    const float margin = 16.0f;
    const float left = minX - margin;
    const float top = minY - margin;
    const float boxWidth = (maxX + margin) - left;
    const float boxHeight = (maxY + margin) - top;

    if (zoom)
        setZoom(std::min(float(width()) / boxWidth, float(height()) / boxHeight), 0, 0);
    if (center)
        setOrigin((left + boxWidth * 0.5f) - (float(width()) / m_zoom) * 0.5f,
                  (top + boxHeight * 0.5f) - (float(height()) / m_zoom) * 0.5f);
    update();
}

void HxKinetorLayerView::setViewState(float zoom, float originX, float originY)
{
    m_zoom = zoom > 0.0f ? std::clamp(zoom, MinZoom, MaxZoom) : 1.0f;
    m_originX = originX;
    m_originY = originY;
}

HxKinetorPose* HxKinetorLayerView::poseAt(float x, float y) const
{
    if (!m_layer)
        return nullptr;
    for (HxKinetorPose* pose : m_layer->getPoses()) {
        if (std::fabs(pose->getX() - x) <= HitRadius && std::fabs(pose->getY() - y) <= HitRadius)
            return pose;
    }
    return nullptr;
}

bool HxKinetorLayerView::isEditMode() const
{
    const HxKinetorPane* pane = m_layer ? m_layer->getPane() : nullptr;
    return pane && pane->mode() == HxKinetorPane::EditMode;
}

HxViewportMgr* HxKinetorLayerView::viewportMgr()
{
    return hxApp && hxApp->getInterface() ? hxApp->getInterface()->getViewportMgr() : nullptr;
}

int HxKinetorLayerView::doContextMenu(int globalX, int globalY, int kind)
{
    HxActionMgr* actions = hxApp && hxApp->getInterface() ? hxApp->getInterface()->getActionMgr() : nullptr;
    if (!actions) {
        qWarning("No Action Manager found in HxKinetorLayerView::doContextMenu()");
        return -1;
    }

    QPointer<QMenu> menu = new QMenu(this);
    const auto add = [&](const char* className) {
        actions->addActionToMenu(QString::fromLatin1(className), menu);
    };
    switch (kind) {
    case EditMenu:
        add("HxKinetorZoomToFitAction");
        add("HxKinetorCenterViewAction");
        add("HxKinetorResetViewAction");
        menu->addSeparator();
        add("HxKinetorAddLayerAction");
        add("HxKinetorDeleteLayerAction");
        add("HxKinetorRenameLayerAction");
        add("HxKinetorClearLayerAction");
        break;
    case PlaybackMenu:
        add("HxKinetorZoomToFitAction");
        add("HxKinetorCenterViewAction");
        add("HxKinetorResetViewAction");
        menu->addSeparator();
        add("HxKinetorClearLayerAnimationAction");
        break;
    case PoseMenu:
        add("HxKinetorDeletePoseAction");
        add("HxKinetorUpdatePoseAction");
        break;
    default:
        break;
    }
    if (menu->actions().isEmpty()) {
        delete menu;
        return -1;
    }

    // The chosen action runs inside the menu's event loop and may delete
    // this view's layer, or the view itself with its menu.
    QPointer<HxKinetorLayerView> self(this);
    m_inContextMenu = true;
    QAction* chosen = menu->exec(QPoint(globalX, globalY));
    if (!self)
        return -1;
    m_inContextMenu = false;
    int result = -1;
    if (menu) {
        if (chosen)
            result = int(menu->actions().indexOf(chosen));
        delete menu;
    }
    return result;
}

void HxKinetorLayerView::mousePressEvent(QMouseEvent* event)
{
    HxKinetorLayer* layer = m_layer;
    if (!layer || !layer->getNode())
        return;
    const QPoint pos = event->position().toPoint();
    const QPoint global = event->globalPosition().toPoint();
    float x = 0.0f;
    float y = 0.0f;
    viewToLayer(pos.x(), pos.y(), x, y);

    if (event->modifiers() & Qt::ControlModifier) {
        m_zoomDragging = true;
        m_pressX = pos.x();
        m_pressY = pos.y();
        m_zoomAtPress = m_zoom;
        return;
    }
    if ((event->modifiers() & Qt::AltModifier) || event->button() == Qt::MiddleButton) {
        m_panDragging = true;
        m_pressX = pos.x();
        m_pressY = pos.y();
        m_originAtPressX = m_originX;
        m_originAtPressY = m_originY;
        return;
    }

    HxKinetorPane* pane = layer->getPane();
    if (pane && pane->mode() == HxKinetorPane::EditMode) {
        QPointer<HxKinetorLayerView> self(this);
        m_busy = true;
        if (HxKinetorPose* hit = poseAt(x, y)) {
            HxKinetorPose* previous = layer->getActivePose();
            layer->setActivePose(hit);
            update();
            if (event->button() == Qt::RightButton) {
                const int chosen = doContextMenu(global.x(), global.y(), PoseMenu);
                if (!self)
                    return;
                // Dismissed: the dot was only picked for the menu.
                if (chosen == -1 && m_layer) {
                    m_layer->setActivePose(previous);
                    update();
                }
            } else if (event->modifiers() & Qt::ShiftModifier) {
                HxUndoStackHold hold;
                layer->setPose(hit);
                hold.accept(tr("Update Pose"));
            } else {
                HxUndoStackHold hold;
                hit->applyToNode();
                hold.accept(tr("Apply Pose"));
            }
        } else if (event->button() == Qt::RightButton) {
            doContextMenu(global.x(), global.y(), EditMenu);
            if (!self)
                return;
        } else {
            HxUndoStackHold hold;
            layer->addPose(int(x), int(y));
            hold.accept(tr("Add Pose"));
        }
        m_busy = false;
        return;
    }

    if (event->button() == Qt::RightButton) {
        doContextMenu(global.x(), global.y(), PlaybackMenu);
        return;
    }
    if (layer->getNumPoses() < 2)
        return;
    m_assist->clampCursor(x, y);
    layer->startLiveBlend(x, y);
}

void HxKinetorLayerView::mouseMoveEvent(QMouseEvent* event)
{
    HxKinetorLayer* layer = m_layer;
    if (!layer || !layer->getNode() || m_busy)
        return;
    const QPoint pos = event->position().toPoint();
    float x = 0.0f;
    float y = 0.0f;
    viewToLayer(pos.x(), pos.y(), x, y);

    if (m_zoomDragging) {
        // A hundred pixels down doubles the zoom, a hundred up halves it.
        const float zoom = m_zoomAtPress * std::pow(2.0f, float(pos.y() - m_pressY) * 0.01f);
        setZoom(zoom, width() / 2, height() / 2);
        update();
        return;
    }
    if (m_panDragging) {
        setOrigin(m_originAtPressX + float(m_pressX - pos.x()) / m_zoom,
                  m_originAtPressY + float(m_pressY - pos.y()) / m_zoom);
        update();
        return;
    }
    if (isEditMode()) {
        if (!(event->buttons() & Qt::RightButton)) {
            if (HxKinetorPose* pose = layer->getActivePose()) {
                if (!m_moveHold)
                    beginPoseMove(pose);
                pose->setPosition(x, y);
            }
        }
        update();
        return;
    }
    m_draggingCursor = true;
    m_assist->clampCursor(x, y);
    layer->getCursor()->setPosition(x, y);
    update();
}

void HxKinetorLayerView::mouseReleaseEvent(QMouseEvent*)
{
    HxKinetorLayer* layer = m_layer;
    if (!layer || !layer->getNode())
        return;
    m_zoomDragging = false;
    m_panDragging = false;
    finishPoseMove();
    // A drag that the mode change to Edit ended leaves no cursor dragging.
    m_draggingCursor = false;
    if (isEditMode())
        return;

    layer->getRecordTimer()->stop();
    // A release stops the scene's sound once: a drag that started it stops
    // it as it ends.
    const bool soundStopped = layer->liveBlendStopsSound();
    if (layer->isLiveBlending()) {
        layer->endLiveBlend();
    } else {
        // A press that started nothing (fewer than two dots) is closed as a
        // drag would be: whatever edit is open (a burst of fills) is
        // committed, and the manipulation ended; the host ignores an end
        // that no start matches.
        layer->finishEdit(QStringLiteral("Kinetoring"));
        if (HxViewportMgr* viewports = viewportMgr())
            viewports->endManipulation();
    }
    if (hxScene && !soundStopped) {
        if (HxAudioClip* clip = hxScene->getAudio())
            clip->stop();
    }
}

void HxKinetorLayerView::beginPoseMove(HxKinetorPose* pose)
{
    m_movePose = pose;
    m_moveFromX = pose->getX();
    m_moveFromY = pose->getY();
    m_moveHold = std::make_unique<HxUndoStackHold>();
    // The dot is under the person's hand: Undo waits for the release.
    m_moveHold->setCloser([this] { finishPoseMove(); }, true);
}

void HxKinetorLayerView::finishPoseMove()
{
    std::unique_ptr<HxUndoStackHold> hold = std::move(m_moveHold);
    if (!hold)
        return;
    HxKinetorPose* pose = m_movePose;
    const auto moved = [](float a, float b) {
        return std::bit_cast<quint32>(a) != std::bit_cast<quint32>(b);
    };
    if (pose && hxUndoStack && hxUndoStack->canPushItems() &&
        (moved(pose->getX(), m_moveFromX) || moved(pose->getY(), m_moveFromY)))
        hxUndoStack->push(new HxKinetorPoseMoveUndoItem(m_layer, pose, m_moveFromX, m_moveFromY, pose->getX(),
                                                        pose->getY()));
    hold->accept(tr("Move Pose"));
}

void HxKinetorLayerView::wheelEvent(QWheelEvent* event)
{
    // One notch away from the person zooms out by 2^-0.18.
    const float delta = float(event->angleDelta().y());
    const float zoom = m_zoom * std::pow(2.0f, -delta * 0.0015f);
    setZoom(zoom, width() / 2, height() / 2);
    update();
    event->accept();
}

void HxKinetorLayerView::paintGrid(QPainter& painter) const
{
    // A line every 20 layer units through layer (0, 0); when zoomed far out
    // the lines close up to one pixel apart rather than vanish.
    const float step = std::max(m_zoom * 20.0f, 1.0f);
    if (!std::isfinite(step))
        return;
    int originColumn = 0;
    int originRow = 0;
    layerToView(0.0f, 0.0f, originColumn, originRow);
    // Where the first line falls: below 0 into [0, step), above 0 into
    // (-step, 0]. A remainder gets there at once however many steps away the
    // origin lies, where stepping one at a time would stall in floats.
    const auto phase = [step](float value) {
        float rest = std::fmod(value, step);
        if (value < 0.0f && rest < 0.0f) {
            rest += step;
            if (rest >= step)
                rest = 0.0f;
        } else if (value > 0.0f && rest > 0.0f) {
            rest -= step;
        }
        return rest;
    };
    const float firstColumn = phase(float(originColumn));
    const float firstRow = phase(float(originRow));
    const QRect area = rect();
    for (float row = firstRow; row < float(area.bottom()); row += step)
        painter.drawLine(area.left(), int(row), area.right(), int(row));
    for (float column = firstColumn; column < float(area.right()); column += step)
        painter.drawLine(int(column), area.top(), int(column), area.bottom());
}

void HxKinetorLayerView::paintEvent(QPaintEvent* event)
{
    const QStyle* style = canvasStyle(this);
    const int dotSize = style->pixelMetric(HxStyle::PM_PoseDotSize);
    const int cursorSize = style->pixelMetric(HxStyle::PM_BlendCursorSize);
    QWidget::paintEvent(event);
    if (rect().isEmpty())
        return;

    const qreal ratio = devicePixelRatioF();
    QPixmap canvas(rect().size() * ratio);
    canvas.setDevicePixelRatio(ratio);
    const QColor background = palette().color(backgroundRole());
    canvas.fill(background.lighter(120));

    QPainter painter;
    painter.begin(&canvas);
    painter.setFont(font());
    painter.setPen(QPen(background.darker(130), 0));
    paintGrid(painter);
    m_assist->paintUnderDots(painter, dotSize);

    const HxKinetorPane* pane = m_layer ? m_layer->getPane() : nullptr;
    const bool blending = pane && pane->mode() != HxKinetorPane::EditMode;
    if (m_layer) {
        const HxKinetorPose* active = m_layer->getActivePose();
        QStyleOption option;
        option.initFrom(this);
        for (const HxKinetorPose* pose : m_layer->getPoses()) {
            if (blending)
                option.state = QStyle::State_Active;
            else if (pose == active)
                option.state = QStyle::State_Selected;
            else
                option.state = QStyle::State_None;
            int px = 0;
            int py = 0;
            layerToView(pose->getX(), pose->getY(), px, py);
            option.rect = QRect(px - dotSize / 2, py - dotSize / 2, dotSize, dotSize);
            style->drawPrimitive(HxStyle::PE_PoseDot, &option, &painter, this);
        }
        if (blending) {
            const HxPointControl* cursor = m_layer->getCursor();
            int px = 0;
            int py = 0;
            layerToView(cursor->x(), cursor->y(), px, py);
            option.state = QStyle::State_None;
            option.rect = QRect(0, 0, cursorSize, cursorSize);
            option.rect.moveCenter(QPoint(px - 1, py - 1));
            if (!m_assist->paintCursor(painter, option.rect))
                style->drawPrimitive(HxStyle::PE_BlendCursor, &option, &painter, this);
        }
    }
    drawFrame(&painter);
    painter.end();

    // Only the damaged part reaches the screen.
    const QRect damaged = event->rect();
    QPainter screen(this);
    screen.drawPixmap(QRectF(damaged), canvas,
                      QRectF(QPointF(damaged.topLeft()) * ratio, QSizeF(damaged.size()) * ratio));
}

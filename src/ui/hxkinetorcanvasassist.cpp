#include "ui/hxkinetorcanvasassist.h"

#include "layer/hxkinetorlayer.h"
#include "ui/hxkinetordotlayout.h"
#include "ui/hxkinetorlayerview.h"
#include "ui/hxkinetorpane.h"
#include "ui/hxkinetorviewoptions.h"

#include "hxcore/hxaction.h"
#include "hxcore/hxactionmgr.h"
#include "hxcore/hxapp.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxnodemenu.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>

namespace {

HxKinetorPane* paneOf(const HxKinetorLayerView* view)
{
    const HxKinetorLayer* layer = view ? view->getLayer() : nullptr;
    return layer ? layer->getPane() : nullptr;
}

QStatusBar* statusBar()
{
    HxMainWindow* window = hxApp ? hxApp->getInterface() : nullptr;
    return window ? window->statusBar() : nullptr;
}

} // namespace

HxKinetorCanvasAssist::HxKinetorCanvasAssist(HxKinetorLayerView* view)
    : QObject(view), m_view(view), m_overlay(view)
{
    view->installEventFilter(this);
    // A click gives the canvas the keys, so Delete reaches it.
    view->setFocusPolicy(Qt::ClickFocus);
    view->setToolTip(
        tr("The layer's canvas of pose dots. Edit: click to add or pick a dot, drag to move it. "
           "Preview and Record: drag to blend the poses. Wheel or Ctrl+drag zooms, Alt+drag or the "
           "middle button pans, the right button opens a menu."));
}

HxKinetorCanvasAssist::~HxKinetorCanvasAssist() = default;

QString HxKinetorCanvasAssist::modeHint(int mode)
{
    switch (mode) {
    case HxKinetorPane::EditMode:
        return tr(
            "Click: add a dot holding the figure's pose, or pick a dot and pose the figure \u00b7 Drag: "
            "move the dot \u00b7 Shift+click: store the pose in the dot \u00b7 Delete: remove the dot");
    case HxKinetorPane::PreviewMode:
        return tr("Drag: blend the poses at the cursor, at the current frame \u00b7 Right click: view and "
                  "animation commands");
    case HxKinetorPane::RecordMode:
        return tr("Drag: record the blend frame by frame as time runs from the current frame \u00b7 Right "
                  "click: view and animation commands");
    default:
        return QString();
    }
}

void HxKinetorCanvasAssist::addToolTips(HxKinetorPane* pane)
{
    if (!pane)
        return;
    const QList<QPair<const char*, QString>> tips = {
        {"KinetorEditModeButton", tr("Edit: place, pick, move and update pose dots")},
        {"KinetorPreviewModeButton",
         tr("Preview: drag on the canvas to blend the poses at the current frame")},
        {"KinetorRecordModeButton",
         tr("Record: drag on the canvas to key the blend frame by frame as time runs")}};
    for (const auto& [name, tip] : tips) {
        if (auto* button = pane->findChild<QWidget*>(QLatin1String(name)))
            button->setToolTip(tip);
    }
    if (QWidget* figure = pane->getNodeMenu())
        figure->setToolTip(tr("The figure whose pose dots the canvas below shows"));
}

void HxKinetorCanvasAssist::addToolTips(QTabWidget* layers)
{
    if (layers)
        layers->tabBar()->setToolTip(tr("The figure's layers: each tab is a canvas of pose dots blended on "
                                        "its own. Right click the canvas to add, rename or delete layers."));
}

QString HxKinetorCanvasAssist::extrapolatingMessage()
{
    return tr("The cursor is outside the dots: the blend is extrapolating");
}

void HxKinetorCanvasAssist::followOptions()
{
    // The layer may meet its pane after its view is made.
    if (m_optionsFollowed)
        return;
    HxKinetorPane* pane = paneOf(m_view);
    if (!pane || !pane->getViewOptions())
        return;
    m_optionsFollowed = true;
    connect(pane->getViewOptions(), &HxKinetorViewOptions::changed, this, [this]() {
        if (m_view) {
            m_view->setMouseTracking(hoverWeights());
            m_view->update();
        }
    });
    // The canvas tracks the mouse only while weights are shown, for the Edit
    // mode readout; otherwise moves arrive only with a button held, as ever.
    m_view->setMouseTracking(hoverWeights());
}

bool HxKinetorCanvasAssist::hoverWeights() const
{
    const HxKinetorPane* pane = paneOf(m_view);
    const HxKinetorViewOptions* options = pane ? pane->getViewOptions() : nullptr;
    return options && (options->isOn(HxKinetorViewOptions::Weights) ||
                       options->isOn(HxKinetorViewOptions::WeightNumbers));
}

void HxKinetorCanvasAssist::paintUnderDots(QPainter& painter, int dotSize)
{
    followOptions();
    m_overlay.paintUnderDots(painter, dotSize);
    // The warning stays while the cursor is outside, over any other hint.
    const bool outside = m_overlay.wasCursorOutside();
    const HxKinetorPane* pane = paneOf(m_view);
    if (outside) {
        if (!m_warned)
            showStatus(extrapolatingMessage());
    } else if (m_mouseInside && pane) {
        // The mode may have changed since the mouse came in.
        if (m_warned || m_shown != modeHint(pane->mode()))
            showStatus(modeHint(pane->mode()));
    } else if (m_warned) {
        clearStatus();
    }
    m_warned = outside;
}

bool HxKinetorCanvasAssist::paintCursor(QPainter& painter, const QRect& rect)
{
    return m_overlay.paintCursor(painter, rect);
}

void HxKinetorCanvasAssist::clampCursor(float& x, float& y) const
{
    const HxKinetorPane* pane = paneOf(m_view);
    const HxKinetorViewOptions* options = pane ? pane->getViewOptions() : nullptr;
    if (!options || !options->isOn(HxKinetorViewOptions::KeepCursorInside))
        return;
    const HxKinetorDotLayout layout(m_view->getLayer()->getPoses());
    const QPointF inside = layout.clamp(QPointF(x, y));
    x = float(inside.x());
    y = float(inside.y());
}

void HxKinetorCanvasAssist::showStatus(const QString& message)
{
    if (QStatusBar* bar = statusBar()) {
        bar->showMessage(message);
        m_shown = message;
    }
}

void HxKinetorCanvasAssist::clearStatus()
{
    // Only our own message: another may have replaced it since.
    QStatusBar* bar = statusBar();
    if (bar && !m_shown.isEmpty() && bar->currentMessage() == m_shown)
        bar->clearMessage();
    m_shown.clear();
}

void HxKinetorCanvasAssist::deleteSelectedDot()
{
    HxKinetorLayer* layer = m_view->getLayer();
    HxKinetorPane* pane = layer ? layer->getPane() : nullptr;
    if (!layer || !pane || pane->mode() != HxKinetorPane::EditMode || !layer->getActivePose() ||
        m_view->isDraggingCursor())
        return;
    // The action when this is the canvas it acts on, so that the key and the
    // menu entry do exactly the same.
    HxMainWindow* window = hxApp ? hxApp->getInterface() : nullptr;
    HxAction* action = window && window->getActionMgr()
                           ? window->getActionMgr()->findAction(QStringLiteral("HxKinetorDeletePoseAction"))
                           : nullptr;
    if (action && pane->getActiveLayer() == layer)
        action->trigger();
    else
        layer->removePose(layer->getActivePose());
}

bool HxKinetorCanvasAssist::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_view || !m_view->getLayer())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Enter:
        m_mouseInside = true;
        followOptions();
        if (const HxKinetorPane* pane = paneOf(m_view); pane && !m_warned)
            showStatus(modeHint(pane->mode()));
        break;
    case QEvent::Leave:
        m_mouseInside = false;
        if (!m_warned)
            clearStatus();
        if (m_overlay.isHovering()) {
            m_overlay.setHover(false);
            m_view->update();
        }
        break;
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        // In Edit mode the weights follow the mouse, also while it drags a dot.
        const HxKinetorPane* pane = paneOf(m_view);
        if (pane && pane->mode() == HxKinetorPane::EditMode && hoverWeights()) {
            float x = 0.0f;
            float y = 0.0f;
            const QPoint at = mouse->position().toPoint();
            m_view->viewToLayer(at.x(), at.y(), x, y);
            m_overlay.setHover(true, QPointF(x, y));
            m_view->update();
        }
        // A move without a button only arrives because the view tracks the
        // mouse for the weights; the view's own handling is for drags.
        if (mouse->buttons() == Qt::NoButton)
            return true;
        break;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
            deleteSelectedDot();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

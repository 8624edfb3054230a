#include "hxviewport.h"

#include "hxfigureposer.h"
#include "hxglsurface.h"
#include "hxskinlayer.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxviewportmgr.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {
const QColor kBoneColor(196, 204, 214);
const QColor kFigureSelectedColor(236, 205, 150);
const QColor kSelectedColor(255, 158, 46);
const QColor kMarkerColor(120, 200, 160);
const QColor kFittedColor(110, 160, 225);
const QColor kTextColor(225, 229, 235);

// Pixels a press may travel and still count as a click.
constexpr int kClickSlop = 3;
// A bone is easy to pick even where it is drawn thin.
constexpr double kMinPickDistance = 5.0;

double distanceToSegment(const QPointF& p, const QPointF& a, const QPointF& b)
{
    const QPointF ab = b - a;
    const double len2 = QPointF::dotProduct(ab, ab);
    double t = len2 > 0.0 ? QPointF::dotProduct(p - a, ab) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const QPointF closest = a + ab * t;
    return std::hypot(p.x() - closest.x(), p.y() - closest.y());
}

// A round step (1, 2 or 5 times a power of ten) near the wanted size.
float niceStep(float wanted)
{
    if (!(wanted > 0.0f) || !std::isfinite(wanted))
        return 1.0f;
    const float power = std::pow(10.0f, std::floor(std::log10(wanted)));
    const float f = wanted / power;
    return power * (f < 1.5f ? 1.0f : (f < 3.5f ? 2.0f : (f < 7.5f ? 5.0f : 10.0f)));
}

struct Bounds
{
    HxVec3 min{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
               std::numeric_limits<float>::max()};
    HxVec3 max{-std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
               -std::numeric_limits<float>::max()};
    bool empty = true;
    void include(const HxVec3& p)
    {
        if (!p.isFinite())
            return;
        for (int i = 0; i < 3; ++i) {
            min[i] = std::min(min[i], p[i]);
            max[i] = std::max(max[i], p[i]);
        }
        empty = false;
    }
};
} // namespace

struct HxViewport::Segment
{
    HxNode* node = nullptr;
    HxVec3 start;
    HxVec3 end;
    HxOrbitCamera::Projected a;
    HxOrbitCamera::Projected b;
    // Half the drawn width at the start, in pixels.
    double radius = 0.0;
    // 0 plain, 1 part of the selected figure, 2 the selected node itself.
    int highlight = 0;
    bool marker = false;
    // A bone of a fitted item, drawn as a see-through shell over the bone it
    // follows.
    bool fitted = false;
};

HxViewport::HxViewport(HxViewportMgr* manager, QWidget* parent) : QWidget(parent), m_manager(manager)
{
    setObjectName(QStringLiteral("viewport"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    m_camera.setViewSize(size());
    m_skin = new HxSkinLayer(this);
    connect(m_skin, &HxSkinLayer::changed, this, &HxViewport::requestRepaint);
    if (HxGLSurface::available())
        m_surface = new HxGLSurface([this](QPainter& painter) { paintScene(painter); }, this);
    if (m_manager)
        connect(m_manager, &HxViewportMgr::manipulationChanged, this, qOverload<>(&QWidget::update));
    if (!hxScene)
        return;
    connect(hxScene, &HxScene::updateRequested, this, qOverload<>(&QWidget::update));
    connect(hxScene, &HxScene::timeChanged, this, qOverload<>(&QWidget::update));
    connect(hxScene, &HxScene::primarySelectionChanged, this, qOverload<>(&QWidget::update));
    connect(hxScene, &HxScene::nodeRemoved, this, qOverload<>(&QWidget::update));
    connect(hxScene, &HxScene::sceneCleared, this, qOverload<>(&QWidget::update));
    connect(hxScene, &HxScene::nodeAdded, this, [this](HxNode* node) {
        watchNode(node);
        update();
    });
    for (HxNode* node : hxScene->nodes())
        watchNode(node);
}

HxViewport::~HxViewport() = default;

void HxViewport::watchNode(HxNode* node)
{
    // Only the transform controls move the drawing.
    for (int i = 0; i < HxNode::NumTransformControls; ++i) {
        HxFloatProperty* control = node->getTransformControl(i);
        connect(control, &HxProperty::valueChanged, this, &HxViewport::requestRepaint, Qt::UniqueConnection);
        connect(control, &HxProperty::keysChanged, this, &HxViewport::requestRepaint, Qt::UniqueConnection);
    }
}

void HxViewport::requestRepaint()
{
    if (m_repaintRequested)
        return;
    m_repaintRequested = true;
    update();
}

bool HxViewport::isDrawingLight() const
{
    return m_manager && m_manager->isManipulating();
}

QList<HxViewport::Segment> HxViewport::collectSegments() const
{
    QList<Segment> segments;
    if (!hxScene)
        return segments;
    HxNode* selected = hxScene->getPrimarySelection();
    HxSkeleton* selectedFigure = qobject_cast<HxSkeleton*>(selected);
    for (HxNode* node : hxScene->nodes()) {
        if (node->isHidden())
            continue;
        if (auto* figure = qobject_cast<HxSkeleton*>(node)) {
            HxFigurePoser poser(figure);
            const QList<HxPosedBone> bones = poser.pose();
            // Bones keep a visible thickness however short, in proportion to
            // the figure so small and large figures look alike.
            Bounds figureBounds;
            for (const HxPosedBone& posed : bones) {
                figureBounds.include(posed.start);
                figureBounds.include(posed.end);
            }
            const float figureSize =
                figureBounds.empty ? 1.0f : (figureBounds.max - figureBounds.min).length();
            for (const HxPosedBone& posed : bones) {
                if (posed.bone->isHidden())
                    continue;
                Segment s;
                s.node = posed.bone;
                s.start = posed.start;
                s.end = posed.end;
                s.a = m_camera.project(s.start);
                s.b = m_camera.project(s.end);
                if (!s.a.visible || !s.b.visible)
                    continue;
                const float length = (s.end - s.start).length();
                const float worldRadius =
                    std::clamp(length * 0.13f, figureSize * 0.006f, figureSize * 0.035f);
                s.radius = worldRadius * m_camera.pixelsPerUnit(s.a.depth);
                s.highlight = posed.bone == selected ? 2 : (figure == selectedFigure ? 1 : 0);
                s.fitted = posed.bone->getFollowBone() != nullptr;
                segments.append(s);
            }
        } else if (!node->getSkeleton()) {
            // A plain node: a small marker where its frame sits.
            Segment s;
            s.node = node;
            s.marker = true;
            s.start = s.end = node->getWorldMatrix().translationPart();
            s.a = s.b = m_camera.project(s.start);
            if (!s.a.visible)
                continue;
            s.radius = 7.0;
            s.highlight = node == selected ? 2 : 0;
            segments.append(s);
        }
    }
    return segments;
}

HxNode* HxViewport::nodeAt(const QPoint& pixel) const
{
    // The figure's own bones win over the shells of fitted items that cover
    // them; among equals the one nearest the eye wins.
    HxNode* best = nullptr;
    float bestDepth = std::numeric_limits<float>::max();
    bool bestFitted = true;
    for (const Segment& s : collectSegments()) {
        const double d = distanceToSegment(QPointF(pixel), s.a.point, s.b.point);
        if (d > std::max(s.radius, kMinPickDistance))
            continue;
        const float depth = std::min(s.a.depth, s.b.depth);
        if (!best || (bestFitted && !s.fitted) || (s.fitted == bestFitted && depth < bestDepth)) {
            bestDepth = depth;
            bestFitted = s.fitted;
            best = s.node;
        }
    }
    return best;
}

void HxViewport::frameAll()
{
    Bounds bounds;
    if (hxScene) {
        for (HxNode* node : hxScene->nodes()) {
            if (auto* figure = qobject_cast<HxSkeleton*>(node)) {
                HxFigurePoser poser(figure);
                for (const HxPosedBone& posed : poser.pose()) {
                    bounds.include(posed.start);
                    bounds.include(posed.end);
                }
                HxVec3 low, high;
                if (m_skin->bounds(figure, low, high)) {
                    bounds.include(low);
                    bounds.include(high);
                }
            } else if (!node->getSkeleton()) {
                bounds.include(node->getWorldMatrix().translationPart());
            }
        }
    }
    if (bounds.empty)
        m_camera.frame(HxVec3(-1.0f, 0.0f, -1.0f), HxVec3(1.0f, 2.0f, 1.0f));
    else
        m_camera.frame(bounds.min, bounds.max);
    update();
}

void HxViewport::resizeEvent(QResizeEvent* event)
{
    m_camera.setViewSize(size());
    if (m_surface)
        m_surface->setGeometry(rect());
    QWidget::resizeEvent(event);
}

void HxViewport::paintEvent(QPaintEvent*)
{
    m_repaintRequested = false;
    if (m_surface) {
        m_surface->update();
        return;
    }
    QPainter painter(this);
    paintScene(painter);
}

void HxViewport::paintScene(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    drawBackground(painter);
    QList<Segment> segments = collectSegments();
    // Painter's algorithm: the farthest bones first; a fitted shell comes
    // after the bone it covers.
    std::stable_sort(segments.begin(), segments.end(), [](const Segment& l, const Segment& r) {
        const float dl = l.a.depth + l.b.depth;
        const float dr = r.a.depth + r.b.depth;
        if (std::fabs(dl - dr) > 1e-4f * std::max(dl, dr))
            return dl > dr;
        return !l.fitted && r.fitted;
    });
    if (isDrawingLight()) {
        m_skin->draw(painter, m_camera);
        for (const Segment& s : segments) {
            if (!m_skin->drawsBone(s.node))
                continue;
            const QColor color =
                s.highlight == 2 ? kSelectedColor : (s.highlight ? kFigureSelectedColor : kBoneColor);
            painter.setPen(QPen(color, 2.0, Qt::SolidLine, Qt::RoundCap));
            if (s.marker)
                painter.drawEllipse(s.a.point, s.radius, s.radius);
            else
                painter.drawLine(s.a.point, s.b.point);
        }
    } else {
        drawGround(painter);
        m_skin->draw(painter, m_camera);
        for (const Segment& s : segments)
            if (m_skin->drawsBone(s.node))
                drawSegment(painter, s);
    }
    drawAxes(painter);
    drawOverlay(painter);
}

void HxViewport::drawBackground(QPainter& painter) const
{
    if (isDrawingLight()) {
        painter.fillRect(rect(), QColor(44, 48, 55));
        return;
    }
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0.0, QColor(72, 80, 94));
    sky.setColorAt(0.6, QColor(44, 48, 56));
    sky.setColorAt(1.0, QColor(30, 32, 37));
    painter.fillRect(rect(), sky);
}

void HxViewport::drawGround(QPainter& painter) const
{
    // A grid on the floor (y = 0) around the camera's target, sized to the
    // view distance so it reads the same at every zoom.
    const float extent = m_camera.distance() * 0.9f;
    const float step = niceStep(extent / 8.0f);
    const int lines = int(std::ceil(extent / step));
    const HxVec3 target = m_camera.target();
    const float cx = std::round(target.x / step) * step;
    const float cz = std::round(target.z / step) * step;
    for (int i = -lines; i <= lines; ++i) {
        for (int dir = 0; dir < 2; ++dir) {
            HxVec3 p0, p1;
            if (dir == 0) {
                p0 = HxVec3(cx + i * step, 0.0f, cz - lines * step);
                p1 = HxVec3(cx + i * step, 0.0f, cz + lines * step);
            } else {
                p0 = HxVec3(cx - lines * step, 0.0f, cz + i * step);
                p1 = HxVec3(cx + lines * step, 0.0f, cz + i * step);
            }
            const auto a = m_camera.project(p0);
            const auto b = m_camera.project(p1);
            if (!a.visible || !b.visible)
                continue;
            const bool isAxis =
                dir == 0 ? std::fabs(cx + i * step) < step * 0.01f : std::fabs(cz + i * step) < step * 0.01f;
            painter.setPen(QPen(isAxis ? QColor(110, 118, 132) : QColor(78, 84, 96), isAxis ? 1.4 : 1.0));
            painter.drawLine(a.point, b.point);
        }
    }
}

void HxViewport::drawSegment(QPainter& painter, const Segment& s) const
{
    const QColor base = s.highlight == 2 ? kSelectedColor : (s.highlight ? kFigureSelectedColor : kBoneColor);
    if (s.marker) {
        painter.setPen(QPen(base.darker(160), 1.0));
        painter.setBrush(s.highlight ? base : kMarkerColor);
        painter.drawRect(QRectF(s.a.point - QPointF(s.radius * 0.7, s.radius * 0.7),
                                QSizeF(s.radius * 1.4, s.radius * 1.4)));
        return;
    }
    const QPointF a = s.a.point;
    const QPointF b = s.b.point;
    const QPointF ab = b - a;
    const double length = std::hypot(ab.x(), ab.y());
    const double w = std::max(1.5, s.radius);
    if (s.fitted) {
        QColor shell = s.highlight == 2 ? kSelectedColor : kFittedColor;
        shell.setAlpha(s.highlight == 2 ? 150 : 80);
        painter.setPen(QPen(shell, w * 2.6, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(a, b);
        return;
    }

    // The joint: a small lit ball at the start.
    QRadialGradient ball(a - QPointF(w * 0.35, w * 0.35), w * 1.1);
    ball.setColorAt(0.0, base.lighter(140));
    ball.setColorAt(1.0, base.darker(190));
    painter.setPen(QPen(base.darker(260), 0.8));
    painter.setBrush(ball);
    painter.drawEllipse(a, w * 0.75, w * 0.75);
    if (length < 1.0)
        return;

    // The bone: a diamond that is widest near its start, shaded across as
    // if lit from the upper left.
    const QPointF dir = ab / length;
    QPointF normal(-dir.y(), dir.x());
    if (normal.x() * -0.6 + normal.y() * -0.8 < 0.0)
        normal = -normal;
    const double taper = std::min(length * 0.22, w * 3.0);
    const QPointF waist = a + dir * taper;
    QPainterPath shape;
    shape.moveTo(a);
    shape.lineTo(waist + normal * w);
    shape.lineTo(b);
    shape.lineTo(waist - normal * w);
    shape.closeSubpath();
    QLinearGradient shade(waist + normal * w, waist - normal * w);
    shade.setColorAt(0.0, base.lighter(135));
    shade.setColorAt(0.45, base);
    shade.setColorAt(1.0, base.darker(210));
    painter.setPen(QPen(base.darker(280), 0.9));
    painter.setBrush(shade);
    painter.drawPath(shape);
}

void HxViewport::drawAxes(QPainter& painter) const
{
    // A small compass in the lower left corner showing where the world's
    // axes point from this camera.
    HxOrbitCamera compass = m_camera;
    compass.setTarget(HxVec3(0.0f, 0.0f, 0.0f));
    compass.setDistance(10.0f);
    const auto origin = compass.project(HxVec3(0.0f, 0.0f, 0.0f));
    const QPointF anchor(38.0, height() - 38.0);
    const struct
    {
        HxVec3 dir;
        QColor color;
        const char* label;
    } axes[] = {{HxVec3(1, 0, 0), QColor(230, 90, 90), "X"},
                {HxVec3(0, 1, 0), QColor(110, 210, 110), "Y"},
                {HxVec3(0, 0, 1), QColor(100, 150, 240), "Z"}};
    painter.setBrush(Qt::NoBrush);
    for (const auto& axis : axes) {
        const auto tip = compass.project(axis.dir);
        if (!tip.visible || !origin.visible)
            continue;
        QPointF v = tip.point - origin.point;
        const double len = std::hypot(v.x(), v.y());
        const double scale = len > 0.0 ? 24.0 / (compass.pixelsPerUnit(10.0f)) : 0.0;
        v *= scale;
        painter.setPen(QPen(axis.color, 2.0, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(anchor, anchor + v);
        painter.drawText(anchor + v * 1.25 - QPointF(4, -4), QString::fromLatin1(axis.label));
    }
}

void HxViewport::drawOverlay(QPainter& painter) const
{
    if (!hxScene)
        return;
    QFont font = painter.font();
    font.setPointSizeF(font.pointSizeF() * 0.95);
    painter.setFont(font);
    painter.setPen(kTextColor);
    const int frame = hxScene->getTime() / std::max(1, hxScene->getTimeStep());
    QString text = tr("Frame %1").arg(frame);
    if (HxNode* selected = hxScene->getPrimarySelection())
        text += QStringLiteral("   \u2022   ") + selected->objectName();
    painter.drawText(QRect(12, 8, width() - 24, 24), Qt::AlignLeft | Qt::AlignVCenter, text);
    if (hxScene->getNumNodes() == 0) {
        painter.setPen(kTextColor.darker(130));
        painter.drawText(rect(), Qt::AlignCenter,
                         tr("No figure loaded \u2014 use File \u203a Load Figure\u2026"));
    }
}

void HxViewport::mousePressEvent(QMouseEvent* event)
{
    m_pressPos = m_lastPos = event->position().toPoint();
    m_moved = false;
    if (event->button() == Qt::LeftButton)
        m_drag = (event->modifiers() & Qt::ShiftModifier) ? Drag::Pan : Drag::Orbit;
    else if (event->button() == Qt::MiddleButton)
        m_drag = Drag::Pan;
    else if (event->button() == Qt::RightButton)
        m_drag = Drag::Zoom;
    event->accept();
}

void HxViewport::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (m_drag == Drag::None)
        return;
    if ((pos - m_pressPos).manhattanLength() > kClickSlop)
        m_moved = true;
    if (!m_moved)
        return;
    const QPoint delta = pos - m_lastPos;
    m_lastPos = pos;
    switch (m_drag) {
    case Drag::Orbit:
        m_camera.orbit(float(delta.x()), float(delta.y()));
        break;
    case Drag::Pan:
        m_camera.pan(float(delta.x()), float(delta.y()));
        break;
    case Drag::Zoom:
        m_camera.zoom(std::exp(float(delta.y()) * 0.01f));
        break;
    case Drag::None:
        break;
    }
    update();
}

void HxViewport::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_drag == Drag::Orbit && !m_moved && event->button() == Qt::LeftButton;
    m_drag = Drag::None;
    if (click && hxScene)
        hxScene->setPrimarySelection(nodeAt(event->position().toPoint()));
}

void HxViewport::wheelEvent(QWheelEvent* event)
{
    const double notches = event->angleDelta().y() / 120.0;
    m_camera.zoom(float(std::pow(0.85, notches)));
    update();
    event->accept();
}

#include "ui/hxkinetorcanvasoverlay.h"

#include "layer/hxkinetorlayer.h"
#include "layer/hxpointcontrol.h"
#include "model/hxkinetorpose.h"
#include "ui/hxkinetorlayerview.h"
#include "ui/hxkinetorpane.h"
#include "ui/hxkinetorviewoptions.h"

#include "hxcore/hxscene.h"
#include "hxcore/hxstyle.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

const QColor CoverageColour(50, 110, 200);
const QColor WarningColour(245, 150, 0);
const QColor TextColour(60, 60, 60);
constexpr int TicksPerSecond = 4800;

// A key's place along the recorded path at a time, between its keys.
QPointF pathAt(const HxPointKeyList& keys, int time)
{
    const int next = keys.upperBound(time);
    if (next == 0)
        return QPointF(keys.first()->x, keys.first()->y);
    if (next >= keys.count())
        return QPointF(keys.last()->x, keys.last()->y);
    const HxPointKey* p = keys.at(next - 1);
    const HxPointKey* q = keys.at(next);
    const double f = double(time - p->time) / double(q->time - p->time);
    return QPointF(p->x + (q->x - p->x) * f, p->y + (q->y - p->y) * f);
}

void drawLabel(QPainter& painter, QPointF at, const QString& text, const QColor& colour, bool leftOf)
{
    const QFontMetricsF metrics(painter.font());
    QRectF box = metrics.boundingRect(text).adjusted(-2, 0, 2, 0);
    box.moveBottomLeft(leftOf ? at - QPointF(box.width(), 0) : at);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 170));
    painter.drawRoundedRect(box, 2, 2);
    painter.setPen(colour);
    painter.drawText(box, Qt::AlignCenter, text);
}

} // namespace

HxKinetorCanvasOverlay::HxKinetorCanvasOverlay(HxKinetorLayerView* view) : m_view(view) {}

HxKinetorCanvasOverlay::~HxKinetorCanvasOverlay() = default;

const HxKinetorViewOptions* HxKinetorCanvasOverlay::options() const
{
    const HxKinetorLayer* layer = m_view ? m_view->getLayer() : nullptr;
    const HxKinetorPane* pane = layer ? layer->getPane() : nullptr;
    return pane ? pane->getViewOptions() : nullptr;
}

bool HxKinetorCanvasOverlay::isOn(int option) const
{
    const HxKinetorViewOptions* all = options();
    return all && all->isOn(HxKinetorViewOptions::Option(option));
}

bool HxKinetorCanvasOverlay::isBlending() const
{
    const HxKinetorLayer* layer = m_view ? m_view->getLayer() : nullptr;
    const HxKinetorPane* pane = layer ? layer->getPane() : nullptr;
    return pane && pane->mode() != HxKinetorPane::EditMode;
}

QColor HxKinetorCanvasOverlay::weightColour(double weight)
{
    QColor colour = HxKinetorInfluenceMap::colourFor(weight < 0.0 ? -1.0 : (weight > 1.0 ? 2.0 : 1.0));
    colour.setAlpha(255);
    return colour;
}

void HxKinetorCanvasOverlay::setHover(bool hovering, QPointF point)
{
    m_hovering = hovering;
    m_hover = point;
}

QPointF HxKinetorCanvasOverlay::toPixel(QPointF layerPoint) const
{
    int px = 0;
    int py = 0;
    m_view->layerToView(float(layerPoint.x()), float(layerPoint.y()), px, py);
    return QPointF(px, py);
}

bool HxKinetorCanvasOverlay::readWeights(QPointF at)
{
    const HxKinetorLayer* layer = m_view->getLayer();
    std::vector<float> key;
    key.reserve(std::size_t(layer->getNumPoses()) * 2 + 2);
    for (const HxKinetorPose* pose : layer->getPoses()) {
        key.push_back(pose->getX());
        key.push_back(pose->getY());
    }
    key.push_back(float(at.x()));
    key.push_back(float(at.y()));
    if (key != m_weightKey) {
        m_weightKey = std::move(key);
        m_weightsValid = layer->blendWeightsAt(float(at.x()), float(at.y()), m_weights);
    }
    return m_weightsValid;
}

void HxKinetorCanvasOverlay::paintUnderDots(QPainter& painter, int dotSize)
{
    m_shownWeights.clear();
    m_cursorOutside = false;
    const HxKinetorLayer* layer = m_view ? m_view->getLayer() : nullptr;
    if (!layer || !options())
        return;
    const bool coverage =
        isOn(HxKinetorViewOptions::Coverage) || isOn(HxKinetorViewOptions::KeepCursorInside);
    const bool weights = isOn(HxKinetorViewOptions::Weights) || isOn(HxKinetorViewOptions::WeightNumbers);
    const bool needLayout = coverage || weights || isOn(HxKinetorViewOptions::Influence) ||
                            isOn(HxKinetorViewOptions::CanvasHints);
    if (!needLayout && !isOn(HxKinetorViewOptions::CursorPath) && !isOn(HxKinetorViewOptions::DotNumbers))
        return;
    if (needLayout)
        m_layout = HxKinetorDotLayout(layer->getPoses());

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (isOn(HxKinetorViewOptions::Influence) && !isBlending())
        paintInfluence(painter);
    else
        m_influence.clear();
    if (isOn(HxKinetorViewOptions::Coverage))
        paintCoverage(painter);
    if (isOn(HxKinetorViewOptions::CursorPath))
        paintCursorPath(painter);
    if (weights) {
        const HxPointControl* cursor = layer->getCursor();
        const bool blending = isBlending();
        if ((blending || m_hovering) && m_layout.canBlend()) {
            const QPointF at = blending ? QPointF(cursor->x(), cursor->y()) : m_hover;
            if (readWeights(at)) {
                m_shownWeights = m_weights;
                paintWeights(painter, dotSize);
            }
        }
    }
    if (isOn(HxKinetorViewOptions::DotNumbers))
        paintDotNumbers(painter, dotSize);
    if (isOn(HxKinetorViewOptions::CanvasHints)) {
        paintSharedCells(painter, dotSize);
        paintHint(painter);
    }
    if (coverage && isBlending() && m_layout.canBlend()) {
        const HxPointControl* cursor = layer->getCursor();
        m_cursorOutside = !m_layout.covers(QPointF(cursor->x(), cursor->y()));
    }
    painter.restore();
}

void HxKinetorCanvasOverlay::paintInfluence(QPainter& painter)
{
    const HxKinetorLayer* layer = m_view->getLayer();
    const int selected = int(layer->getPoses().indexOf(layer->getActivePose()));
    if (m_influence.update(m_layout, selected, m_view->getZoom(), m_view->getOriginX(), m_view->getOriginY(),
                           m_view->size()))
        m_influence.paint(painter, m_view->size());
}

void HxKinetorCanvasOverlay::paintCoverage(QPainter& painter) const
{
    if (!m_layout.canBlend())
        return;
    const QPolygonF& hull = m_layout.hull();
    QPolygonF pixels;
    for (const QPointF& point : hull)
        pixels.append(toPixel(point));
    QColor fill = CoverageColour;
    fill.setAlpha(26);
    QColor edge = CoverageColour;
    edge.setAlpha(110);
    if (!m_layout.isCollinear()) {
        painter.setPen(QPen(edge, 1.0, Qt::DashLine));
        painter.setBrush(fill);
        painter.drawPolygon(pixels);
        return;
    }
    // Dots on a line cover the band across it between the outermost two:
    // its edges cross the canvas at right angles to the line.
    const QPointF along = pixels[1] - pixels[0];
    const double length = std::hypot(along.x(), along.y());
    const QPointF across = length > 0.0 ? QPointF(-along.y(), along.x()) / length : QPointF(0.0, 1.0);
    const double reach = std::hypot(double(m_view->width()), double(m_view->height()));
    QPolygonF band({pixels[0] - across * reach, pixels[1] - across * reach, pixels[1] + across * reach,
                    pixels[0] + across * reach});
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawPolygon(band);
    painter.setPen(QPen(edge, 1.0, Qt::DashLine));
    painter.drawLine(band[0], band[3]);
    painter.drawLine(band[1], band[2]);
    painter.setPen(QPen(edge, 3.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(pixels[0], pixels[1]);
}

void HxKinetorCanvasOverlay::paintCursorPath(QPainter& painter) const
{
    const HxPointKeyList& keys = m_view->getLayer()->getCursor()->keys();
    if (keys.isEmpty())
        return;
    QPolygonF path;
    path.reserve(keys.count());
    for (int i = 0; i < keys.count(); ++i)
        path.append(toPixel(QPointF(keys.at(i)->x, keys.at(i)->y)));
    // The path is the cursor's, in its colour.
    const QColor colour = HxStyle::cursorColor();
    QColor faint = colour;
    faint.setAlpha(80);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(faint, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(path);

    // A tick at every whole second of scene time along the path.
    QColor tick = colour;
    tick.setAlpha(150);
    painter.setPen(Qt::NoPen);
    painter.setBrush(tick);
    const int first = keys.first()->time;
    const int last = keys.last()->time;
    int second = int(std::ceil(double(first) / TicksPerSecond)) * TicksPerSecond;
    for (int count = 0; second <= last && count < 100000; second += TicksPerSecond, ++count)
        painter.drawEllipse(toPixel(pathAt(keys, second)), 2.5, 2.5);

    // Where the performance was at the current time.
    if (hxScene && hxScene->getTime() >= first && hxScene->getTime() <= last) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(colour, 2.0));
        painter.drawEllipse(toPixel(pathAt(keys, hxScene->getTime())), 5.0, 5.0);
    }
}

void HxKinetorCanvasOverlay::paintWeights(QPainter& painter, int dotSize) const
{
    const QList<HxKinetorPose*>& poses = m_view->getLayer()->getPoses();
    const bool rings = isOn(HxKinetorViewOptions::Weights);
    const bool numbers = isOn(HxKinetorViewOptions::WeightNumbers);
    for (int i = 0; i < poses.size() && std::size_t(i) < m_weights.size(); ++i) {
        const double weight = m_weights[std::size_t(i)];
        const QPointF centre = toPixel(QPointF(poses[i]->getX(), poses[i]->getY()));
        const QColor colour = weightColour(weight);
        if (rings && weight != 0.0) {
            // The area of the halo grows with the weight's size.
            const double radius = dotSize / 2.0 + 2.0 + 18.0 * std::sqrt(std::min(std::fabs(weight), 2.0));
            QColor halo = colour;
            halo.setAlpha(60);
            painter.setBrush(halo);
            painter.setPen(QPen(colour, 2.0));
            painter.drawEllipse(centre, radius, radius);
        }
        if (numbers)
            drawLabel(painter, centre + QPointF(dotSize / 2.0 + 3.0, -dotSize / 2.0 - 1.0),
                      QString::number(weight, 'f', 2), colour.darker(150), false);
    }
}

void HxKinetorCanvasOverlay::paintDotNumbers(QPainter& painter, int dotSize) const
{
    // Counted from 1 in list order, as a person counts the dots.
    const QList<HxKinetorPose*>& poses = m_view->getLayer()->getPoses();
    for (int i = 0; i < poses.size(); ++i) {
        const QPointF centre = toPixel(QPointF(poses[i]->getX(), poses[i]->getY()));
        drawLabel(painter, centre + QPointF(-dotSize / 2.0 - 3.0, -dotSize / 2.0 - 1.0),
                  QString::number(i + 1), TextColour, true);
    }
}

void HxKinetorCanvasOverlay::paintSharedCells(QPainter& painter, int dotSize) const
{
    const QList<HxKinetorPose*>& poses = m_view->getLayer()->getPoses();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(WarningColour, 2.0));
    for (int i = 0; i < poses.size(); ++i) {
        if (!m_layout.sharesCell(i))
            continue;
        const QPointF centre = toPixel(QPointF(poses[i]->getX(), poses[i]->getY()));
        const double r = dotSize * 0.5 + 5.0;
        painter.drawEllipse(centre, r, r);
        painter.drawLine(centre + QPointF(-r, r) * 0.7, centre + QPointF(r, -r) * 0.7);
    }
}

QString HxKinetorCanvasOverlay::canvasHint() const
{
    const HxKinetorLayer* layer = m_view ? m_view->getLayer() : nullptr;
    if (!layer || !layer->getNode())
        return tr("Pick a figure above");
    if (layer->getNumPoses() == 0)
        return tr("Click to place a pose dot");
    if (!m_layout.canBlend())
        return tr("Add a second dot to blend");
    if (m_layout.hasSharedCells())
        return tr("Marked dots share a cell with an earlier dot: only the first counts");
    return QString();
}

void HxKinetorCanvasOverlay::paintHint(QPainter& painter) const
{
    const QString hint = canvasHint();
    if (hint.isEmpty())
        return;
    QFont font = painter.font();
    font.setPointSizeF(font.pointSizeF() * 1.15);
    painter.setFont(font);
    const QRectF area = QRectF(m_view->rect()).adjusted(10, 10, -10, -10);
    const QFontMetricsF metrics(font);
    QRectF box = metrics.boundingRect(area, Qt::AlignCenter | Qt::TextWordWrap, hint).adjusted(-8, -5, 8, 5);
    // Along the bottom, where it leaves the dots in view; in the middle of
    // a canvas without any.
    if (m_view->getLayer()->getNumPoses() > 0)
        box.moveBottom(area.bottom());
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawRoundedRect(box, 5, 5);
    painter.setPen(TextColour);
    painter.drawText(box, Qt::AlignCenter | Qt::TextWordWrap, hint);
}

bool HxKinetorCanvasOverlay::paintCursor(QPainter& painter, const QRect& rect)
{
    if (!m_cursorOutside || !isOn(HxKinetorViewOptions::Coverage))
        return false;
    // The host style's cursor, in the warning colour.
    HxStyle::drawBlendCursor(rect, &painter, WarningColour);
    return true;
}

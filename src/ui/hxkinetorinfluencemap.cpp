#include "ui/hxkinetorinfluencemap.h"

#include "hxcore/hxvec3.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

const QColor Inside(235, 120, 20);
const QColor Below(40, 90, 225);
const QColor Above(165, 35, 205);
// Overshoot at which the colours reach full strength.
constexpr double FullOvershoot = 0.3;
constexpr int Opaque = 190;

QColor withAlpha(QColor colour, double strength)
{
    colour.setAlpha(int(std::lround(Opaque * std::clamp(strength, 0.0, 1.0))));
    return colour;
}

} // namespace

bool HxKinetorInfluenceMap::Frame::operator==(const Frame& other) const
{
    if (dots.size() != other.dots.size())
        return false;
    for (std::size_t i = 0; i < dots.size(); ++i)
        if (dots[i].x != other.dots[i].x || dots[i].y != other.dots[i].y)
            return false;
    return selected == other.selected && zoom == other.zoom && originX == other.originX &&
           originY == other.originY && size == other.size;
}

QColor HxKinetorInfluenceMap::colourFor(double weight)
{
    if (!std::isfinite(weight))
        return QColor(0, 0, 0, 0);
    if (weight < 0.0)
        return withAlpha(Below, -weight / FullOvershoot);
    if (weight <= 1.0)
        return withAlpha(Inside, weight);
    // Past 1 the warm colour turns purple, so overshoot stands apart.
    const double t = std::min((weight - 1.0) / FullOvershoot, 1.0);
    QColor colour = QColor::fromRgbF(float(Inside.redF() + (Above.redF() - Inside.redF()) * t),
                                     float(Inside.greenF() + (Above.greenF() - Inside.greenF()) * t),
                                     float(Inside.blueF() + (Above.blueF() - Inside.blueF()) * t));
    return withAlpha(colour, 1.0);
}

void HxKinetorInfluenceMap::clear()
{
    m_frame = Frame();
    m_dots.clear();
    m_column.clear();
    m_image = QImage();
}

bool HxKinetorInfluenceMap::update(const HxKinetorDotLayout& layout, int selectedPose, float zoom,
                                   float originX, float originY, QSize size)
{
    const auto& indices = layout.distinctIndices();
    const auto found = std::find(indices.begin(), indices.end(), selectedPose);
    if (!layout.canBlend() || found == indices.end() || size.isEmpty() || !(zoom > 0.0f)) {
        clear();
        return false;
    }
    Frame frame{layout.distinctDots(), int(found - indices.begin()), zoom, originX, originY, size};
    if (isValid() && frame == m_frame)
        return true;
    m_frame = std::move(frame);
    m_dots = m_frame.dots;
    ++m_computeCount;

    // The selected dot's column of the inverse system: its weight anywhere
    // is that column against the basis row of the place.
    HxKinetorMatrix system;
    double tc = 0.0;
    buildBlendSystem(m_dots, 0.0f, 0.0f, system, m_collinear, tc);
    const int m = system.rows();
    HxKinetorMatrix unit(m, 1);
    unit(m_frame.selected + 1, 1) = 1.0;
    HxKinetorMatrix column(m, 1);
    solveLinearSystem(system, unit, column);
    m_column.assign(column.data(), column.data() + m);
    if (!std::all_of(m_column.begin(), m_column.end(), [](double v) { return std::isfinite(v); })) {
        clear();
        return false;
    }

    const int columns = size.width() / SampleStep + 2;
    const int rows = size.height() / SampleStep + 2;
    m_image = QImage(columns, rows, QImage::Format_ARGB32_Premultiplied);
    // Integer dot cells, as the blend's distances take them.
    const std::size_t n = m_dots.size();
    std::vector<double> cellX(n);
    std::vector<double> cellY(n);
    for (std::size_t i = 0; i < n; ++i) {
        cellX[i] = double(hxTruncateCoordinate(m_dots[i].x));
        cellY[i] = double(hxTruncateCoordinate(m_dots[i].y));
    }
    const double constant = m_column[n];
    const HxVec3 line1 = lineDirection();
    for (int j = 0; j < rows; ++j) {
        auto* line = reinterpret_cast<QRgb*>(m_image.scanLine(j));
        const float y = float(j * SampleStep) / zoom + originY;
        const double ty = double(hxTruncateCoordinate(y));
        for (int i = 0; i < columns; ++i) {
            const float x = float(i * SampleStep) / zoom + originX;
            const double tx = double(hxTruncateCoordinate(x));
            double weight = constant;
            for (std::size_t k = 0; k < n; ++k) {
                const double dx = cellX[k] - tx;
                const double dy = cellY[k] - ty;
                weight += m_column[k] * std::sqrt(dx * dx + dy * dy);
            }
            if (m_collinear) {
                const float t = HxVec3(x - m_dots[0].x, y - m_dots[0].y, 0.0f).dot(line1);
                weight += m_column[n + 1] * double(t);
            } else {
                weight += m_column[n + 1] * double(x) + m_column[n + 2] * double(y);
            }
            line[i] = qPremultiply(colourFor(weight).rgba());
        }
    }
    return true;
}

double HxKinetorInfluenceMap::weightAt(float x, float y) const
{
    const std::size_t n = m_dots.size();
    if (n < 2 || m_column.size() < n + 2)
        return 0.0;
    double weight = m_column[n];
    for (std::size_t k = 0; k < n; ++k)
        weight += m_column[k] * hxBlendDistance(x, y, m_dots[k].x, m_dots[k].y);
    if (m_collinear) {
        const float t = HxVec3(x - m_dots[0].x, y - m_dots[0].y, 0.0f).dot(lineDirection());
        return weight + m_column[n + 1] * double(t);
    }
    return weight + m_column[n + 1] * double(x) + m_column[n + 2] * double(y);
}

HxVec3 HxKinetorInfluenceMap::lineDirection() const
{
    // The cursor's coordinate along the line is taken as the blend takes it:
    // in floats, along the unit vector from the first dot to the second.
    HxVec3 u(m_dots[1].x - m_dots[0].x, m_dots[1].y - m_dots[0].y, 0.0f);
    u.normalize();
    return u;
}

void HxKinetorInfluenceMap::paint(QPainter& painter, QSize canvas) const
{
    if (!isValid())
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    // Each sample stands at the centre of its square of pixels.
    const double half = SampleStep / 2.0;
    painter.drawImage(
        QRectF(-half, -half, m_image.width() * double(SampleStep), m_image.height() * double(SampleStep)),
        m_image);
    painter.restore();
    paintLegend(painter, canvas);
}

void HxKinetorInfluenceMap::paintLegend(QPainter& painter, QSize canvas) const
{
    // The scale from -0.5 to 1.5 with the plain range marked.
    constexpr double Low = -0.5;
    constexpr double High = 1.5;
    const QRectF bar(12.0, canvas.height() - 30.0, 140.0, 9.0);
    const auto at = [&](double weight) {
        return bar.left() + (weight - Low) / (High - Low) * bar.width();
    };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QFont font = painter.font();
    font.setPointSizeF(std::max(6.0, font.pointSizeF() * 0.85));
    painter.setFont(font);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawRoundedRect(bar.adjusted(-6, -6, 6, 18), 4, 4);
    QLinearGradient gradient(bar.topLeft(), bar.topRight());
    for (int i = 0; i <= 40; ++i) {
        const double weight = Low + (High - Low) * i / 40.0;
        QColor colour = colourFor(weight);
        // Over white, as the map shows over the light canvas.
        const double a = colour.alphaF();
        colour = QColor::fromRgbF(float(colour.redF() * a + (1 - a)), float(colour.greenF() * a + (1 - a)),
                                  float(colour.blueF() * a + (1 - a)));
        gradient.setColorAt(i / 40.0, colour);
    }
    painter.setBrush(gradient);
    painter.setPen(QPen(QColor(90, 90, 90), 0.8));
    painter.drawRect(bar);
    for (double weight : {0.0, 1.0}) {
        const double x = at(weight);
        painter.drawLine(QPointF(x, bar.top() - 2), QPointF(x, bar.bottom() + 2));
        painter.drawText(QRectF(x - 20, bar.bottom() + 2, 40, 14), Qt::AlignHCenter | Qt::AlignTop,
                         weight == 0.0 ? QStringLiteral("0") : QStringLiteral("1"));
    }
    painter.drawText(QRectF(bar.left(), bar.bottom() + 2, 40, 14), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("\u2212"));
    painter.drawText(QRectF(bar.right() - 40, bar.bottom() + 2, 40, 14), Qt::AlignRight | Qt::AlignTop,
                     QStringLiteral(">1"));
    painter.restore();
}

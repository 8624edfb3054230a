#include "hxcore/hxstyle.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOption>

namespace {
const QColor PlainDotColor(52, 101, 164);
const QColor SelectedDotColor(245, 121, 0);
const QColor ActiveDotColor(78, 154, 6);
const QColor CursorColor(204, 0, 0);
} // namespace

HxStyle::HxStyle(const QString& baseKey) : QProxyStyle(baseKey) {}

int HxStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    if (metric == PM_PoseDotSize)
        return PoseDotSize;
    if (metric == PM_BlendCursorSize)
        return BlendCursorSize;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

void HxStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                            const QWidget* widget) const
{
    if (element == PE_PoseDot) {
        if (option && painter)
            drawPoseDot(option->rect, option->state, painter);
        return;
    }
    if (element == PE_BlendCursor) {
        if (option && painter)
            drawBlendCursor(option->rect, painter);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

QColor HxStyle::poseDotColor(QStyle::State state)
{
    // While blending every dot is active; the selection only matters when
    // editing, so active wins when both are set.
    if (state & QStyle::State_Active)
        return ActiveDotColor;
    if (state & QStyle::State_Selected)
        return SelectedDotColor;
    return PlainDotColor;
}

void HxStyle::drawPoseDot(const QRect& rect, QStyle::State state, QPainter* painter)
{
    if (rect.width() < 1 || rect.height() < 1)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setClipRect(rect);

    const QColor fill = poseDotColor(state);
    const bool selected = (state & QStyle::State_Selected) && !(state & QStyle::State_Active);
    // The outline sits half a pixel inside the rectangle so it never bleeds
    // past the area the canvas reserved for the dot.
    const qreal outline = selected ? 2.0 : 1.0;
    const QRectF box = QRectF(rect).adjusted(outline / 2, outline / 2, -outline / 2, -outline / 2);
    painter->setPen(QPen(selected ? Qt::black : fill.darker(170), outline));
    painter->setBrush(fill);
    painter->drawEllipse(box);
    if (selected && rect.width() >= 6 && rect.height() >= 6) {
        // A light core makes the selected dot readable even for people who
        // cannot tell its colour from the others.
        const QPointF centre = box.center();
        painter->setPen(Qt::NoPen);
        painter->setBrush(Qt::white);
        painter->drawEllipse(centre, box.width() / 5, box.height() / 5);
    }
    painter->restore();
}

QColor HxStyle::cursorColor()
{
    return CursorColor;
}

void HxStyle::drawBlendCursor(const QRect& rect, QPainter* painter, const QColor& colour)
{
    if (rect.width() < 1 || rect.height() < 1)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setClipRect(rect);

    const QRectF box = QRectF(rect).adjusted(1.5, 1.5, -1.5, -1.5);
    const QPointF centre = QRectF(rect).center();
    QPainterPath cross;
    cross.moveTo(box.left(), centre.y());
    cross.lineTo(box.right(), centre.y());
    cross.moveTo(centre.x(), box.top());
    cross.lineTo(centre.x(), box.bottom());
    QPainterPath ring;
    ring.addEllipse(box.adjusted(box.width() / 6, box.height() / 6, -box.width() / 6, -box.height() / 6));

    // A white halo under the red marks keeps the cursor visible over dots of
    // any colour and over the grid.
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(Qt::white, 3.0, Qt::SolidLine, Qt::RoundCap));
    painter->drawPath(cross);
    painter->drawPath(ring);
    painter->setPen(QPen(colour, 1.5, Qt::SolidLine, Qt::RoundCap));
    painter->drawPath(cross);
    painter->drawPath(ring);
    painter->restore();
}

#pragma once

#include "hxcore/hxglobal.h"

#include <QProxyStyle>

// The host application's style: the platform look plus the metrics and
// drawings of the layer canvas's pose dots and blend cursor, so plug-ins ask
// the style for them instead of hard-coding a look.
class HXCORE_EXPORT HxStyle : public QProxyStyle
{
    Q_OBJECT
public:
    // Typed as Qt's own enums so callers pass them to any style directly.
    static constexpr PixelMetric PM_PoseDotSize = PixelMetric(PM_CustomBase + 0x41);
    static constexpr PixelMetric PM_BlendCursorSize = PixelMetric(PM_CustomBase + 0x42);
    static constexpr PrimitiveElement PE_PoseDot = PrimitiveElement(PE_CustomBase + 0x3D);
    static constexpr PrimitiveElement PE_BlendCursor = PrimitiveElement(PE_CustomBase + 0x3E);

    static constexpr int PoseDotSize = 10;
    static constexpr int BlendCursorSize = 16;

    // Built on a fresh base style of its own, so installing it application
    // wide never deletes a style that something else still uses.
    explicit HxStyle(const QString& baseKey = QStringLiteral("Fusion"));

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

    // The fill of a pose dot for the given state: an active dot (the canvas is
    // blending) and a selected dot each have their own colour.
    static QColor poseDotColor(QStyle::State state);

    // The blend cursor's drawing in its own colour or another (a canvas
    // marks a cursor that needs attention).
    static void drawBlendCursor(const QRect& rect, QPainter* painter, const QColor& colour = cursorColor());
    static QColor cursorColor();

private:
    static void drawPoseDot(const QRect& rect, QStyle::State state, QPainter* painter);
};

#pragma once

#include "ui/hxkinetordotlayout.h"
#include "ui/hxkinetorinfluencemap.h"

#include <QCoreApplication>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QString>
#include <vector>

class HxKinetorLayerView;
class HxKinetorViewOptions;
class QPainter;

// What a layer canvas draws on request between its grid and its dots: the
// blend weights at the cursor (or at the mouse in Edit mode), the selected
// dot's influence, the area the dots cover, the cursor's recorded path, the
// dots' numbers and what the canvas is missing; and the cursor in a warning
// colour once it leaves the covered area. Every part follows a view option
// and paints nothing while its option is off.
class HxKinetorCanvasOverlay
{
    Q_DECLARE_TR_FUNCTIONS(HxKinetorCanvasOverlay)

public:
    explicit HxKinetorCanvasOverlay(HxKinetorLayerView* view);
    ~HxKinetorCanvasOverlay();

    // Between grid and dots.
    void paintUnderDots(QPainter& painter, int dotSize);
    // Draws the cursor instead of the style and returns true when it lies
    // outside the covered area and Coverage is on.
    bool paintCursor(QPainter& painter, const QRect& rect);

    // Where the mouse hovers in Edit mode, in layer units; the weights follow it.
    void setHover(bool hovering, QPointF point = QPointF());
    bool isHovering() const { return m_hovering; }

    // What the last paint showed: the weights (one per pose, empty when none
    // were shown), whether the cursor was outside, the influence picture.
    const std::vector<double>& shownWeights() const { return m_shownWeights; }
    bool wasCursorOutside() const { return m_cursorOutside; }
    const HxKinetorInfluenceMap& influenceMap() const { return m_influence; }
    // The hint the canvas shows in its own area, empty when none.
    QString canvasHint() const;

    // The colour of a weight: warm within 0..1, blue below, purple above.
    static QColor weightColour(double weight);

private:
    const HxKinetorViewOptions* options() const;
    bool isOn(int option) const;
    bool isBlending() const;
    QPointF toPixel(QPointF layerPoint) const;
    // Solves only when the dots or the place changed since the last call.
    bool readWeights(QPointF at);

    void paintInfluence(QPainter& painter);
    void paintCoverage(QPainter& painter) const;
    void paintCursorPath(QPainter& painter) const;
    void paintWeights(QPainter& painter, int dotSize) const;
    void paintDotNumbers(QPainter& painter, int dotSize) const;
    void paintSharedCells(QPainter& painter, int dotSize) const;
    void paintHint(QPainter& painter) const;

    QPointer<HxKinetorLayerView> m_view;
    HxKinetorDotLayout m_layout;
    HxKinetorInfluenceMap m_influence;
    bool m_hovering = false;
    QPointF m_hover;
    std::vector<float> m_weightKey;
    std::vector<double> m_weights;
    bool m_weightsValid = false;
    std::vector<double> m_shownWeights;
    bool m_cursorOutside = false;
};

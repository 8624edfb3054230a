#pragma once

#include "layer/hxkinetormatrix.h"
#include "ui/hxkinetordotlayout.h"

#include "hxcore/hxvec3.h"

#include <QColor>
#include <QImage>
#include <QSize>
#include <vector>

class QPainter;

// How much one dot weighs in the blend at every place of the visible canvas.
// The blend's system is symmetric, so the weight of dot j at any point is the
// point's basis row times one column of the inverse system: one solve per
// map, then a sum over the dots per sample. Samples are taken every few
// pixels and the picture is smoothed up to the canvas when drawn.
class HxKinetorInfluenceMap
{
public:
    // The view a map was computed for; a map is only recomputed when this
    // changes. The origin is part of it: a pan shows another part of the
    // canvas, which needs its own samples.
    struct Frame
    {
        std::vector<HxBlendDot> dots;
        int selected = -1;
        float zoom = 1.0f;
        float originX = 0.0f;
        float originY = 0.0f;
        QSize size;
        bool operator==(const Frame& other) const;
    };

    // Pixels between samples.
    static constexpr int SampleStep = 4;

    // Recomputes for the layout and the selected pose (its list index) over
    // a canvas of that size; nothing when the frame is unchanged. False (and
    // an empty picture) when the pose does not count in the blend or the
    // layer cannot blend.
    bool update(const HxKinetorDotLayout& layout, int selectedPose, float zoom, float originX, float originY,
                QSize size);
    // Forgets the picture, so that the next update recomputes.
    void clear();
    bool isValid() const { return !m_image.isNull(); }
    // One pixel per sample; sample (i, j) lies at canvas pixel (i, j) * SampleStep.
    const QImage& image() const { return m_image; }
    // How many times the picture was computed, for tests of the caching.
    int computeCount() const { return m_computeCount; }

    // The selected dot's weight at a layer point, from the same solve.
    double weightAt(float x, float y) const;

    // The picture over the canvas and a legend in its lower left corner.
    void paint(QPainter& painter, QSize canvas) const;

    // The diverging scale: transparent at 0, warm up to 1, blue below 0 and
    // purple above 1, each deepening with the overshoot.
    static QColor colourFor(double weight);

private:
    void paintLegend(QPainter& painter, QSize canvas) const;
    HxVec3 lineDirection() const;

    Frame m_frame;
    std::vector<HxBlendDot> m_dots;
    bool m_collinear = false;
    // A column of the inverse system: basis coefficients, then polynomial.
    std::vector<double> m_column;
    QImage m_image;
    int m_computeCount = 0;
};

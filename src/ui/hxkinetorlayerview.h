#pragma once

#include <QFrame>

class HxKinetorLayer;

// The canvas of one layer: maps between layer units and widget pixels (at
// zoom 1 one unit is one pixel; the origin is the layer point shown at the
// widget's top-left pixel) and fits itself to the layer's pose dots.
class HxKinetorLayerView : public QFrame
{
    Q_OBJECT
public:
    HxKinetorLayerView(HxKinetorLayer* layer, QWidget* parent = nullptr, const char* name = nullptr);
    ~HxKinetorLayerView() override;

    HxKinetorLayer* getLayer() const { return m_layer; }
    // True while the mouse drives the layer's blend cursor.
    bool isDraggingCursor() const { return m_draggingCursor; }

    void layerToView(float x, float y, int& px, int& py) const;
    void viewToLayer(int px, int py, float& x, float& y) const;

    void setOrigin(float x, float y);
    // Keeps the layer point under pixel (px, py) in place; a zoom that is not
    // greater than 0 changes nothing. No repaint.
    void setZoom(float zoom, int px, int py);
    void resetView();
    // Zooms so that the dots' box with a margin of 16 units fills the widget
    // in its tighter direction, and/or centres that box; repaints. Nothing
    // happens without dots or with both flags off.
    void fitToPoses(bool zoom, bool center);

    float getZoom() const { return m_zoom; }
    float getOriginX() const { return m_originX; }
    float getOriginY() const { return m_originY; }
    // The stored view of a scene file, taken as it is.
    void setViewState(float zoom, float originX, float originY);

private:
    HxKinetorLayer* m_layer;
    bool m_busy = false;
    bool m_draggingCursor = false;
    bool m_zoomDragging = false;
    bool m_panDragging = false;
    float m_zoom = 1.0f;
    float m_zoomAtPress = 1.0f;
    float m_originX = 0.0f;
    float m_originY = 0.0f;
    float m_originAtPressX = 0.0f;
    float m_originAtPressY = 0.0f;
    int m_pressX = 0;
    int m_pressY = 0;
};

#pragma once

#include <QFrame>
#include <QPointer>
#include <memory>

class HxKinetorCanvasAssist;
class HxKinetorLayer;
class HxKinetorPose;
class HxUndoStackHold;
class HxViewportMgr;

// The canvas of one layer: maps between layer units and widget pixels (at
// zoom 1 one unit is one pixel; the origin is the layer point shown at the
// widget's top-left pixel), paints the grid, the pose dots and the blend
// cursor through the host style, and turns the mouse into edits of the dots
// (Edit mode) or a live blend (Preview and Record).
class HxKinetorLayerView : public QFrame
{
    Q_OBJECT
public:
    // The context menus a right press opens.
    enum MenuKind
    {
        EditMenu = 0,
        PlaybackMenu = 1,
        PoseMenu = 2
    };

    // The half width of the square around a dot's position, in layer units,
    // within which a press hits the dot, whatever size the dot is drawn at.
    static constexpr float HitRadius = 8.0f;
    // The zoom stays within these, whatever the wheel, a drag, a fit or a
    // file asks for: far enough apart for any canvas, and finite.
    static constexpr float MinZoom = 1.0e-4f;
    static constexpr float MaxZoom = 1.0e4f;

    HxKinetorLayerView(HxKinetorLayer* layer, QWidget* parent = nullptr, const char* name = nullptr);
    ~HxKinetorLayerView() override;

    // Null once the layer has gone.
    HxKinetorLayer* getLayer() const;
    // True while the mouse drives the layer's blend cursor.
    bool isDraggingCursor() const { return m_draggingCursor; }
    // True while a context menu of this view runs its event loop.
    bool isInContextMenu() const { return m_inContextMenu; }
    // Overlays, hints and keys of the canvas; owned by the view.
    HxKinetorCanvasAssist* getAssist() const { return m_assist; }

    void layerToView(float x, float y, int& px, int& py) const;
    void viewToLayer(int px, int py, float& x, float& y) const;

    void setOrigin(float x, float y);
    // Keeps the layer point under pixel (px, py) in place; a zoom that is not
    // greater than 0 changes nothing, others are kept within MinZoom and
    // MaxZoom. No repaint.
    void setZoom(float zoom, int px, int py);
    void resetView();
    // Zooms so that the dots' box with a margin of 16 units fills the widget
    // in its tighter direction, and/or centres that box; repaints. Nothing
    // happens without dots or with both flags off.
    void fitToPoses(bool zoom, bool center);

    float getZoom() const { return m_zoom; }
    float getOriginX() const { return m_originX; }
    float getOriginY() const { return m_originY; }
    // The stored view of a scene file, taken without a repaint. The one
    // liberty: a zoom outside MinZoom..MaxZoom is brought inside (one that
    // is not above 0 reads as 1), as every other way of zooming does, so
    // that the view can always divide by it and reach whole pixels.
    void setViewState(float zoom, float originX, float originY);

    // The first dot, in list order, within HitRadius of the layer point in
    // both axes; null when none is.
    HxKinetorPose* poseAt(float x, float y) const;
    // Builds the menu of the kind from the host's actions and runs it at the
    // global position. Returns the index of the chosen entry, or -1 when the
    // menu was dismissed or could not be built.
    int doContextMenu(int globalX, int globalY, int kind);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool isEditMode() const;
    void paintGrid(QPainter& painter) const;
    static HxViewportMgr* viewportMgr();
    // Dragging a dot in Edit mode is one undo step, "Move Pose".
    void beginPoseMove(HxKinetorPose* pose);
    void finishPoseMove();

    QPointer<HxKinetorLayer> m_layer;
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
    bool m_inContextMenu = false;
    HxKinetorCanvasAssist* m_assist = nullptr;
    std::unique_ptr<HxUndoStackHold> m_moveHold;
    QPointer<HxKinetorPose> m_movePose;
    float m_moveFromX = 0.0f;
    float m_moveFromY = 0.0f;
};

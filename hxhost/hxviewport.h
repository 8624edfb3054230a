#pragma once

#include "hxorbitcamera.h"

#include "hxcore/hxviewportmgr.h"

#include <QPointer>
#include <QWidget>

class HxGLSurface;
class HxNode;
class HxSkinLayer;

// The central 3D view: draws every figure of the scene as shaded bones,
// highlights the selection and lets the mouse orbit (left drag), pan
// (middle drag or Shift + left drag), zoom (right drag or wheel) and pick a
// bone (left click). While the viewport manager reports a manipulation the
// drawing is reduced to plain lines so it keeps up with the changes.
class HxViewport : public QWidget
{
    Q_OBJECT
public:
    explicit HxViewport(HxViewportMgr* manager, QWidget* parent = nullptr);
    ~HxViewport() override;

    HxOrbitCamera& camera() { return m_camera; }
    // The figures' skins and the switch for the bones drawn over them.
    HxSkinLayer* skinLayer() const { return m_skin; }
    // The OpenGL surface the picture is painted on, or null where no OpenGL
    // context can be had (the picture is then painted on this widget).
    HxGLSurface* glSurface() const { return m_surface; }
    // Paints the whole picture; on the GL surface when there is one.
    void paintScene(QPainter& painter);
    bool isDrawingLight() const;
    // The bone drawn under the pixel (the nearest to the eye when several
    // are), else null.
    HxNode* nodeAt(const QPoint& pixel) const;

    QSize sizeHint() const override { return QSize(720, 540); }
    QSize minimumSizeHint() const override { return QSize(160, 120); }

public slots:
    // Aims the camera at everything in the scene.
    void frameAll();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    struct Segment;
    enum class Drag
    {
        None,
        Orbit,
        Pan,
        Zoom
    };

    void watchNode(HxNode* node);
    // A blend tick changes hundreds of values; asking Qt for a repaint on
    // each costs more than the tick. The first change until the next paint
    // asks, the others only find the request already made.
    void requestRepaint();
    QList<Segment> collectSegments() const;
    void drawBackground(QPainter& painter) const;
    void drawGround(QPainter& painter) const;
    void drawSegment(QPainter& painter, const Segment& segment) const;
    void drawAxes(QPainter& painter) const;
    void drawOverlay(QPainter& painter) const;

    QPointer<HxViewportMgr> m_manager;
    HxSkinLayer* m_skin = nullptr;
    HxGLSurface* m_surface = nullptr;
    HxOrbitCamera m_camera;
    Drag m_drag = Drag::None;
    bool m_moved = false;
    bool m_repaintRequested = false;
    QPoint m_pressPos;
    QPoint m_lastPos;
};

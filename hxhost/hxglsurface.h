#pragma once

#include <QOpenGLWidget>
#include <functional>

// An OpenGL surface laid over the viewport: the viewport paints its whole
// picture on it through a QPainter, so QPainter drawing (background, bones,
// text) and OpenGL drawing (skins) share one frame. The viewport keeps the
// mouse; this surface only shows.
class HxGLSurface : public QOpenGLWidget
{
    Q_OBJECT
public:
    using Painter = std::function<void(QPainter&)>;
    HxGLSurface(Painter paint, QWidget* parent);
    ~HxGLSurface() override;

    // Whether an OpenGL context can be had on this platform (the offscreen
    // platform usually offers none); HX_VIEWPORT=painter says no.
    static bool available();

    // Milliseconds the last frame took to paint, on the CPU side.
    double lastFrameMilliseconds() const { return m_lastFrameMs; }

protected:
    void paintGL() override;

private:
    Painter m_paint;
    double m_lastFrameMs = 0.0;
};

#include "hxglsurface.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPainter>

HxGLSurface::HxGLSurface(Painter paint, QWidget* parent) : QOpenGLWidget(parent), m_paint(std::move(paint))
{
    setObjectName(QStringLiteral("viewportSurface"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    QSurfaceFormat surface = format();
    surface.setDepthBufferSize(24);
    surface.setStencilBufferSize(8);
    // No multisampling: software renderers (Mesa's, under Xvfb or in a
    // virtual machine) pay for every sample, and the skins are shaded
    // smoothly anyway.
    setFormat(surface);
}

HxGLSurface::~HxGLSurface() = default;

bool HxGLSurface::available()
{
    if (qEnvironmentVariable("HX_VIEWPORT") == QLatin1String("painter"))
        return false;
    static const bool works = [] {
        if (QGuiApplication::platformName() == QLatin1String("offscreen") ||
            QGuiApplication::platformName() == QLatin1String("minimal"))
            return false;
        QOpenGLContext context;
        if (!context.create())
            return false;
        QOffscreenSurface surface;
        surface.setFormat(context.format());
        surface.create();
        return surface.isValid() && context.makeCurrent(&surface);
    }();
    return works;
}

void HxGLSurface::paintGL()
{
    QElapsedTimer timer;
    timer.start();
    QPainter painter(this);
    m_paint(painter);
    painter.end();
    m_lastFrameMs = double(timer.nsecsElapsed()) / 1e6;
}

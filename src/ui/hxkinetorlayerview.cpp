#include "ui/hxkinetorlayerview.h"

#include "layer/hxkinetorlayer.h"
#include "model/hxkinetorpose.h"

#include <algorithm>

HxKinetorLayerView::HxKinetorLayerView(HxKinetorLayer* layer, QWidget* parent, const char* name)
    : QFrame(parent), m_layer(layer)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setFrameStyle(QFrame::Box);
    setLineWidth(2);
    setFrameShadow(QFrame::Plain);
}

HxKinetorLayerView::~HxKinetorLayerView() = default;

void HxKinetorLayerView::layerToView(float x, float y, int& px, int& py) const
{
    px = int(float((x - m_originX) * m_zoom));
    py = int(float((y - m_originY) * m_zoom));
}

void HxKinetorLayerView::viewToLayer(int px, int py, float& x, float& y) const
{
    x = float(px) / m_zoom + m_originX;
    y = float(py) / m_zoom + m_originY;
}

void HxKinetorLayerView::setOrigin(float x, float y)
{
    m_originX = x;
    m_originY = y;
}

void HxKinetorLayerView::setZoom(float zoom, int px, int py)
{
    // Written so that NaN fails the test as well.
    if (!(zoom > 0.0f))
        return;
    float x = 0.0f;
    float y = 0.0f;
    viewToLayer(px, py, x, y);
    m_zoom = zoom;
    m_originX = x - float(px) / zoom;
    m_originY = y - float(py) / zoom;
}

void HxKinetorLayerView::resetView()
{
    setOrigin(0.0f, 0.0f);
    setZoom(1.0f, 0, 0);
    update();
}

void HxKinetorLayerView::fitToPoses(bool zoom, bool center)
{
    if (!zoom && !center)
        return;
    if (!m_layer || m_layer->getPoses().isEmpty())
        return;

    const auto& poses = m_layer->getPoses();
    float minX = poses.first()->getX();
    float maxX = minX;
    float minY = poses.first()->getY();
    float maxY = minY;
    for (const HxKinetorPose* pose : poses) {
        minX = std::min(minX, pose->getX());
        maxX = std::max(maxX, pose->getX());
        minY = std::min(minY, pose->getY());
        maxY = std::max(maxY, pose->getY());
    }
    const float margin = 16.0f;
    const float left = minX - margin;
    const float top = minY - margin;
    const float boxWidth = (maxX + margin) - left;
    const float boxHeight = (maxY + margin) - top;

    if (zoom)
        setZoom(std::min(float(width()) / boxWidth, float(height()) / boxHeight), 0, 0);
    if (center)
        setOrigin((left + boxWidth * 0.5f) - (float(width()) / m_zoom) * 0.5f,
                  (top + boxHeight * 0.5f) - (float(height()) / m_zoom) * 0.5f);
    update();
}

void HxKinetorLayerView::setViewState(float zoom, float originX, float originY)
{
    m_zoom = zoom;
    m_originX = originX;
    m_originY = originY;
}

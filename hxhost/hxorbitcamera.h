#pragma once

#include "hxcore/hxvec3.h"

#include <QPointF>
#include <QSize>

// A perspective camera that circles a target point: yaw turns it about the
// vertical axis, pitch raises it, distance moves it in and out. Y is up.
class HxOrbitCamera
{
public:
    struct Projected
    {
        QPointF point;
        // Distance along the viewing direction; larger is farther.
        float depth = 0.0f;
        // False for points at or behind the near plane.
        bool visible = false;
    };

    HxVec3 target() const { return m_target; }
    void setTarget(const HxVec3& target) { m_target = target; }
    float yaw() const { return m_yaw; }
    float pitch() const { return m_pitch; }
    float distance() const { return m_distance; }
    // Pitch stays short of straight up or down, where the view would flip.
    void setAngles(float yawDegrees, float pitchDegrees);
    void setDistance(float distance);
    void setViewSize(const QSize& size) { m_viewSize = size; }
    QSize viewSize() const { return m_viewSize; }

    HxVec3 eye() const;
    Projected project(const HxVec3& world) const;
    // Pixels per world unit at the given depth.
    float pixelsPerUnit(float depth) const;

    // Mouse gestures, in pixels moved.
    void orbit(float dx, float dy);
    void pan(float dx, float dy);
    // A factor above 1 moves away.
    void zoom(float factor);
    // Aims at the box and backs off until all of it is in view.
    void frame(const HxVec3& boxMin, const HxVec3& boxMax);

private:
    void axes(HxVec3& right, HxVec3& up, HxVec3& forward) const;
    float focalLength() const;

    HxVec3 m_target{0.0f, 1.0f, 0.0f};
    float m_yaw = 30.0f;
    float m_pitch = 12.0f;
    float m_distance = 5.0f;
    QSize m_viewSize{640, 480};
};

#include "hxorbitcamera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr float kFieldOfViewDegrees = 35.0f;
constexpr float kDegToRad = float(std::numbers::pi / 180.0);
constexpr float kMinDistance = 1e-3f;
constexpr float kMaxDistance = 1e6f;
} // namespace

void HxOrbitCamera::setAngles(float yawDegrees, float pitchDegrees)
{
    if (!std::isfinite(yawDegrees) || !std::isfinite(pitchDegrees))
        return;
    m_yaw = std::fmod(yawDegrees, 360.0f);
    m_pitch = std::clamp(pitchDegrees, -89.0f, 89.0f);
}

void HxOrbitCamera::setDistance(float distance)
{
    if (std::isfinite(distance))
        m_distance = std::clamp(distance, kMinDistance, kMaxDistance);
}

HxVec3 HxOrbitCamera::eye() const
{
    const float yaw = m_yaw * kDegToRad;
    const float pitch = m_pitch * kDegToRad;
    const HxVec3 offset(std::cos(pitch) * std::sin(yaw), std::sin(pitch), std::cos(pitch) * std::cos(yaw));
    return m_target + offset * m_distance;
}

void HxOrbitCamera::axes(HxVec3& right, HxVec3& up, HxVec3& forward) const
{
    forward = (m_target - eye()).normalized();
    right = forward.cross(HxVec3(0.0f, 1.0f, 0.0f)).normalized();
    up = right.cross(forward);
}

float HxOrbitCamera::focalLength() const
{
    return 0.5f * float(std::max(1, m_viewSize.height())) / std::tan(0.5f * kFieldOfViewDegrees * kDegToRad);
}

HxOrbitCamera::Projected HxOrbitCamera::project(const HxVec3& world) const
{
    HxVec3 right, up, forward;
    axes(right, up, forward);
    const HxVec3 rel = world - eye();
    Projected result;
    result.depth = rel.dot(forward);
    result.visible = result.depth > m_distance * 1e-3f && world.isFinite();
    if (!result.visible)
        return result;
    const float f = focalLength() / result.depth;
    result.point =
        QPointF(0.5 * m_viewSize.width() + rel.dot(right) * f, 0.5 * m_viewSize.height() - rel.dot(up) * f);
    return result;
}

float HxOrbitCamera::pixelsPerUnit(float depth) const
{
    return depth > 0.0f ? focalLength() / depth : 0.0f;
}

void HxOrbitCamera::orbit(float dx, float dy)
{
    setAngles(m_yaw - dx * 0.4f, m_pitch + dy * 0.4f);
}

void HxOrbitCamera::pan(float dx, float dy)
{
    HxVec3 right, up, forward;
    axes(right, up, forward);
    // One pixel of mouse travel moves the target one pixel on screen.
    const float unitsPerPixel = m_distance / focalLength();
    const HxVec3 moved = m_target - right * (dx * unitsPerPixel) + up * (dy * unitsPerPixel);
    if (moved.isFinite())
        m_target = moved;
}

void HxOrbitCamera::zoom(float factor)
{
    if (factor > 0.0f)
        setDistance(m_distance * factor);
}

void HxOrbitCamera::frame(const HxVec3& boxMin, const HxVec3& boxMax)
{
    if (!boxMin.isFinite() || !boxMax.isFinite())
        return;
    m_target = (boxMin + boxMax) * 0.5f;
    const float radius = std::max((boxMax - boxMin).length() * 0.5f, 1e-2f);
    const float aspect = float(std::max(1, m_viewSize.width())) / float(std::max(1, m_viewSize.height()));
    float halfAngle = 0.5f * kFieldOfViewDegrees * kDegToRad;
    if (aspect < 1.0f)
        halfAngle = std::atan(std::tan(halfAngle) * aspect);
    // The whole bounding sphere fits: a thin upright figure seen across a
    // wide view would otherwise lose its head and feet.
    setDistance(radius / std::sin(halfAngle));
}

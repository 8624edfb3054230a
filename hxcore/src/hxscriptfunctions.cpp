#include "hxscriptfunctions.h"

#include "hxcore/hxquat.h"
#include "hxcore/hxvec3.h"

#include <QCursor>
#include <QGuiApplication>
#include <QJSEngine>

#include <cmath>

HxScriptFunctions::HxScriptFunctions(QJSEngine* engine, QObject* parent) : QObject(parent), m_engine(engine)
{}

HxScriptFunctions::~HxScriptFunctions()
{
    releaseBusyCursors();
}

void HxScriptFunctions::setBusyCursor()
{
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    ++m_busyDepth;
}

void HxScriptFunctions::clearBusyCursor()
{
    // Clearing more often than setting must not pop cursors that others set.
    if (m_busyDepth == 0)
        return;
    QGuiApplication::restoreOverrideCursor();
    --m_busyDepth;
}

void HxScriptFunctions::releaseBusyCursors()
{
    while (m_busyDepth > 0)
        clearBusyCursor();
}

bool HxScriptFunctions::readNumbers(const QJSValue& arguments, int count, const char* type, double* values)
{
    for (int i = 0; i < count; ++i) {
        const QJSValue value = arguments.property(quint32(i));
        if (!value.isNumber()) {
            m_engine->throwError(QJSValue::TypeError,
                                 QStringLiteral("%1: argument %2 is not a number").arg(type).arg(i + 1));
            return false;
        }
        values[i] = value.toNumber();
        if (!std::isfinite(values[i])) {
            m_engine->throwError(QJSValue::RangeError,
                                 QStringLiteral("%1: argument %2 is not finite").arg(type).arg(i + 1));
            return false;
        }
    }
    return true;
}

QJSValue HxScriptFunctions::makeVec3(const QJSValue& arguments)
{
    const int count = arguments.property(QStringLiteral("length")).toInt();
    if (count == 0)
        return m_engine->toScriptValue(HxVec3());
    if (count == 1) {
        const QVariant copied = arguments.property(0).toVariant();
        if (copied.metaType() == QMetaType::fromType<HxVec3>())
            return m_engine->toScriptValue(copied.value<HxVec3>());
    }
    if (count != 3) {
        m_engine->throwError(QJSValue::TypeError,
                             QStringLiteral("HxVec3 takes no arguments, an HxVec3, or x, y and z"));
        return QJSValue();
    }
    double v[3];
    if (!readNumbers(arguments, 3, "HxVec3", v))
        return QJSValue();
    const HxVec3 result{float(v[0]), float(v[1]), float(v[2])};
    if (!result.isFinite()) {
        m_engine->throwError(QJSValue::RangeError,
                             QStringLiteral("HxVec3: a component is too large for a float"));
        return QJSValue();
    }
    return m_engine->toScriptValue(result);
}

QJSValue HxScriptFunctions::makeQuat(const QJSValue& arguments)
{
    const int count = arguments.property(QStringLiteral("length")).toInt();
    if (count == 0)
        return m_engine->toScriptValue(HxQuat());
    if (count == 1) {
        const QVariant copied = arguments.property(0).toVariant();
        if (copied.metaType() == QMetaType::fromType<HxQuat>())
            return m_engine->toScriptValue(copied.value<HxQuat>());
    }
    if (count != 4) {
        m_engine->throwError(QJSValue::TypeError,
                             QStringLiteral("HxQuat takes no arguments, an HxQuat, or x, y, z and w"));
        return QJSValue();
    }
    double q[4];
    if (!readNumbers(arguments, 4, "HxQuat", q))
        return QJSValue();
    // Stored exactly as given: presets hold quaternions that must come back
    // bit for bit.
    HxQuat result;
    result.setValue(q[0], q[1], q[2], q[3], true);
    return m_engine->toScriptValue(result);
}

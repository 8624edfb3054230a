#include "hxcore/hxappsettingsmgr.h"

#include "hxcore/hxapp.h"

#include <QSettings>

#include <cmath>

HxAppSettingsMgr::HxAppSettingsMgr(QObject* parent) : QObject(parent) {}

HxAppSettingsMgr::~HxAppSettingsMgr() = default;

QSettings* HxAppSettingsMgr::settings() const
{
    return hxApp ? hxApp->getSettings() : nullptr;
}

void HxAppSettingsMgr::pushPath(const QString& path)
{
    m_path.append(path.split(QLatin1Char('/'), Qt::SkipEmptyParts).join(QLatin1Char('/')));
}

void HxAppSettingsMgr::popPath()
{
    if (!m_path.isEmpty())
        m_path.removeLast();
}

QString HxAppSettingsMgr::getPath() const
{
    QStringList levels;
    for (const QString& level : m_path)
        if (!level.isEmpty())
            levels.append(level);
    return levels.join(QLatin1Char('/'));
}

QString HxAppSettingsMgr::keyFor(const QString& name) const
{
    const QString path = getPath();
    return path.isEmpty() ? QStringLiteral("Scripts/%1").arg(name)
                          : QStringLiteral("Scripts/%1/%2").arg(path, name);
}

void HxAppSettingsMgr::setStringValue(const QString& name, const QString& value)
{
    if (QSettings* s = settings())
        s->setValue(keyFor(name), value);
}

QString HxAppSettingsMgr::getStringValue(const QString& name, const QString& defaultValue) const
{
    QSettings* s = settings();
    return s && s->contains(keyFor(name)) ? s->value(keyFor(name)).toString() : defaultValue;
}

void HxAppSettingsMgr::setBoolValue(const QString& name, bool value)
{
    if (QSettings* s = settings())
        s->setValue(keyFor(name), value);
}

bool HxAppSettingsMgr::getBoolValue(const QString& name, bool defaultValue) const
{
    QSettings* s = settings();
    if (!s || !s->contains(keyFor(name)))
        return defaultValue;
    // An ini file gives "true" and "false" back as text.
    const QString text = s->value(keyFor(name)).toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("0"))
        return false;
    return defaultValue;
}

void HxAppSettingsMgr::setFloatValue(const QString& name, double value)
{
    if (QSettings* s = settings())
        s->setValue(keyFor(name), value);
}

double HxAppSettingsMgr::getFloatValue(const QString& name, double defaultValue) const
{
    QSettings* s = settings();
    if (!s || !s->contains(keyFor(name)))
        return defaultValue;
    bool ok = false;
    const double value = s->value(keyFor(name)).toDouble(&ok);
    // A value edited into something that is not a number reads as absent.
    return ok && std::isfinite(value) ? value : defaultValue;
}

bool HxAppSettingsMgr::hasValue(const QString& name) const
{
    QSettings* s = settings();
    return s && s->contains(keyFor(name));
}

void HxAppSettingsMgr::removeValue(const QString& name)
{
    if (QSettings* s = settings())
        s->remove(keyFor(name));
}

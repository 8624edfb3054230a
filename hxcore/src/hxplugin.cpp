#include "hxcore/hxplugin.h"

HxPlugin::HxPlugin(const QString& name, const QString& description, const QString& helpFile, int flags)
    : m_name(name), m_description(description), m_helpFile(helpFile), m_flags(flags)
{}

HxPlugin::~HxPlugin() = default;

QString HxPlugin::getVersionString() const
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg((m_version >> 24) & 0xFF)
        .arg((m_version >> 16) & 0xFF)
        .arg((m_version >> 8) & 0xFF)
        .arg(m_version & 0xFF);
}

void HxPlugin::addClassFactory(HxClassFactory* factory)
{
    if (factory && !m_factories.contains(factory))
        m_factories.append(factory);
}

void HxPlugin::removeClassFactory(HxClassFactory* factory)
{
    m_factories.removeAll(factory);
}

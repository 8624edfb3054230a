#include "hxcore/hxapp.h"

#include "hxbuiltinfactories.h"
#include "hxcore/hxappsettingsmgr.h"
#include "hxcore/hxclassfactory.h"
#include "hxcore/hxhelpmgr.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxundostack.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

HxApp* hxApp = nullptr;

namespace {
QString& settingsOverride()
{
    static QString path;
    return path;
}
} // namespace

HxApp::HxApp(QObject* parent)
    : QObject(parent), m_scene(new HxScene(this)), m_undoStack(new HxUndoStack(this)),
      m_helpMgr(new HxHelpMgr(this)), m_appSettingsMgr(new HxAppSettingsMgr(this))
{
    hxApp = this;
    hxScene = m_scene;
    hxUndoStack = m_undoStack;
    hxRegisterBuiltinFactories(this);
}

HxApp::~HxApp()
{
    // Nodes may push undo items or reach the globals while they go.
    m_scene->clear();
    delete m_scene;
    delete m_undoStack;
    if (hxApp == this) {
        hxApp = nullptr;
        hxScene = nullptr;
        hxUndoStack = nullptr;
    }
}

void HxApp::setSettingsPath(const QString& iniFile)
{
    settingsOverride() = iniFile;
}

QString HxApp::settingsPath()
{
    if (!settingsOverride().isEmpty())
        return settingsOverride();
    QString env = qEnvironmentVariable("HX_SETTINGS_PATH");
    if (!env.isEmpty())
        return env;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)).filePath("hxhost.ini");
}

QSettings* HxApp::getSettings()
{
    if (!m_settings || m_settings->fileName() != settingsPath())
        m_settings = std::make_unique<QSettings>(settingsPath(), QSettings::IniFormat);
    return m_settings.get();
}

void HxApp::registerFactory(HxClassFactory* factory)
{
    if (factory && !m_factories.contains(factory))
        m_factories.append(factory);
}

void HxApp::unregisterFactory(HxClassFactory* factory)
{
    m_factories.removeAll(factory);
}

HxClassFactory* HxApp::findFactory(const HxGUID& guid) const
{
    for (HxClassFactory* factory : m_factories)
        if (factory->getGUID() == guid)
            return factory;
    return nullptr;
}

HxClassFactory* HxApp::findFactory(const QString& className) const
{
    for (HxClassFactory* factory : m_factories)
        if (factory->getClassName() == className)
            return factory;
    return nullptr;
}

QObject* HxApp::createInstance(const QString& className) const
{
    HxClassFactory* factory = findFactory(className);
    return factory ? factory->create() : nullptr;
}

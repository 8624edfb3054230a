#include "hxpluginloader.h"

#include "hxcore/hxplugin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace {
using SdkVersionFunction = unsigned int (*)();
using DefinitionFunction = HxPlugin* (*)();
} // namespace

HxPluginLoader::HxPluginLoader() = default;

// Modules stay mapped for the life of the process: objects they made may
// outlive the loader, and unmapping their code under them would crash.
HxPluginLoader::~HxPluginLoader() = default;

QString HxPluginLoader::defaultFolder()
{
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../plugins"));
}

int HxPluginLoader::loadFolder(const QString& folder)
{
    QDir dir(folder);
    if (!dir.exists())
        return 0;
    int loaded = 0;
    const QFileInfoList entries = dir.entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo& entry : entries)
        if (QLibrary::isLibrary(entry.fileName()) && loadModule(entry.absoluteFilePath()))
            ++loaded;
    return loaded;
}

bool HxPluginLoader::loadModule(const QString& path)
{
    auto module = std::make_unique<Module>();
    module->library = std::make_unique<QLibrary>(path);
    if (!module->library->load()) {
        m_errors.append(QCoreApplication::translate("HxPluginLoader", "%1: cannot load the module (%2)")
                            .arg(path, module->library->errorString()));
        return false;
    }
    auto version = reinterpret_cast<SdkVersionFunction>(module->library->resolve("getSDKVersion"));
    auto definition = reinterpret_cast<DefinitionFunction>(module->library->resolve("getPluginDefinition"));
    QString problem;
    if (!version || !definition)
        problem = QCoreApplication::translate(
                      "HxPluginLoader", "%1: not a plug-in (getSDKVersion or getPluginDefinition missing)")
                      .arg(path);
    else if (version() != SdkVersion)
        problem = QCoreApplication::translate("HxPluginLoader",
                                              "%1: built for SDK version 0x%2, this host provides 0x%3")
                      .arg(path)
                      .arg(version(), 8, 16, QLatin1Char('0'))
                      .arg(SdkVersion, 8, 16, QLatin1Char('0'));
    else if (!(module->plugin = definition()))
        problem = QCoreApplication::translate("HxPluginLoader", "%1: the module gave no plug-in definition")
                      .arg(path);
    if (!problem.isEmpty()) {
        m_errors.append(problem);
        module->library->unload();
        return false;
    }
    m_modules.push_back(std::move(module));
    return true;
}

QStringList HxPluginLoader::loadedModules() const
{
    QStringList names;
    for (const auto& module : m_modules)
        names.append(module->library->fileName());
    return names;
}

HxPlugin* HxPluginLoader::plugin(int index) const
{
    return index >= 0 && size_t(index) < m_modules.size() ? m_modules[size_t(index)]->plugin : nullptr;
}

#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class HxPlugin;
class QLibrary;

// Opens the plug-in modules of a folder. A module must export
// getSDKVersion(), returning the SDK version this host provides, and
// getPluginDefinition(); modules built for another SDK are refused with a
// message and never called further.
class HxPluginLoader
{
public:
    static constexpr unsigned int SdkVersion = 0x02000000;

    HxPluginLoader();
    ~HxPluginLoader();

    // build/plugins beside build/bin, where the build puts the modules.
    static QString defaultFolder();

    // Loads every module in the folder; a missing or empty folder loads
    // nothing and is not an error. Returns how many modules were taken.
    int loadFolder(const QString& folder);
    // False with the reason added to errors().
    bool loadModule(const QString& path);

    QStringList loadedModules() const;
    int count() const { return int(m_modules.size()); }
    // The plug-in a loaded module returned, for the host to register.
    HxPlugin* plugin(int index) const;
    QStringList errors() const { return m_errors; }

private:
    struct Module
    {
        std::unique_ptr<QLibrary> library;
        HxPlugin* plugin = nullptr;
    };
    std::vector<std::unique_ptr<Module>> m_modules;
    QStringList m_errors;
};

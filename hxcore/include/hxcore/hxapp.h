#pragma once

#include "hxcore/hxglobal.h"
#include "hxcore/hxscript.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <memory>

class HxAppSettingsMgr;
class HxClassFactory;
class HxGUID;
class HxHelpMgr;
class HxMainWindow;
class HxScene;
class HxUndoStack;
class QSettings;

// The host application object: owns the scene and the undo stack and sets
// the globals hxApp, hxScene and hxUndoStack for its lifetime. It works
// without a main window (getInterface() is then null).
class HXCORE_EXPORT HxApp : public QObject
{
    Q_OBJECT
public:
    explicit HxApp(QObject* parent = nullptr);
    ~HxApp() override;

    HxScene* getScene() const { return m_scene; }
    HxUndoStack* getUndoStack() const { return m_undoStack; }
    HxHelpMgr* getHelpMgr() const { return m_helpMgr; }

    HxMainWindow* getInterface() const { return m_mainWindow; }
    void setInterface(HxMainWindow* window) { m_mainWindow = window; }

    // Application settings. Tests point them at a scratch file first.
    static void setSettingsPath(const QString& iniFile);
    static QString settingsPath();
    QSettings* getSettings();
    // The application settings as scripts use them.
    Q_INVOKABLE HxAppSettingsMgr* getAppSettingsMgr() const { return m_appSettingsMgr; }

    // Factories are not owned; the module that made them keeps them.
    void registerFactory(HxClassFactory* factory);
    void unregisterFactory(HxClassFactory* factory);
    HxClassFactory* findFactory(const HxGUID& guid) const;
    HxClassFactory* findFactory(const QString& className) const;
    QObject* createInstance(const QString& className) const;

signals:
    // Emitted while a scene is saved: each receiver appends the lines that
    // restore its state when the scene's state script runs.
    void saveStateScript(HxScript& script);

private:
    HxScene* m_scene;
    HxUndoStack* m_undoStack;
    HxHelpMgr* m_helpMgr;
    HxAppSettingsMgr* m_appSettingsMgr;
    HxMainWindow* m_mainWindow = nullptr;
    std::unique_ptr<QSettings> m_settings;
    QList<HxClassFactory*> m_factories;
};

extern HXCORE_EXPORT HxApp* hxApp;

#pragma once

#include "hxcore/hxglobal.h"
#include "hxcore/hxpanemgr.h"
#include "hxcore/hxviewportmgr.h"

#include <QMainWindow>

class HxActionMgr;
class HxSaveFilterMgr;

// The host's main window: panes are docks around a central view. While it
// exists it is the application's interface (hxApp->getInterface()), which
// is how plug-ins reach its pane, action and viewport managers.
class HXCORE_EXPORT HxMainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit HxMainWindow(QWidget* parent = nullptr);
    ~HxMainWindow() override;

    Q_INVOKABLE HxPaneMgr* getPaneMgr() const { return m_paneMgr; }
    Q_INVOKABLE HxViewportMgr* getViewportMgr() const { return m_viewportMgr; }
    // Null until the host has an action manager.
    HxActionMgr* getActionMgr() const { return m_actionMgr; }
    // The save filters offered under File > Export.
    HxSaveFilterMgr* getSaveFilterMgr() const { return m_saveFilterMgr; }

    // Window geometry, dock layout and every pane's own settings, kept in
    // the application settings.
    void saveWindowSettings();
    // Returns false when nothing was saved yet, so the caller keeps its
    // default layout.
    bool restoreWindowSettings();

protected:
    void setActionMgr(HxActionMgr* manager) { m_actionMgr = manager; }

private:
    HxPaneMgr* m_paneMgr;
    HxViewportMgr* m_viewportMgr;
    HxActionMgr* m_actionMgr = nullptr;
    HxSaveFilterMgr* m_saveFilterMgr;
};

#include "hxcore/hxmainwindow.h"

#include "hxcore/hxactionmgr.h"
#include "hxcore/hxapp.h"
#include "hxcore/hxpane.h"
#include "hxcore/hxsavefiltermgr.h"

#include <QSettings>

namespace {
const QString kGeometryKey = QStringLiteral("MainWindow/geometry");
const QString kStateKey = QStringLiteral("MainWindow/state");
// Bumped whenever the set of host docks changes, so an old saved layout is
// not applied to a different set of docks.
constexpr int kStateVersion = 1;
} // namespace

HxMainWindow::HxMainWindow(QWidget* parent)
    : QMainWindow(parent), m_paneMgr(new HxPaneMgr(this)), m_viewportMgr(new HxViewportMgr(this)),
      m_saveFilterMgr(new HxSaveFilterMgr(this, this))
{
    setActionMgr(new HxActionMgr(this));
    if (hxApp)
        hxApp->setInterface(this);
}

HxMainWindow::~HxMainWindow()
{
    // Panes may still ask for the managers while they go, so they go first.
    m_paneMgr->removeAllPanes();
    if (hxApp && hxApp->getInterface() == this)
        hxApp->setInterface(nullptr);
}

void HxMainWindow::saveWindowSettings()
{
    if (!hxApp)
        return;
    for (int i = 0; i < m_paneMgr->getNumPanes(); ++i)
        m_paneMgr->getPane(i)->saveSettings();
    QSettings* settings = hxApp->getSettings();
    settings->setValue(kGeometryKey, saveGeometry());
    settings->setValue(kStateKey, saveState(kStateVersion));
}

bool HxMainWindow::restoreWindowSettings()
{
    if (!hxApp)
        return false;
    for (int i = 0; i < m_paneMgr->getNumPanes(); ++i)
        m_paneMgr->getPane(i)->restoreSettings();
    QSettings* settings = hxApp->getSettings();
    const QByteArray geometry = settings->value(kGeometryKey).toByteArray();
    const QByteArray state = settings->value(kStateKey).toByteArray();
    if (geometry.isEmpty() && state.isEmpty())
        return false;
    bool restored = restoreGeometry(geometry);
    restored = restoreState(state, kStateVersion) && restored;
    return restored;
}

#include "hxcore/hxpaneaction.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxpane.h"
#include "hxcore/hxpanemgr.h"

#include <QDockWidget>

HxPaneAction::HxPaneAction(const QString& paneClassName, QObject* parent)
    : HxAction(QString(), QString(), parent), m_paneClassName(paneClassName)
{
    setCheckable(true);
}

HxPaneAction::~HxPaneAction() = default;

HxPane* HxPaneAction::getPane() const
{
    if (!hxApp || !hxApp->getInterface())
        return nullptr;
    return hxApp->getInterface()->getPaneMgr()->findPane(m_paneClassName);
}

QDockWidget* HxPaneAction::getDock() const
{
    HxPane* pane = getPane();
    return pane ? hxApp->getInterface()->getPaneMgr()->getDock(pane) : nullptr;
}

void HxPaneAction::init()
{
    HxPane* pane = getPane();
    if (!pane) {
        qWarning("No %s instance found in HxPaneAction::init()", qPrintable(m_paneClassName));
        HxAction::init();
        return;
    }
    if (text().isEmpty())
        setText(pane->getTitle());
    if (toolTip().isEmpty() || toolTip() == text())
        setToolTip(tr("Show or hide the %1 pane").arg(pane->getTitle()));

    QDockWidget* dock = getDock();
    if (dock && dock != m_followed) {
        disconnect(m_follow);
        m_followed = dock;
        // The dock's own view action tracks every way the dock is shown or
        // closed, including its close button.
        m_follow = connect(dock->toggleViewAction(), &QAction::toggled, this, &HxAction::setOn);
    }
    setOn(dock ? !dock->isHidden() : !pane->isHidden());
    HxAction::init();
}

QString HxPaneAction::getActionGroup() const
{
    return tr("Panes");
}

void HxPaneAction::toggleAction(bool onOff)
{
    HxPane* pane = getPane();
    if (!pane) {
        qWarning("No %s instance found in HxPaneAction::toggleAction(bool)", qPrintable(m_paneClassName));
        setOn(false);
        return;
    }
    QDockWidget* dock = getDock();
    if (onOff) {
        hxApp->getInterface()->getPaneMgr()->showPane(pane);
        if (!dock)
            pane->show();
    } else if (dock) {
        dock->hide();
    } else {
        pane->hide();
    }
}

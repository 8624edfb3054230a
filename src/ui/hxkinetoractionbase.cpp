#include "ui/hxkinetoractionbase.h"

#include "ui/hxkinetorpane.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxhelpmgr.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxpanemgr.h"

HxKinetorActionBase::HxKinetorActionBase(const QString& menuText, const QString& description, QObject* parent)
    : HxAction(menuText, description, parent)
{}

HxKinetorActionBase::~HxKinetorActionBase() = default;

void HxKinetorActionBase::setAccel(const QKeySequence& key)
{
    HxAction::setAccel(key);
    updateToolTip();
}

QString HxKinetorActionBase::getActionGroup() const
{
    return tr("Kinetor");
}

HxKinetorPane* HxKinetorActionBase::getPane() const
{
    if (!hxApp || !hxApp->getInterface())
        return nullptr;
    HxPaneMgr* panes = hxApp->getInterface()->getPaneMgr();
    if (!panes)
        return nullptr;
    return qobject_cast<HxKinetorPane*>(panes->findPane(QStringLiteral("HxKinetorPane")));
}

void HxKinetorActionBase::updateToolTip(HxAction* action)
{
    if (hxApp && hxApp->getHelpMgr())
        hxApp->getHelpMgr()->setOnlineHelp(action);
    const QKeySequence key = action->accel();
    const QString suffix =
        key.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(key.toString(QKeySequence::PortableText));
    action->setToolTip(QStringLiteral("%1%2").arg(action->toolTip(), suffix));
}

HxKinetorLayer* HxKinetorActionBase::getActiveLayer() const
{
    HxKinetorPane* pane = getPane();
    return pane ? pane->getActiveLayer() : nullptr;
}

bool HxKinetorActionBase::followPaneOption(PaneOption option, PaneOptionSetter changed)
{
    HxKinetorPane* pane = getPane();
    if (!pane)
        return false;
    setOn((pane->*option)());
    connect(pane, changed, this, &HxAction::setOn, Qt::UniqueConnection);
    return true;
}

bool HxKinetorActionBase::setPaneOption(PaneOptionSetter setter, bool onOff)
{
    HxKinetorPane* pane = getPane();
    if (!pane)
        return false;
    (pane->*setter)(onOff);
    return true;
}

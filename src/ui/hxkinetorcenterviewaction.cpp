#include "ui/hxkinetorcenterviewaction.h"

#include "layer/hxkinetorlayer.h"

HxKinetorCenterViewAction::HxKinetorCenterViewAction(QObject* parent)
    : HxKinetorActionBase(tr("Center View"),
                          tr("Center the view around all pose dots without changing zoom."), parent)
{
    setObjectName(QStringLiteral("HxKinetorCenterViewAction"));
    updateToolTip();
}

HxKinetorCenterViewAction::~HxKinetorCenterViewAction() = default;

void HxKinetorCenterViewAction::executeAction()
{
    if (HxKinetorLayer* layer = getActiveLayer())
        layer->centerView();
}

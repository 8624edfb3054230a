#include "ui/hxkinetorresetviewaction.h"

#include "layer/hxkinetorlayer.h"

HxKinetorResetViewAction::HxKinetorResetViewAction(QObject* parent)
    : HxKinetorActionBase(tr("Reset View"), tr("Reset the view to its initial state."), parent)
{
    setObjectName(QStringLiteral("HxKinetorResetViewAction"));
    updateToolTip();
}

HxKinetorResetViewAction::~HxKinetorResetViewAction() = default;

void HxKinetorResetViewAction::executeAction()
{
    if (HxKinetorLayer* layer = getActiveLayer())
        layer->resetView();
}

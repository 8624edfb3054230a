#include "ui/hxkinetorresetviewaction.h"

#include "layer/hxkinetorlayer.h"
#include "ui/hxkinetorpane.h"

HxKinetorResetViewAction::HxKinetorResetViewAction(QObject* parent)
    : HxKinetorActionBase(tr("Reset View"), tr("Reset the view to its initial state."), parent)
{
    setObjectName(QStringLiteral("HxKinetorResetViewAction"));
    updateToolTip();
}

HxKinetorResetViewAction::~HxKinetorResetViewAction() = default;

void HxKinetorResetViewAction::executeAction()
{
    HxKinetorPane* pane = getPane();
    if (!pane)
        return;
    if (HxKinetorLayer* layer = pane->getActiveLayer())
        layer->resetView();
}

#include "ui/hxkinetorclearlayeraction.h"

#include "ui/hxkinetorpane.h"

HxKinetorClearLayerAction::HxKinetorClearLayerAction(QObject* parent)
    : HxKinetorActionBase(tr("Clear Layer"), tr("Remove all pose dots from the active layer."), parent)
{
    setObjectName(QStringLiteral("HxKinetorClearLayerAction"));
    updateToolTip();
}

HxKinetorClearLayerAction::~HxKinetorClearLayerAction() = default;

void HxKinetorClearLayerAction::executeAction()
{
    if (HxKinetorPane* pane = getPane())
        pane->clearLayer();
}

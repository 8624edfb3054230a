#include "ui/hxkinetoraddlayeraction.h"

#include "ui/hxkinetorpane.h"

HxKinetorAddLayerAction::HxKinetorAddLayerAction(QObject* parent)
    : HxKinetorActionBase(tr("Add Layer"), tr("Add a new layer for the active item."), parent)
{
    setObjectName(QStringLiteral("HxKinetorAddLayerAction"));
    updateToolTip();
}

HxKinetorAddLayerAction::~HxKinetorAddLayerAction() = default;

void HxKinetorAddLayerAction::executeAction()
{
    if (HxKinetorPane* pane = getPane())
        pane->addLayer();
}

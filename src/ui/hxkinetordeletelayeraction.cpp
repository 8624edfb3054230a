#include "ui/hxkinetordeletelayeraction.h"

#include "ui/hxkinetorpane.h"

HxKinetorDeleteLayerAction::HxKinetorDeleteLayerAction(QObject* parent)
    : HxKinetorActionBase(tr("Delete Layer"), tr("Delete the active layer."), parent)
{
    setObjectName(QStringLiteral("HxKinetorDeleteLayerAction"));
    updateToolTip();
}

HxKinetorDeleteLayerAction::~HxKinetorDeleteLayerAction() = default;

void HxKinetorDeleteLayerAction::executeAction()
{
    if (HxKinetorPane* pane = getPane())
        pane->deleteLayer();
}

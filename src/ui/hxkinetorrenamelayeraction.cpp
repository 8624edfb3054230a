#include "ui/hxkinetorrenamelayeraction.h"

#include "ui/hxkinetorpane.h"

HxKinetorRenameLayerAction::HxKinetorRenameLayerAction(QObject* parent)
    : HxKinetorActionBase(tr("Rename Layer"), tr("Rename the active layer."), parent)
{
    setObjectName(QStringLiteral("HxKinetorRenameLayerAction"));
    updateToolTip();
}

HxKinetorRenameLayerAction::~HxKinetorRenameLayerAction() = default;

void HxKinetorRenameLayerAction::executeAction()
{
    if (HxKinetorPane* pane = getPane())
        pane->renameLayer();
}

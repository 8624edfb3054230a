#include "ui/hxkinetorclearlayeranimationaction.h"

#include "ui/hxkinetorpane.h"

HxKinetorClearLayerAnimationAction::HxKinetorClearLayerAnimationAction(QObject* parent)
    : HxKinetorActionBase(tr("Clear Layer Animation"),
                          tr("Clear the animation from the parameters which "
                             "this layer affects."),
                          parent)
{
    setObjectName(QStringLiteral("HxKinetorClearLayerAnimationAction"));
    updateToolTip();
}

HxKinetorClearLayerAnimationAction::~HxKinetorClearLayerAnimationAction() = default;

void HxKinetorClearLayerAnimationAction::executeAction()
{
    if (HxKinetorPane* pane = getPane())
        pane->clearLayerAnimation();
}

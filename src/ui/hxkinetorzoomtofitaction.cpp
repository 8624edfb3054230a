#include "ui/hxkinetorzoomtofitaction.h"

#include "layer/hxkinetorlayer.h"

HxKinetorZoomToFitAction::HxKinetorZoomToFitAction(QObject* parent)
    : HxKinetorActionBase(tr("Zoom to Fit"), tr("Zoom so that all pose dots are visible."), parent)
{
    setObjectName(QStringLiteral("HxKinetorZoomToFitAction"));
    updateToolTip();
}

HxKinetorZoomToFitAction::~HxKinetorZoomToFitAction() = default;

void HxKinetorZoomToFitAction::executeAction()
{
    if (HxKinetorLayer* layer = getActiveLayer())
        layer->zoomToFit();
}

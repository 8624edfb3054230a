#include "ui/hxkinetorzoomtofitaction.h"

#include "layer/hxkinetorlayer.h"
#include "ui/hxkinetorpane.h"

HxKinetorZoomToFitAction::HxKinetorZoomToFitAction(QObject* parent)
    : HxKinetorActionBase(tr("Zoom to Fit"), tr("Zoom so that all pose dots are visible."), parent)
{
    setObjectName(QStringLiteral("HxKinetorZoomToFitAction"));
    updateToolTip();
}

HxKinetorZoomToFitAction::~HxKinetorZoomToFitAction() = default;

void HxKinetorZoomToFitAction::executeAction()
{
    HxKinetorPane* pane = getPane();
    if (!pane)
        return;
    if (HxKinetorLayer* layer = pane->getActiveLayer())
        layer->zoomToFit();
}

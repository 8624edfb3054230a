#include "ui/hxkinetorupdateposeaction.h"

#include "layer/hxkinetorlayer.h"
#include "model/hxkinetorpose.h"

HxKinetorUpdatePoseAction::HxKinetorUpdatePoseAction(QObject* parent)
    : HxKinetorActionBase(tr("Update Selected Pose"),
                          tr("Saves the figure's current pose to the selected pose dot."), parent)
{
    setObjectName(QStringLiteral("HxKinetorUpdatePoseAction"));
    updateToolTip();
}

HxKinetorUpdatePoseAction::~HxKinetorUpdatePoseAction() = default;

void HxKinetorUpdatePoseAction::executeAction()
{
    HxKinetorLayer* layer = getActiveLayer();
    if (!layer)
        return;
    if (HxKinetorPose* pose = layer->getActivePose())
        layer->setPose(pose);
}

#include "ui/hxkinetordeleteposeaction.h"

#include "layer/hxkinetorlayer.h"
#include "model/hxkinetorpose.h"

HxKinetorDeletePoseAction::HxKinetorDeletePoseAction(QObject* parent)
    : HxKinetorActionBase(tr("Delete Selected Pose"), tr("Delete the currently selected pose dot."), parent)
{
    setObjectName(QStringLiteral("HxKinetorDeletePoseAction"));
    updateToolTip();
}

HxKinetorDeletePoseAction::~HxKinetorDeletePoseAction() = default;

void HxKinetorDeletePoseAction::executeAction()
{
    HxKinetorLayer* layer = getActiveLayer();
    if (!layer)
        return;
    if (HxKinetorPose* pose = layer->getActivePose())
        layer->removePose(pose);
}

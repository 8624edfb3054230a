#include "ui/hxkinetorextendframesaction.h"

#include "ui/hxkinetorpane.h"

HxKinetorExtendFramesAction::HxKinetorExtendFramesAction(QObject* parent)
    : HxKinetorActionBase(tr("Extend Frames"),
                          tr("If on, the timeline is extended with new frames while recording."), parent)
{
    setObjectName(QStringLiteral("HxKinetorExtendFramesAction"));
    setToggleAction(true);
    updateToolTip();
}

HxKinetorExtendFramesAction::~HxKinetorExtendFramesAction() = default;

void HxKinetorExtendFramesAction::init()
{
    if (!followPaneOption(&HxKinetorPane::extendFrames, &HxKinetorPane::extendFramesChanged))
        qWarning("No HxKinetorPane instance found in HxKinetorExtendFramesAction::init()");
    HxKinetorActionBase::init();
}

void HxKinetorExtendFramesAction::toggleAction(bool onOff)
{
    if (!setPaneOption(&HxKinetorPane::setExtendFrames, onOff))
        qWarning("No HxKinetorPane instance found in HxKinetorExtendFramesAction::toggleAction(bool)");
}

#include "ui/hxkinetorfillframesaction.h"

#include "ui/hxkinetorpane.h"

HxKinetorFillFramesAction::HxKinetorFillFramesAction(QObject* parent)
    : HxKinetorActionBase(
          tr("Fill Skipped Frames"),
          tr("If on, keys are set during playback/scrubbing on frames that were skipped while recording."),
          parent)
{
    setObjectName(QStringLiteral("HxKinetorFillFramesAction"));
    setToggleAction(true);
    updateToolTip();
}

HxKinetorFillFramesAction::~HxKinetorFillFramesAction() = default;

void HxKinetorFillFramesAction::init()
{
    if (!followPaneOption(&HxKinetorPane::fillFrames, &HxKinetorPane::fillFramesChanged))
        qWarning("No HxKinetorPane instance found in HxKinetorFillFramesAction::init()");
    HxKinetorActionBase::init();
}

void HxKinetorFillFramesAction::toggleAction(bool onOff)
{
    if (!setPaneOption(&HxKinetorPane::setFillFrames, onOff))
        qWarning("No HxKinetorPane instance found in HxKinetorFillFramesAction::toggleAction(bool)");
}

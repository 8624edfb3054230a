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
    if (HxKinetorPane* pane = getPane()) {
        setOn(pane->fillFrames());
        // Scripts and loaded scenes change the option behind the menu's back.
        connect(pane, &HxKinetorPane::fillFramesChanged, this, &HxAction::setOn, Qt::UniqueConnection);
    } else {
        qWarning("No HxKinetorPane instance found in HxKinetorFillFramesAction::init()");
    }
    HxKinetorActionBase::init();
}

void HxKinetorFillFramesAction::toggleAction(bool onOff)
{
    HxKinetorPane* pane = getPane();
    if (!pane) {
        qWarning("No HxKinetorPane instance found in HxKinetorFillFramesAction::toggleAction(bool)");
        return;
    }
    pane->setFillFrames(onOff);
}

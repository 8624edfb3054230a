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
    if (HxKinetorPane* pane = getPane()) {
        setOn(pane->extendFrames());
        // Scripts and loaded scenes change the option behind the menu's back.
        connect(pane, &HxKinetorPane::extendFramesChanged, this, &HxAction::setOn, Qt::UniqueConnection);
    } else {
        qWarning("No HxKinetorPane instance found in HxKinetorExtendFramesAction::init()");
    }
    HxKinetorActionBase::init();
}

void HxKinetorExtendFramesAction::toggleAction(bool onOff)
{
    HxKinetorPane* pane = getPane();
    if (!pane) {
        qWarning("No HxKinetorPane instance found in HxKinetorExtendFramesAction::toggleAction(bool)");
        return;
    }
    pane->setExtendFrames(onOff);
}

#include "ui/hxkinetorplayaudioaction.h"

#include "ui/hxkinetorpane.h"

HxKinetorPlayAudioAction::HxKinetorPlayAudioAction(QObject* parent)
    : HxKinetorActionBase(tr("Play Audio"),
                          tr("If on, the audio file for the scene (if one is present) is played while "
                             "previewing and recording."),
                          parent)
{
    setObjectName(QStringLiteral("HxKinetorPlayAudioAction"));
    setToggleAction(true);
    updateToolTip();
}

HxKinetorPlayAudioAction::~HxKinetorPlayAudioAction() = default;

void HxKinetorPlayAudioAction::init()
{
    if (HxKinetorPane* pane = getPane()) {
        setOn(pane->playAudio());
        // Scripts and loaded scenes change the option behind the menu's back.
        connect(pane, &HxKinetorPane::playAudioChanged, this, &HxAction::setOn, Qt::UniqueConnection);
    } else {
        qWarning("No HxKinetorPane instance found in HxKinetorPlayAudioAction::init()");
    }
    HxKinetorActionBase::init();
}

void HxKinetorPlayAudioAction::toggleAction(bool onOff)
{
    HxKinetorPane* pane = getPane();
    if (!pane) {
        qWarning("No HxKinetorPane instance found in HxKinetorPlayAudioAction::toggleAction(bool)");
        return;
    }
    pane->setPlayAudio(onOff);
}

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
    if (!followPaneOption(&HxKinetorPane::playAudio, &HxKinetorPane::playAudioChanged))
        qWarning("No HxKinetorPane instance found in HxKinetorPlayAudioAction::init()");
    HxKinetorActionBase::init();
}

void HxKinetorPlayAudioAction::toggleAction(bool onOff)
{
    if (!setPaneOption(&HxKinetorPane::setPlayAudio, onOff))
        qWarning("No HxKinetorPane instance found in HxKinetorPlayAudioAction::toggleAction(bool)");
}

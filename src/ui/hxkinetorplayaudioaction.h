#pragma once

#include "ui/hxkinetoractionbase.h"

// Mirrors the pane's Play Audio option: the check mark starts from the pane's
// value and follows it; toggling sets the option on the pane.
class HxKinetorPlayAudioAction : public HxKinetorActionBase
{
    Q_OBJECT
public:
    explicit HxKinetorPlayAudioAction(QObject* parent = nullptr);
    ~HxKinetorPlayAudioAction() override;

    void init() override;

protected slots:
    void toggleAction(bool onOff) override;
};

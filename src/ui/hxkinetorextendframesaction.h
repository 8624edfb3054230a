#pragma once

#include "ui/hxkinetoractionbase.h"

// Mirrors the pane's Extend Frames option: the check mark starts from the pane's
// value and follows it; toggling sets the option on the pane.
class HxKinetorExtendFramesAction : public HxKinetorActionBase
{
    Q_OBJECT
public:
    explicit HxKinetorExtendFramesAction(QObject* parent = nullptr);
    ~HxKinetorExtendFramesAction() override;

    void init() override;

protected slots:
    void toggleAction(bool onOff) override;
};

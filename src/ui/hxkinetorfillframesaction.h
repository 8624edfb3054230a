#pragma once

#include "ui/hxkinetoractionbase.h"

// Mirrors the pane's Fill Skipped Frames option: the check mark starts from the pane's
// value and follows it; toggling sets the option on the pane.
class HxKinetorFillFramesAction : public HxKinetorActionBase
{
    Q_OBJECT
public:
    explicit HxKinetorFillFramesAction(QObject* parent = nullptr);
    ~HxKinetorFillFramesAction() override;

    void init() override;

protected slots:
    void toggleAction(bool onOff) override;
};

#pragma once

#include "ui/hxkinetoractionbase.h"

// Stores the figure's current pose into the selected dot; the dot stays where
// it is.
class HxKinetorUpdatePoseAction : public HxKinetorActionBase
{
    Q_OBJECT
public:
    explicit HxKinetorUpdatePoseAction(QObject* parent = nullptr);
    ~HxKinetorUpdatePoseAction() override;

protected slots:
    void executeAction() override;
};

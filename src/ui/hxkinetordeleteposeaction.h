#pragma once

#include "ui/hxkinetoractionbase.h"

// Deletes the selected dot of the active layer.
class HxKinetorDeletePoseAction : public HxKinetorActionBase
{
    Q_OBJECT
public:
    explicit HxKinetorDeletePoseAction(QObject* parent = nullptr);
    ~HxKinetorDeletePoseAction() override;

protected slots:
    void executeAction() override;
};

#pragma once

#include "ui/hxkinetoractionbase.h"

// Puts the active layer's view back to zoom 1 with layer (0, 0) at the top
// left.
class HxKinetorResetViewAction : public HxKinetorActionBase
{
    Q_OBJECT
public:
    explicit HxKinetorResetViewAction(QObject* parent = nullptr);
    ~HxKinetorResetViewAction() override;

protected slots:
    void executeAction() override;
};

#pragma once

#include "ui/hxkinetoractionbase.h"

// Clears, over the play range, the animation of what the active layer varies.
class HxKinetorClearLayerAnimationAction : public HxKinetorActionBase
{
    Q_OBJECT
public:
    explicit HxKinetorClearLayerAnimationAction(QObject* parent = nullptr);
    ~HxKinetorClearLayerAnimationAction() override;

protected slots:
    void executeAction() override;
};

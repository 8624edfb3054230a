#pragma once

#include "ui/hxkinetoractionbase.h"

// Removes every dot of the active layer.
class HxKinetorClearLayerAction : public HxKinetorActionBase
{
    Q_OBJECT
public:
    explicit HxKinetorClearLayerAction(QObject* parent = nullptr);
    ~HxKinetorClearLayerAction() override;

protected slots:
    void executeAction() override;
};

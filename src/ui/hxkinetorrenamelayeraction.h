#pragma once

#include "ui/hxkinetoractionbase.h"

// Asks for a new name of the current layer.
class HxKinetorRenameLayerAction : public HxKinetorActionBase
{
    Q_OBJECT
public:
    explicit HxKinetorRenameLayerAction(QObject* parent = nullptr);
    ~HxKinetorRenameLayerAction() override;

protected slots:
    void executeAction() override;
};

#pragma once

#include "ui/hxkinetoractionbase.h"

// Deletes the current layer of the group the pane shows.
class HxKinetorDeleteLayerAction : public HxKinetorActionBase
{
    Q_OBJECT
public:
    explicit HxKinetorDeleteLayerAction(QObject* parent = nullptr);
    ~HxKinetorDeleteLayerAction() override;

protected slots:
    void executeAction() override;
};

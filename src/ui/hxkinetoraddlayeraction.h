#pragma once

#include "ui/hxkinetoractionbase.h"

// Asks for a name and adds a layer to the group the pane shows.
class HxKinetorAddLayerAction : public HxKinetorActionBase
{
    Q_OBJECT
public:
    explicit HxKinetorAddLayerAction(QObject* parent = nullptr);
    ~HxKinetorAddLayerAction() override;

protected slots:
    void executeAction() override;
};

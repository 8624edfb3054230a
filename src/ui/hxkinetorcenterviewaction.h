#pragma once

#include "ui/hxkinetoractionbase.h"

// Centres the active layer's view on its dots at the current zoom.
class HxKinetorCenterViewAction : public HxKinetorActionBase
{
    Q_OBJECT
public:
    explicit HxKinetorCenterViewAction(QObject* parent = nullptr);
    ~HxKinetorCenterViewAction() override;

protected slots:
    void executeAction() override;
};

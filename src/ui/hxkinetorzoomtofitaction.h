#pragma once

#include "ui/hxkinetoractionbase.h"

// Zooms the active layer's view so that every dot shows.
class HxKinetorZoomToFitAction : public HxKinetorActionBase
{
    Q_OBJECT
public:
    explicit HxKinetorZoomToFitAction(QObject* parent = nullptr);
    ~HxKinetorZoomToFitAction() override;

protected slots:
    void executeAction() override;
};

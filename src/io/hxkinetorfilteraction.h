#pragma once

#include "hxcore/hxsavefilteraction.h"

// Runs the "Kinetor Preset" filter through the host's export.
class HxKinetorFilterAction : public HxSaveFilterAction
{
    Q_OBJECT
public:
    explicit HxKinetorFilterAction(QObject* parent = nullptr);
    ~HxKinetorFilterAction() override;

    // Keeps the accelerator in the tool tip.
    void setAccel(const QKeySequence& key) override;
};

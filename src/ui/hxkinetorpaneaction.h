#pragma once

#include "hxcore/hxpaneaction.h"

// Shows and hides the Kinetor pane's dock.
class HxKinetorPaneAction : public HxPaneAction
{
    Q_OBJECT
public:
    explicit HxKinetorPaneAction(QObject* parent = nullptr);
    ~HxKinetorPaneAction() override;
};

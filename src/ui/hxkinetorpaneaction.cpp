#include "ui/hxkinetorpaneaction.h"

HxKinetorPaneAction::HxKinetorPaneAction(QObject* parent)
    : HxPaneAction(QStringLiteral("HxKinetorPane"), parent)
{
    setObjectName(QStringLiteral("HxKinetorPaneAction"));
}

HxKinetorPaneAction::~HxKinetorPaneAction() = default;

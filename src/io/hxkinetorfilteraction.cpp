#include "io/hxkinetorfilteraction.h"

#include "ui/hxkinetoractionbase.h"

HxKinetorFilterAction::HxKinetorFilterAction(QObject* parent)
    : HxSaveFilterAction(QStringLiteral("HxKinetorFilter"), parent)
{
    setObjectName(QStringLiteral("HxKinetorFilterAction"));
    setText(tr("Kinetor Preset\u2026"));
    setToolTip(tr("Export the selected figure's Kinetor layers as a preset script"));
    setStatusTip(toolTip());
    HxKinetorActionBase::updateToolTip(this);
}

HxKinetorFilterAction::~HxKinetorFilterAction() = default;

void HxKinetorFilterAction::setAccel(const QKeySequence& key)
{
    HxSaveFilterAction::setAccel(key);
    HxKinetorActionBase::updateToolTip(this);
}

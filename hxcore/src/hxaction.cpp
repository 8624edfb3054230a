#include "hxcore/hxaction.h"

HxAction::HxAction(const QString& menuText, const QString& description, QObject* parent)
    : QAction(menuText, parent), m_description(description)
{
    if (!description.isEmpty()) {
        setToolTip(description);
        setStatusTip(description);
    }
    // triggered, unlike toggled, only comes from the person (or trigger()),
    // never from setOn.
    connect(this, &QAction::triggered, this, &HxAction::activate);
}

HxAction::~HxAction() = default;

void HxAction::init()
{
    const QKeySequence key = getDefaultAccel();
    if (accel().isEmpty() && !key.isEmpty())
        setAccel(key);
}

void HxAction::setAccel(const QKeySequence& key)
{
    setShortcut(key);
}

QString HxAction::getActionGroup() const
{
    return tr("General");
}

void HxAction::setOn(bool on)
{
    if (isCheckable())
        setChecked(on);
}

void HxAction::activate(bool checked)
{
    if (isCheckable())
        toggleAction(checked);
    else
        executeAction();
}

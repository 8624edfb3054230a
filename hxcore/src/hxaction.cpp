#include "hxcore/hxaction.h"

#include "hxcore/hxundostackhold.h"

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

QString HxAction::undoCaption() const
{
    QString caption = text();
    caption.remove(QLatin1Char('&'));
    if (caption.endsWith(QChar(0x2026)))
        caption.chop(1);
    else if (caption.endsWith(QLatin1String("...")))
        caption.chop(3);
    return caption.trimmed();
}

void HxAction::activate(bool checked)
{
    // Whatever an action changes is one undo step named after it; an action
    // that changes nothing leaves no step.
    const QString caption = undoCaption();
    HxUndoStackHold hold;
    if (isCheckable())
        toggleAction(checked);
    else
        executeAction();
    hold.accept(caption);
}

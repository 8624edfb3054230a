#include "hxcore/hxhelpmgr.h"

#include <QAction>
#include <QWidget>

HxHelpMgr::HxHelpMgr(QObject* parent) : QObject(parent) {}

HxHelpMgr::~HxHelpMgr() = default;

void HxHelpMgr::setOnlineHelp(QWidget* widget)
{
    registerObject(widget);
}

void HxHelpMgr::setOnlineHelp(QAction* action)
{
    registerObject(action);
}

void HxHelpMgr::registerObject(QObject* object)
{
    if (!object)
        return;
    m_objects.removeAll(QPointer<QObject>());
    if (!isRegistered(object))
        m_objects.append(object);
    const auto text = m_texts.constFind(object->objectName());
    if (text != m_texts.constEnd())
        apply(object, *text);
}

void HxHelpMgr::setHelpText(const QString& objectName, const QString& text)
{
    if (objectName.isEmpty())
        return;
    m_texts.insert(objectName, text);
    for (const QPointer<QObject>& object : std::as_const(m_objects))
        if (object && object->objectName() == objectName)
            apply(object, text);
}

void HxHelpMgr::apply(QObject* object, const QString& text) const
{
    if (auto* widget = qobject_cast<QWidget*>(object))
        widget->setWhatsThis(text);
    else if (auto* action = qobject_cast<QAction*>(object))
        action->setWhatsThis(text);
}

QString HxHelpMgr::helpFor(const QObject* object) const
{
    if (!object)
        return QString();
    const auto text = m_texts.constFind(object->objectName());
    if (text != m_texts.constEnd())
        return *text;
    if (auto* widget = qobject_cast<const QWidget*>(object))
        return !widget->toolTip().isEmpty() ? widget->toolTip() : widget->statusTip();
    if (auto* action = qobject_cast<const QAction*>(object))
        return !action->toolTip().isEmpty() ? action->toolTip() : action->statusTip();
    return QString();
}

bool HxHelpMgr::isRegistered(const QObject* object) const
{
    if (!object)
        return false;
    for (const QPointer<QObject>& registered : m_objects)
        if (registered == object)
            return true;
    return false;
}

int HxHelpMgr::getNumRegistered() const
{
    int count = 0;
    for (const QPointer<QObject>& registered : m_objects)
        if (registered)
            ++count;
    return count;
}

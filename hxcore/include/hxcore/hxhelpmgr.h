#pragma once

#include "hxcore/hxglobal.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QAction;
class QWidget;

// Online help for widgets and actions. Panes and actions register what they
// show; help texts are kept by object name, so a text given before or after
// registration reaches every registered object of that name as its
// "What's This" help.
class HXCORE_EXPORT HxHelpMgr : public QObject
{
    Q_OBJECT
public:
    explicit HxHelpMgr(QObject* parent = nullptr);
    ~HxHelpMgr() override;

    // Registering twice is harmless; null is ignored. Objects that are
    // deleted drop out by themselves.
    void setOnlineHelp(QWidget* widget);
    void setOnlineHelp(QAction* action);

    void setHelpText(const QString& objectName, const QString& text);
    QString getHelpText(const QString& objectName) const { return m_texts.value(objectName); }

    // The help for a registered or unregistered object: its own help text if
    // one was given, else its tool tip, else its status tip.
    QString helpFor(const QObject* object) const;

    bool isRegistered(const QObject* object) const;
    int getNumRegistered() const;

private:
    void registerObject(QObject* object);
    void apply(QObject* object, const QString& text) const;

    QList<QPointer<QObject>> m_objects;
    QHash<QString, QString> m_texts;
};

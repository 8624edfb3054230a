#pragma once

#include "hxcore/hxglobal.h"

#include <QString>
#include <QWidget>

class HxActionMenu;

// The content of one dockable pane of the main window. The pane manager
// docks it under its title; subclasses fill it with their own widgets.
class HXCORE_EXPORT HxPane : public QWidget
{
    Q_OBJECT
public:
    explicit HxPane(const QString& title, QWidget* parent = nullptr);
    ~HxPane() override;

    Q_INVOKABLE QString getTitle() const { return m_title; }
    void setTitle(const QString& title);

    // Brings the pane up to date with the scene; the host calls it after
    // changes it did not announce through signals.
    virtual void refresh() {}
    // Panes keep their own options in the application settings under
    // their title; the main window calls these when it opens and closes.
    virtual void restoreSettings() {}
    virtual void saveSettings() {}
    // A pane with a menu of its own fills it here.
    virtual void buildPaneMenu(HxActionMenu* menu);
    virtual bool hasPaneMenu() const { return false; }

signals:
    void titleChanged(const QString& title);

private:
    QString m_title;
};

#pragma once

#include "hxcore/hxglobal.h"

#include <QAction>
#include <QKeySequence>
#include <QString>

// A command of the host or of a plug-in. The action manager owns it, lists it
// under its object name (the class name, by which menus ask for it) and calls
// init() once every pane exists. Activating the action runs executeAction(),
// or toggleAction(bool) with the new state when the action is a toggle,
// inside an undo hold accepted with the action's text.
class HXCORE_EXPORT HxAction : public QAction
{
    Q_OBJECT
public:
    // The description becomes the tool tip and status tip. Subclasses set
    // their object name to their class name.
    explicit HxAction(const QString& menuText = QString(), const QString& description = QString(),
                      QObject* parent = nullptr);
    ~HxAction() override;

    // Looks up what the action needs once the panes exist. Overrides call
    // the base last; it gives the action its default accelerator when it has
    // none yet.
    virtual void init();

    virtual void setAccel(const QKeySequence& key);
    QKeySequence accel() const { return shortcut(); }

    // The group under which the host lists the action.
    virtual QString getActionGroup() const;
    virtual QString getDefaultMenuPath() const { return QString(); }
    virtual QString getDefaultToolBar() const { return QString(); }
    virtual QKeySequence getDefaultAccel() const { return QKeySequence(); }

    void setToggleAction(bool toggle) { setCheckable(toggle); }
    bool isToggleAction() const { return isCheckable(); }
    bool isOn() const { return isChecked(); }
    QString getDescription() const { return m_description; }
    // The menu text without its mnemonic and ellipsis: the caption of the
    // undo step that running the action makes.
    QString undoCaption() const;

public slots:
    // Sets the check mark only: the action's toggleAction() does not run, so
    // an action can follow a state it also changes without feeding back.
    void setOn(bool on);

protected:
    virtual void executeAction() {}
    virtual void toggleAction(bool onOff) { Q_UNUSED(onOff); }

private:
    void activate(bool checked);

    QString m_description;
};

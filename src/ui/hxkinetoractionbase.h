#pragma once

#include "hxcore/hxaction.h"

#include <QKeySequence>
#include <QString>

class HxKinetorLayer;
class HxKinetorPane;

// The common base of the pane's actions: they are listed under one group,
// show their accelerator in the tool tip, and find the pane afresh each time
// they need it, so none outlives or holds on to the pane.
class HxKinetorActionBase : public HxAction
{
    Q_OBJECT
public:
    HxKinetorActionBase(const QString& menuText, const QString& description, QObject* parent = nullptr);
    ~HxKinetorActionBase() override;

    void setAccel(const QKeySequence& key) override;
    QString getActionGroup() const override;
    // The pane by its class name through the main window's pane manager;
    // null without a main window or without the pane.
    virtual HxKinetorPane* getPane() const;
    // The layer of the pane's current tab; null without a pane or a layer.
    HxKinetorLayer* getActiveLayer() const;

protected:
    using PaneOption = bool (HxKinetorPane::*)() const;
    using PaneOptionSetter = void (HxKinetorPane::*)(bool);
    // The option toggles: the check mark starts from the pane's option and
    // follows its change signal, since scripts and loaded scenes change the
    // option behind the menu's back. False without a pane.
    bool followPaneOption(PaneOption option, PaneOptionSetter changed);
    // Sets the option on the pane; false without a pane.
    bool setPaneOption(PaneOptionSetter setter, bool onOff);

    // Registers the action for online help and appends " (accelerator)" to
    // the tool tip it has now, when there is an accelerator.
    void updateToolTip() { updateToolTip(this); }

public:
    // The same for an action that is not one of the pane's (the preset
    // filter's).
    static void updateToolTip(HxAction* action);
};

#pragma once

#include "hxcore/hxaction.h"

#include <QMetaObject>
#include <QPointer>

class HxPane;
class QDockWidget;

// The toggle that shows or hides one pane's dock. It names the pane by class
// name and finds it through the main window's pane manager, so it can be made
// before the pane exists; its check mark follows the dock.
class HXCORE_EXPORT HxPaneAction : public HxAction
{
    Q_OBJECT
public:
    explicit HxPaneAction(const QString& paneClassName, QObject* parent = nullptr);
    ~HxPaneAction() override;

    QString getPaneClassName() const { return m_paneClassName; }
    // Null when there is no main window or no such pane.
    HxPane* getPane() const;

    // Takes the pane's title as menu text when the action has none, and
    // starts following the pane's dock.
    void init() override;
    QString getActionGroup() const override;

protected:
    void toggleAction(bool onOff) override;

private:
    QDockWidget* getDock() const;

    QString m_paneClassName;
    QPointer<QDockWidget> m_followed;
    QMetaObject::Connection m_follow;
};

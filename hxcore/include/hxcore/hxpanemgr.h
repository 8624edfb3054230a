#pragma once

#include "hxcore/hxglobal.h"

#include <QList>
#include <QObject>
#include <QPointer>

class HxPane;
class QDockWidget;
class QMainWindow;

// Docks the panes of a main window and finds them again by class name, so
// actions and scripts reach a pane without holding a pointer to it.
class HXCORE_EXPORT HxPaneMgr : public QObject
{
    Q_OBJECT
public:
    explicit HxPaneMgr(QMainWindow* window);
    ~HxPaneMgr() override;

    // Takes ownership: the pane goes into a new dock of the window, titled
    // with the pane's title. The dock's object name is the pane's class name
    // followed by "Dock", which keeps saved window layouts stable.
    QDockWidget* addPane(HxPane* pane, Qt::DockWidgetArea area = Qt::RightDockWidgetArea);
    // Deletes the pane and its dock.
    void removePane(HxPane* pane);
    void removeAllPanes();

    // The first pane whose class name (as the meta-object gives it) matches;
    // null when there is none.
    Q_INVOKABLE HxPane* findPane(const QString& className) const;
    Q_INVOKABLE int getNumPanes() const { return int(m_panes.size()); }
    Q_INVOKABLE HxPane* getPane(int index) const;
    QDockWidget* getDock(const HxPane* pane) const;
    // Shows the pane's dock and brings it to the front of its tab group.
    void showPane(HxPane* pane);

signals:
    void paneAdded(HxPane* pane);

private:
    struct Entry
    {
        QPointer<HxPane> pane;
        QPointer<QDockWidget> dock;
        const QObject* key;
    };
    QList<Entry> m_panes;
    QPointer<QMainWindow> m_window;
};

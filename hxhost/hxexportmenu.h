#pragma once

#include <QMenu>

class HxMainWindow;

// File > Export: one entry per save filter of the main window. A filter
// with an action of its own (HxSaveFilterAction) is offered through that
// action, so its shortcut and tool tip show; the entries are rebuilt each
// time the menu opens, so filters that plug-ins add later appear too.
class HxExportMenu : public QMenu
{
    Q_OBJECT
public:
    HxExportMenu(const QString& title, HxMainWindow* window);
    ~HxExportMenu() override;

    void rebuild();

private:
    HxMainWindow* m_window;
};

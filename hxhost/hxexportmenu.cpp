#include "hxexportmenu.h"

#include "hxcore/hxactionmgr.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxsavefilter.h"
#include "hxcore/hxsavefilteraction.h"
#include "hxcore/hxsavefiltermgr.h"

HxExportMenu::HxExportMenu(const QString& title, HxMainWindow* window)
    : QMenu(title, window), m_window(window)
{
    setObjectName(QStringLiteral("exportMenu"));
    connect(this, &QMenu::aboutToShow, this, &HxExportMenu::rebuild);
    rebuild();
}

HxExportMenu::~HxExportMenu() = default;

void HxExportMenu::rebuild()
{
    // Actions made here belong to the menu; the filters' own actions to the
    // action manager.
    for (QAction* entry : actions())
        if (entry->parent() == this)
            delete entry;
    clear();
    HxSaveFilterMgr* filters = m_window->getSaveFilterMgr();
    HxActionMgr* manager = m_window->getActionMgr();
    for (HxSaveFilter* filter : filters->getFilters()) {
        const QString className = QString::fromLatin1(filter->metaObject()->className());
        HxSaveFilterAction* own = nullptr;
        if (manager)
            for (HxAction* action : manager->getActions())
                if (auto* candidate = qobject_cast<HxSaveFilterAction*>(action);
                    candidate && candidate->getFilterClassName() == className)
                    own = candidate;
        if (own) {
            addAction(own);
            continue;
        }
        auto* entry = new QAction(tr("%1\u2026").arg(filter->getDescription()), this);
        entry->setObjectName(className);
        connect(entry, &QAction::triggered, filters, [filters, filter] { filters->exportWith(filter); });
        addAction(entry);
    }
    if (actions().isEmpty())
        addAction(tr("(nothing to export)"))->setEnabled(false);
}

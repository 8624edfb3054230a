#include "hxcore/hxsavefilteraction.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxsavefilter.h"
#include "hxcore/hxsavefiltermgr.h"

HxSaveFilterAction::HxSaveFilterAction(const QString& filterClassName, QObject* parent)
    : HxAction(QString(), QString(), parent), m_filterClassName(filterClassName)
{}

HxSaveFilterAction::~HxSaveFilterAction() = default;

HxSaveFilter* HxSaveFilterAction::getFilter() const
{
    if (!hxApp || !hxApp->getInterface())
        return nullptr;
    return hxApp->getInterface()->getSaveFilterMgr()->findFilter(m_filterClassName);
}

void HxSaveFilterAction::init()
{
    if (HxSaveFilter* filter = getFilter(); filter && text().isEmpty()) {
        setText(tr("%1\u2026").arg(filter->getDescription()));
        if (toolTip().isEmpty() || toolTip() == text())
            setToolTip(tr("Export as %1").arg(filter->getDescription()));
    }
    HxAction::init();
}

QString HxSaveFilterAction::getActionGroup() const
{
    return tr("Export");
}

void HxSaveFilterAction::executeAction()
{
    HxSaveFilter* filter = getFilter();
    if (!filter) {
        qWarning("No %s instance found in HxSaveFilterAction::executeAction()",
                 qPrintable(m_filterClassName));
        return;
    }
    hxApp->getInterface()->getSaveFilterMgr()->exportWith(filter);
}

#include "hxscriptlistview.h"

#include <QHeaderView>
#include <QTreeWidget>

HxScriptListView::HxScriptListView(QTreeWidget* tree, const QStringList& columns, HxScriptDialog* dialog,
                                   QObject* parent)
    : HxScriptWidget(tree, dialog, parent)
{
    tree->setColumnCount(int(std::max<qsizetype>(1, columns.size())));
    tree->setHeaderLabels(columns);
    tree->setRootIsDecorated(false);
    tree->setAllColumnsShowFocus(true);
    tree->header()->setStretchLastSection(true);
}

HxScriptListView::~HxScriptListView() = default;

QTreeWidget* HxScriptListView::tree() const
{
    return qobject_cast<QTreeWidget*>(widget());
}

int HxScriptListView::count() const
{
    return tree() ? tree()->topLevelItemCount() : 0;
}

int HxScriptListView::addItem(const QStringList& texts, bool checked)
{
    QTreeWidget* t = tree();
    if (!t)
        return -1;
    auto* item = new QTreeWidgetItem(t, texts);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    return t->indexOfTopLevelItem(item);
}

QString HxScriptListView::itemText(int row, int column) const
{
    QTreeWidgetItem* item = tree() ? tree()->topLevelItem(row) : nullptr;
    return item ? item->text(column) : QString();
}

bool HxScriptListView::isItemChecked(int row) const
{
    QTreeWidgetItem* item = tree() ? tree()->topLevelItem(row) : nullptr;
    return item && item->checkState(0) == Qt::Checked;
}

void HxScriptListView::setItemChecked(int row, bool checked)
{
    if (QTreeWidgetItem* item = tree() ? tree()->topLevelItem(row) : nullptr)
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void HxScriptListView::clear()
{
    if (QTreeWidget* t = tree())
        t->clear();
}

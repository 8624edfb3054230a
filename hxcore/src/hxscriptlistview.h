#pragma once

#include "hxscriptwidget.h"

class QTreeWidget;

// A list with columns in a script's dialog, whose rows have a check box in
// front of their first column. Rows keep the order they were added in.
class HxScriptListView : public HxScriptWidget
{
    Q_OBJECT
    Q_PROPERTY(int count READ count)
public:
    HxScriptListView(QTreeWidget* tree, const QStringList& columns, HxScriptDialog* dialog, QObject* parent);
    ~HxScriptListView() override;

    int count() const;

    // One text per column; returns the new row's index.
    Q_INVOKABLE int addItem(const QStringList& texts, bool checked = true);
    // Empty for a row or column that does not exist.
    Q_INVOKABLE QString itemText(int row, int column) const;
    Q_INVOKABLE bool isItemChecked(int row) const;
    Q_INVOKABLE void setItemChecked(int row, bool checked);
    Q_INVOKABLE void clear();

private:
    QTreeWidget* tree() const;
};

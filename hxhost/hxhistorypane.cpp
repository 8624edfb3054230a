#include "hxhistorypane.h"

#include "hxcore/hxundostack.h"

#include <QUndoView>
#include <QVBoxLayout>

HxHistoryPane::HxHistoryPane(QWidget* parent) : HxPane(tr("History"), parent)
{
    m_view = new QUndoView(this);
    m_view->setObjectName(QStringLiteral("historyView"));
    if (hxUndoStack)
        m_view->setStack(hxUndoStack->undoStack());
    m_view->setEmptyLabel(tr("Start"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_view);
}

HxHistoryPane::~HxHistoryPane() = default;

#include "hxhistorypane.h"

#include "hxcore/hxundostack.h"

#include <QEvent>
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
    // The view moves the Qt stack itself; a click or key first lets the host
    // close a pending group, and is refused while a change is being made.
    m_view->viewport()->installEventFilter(this);
    m_view->installEventFilter(this);
}

bool HxHistoryPane::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
        if (hxUndoStack && !hxUndoStack->readyForHistory())
            return true;
        break;
    default:
        break;
    }
    return HxPane::eventFilter(watched, event);
}

HxHistoryPane::~HxHistoryPane() = default;

#include "hxcore/hxpanemgr.h"

#include "hxcore/hxpane.h"

#include <QDockWidget>
#include <QMainWindow>

HxPaneMgr::HxPaneMgr(QMainWindow* window) : QObject(window), m_window(window) {}

HxPaneMgr::~HxPaneMgr() = default;

QDockWidget* HxPaneMgr::addPane(HxPane* pane, Qt::DockWidgetArea area)
{
    if (!pane || !m_window)
        return nullptr;
    if (QDockWidget* existing = getDock(pane))
        return existing;
    auto* dock = new QDockWidget(pane->getTitle(), m_window);
    dock->setObjectName(QString::fromLatin1(pane->metaObject()->className()) + QStringLiteral("Dock"));
    dock->setWidget(pane);
    connect(pane, &HxPane::titleChanged, dock, &QDockWidget::setWindowTitle);
    // A pane deleted from outside must not leave an empty dock behind.
    connect(pane, &QObject::destroyed, dock, &QObject::deleteLater);
    // A widget announces its end before its QPointers are cleared, so the
    // entry is found by address.
    connect(pane, &QObject::destroyed, this, [this](QObject* gone) {
        m_panes.removeIf([gone](const Entry& e) { return e.key == gone || e.pane.isNull(); });
    });
    m_window->addDockWidget(area, dock);
    m_panes.append({pane, dock, pane});
    emit paneAdded(pane);
    return dock;
}

void HxPaneMgr::removePane(HxPane* pane)
{
    for (qsizetype i = 0; i < m_panes.size(); ++i) {
        if (m_panes[i].pane != pane)
            continue;
        Entry entry = m_panes.takeAt(i);
        delete entry.dock; // deletes the pane with it
        return;
    }
}

void HxPaneMgr::removeAllPanes()
{
    while (!m_panes.isEmpty()) {
        Entry entry = m_panes.takeLast();
        delete entry.dock;
    }
}

HxPane* HxPaneMgr::findPane(const QString& className) const
{
    for (const Entry& entry : m_panes)
        if (entry.pane && QLatin1String(entry.pane->metaObject()->className()) == className)
            return entry.pane;
    return nullptr;
}

HxPane* HxPaneMgr::getPane(int index) const
{
    return index >= 0 && index < m_panes.size() ? m_panes[index].pane.data() : nullptr;
}

QDockWidget* HxPaneMgr::getDock(const HxPane* pane) const
{
    for (const Entry& entry : m_panes)
        if (entry.pane == pane)
            return entry.dock;
    return nullptr;
}

void HxPaneMgr::showPane(HxPane* pane)
{
    if (QDockWidget* dock = getDock(pane)) {
        dock->show();
        dock->raise();
    }
}

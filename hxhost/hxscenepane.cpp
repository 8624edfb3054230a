#include "hxscenepane.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <functional>

namespace {
enum
{
    NodeRole = Qt::UserRole + 1
};

// Small drawn icons tell figures, bones and other nodes apart at a glance.
QIcon nodeIcon(int kind)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (kind == 0) {
        p.setPen(QPen(QColor(70, 90, 120), 1.2));
        p.setBrush(QColor(120, 160, 215));
        p.drawEllipse(QRectF(5, 1.5, 6, 6));
        p.drawRoundedRect(QRectF(3.5, 8, 9, 7), 2.5, 2.5);
    } else if (kind == 1) {
        p.setPen(QPen(QColor(110, 110, 110), 1.0));
        p.setBrush(QColor(205, 205, 195));
        QPolygonF diamond;
        diamond << QPointF(3, 13) << QPointF(6.5, 6.5) << QPointF(13, 3) << QPointF(9.5, 9.5);
        p.drawPolygon(diamond);
        p.setBrush(QColor(235, 235, 225));
        p.drawEllipse(QRectF(1.5, 11.5, 3.5, 3.5));
    } else {
        p.setPen(QPen(QColor(60, 120, 90), 1.2));
        p.setBrush(QColor(120, 200, 160));
        p.drawRect(QRectF(3.5, 3.5, 9, 9));
    }
    return QIcon(pixmap);
}
} // namespace

HxScenePane::HxScenePane(QWidget* parent) : HxPane(tr("Scene"), parent)
{
    m_filter = new QLineEdit(this);
    m_filter->setPlaceholderText(tr("Filter nodes"));
    m_filter->setClearButtonEnabled(true);
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("sceneTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setUniformRowHeights(true);
    m_tree->setAnimated(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(m_filter);
    layout->addWidget(m_tree);

    connect(m_filter, &QLineEdit::textChanged, this, &HxScenePane::applyFilter);
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &HxScenePane::takeSelectionFromTree);
    if (hxScene) {
        connect(hxScene, &HxScene::nodeAdded, this, &HxScenePane::addNode);
        connect(hxScene, &HxScene::nodeRemoved, this, &HxScenePane::removeNode);
        connect(hxScene, &HxScene::sceneCleared, this, &HxScenePane::refresh);
        connect(hxScene, &HxScene::primarySelectionChanged, this, &HxScenePane::showSelection);
    }
    refresh();
}

HxScenePane::~HxScenePane() = default;

HxNode* HxScenePane::nodeFor(const QTreeWidgetItem* item) const
{
    return item ? m_items.key(const_cast<QTreeWidgetItem*>(item), nullptr) : nullptr;
}

void HxScenePane::refresh()
{
    clearTree();
    if (!hxScene)
        return;
    for (HxNode* node : hxScene->nodes())
        addNode(node);
    showSelection(hxScene->getPrimarySelection());
}

void HxScenePane::clearTree()
{
    m_syncing = true;
    m_tree->clear();
    m_items.clear();
    m_syncing = false;
}

void HxScenePane::addNode(HxNode* node)
{
    if (!node || m_items.contains(node))
        return;
    const int kind = qobject_cast<HxSkeleton*>(node) ? 0 : (qobject_cast<HxBone*>(node) ? 1 : 2);
    auto* item = new QTreeWidgetItem(QStringList(node->objectName()));
    item->setIcon(0, nodeIcon(kind));
    if (node->isHidden())
        item->setForeground(0, palette().color(QPalette::Disabled, QPalette::Text));
    if (QTreeWidgetItem* parent = m_items.value(node->getParentNode()))
        parent->addChild(item);
    else
        m_tree->addTopLevelItem(item);
    m_items.insert(node, item);

    // Nodes may arrive before their parent; adopt any that name this one.
    for (int i = m_tree->topLevelItemCount() - 1; i >= 0; --i) {
        QTreeWidgetItem* top = m_tree->topLevelItem(i);
        HxNode* other = nodeFor(top);
        if (other && other->getParentNode() == node)
            item->insertChild(0, m_tree->takeTopLevelItem(i));
    }
    // Figures are small enough to show whole.
    if (kind != 2)
        item->setExpanded(true);
    if (!m_filter->text().isEmpty())
        applyFilter(m_filter->text());
}

void HxScenePane::removeNode(HxNode* node)
{
    QTreeWidgetItem* item = m_items.take(node);
    if (!item)
        return;
    m_syncing = true;
    // Children that stay in the scene move up rather than vanish.
    while (item->childCount() > 0)
        m_tree->addTopLevelItem(item->takeChild(0));
    delete item;
    m_syncing = false;
}

void HxScenePane::showSelection(HxNode* node)
{
    if (m_syncing)
        return;
    m_syncing = true;
    QTreeWidgetItem* item = m_items.value(node);
    m_tree->clearSelection();
    if (item) {
        item->setSelected(true);
        m_tree->setCurrentItem(item);
        m_tree->scrollToItem(item);
    }
    m_syncing = false;
}

void HxScenePane::takeSelectionFromTree()
{
    if (m_syncing || !hxScene)
        return;
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    m_syncing = true;
    hxScene->setPrimarySelection(selected.isEmpty() ? nullptr : nodeFor(selected.first()));
    m_syncing = false;
}

void HxScenePane::applyFilter(const QString& text)
{
    // A row stays visible when it or any row below it matches.
    std::function<bool(QTreeWidgetItem*)> filter = [&](QTreeWidgetItem* item) {
        bool anyChild = false;
        for (int i = 0; i < item->childCount(); ++i)
            anyChild = filter(item->child(i)) || anyChild;
        const bool match = text.isEmpty() || item->text(0).contains(text, Qt::CaseInsensitive);
        item->setHidden(!match && !anyChild);
        return match || anyChild;
    };
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i)
        filter(m_tree->topLevelItem(i));
}

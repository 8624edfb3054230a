#include "hxscenepane.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QSet>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <vector>

namespace {
enum
{
    NodeRole = Qt::UserRole + 1
};

// Small drawn icons tell figures, bones and other nodes apart at a glance.
// Rows nest at most this deep. Tree widgets delete and lay out their rows
// recursively, so a chain of 100,000 bones nested row in row would overflow
// the stack; deeper bones are listed beside their parent instead.
constexpr int kMaxRowDepth = 48;

int rowDepth(const QTreeWidgetItem* item)
{
    int depth = 0;
    for (; item; item = item->parent())
        ++depth;
    return depth;
}

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
    return m_nodes.value(item, nullptr);
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
    m_nodes.clear();
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
    if (QTreeWidgetItem* parent = m_items.value(node->getParentNode())) {
        if (rowDepth(parent) >= kMaxRowDepth)
            parent = parent->parent();
        parent->addChild(item);
    } else
        m_tree->addTopLevelItem(item);
    m_items.insert(node, item);
    m_nodes.insert(item, node);

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
    // Bones leave only with their figure, so the figure's whole branch goes
    // with the first of them, in one step for the view: row by row, a figure
    // of 100,000 bones would take minutes to leave.
    auto* bone = qobject_cast<HxBone*>(node);
    if (bone && bone->getSkeleton() && m_items.contains(bone->getSkeleton()))
        node = bone->getSkeleton();
    QTreeWidgetItem* item = m_items.take(node);
    if (!item)
        return;
    m_nodes.remove(item);
    m_syncing = true;
    // Rows of the figure's own bones go with it; any other row below (a node
    // hung on a bone) stays in the scene and moves up rather than vanish.
    const HxSkeleton* figure = qobject_cast<HxSkeleton*>(node);
    std::vector<QTreeWidgetItem*> branch{item};
    while (!branch.empty()) {
        QTreeWidgetItem* current = branch.back();
        branch.pop_back();
        for (int i = current->childCount() - 1; i >= 0; --i) {
            QTreeWidgetItem* child = current->child(i);
            HxNode* childNode = m_nodes.value(child);
            if (figure && childNode && childNode->getSkeleton() == figure) {
                m_items.remove(childNode);
                m_nodes.remove(child);
                branch.push_back(child);
            } else {
                m_tree->addTopLevelItem(current->takeChild(i));
            }
        }
    }
    QTreeWidgetItem* parent = item->parent();
    delete (parent ? parent->takeChild(parent->indexOfChild(item))
                   : m_tree->takeTopLevelItem(m_tree->indexOfTopLevelItem(item)));
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
    // A row stays visible when it or any row below it matches. Children are
    // settled before their parents with a stack of our own: a chain of bones
    // can be far deeper than recursion could go.
    struct Visit
    {
        QTreeWidgetItem* item;
        bool childrenDone;
    };
    std::vector<Visit> stack;
    for (int i = m_tree->topLevelItemCount() - 1; i >= 0; --i)
        stack.push_back({m_tree->topLevelItem(i), false});
    QSet<QTreeWidgetItem*> shown;
    while (!stack.empty()) {
        Visit& visit = stack.back();
        QTreeWidgetItem* item = visit.item;
        if (!visit.childrenDone) {
            visit.childrenDone = true;
            for (int i = item->childCount() - 1; i >= 0; --i)
                stack.push_back({item->child(i), false});
            continue;
        }
        stack.pop_back();
        bool anyChild = false;
        for (int i = 0; i < item->childCount() && !anyChild; ++i)
            anyChild = shown.contains(item->child(i));
        const bool match = text.isEmpty() || item->text(0).contains(text, Qt::CaseInsensitive);
        item->setHidden(!match && !anyChild);
        if (match || anyChild)
            shown.insert(item);
    }
}

#include "hxcore/hxnodemenu.h"

#include <QActionGroup>
#include <QMenu>

HxNodeMenu::HxNodeMenu(QWidget* parent, const QString& name, bool allowNone)
    : QPushButton(parent), m_menu(new QMenu(this)), m_group(new QActionGroup(this)), m_allowNone(allowNone)
{
    setObjectName(name);
    m_group->setExclusive(true);
    setMenu(m_menu);
    connect(m_menu, &QMenu::aboutToShow, this, &HxNodeMenu::prepareMenu);
    updateText();
}

HxNodeMenu::~HxNodeMenu() = default;

void HxNodeMenu::setNodeList(const QList<HxNode*>& nodes)
{
    m_nodes.clear();
    for (HxNode* node : nodes)
        if (node)
            m_nodes.append(node);
}

QList<HxNode*> HxNodeMenu::getNodeList() const
{
    QList<HxNode*> nodes;
    for (const QPointer<HxNode>& node : m_nodes)
        if (node)
            nodes.append(node);
    return nodes;
}

void HxNodeMenu::selectNode(HxNode* node)
{
    setCurrent(node);
}

void HxNodeMenu::setCurrent(HxNode* node)
{
    if (m_current != node) {
        if (m_current)
            disconnect(m_current, nullptr, this, nullptr);
        m_current = node;
        // The button keeps showing the right name when the node is renamed
        // or deleted behind its back.
        if (node) {
            connect(node, &QObject::objectNameChanged, this, &HxNodeMenu::updateText);
            connect(node, &QObject::destroyed, this, &HxNodeMenu::updateText);
        }
    }
    updateText();
}

void HxNodeMenu::prepareMenu()
{
    // The owner refreshes the list first, so the entries built below are
    // never older than the moment the menu opens.
    emit aboutToShowMenu();

    m_menu->clear();
    auto addEntry = [this](const QString& text, HxNode* node) {
        QAction* entry = m_menu->addAction(text);
        entry->setCheckable(true);
        entry->setChecked(node == m_current.data());
        m_group->addAction(entry);
        QPointer<HxNode> target(node);
        const bool none = node == nullptr;
        connect(entry, &QAction::triggered, this, [this, target, none] {
            // A node deleted while the menu was open cannot be picked.
            if (none || target)
                pick(target);
        });
    };
    if (m_allowNone)
        addEntry(tr("None"), nullptr);
    for (HxNode* node : getNodeList())
        addEntry(node->objectName(), node);
    updateText();
}

void HxNodeMenu::pick(HxNode* node)
{
    setCurrent(node);
    emit selectionChanged(node);
}

void HxNodeMenu::updateText()
{
    setText(m_current ? m_current->objectName() : tr("None"));
}

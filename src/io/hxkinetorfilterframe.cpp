#include "io/hxkinetorfilterframe.h"

#include "io/hxkinetorfilter.h"
#include "layer/hxkinetorlayer.h"
#include "ui/hxkinetorlayergroup.h"
#include "ui/hxkinetorpane.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxpanemgr.h"

#include <QButtonGroup>
#include <QHeaderView>
#include <QRadioButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

HxKinetorFilterFrame::HxKinetorFilterFrame() : HxFileIOFrame(tr("Kinetor Preset Options"))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->setSpacing(5);

    // The two choices need no frame or title of their own: a plain box.
    auto* choice = new QWidget(this);
    auto* choiceLayout = new QVBoxLayout(choice);
    choiceLayout->setContentsMargins(0, 0, 0, 0);
    auto* buttons = new QButtonGroup(choice);
    m_saveAll = new QRadioButton(tr("Save All Layers"), choice);
    m_saveAll->setObjectName(QStringLiteral("saveAllLayersButton"));
    m_saveAll->setChecked(true);
    m_saveFromList = new QRadioButton(tr("Save from List"), choice);
    m_saveFromList->setObjectName(QStringLiteral("saveFromListButton"));
    for (QRadioButton* button : {m_saveAll, m_saveFromList}) {
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        choiceLayout->addWidget(button);
    }
    buttons->addButton(m_saveAll, 0);
    buttons->addButton(m_saveFromList, 1);
    layout->addWidget(choice);

    m_layerListView = new QTreeWidget(this);
    m_layerListView->setObjectName(QStringLiteral("layerListView"));
    m_layerListView->setEnabled(false);
    connect(m_saveFromList, &QRadioButton::toggled, m_layerListView, &QWidget::setEnabled);
    // Not translated: the columns name the parts of a layer's key.
    m_layerListView->setHeaderLabels({QStringLiteral("Index"), QStringLiteral("Name")});
    m_layerListView->setRootIsDecorated(false);
    m_layerListView->setAllColumnsShowFocus(true);
    m_layerListView->header()->setStretchLastSection(true);
    m_layerListView->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    // Sorted by the index as text (0, 1, 10, 2 ...); the keys do not care.
    m_layerListView->setSortingEnabled(true);
    m_layerListView->sortByColumn(0, Qt::AscendingOrder);

    HxPaneMgr* panes = hxApp && hxApp->getInterface() ? hxApp->getInterface()->getPaneMgr() : nullptr;
    auto* pane =
        qobject_cast<HxKinetorPane*>(panes ? panes->findPane(QStringLiteral("HxKinetorPane")) : nullptr);
    HxNode* node = HxKinetorFilter::selectedNode();
    if (HxKinetorLayerGroup* group = pane && node ? pane->getLayerGroupByNode(node) : nullptr) {
        for (int i = 0; i < group->count(); ++i) {
            HxKinetorLayer* layer = group->layerAt(i);
            auto* item = new QTreeWidgetItem(
                m_layerListView, {QString::number(i), layer ? layer->getName() : group->tabText(i)});
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(0, Qt::Checked);
        }
    }
    layout->addWidget(m_layerListView);
    m_layerListView->setMinimumHeight(150);
}

HxKinetorFilterFrame::~HxKinetorFilterFrame() = default;

void HxKinetorFilterFrame::applyOptions()
{
    QList<QString>& selected = HxKinetorFilter::selectedLayers();
    selected.clear();
    const QTreeWidgetItemIterator::IteratorFlags which =
        m_saveFromList->isChecked() ? QTreeWidgetItemIterator::Checked : QTreeWidgetItemIterator::All;
    for (QTreeWidgetItemIterator it(m_layerListView, which); *it; ++it)
        selected.append(HxKinetorFilter::layerKey((*it)->text(1), (*it)->text(0).toInt()));
}

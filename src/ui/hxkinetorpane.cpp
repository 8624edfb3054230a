#include "ui/hxkinetorpane.h"

#include "io/hxkinetorelementdata.h"
#include "layer/hxkinetorlayer.h"
#include "model/hxkinetorpose.h"
#include "ui/hxkinetorcanvasassist.h"
#include "ui/hxkinetorlayergroup.h"
#include "ui/hxkinetorlayerview.h"
#include "ui/hxkinetorviewoptions.h"

#include "hxcore/hxaction.h"
#include "hxcore/hxactionmenu.h"
#include "hxcore/hxactionmgr.h"
#include "hxcore/hxapp.h"
#include "hxcore/hxhelpmgr.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxnodemenu.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxtimerange.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

bool isBone(const HxNode* node)
{
    return node && node->inherits("HxBone");
}

void registerHelp(HxHelpMgr* help, QWidget* widget)
{
    if (help)
        help->setOnlineHelp(widget);
}

} // namespace

HxKinetorPane::HxKinetorPane(QWidget* parent) : HxPane(QStringLiteral("Kinetor"), parent)
{
    // Scripts reach the layers, poses and records through the pane's slots;
    // pointers to classes that a header only declares must be known by name.
    qRegisterMetaType<HxKinetorLayerGroup*>();
    qRegisterMetaType<HxKinetorLayer*>();
    qRegisterMetaType<HxKinetorPose*>();
    qRegisterMetaType<HxKinetorNodeData*>();
    setObjectName(QStringLiteral("Kinetor"));
    m_viewOptions = new HxKinetorViewOptions(this);

    HxHelpMgr* help = hxApp ? hxApp->getHelpMgr() : nullptr;
    m_layoutBox = new QWidget(this);
    auto* boxLayout = new QVBoxLayout(m_layoutBox);
    boxLayout->setContentsMargins(0, 0, 0, 0);

    m_nodeMenu = new HxNodeMenu(m_layoutBox, tr("KinetorNodeMenu"), true);
    boxLayout->addWidget(m_nodeMenu);
    buildNodeList();
    connect(m_nodeMenu, &HxNodeMenu::aboutToShowMenu, this, &HxKinetorPane::buildNodeList);
    registerHelp(help, m_nodeMenu);

    m_modeGroupBox = new QGroupBox(tr("Mode"), m_layoutBox);
    m_modeGroupBox->setObjectName(QStringLiteral("KinetorModeGroupBox"));
    auto* modeLayout = new QHBoxLayout(m_modeGroupBox);
    modeLayout->setContentsMargins(5, 5, 5, 5);
    modeLayout->setSpacing(0);
    boxLayout->addWidget(m_modeGroupBox);
    registerHelp(help, m_modeGroupBox);

    m_modeGroup = new QButtonGroup(m_modeGroupBox);
    m_editButton = new QRadioButton(tr("Edit"), m_modeGroupBox);
    m_editButton->setObjectName(QStringLiteral("KinetorEditModeButton"));
    m_editButton->setChecked(true);
    m_modeGroup->addButton(m_editButton, EditMode);
    modeLayout->addWidget(m_editButton);
    registerHelp(help, m_editButton);
    m_previewButton = new QRadioButton(tr("Preview"), m_modeGroupBox);
    m_previewButton->setObjectName(QStringLiteral("KinetorPreviewModeButton"));
    m_modeGroup->addButton(m_previewButton, PreviewMode);
    modeLayout->addWidget(m_previewButton);
    registerHelp(help, m_previewButton);
    m_recordButton = new QRadioButton(tr("Record"), m_modeGroupBox);
    m_recordButton->setObjectName(QStringLiteral("KinetorRecordModeButton"));
    m_modeGroup->addButton(m_recordButton, RecordMode);
    modeLayout->addWidget(m_recordButton);
    registerHelp(help, m_recordButton);
    connect(m_modeGroup, &QButtonGroup::idClicked, this, &HxKinetorPane::setMode);
    connect(m_modeGroup, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            endLiveBlends();
    });

    m_widgetStack = new QStackedWidget(m_layoutBox);
    m_widgetStack->setObjectName(QStringLiteral("KinetorLayerGroupWidgetStack"));
    boxLayout->addWidget(m_widgetStack, 100);
    registerHelp(help, m_widgetStack);

    auto defaultGroup =
        std::make_unique<HxKinetorLayerGroup>(this, nullptr, m_layoutBox, "KinetorLayerGroup");
    m_widgetStack->addWidget(defaultGroup.get());
    HxKinetorCanvasAssist::addToolTips(defaultGroup.get());
    m_layerGroups.emplace(nullptr, std::move(defaultGroup));

    if (hxScene) {
        for (QListIterator<HxNode*> it = hxScene->nodeListIterator(); it.hasNext();)
            nodeAdded(it.next());
    }
    // Whatever the scene holds, nothing is current after construction.
    m_nodeMenu->selectNode(nullptr);
    selectNode(nullptr);

    setMouseTracking(true);
    setPlayAudio(true);
    setFillFrames(true);
    setExtendFrames(true);
    setMinimumHeight(335);
    setMinimumWidth(235);
    HxKinetorCanvasAssist::addToolTips(this);

    connect(m_nodeMenu, &HxNodeMenu::selectionChanged, this, &HxKinetorPane::selectNode);
    if (hxScene) {
        connect(hxScene, &HxScene::primarySelectionChanged, this, &HxKinetorPane::primarySelectionChanged);
        connect(hxScene, &HxScene::nodeAdded, this, &HxKinetorPane::nodeAdded);
        connect(hxScene, &HxScene::nodeRemoved, this, &HxKinetorPane::nodeRemoved);
        connect(hxScene, &HxScene::timeChanged, this, &HxKinetorPane::timeChanged);
        connect(hxScene, &HxScene::sceneCleared, this, &HxKinetorPane::sceneCleared);
    }
    if (hxApp)
        connect(hxApp, &HxApp::saveStateScript, this, &HxKinetorPane::saveStateScript);
}

HxKinetorPane::~HxKinetorPane()
{
    // The groups go before the widgets that hold them, and before anything
    // they might still ask of the pane.
    m_layerGroups.clear();
}

void HxKinetorPane::buildPaneMenu(HxActionMenu* menu)
{
    if (!menu)
        return;
    menu->insertAction(QStringLiteral("HxKinetorPlayAudioAction"), -1);
    menu->insertAction(QStringLiteral("HxKinetorFillFramesAction"), -1);
    menu->insertAction(QStringLiteral("HxKinetorExtendFramesAction"), -1);
    menu->insertSeparator(-1);
    menu->insertAction(QStringLiteral("HxKinetorZoomToFitAction"), -1);
    menu->insertAction(QStringLiteral("HxKinetorCenterViewAction"), -1);
    menu->insertAction(QStringLiteral("HxKinetorResetViewAction"), -1);
    menu->insertSeparator(-1);
    menu->insertAction(QStringLiteral("HxKinetorAddLayerAction"), -1);
    menu->insertAction(QStringLiteral("HxKinetorDeleteLayerAction"), -1);
    menu->insertAction(QStringLiteral("HxKinetorRenameLayerAction"), -1);
    menu->insertAction(QStringLiteral("HxKinetorClearLayerAction"), -1);
    menu->insertSeparator(-1);
    menu->insertAction(QStringLiteral("HxKinetorClearLayerAnimationAction"), -1);
    menu->insertSeparator(-1);
    menu->insertAction(QStringLiteral("HxKinetorDeletePoseAction"), -1);
    menu->insertAction(QStringLiteral("HxKinetorUpdatePoseAction"), -1);
}

bool HxKinetorPane::hasPaneMenu() const
{
    return true;
}

void HxKinetorPane::buildNodeList()
{
    QList<HxNode*> nodes;
    if (hxScene) {
        for (QListIterator<HxNode*> it = hxScene->nodeListIterator(); it.hasNext();) {
            HxNode* node = it.next();
            if (!isBone(node) && !node->isHidden())
                nodes.append(node);
        }
    }
    m_nodeMenu->setNodeList(nodes);
}

void HxKinetorPane::nodeAdded(HxNode* node)
{
    if (isBone(node) || !m_widgetStack || m_layerGroups.count(node))
        return;
    if (node && !node->findDataItem(QStringLiteral("KinetorData"))) {
        auto* data = new HxKinetorElementData;
        data->setNode(node);
        node->addDataItem(data);
    } else if (auto* data = node ? qobject_cast<HxKinetorElementData*>(
                                       node->findDataItem(QStringLiteral("KinetorData")))
                                 : nullptr;
               data && !data->getNode()) {
        // An item read from a scene saved without a pane names no node.
        data->setNode(node);
    }
    auto group = std::make_unique<HxKinetorLayerGroup>(this, node, m_widgetStack);
    m_widgetStack->addWidget(group.get());
    HxKinetorCanvasAssist::addToolTips(group.get());
    m_layerGroups.emplace(node, std::move(group));
    if (!m_nodeMenu->getCurrent()) {
        m_nodeMenu->selectNode(node);
        selectNode(node);
    }
}

void HxKinetorPane::nodeRemoved(HxNode* node)
{
    if (isBone(node) || !m_widgetStack)
        return;
    if (node == m_currentNode) {
        m_nodeMenu->selectNode(nullptr);
        selectNode(nullptr);
    }
    // The default group stays whatever a script passes here.
    if (!node)
        return;
    auto found = m_layerGroups.find(node);
    if (found == m_layerGroups.end())
        return;
    m_widgetStack->removeWidget(found->second.get());
    m_layerGroups.erase(found);
}

void HxKinetorPane::primarySelectionChanged(HxNode* node)
{
    if (!node)
        return;
    if (isBone(node)) {
        node = node->getSkeleton();
        if (!node)
            return;
    }
    if (node != m_currentNode) {
        m_nodeMenu->selectNode(node);
        selectNode(node);
    }
}

void HxKinetorPane::timeChanged(HxTime time)
{
    if (mode() == EditMode)
        return;
    HxKinetorLayerView* view = getActiveLayerView();
    HxKinetorLayer* layer = view ? view->getLayer() : nullptr;
    if (layer && !view->isDraggingCursor())
        layer->updateForTime(time);
}

HxKinetorLayerGroup* HxKinetorPane::getLayerGroupByNode(HxNode* node) const
{
    auto found = m_layerGroups.find(node);
    return found == m_layerGroups.end() ? nullptr : found->second.get();
}

HxKinetorLayerGroup* HxKinetorPane::getActiveLayerGroup() const
{
    return m_widgetStack ? qobject_cast<HxKinetorLayerGroup*>(m_widgetStack->currentWidget()) : nullptr;
}

HxKinetorLayer* HxKinetorPane::getActiveLayer() const
{
    HxKinetorLayerView* view = getActiveLayerView();
    return view ? view->getLayer() : nullptr;
}

HxKinetorLayerView* HxKinetorPane::getActiveLayerView() const
{
    HxKinetorLayerGroup* group = getActiveLayerGroup();
    return group ? qobject_cast<HxKinetorLayerView*>(group->currentWidget()) : nullptr;
}

HxKinetorLayer* HxKinetorPane::addLayer(HxNode* node, QString title)
{
    HxKinetorLayerGroup* group = getLayerGroupByNode(node);
    if (!group || title.isEmpty())
        return nullptr;
    return group->addLayer(title);
}

bool HxKinetorPane::askLayerName(const QString& proposal, QString& name)
{
    bool confirmed = false;
    name = QInputDialog::getText(QApplication::activeModalWidget(), QStringLiteral("Kinetor"),
                                 QStringLiteral("Enter a name for the layer:"), QLineEdit::Normal, proposal,
                                 &confirmed);
    return confirmed && !name.isEmpty();
}

void HxKinetorPane::addLayer()
{
    QPointer<HxKinetorLayerGroup> group = getActiveLayerGroup();
    if (!group)
        return;
    QString name;
    // The dialog runs an event loop in which the node, and so the group,
    // may go.
    if (askLayerName(group->uniqueLayerName(), name) && group)
        group->addLayer(name);
}

void HxKinetorPane::renameLayer()
{
    QPointer<HxKinetorLayerGroup> group = getActiveLayerGroup();
    if (!group)
        return;
    QString name;
    if (askLayerName(group->tabText(group->currentIndex()), name) && group)
        group->renameCurrentLayer(name);
}

void HxKinetorPane::deleteLayer()
{
    if (HxKinetorLayerGroup* group = getActiveLayerGroup())
        group->deleteCurrentLayer();
}

void HxKinetorPane::deleteAllLayers(HxNode* node)
{
    if (HxKinetorLayerGroup* group = getLayerGroupByNode(node))
        group->deleteAllLayers();
}

void HxKinetorPane::deleteEmptyDefaultLayer(HxNode* node)
{
    if (HxKinetorLayerGroup* group = getLayerGroupByNode(node))
        group->deleteEmptyDefaultLayer();
}

void HxKinetorPane::clearLayer()
{
    if (HxKinetorLayer* layer = getActiveLayer())
        layer->clearPoses();
}

void HxKinetorPane::clearLayerAnimation()
{
    if (!hxScene)
        return;
    const HxTimeRange range = hxScene->getPlayRange();
    if (HxKinetorLayer* layer = getActiveLayer())
        layer->clearAnimation(range);
}

bool HxKinetorPane::playAudio() const
{
    return m_playAudio;
}

void HxKinetorPane::setPlayAudio(bool onOff)
{
    m_playAudio = onOff;
    emit playAudioChanged(onOff);
}

bool HxKinetorPane::fillFrames() const
{
    return m_fillFrames;
}

void HxKinetorPane::setFillFrames(bool onOff)
{
    m_fillFrames = onOff;
    emit fillFramesChanged(onOff);
}

bool HxKinetorPane::extendFrames() const
{
    return m_extendFrames;
}

void HxKinetorPane::setExtendFrames(bool onOff)
{
    m_extendFrames = onOff;
    emit extendFramesChanged(onOff);
}

int HxKinetorPane::mode() const
{
    return m_modeGroup->checkedId();
}

void HxKinetorPane::setMode(int mode)
{
    if (m_modeGroup->checkedId() != mode) {
        if (QAbstractButton* button = m_modeGroup->button(mode))
            button->setChecked(true);
    }
    if (HxKinetorLayerView* view = getActiveLayerView())
        view->update();
}

void HxKinetorPane::saveStateScript(HxScript& script)
{
    const auto word = [](bool on) {
        return on ? QStringLiteral("true") : QStringLiteral("false");
    };
    script.addLine(QStringLiteral("/") + QString(69, QLatin1Char('*')) + QStringLiteral("/"), 0);
    script.addLine(QStringLiteral("// Kinetor Tab State:\n"), 0);
    script.addLine(QStringLiteral("var o_kinetorPane = MainWindow.getPaneMgr().findPane( "
                                  "\"HxKinetorPane\" );"),
                   0);
    script.addLine(QStringLiteral("if( o_kinetorPane != undefined ) {"), 0);
    script.addLine(QStringLiteral("o_kinetorPane.setPlayAudio( %1 )").arg(word(m_playAudio)), 1);
    script.addLine(QStringLiteral("o_kinetorPane.setFillFrames( %1 )").arg(word(m_fillFrames)), 1);
    script.addLine(QStringLiteral("o_kinetorPane.setExtendFrames( %1 )").arg(word(m_extendFrames)), 1);
    script.addLine(QStringLiteral("}\n"), 0);
}

void HxKinetorPane::sceneCleared()
{
    endLiveBlends();
    // Straight to the button: a cleared scene has nothing to repaint.
    if (!m_editButton->isChecked())
        m_editButton->setChecked(true);
}

void HxKinetorPane::endLiveBlends()
{
    for (const auto& entry : m_layerGroups) {
        for (int i = 0; i < entry.second->count(); ++i) {
            if (HxKinetorLayer* layer = entry.second->layerAt(i))
                layer->endLiveBlend();
        }
    }
}

void HxKinetorPane::selectNode(HxNode* node)
{
    m_currentNode = node;
    HxKinetorLayerGroup* group = getLayerGroupByNode(node);
    if (m_widgetStack && group)
        m_widgetStack->setCurrentWidget(group);
}

void HxKinetorPane::restoreFigure()
{
    if (!hxApp || !hxApp->getInterface())
        return;
    HxActionMgr* actions = hxApp->getInterface()->getActionMgr();
    if (!actions)
        return;
    if (HxAction* action = actions->findAction(QStringLiteral("HxRestoreFigureAction")))
        action->trigger();
}

void HxKinetorPane::paintEvent(QPaintEvent*) {}

void HxKinetorPane::resizeEvent(QResizeEvent*)
{
    m_layoutBox->setGeometry(5, 5, width() - 10, height() - 10);
}

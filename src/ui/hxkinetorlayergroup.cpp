#include "ui/hxkinetorlayergroup.h"

#include "layer/hxkinetorlayer.h"
#include "ui/hxkinetorlayernameundoitem.h"
#include "ui/hxkinetorlayertabundoitem.h"
#include "ui/hxkinetorlayerview.h"
#include "ui/hxkinetorpane.h"
#include "ui/hxkinetorviewoptions.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxhelpmgr.h"
#include "hxcore/hxnode.h"
#include "hxcore/hxundostack.h"

#include <QToolButton>

HxKinetorLayerGroup::HxKinetorLayerGroup(HxKinetorPane* pane, HxNode* node, QWidget* parent, const char* name)
    : QTabWidget(parent), m_pane(pane), m_node(node)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    addShowButton();
    addLayer(uniqueLayerName());
    if (hxApp && hxApp->getHelpMgr())
        hxApp->getHelpMgr()->setOnlineHelp(this);
}

HxKinetorLayerGroup::~HxKinetorLayerGroup()
{
    // The views go with the tab widget's children; the layers are ours.
    for (int i = 0; i < count(); ++i) {
        QWidget* page = widget(i);
        if (!page || qstrcmp(page->metaObject()->className(), "HxKinetorLayerView") != 0)
            continue;
        delete static_cast<HxKinetorLayerView*>(page)->getLayer();
    }
}

// What the canvas shows besides its dots is picked beside the layer tabs,
// next to the canvas it changes; the pane's menu keeps to the actions.
void HxKinetorLayerGroup::addShowButton()
{
    HxKinetorViewOptions* options = m_pane ? m_pane->getViewOptions() : nullptr;
    if (!options)
        return;
    auto* button = new QToolButton(this);
    button->setObjectName(QStringLiteral("KinetorShowButton"));
    button->setText(tr("Show"));
    button->setToolTip(tr("What the canvas shows besides its dots"));
    button->setAutoRaise(true);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setMenu(options->createMenu(button));
    setCornerWidget(button, Qt::TopRightCorner);
}

HxKinetorPane* HxKinetorLayerGroup::getPane() const
{
    return m_pane;
}

HxNode* HxKinetorLayerGroup::getNode() const
{
    return m_node;
}

QString HxKinetorLayerGroup::uniqueLayerName() const
{
    for (int n = 1;; ++n) {
        const QString candidate = tr("Layer %1").arg(n);
        bool taken = false;
        for (int i = 0; i < count() && !taken; ++i)
            taken = tabText(i) == candidate;
        if (!taken)
            return candidate;
    }
}

HxKinetorLayer* HxKinetorLayerGroup::addLayer(const QString& name)
{
    const QString layerName = name.isEmpty() ? uniqueLayerName() : name;
    auto* layer = new HxKinetorLayer(m_pane, this, layerName, "Layer");
    layer->setNode(m_node);
    addLayerTab(layer);
    if (hxUndoStack && hxUndoStack->canPushItems())
        hxUndoStack->push(new HxKinetorLayerTabUndoItem(this, layer, indexOf(layer->getView()), true));
    return layer;
}

void HxKinetorLayerGroup::addLayerTab(HxKinetorLayer* layer)
{
    if (!layer || !layer->getView())
        return;
    HxKinetorLayerView* view = layer->getView();
    addTab(view, layer->getName());
    setCurrentWidget(view);
}

void HxKinetorLayerGroup::removeLayer(HxKinetorLayer* layer)
{
    if (!layer || !layer->getView())
        return;
    HxKinetorLayerView* view = layer->getView();
    if (hxUndoStack && hxUndoStack->canPushItems()) {
        const int taken = takeLayer(layer);
        if (taken >= 0) {
            hxUndoStack->push(new HxKinetorLayerTabUndoItem(this, layer, taken, false));
            return;
        }
    }
    const int index = indexOf(view);
    if (index >= 0)
        removeTab(index);
    if (view->isInContextMenu()) {
        // The view's own context menu is running the action that removes
        // it; the view lets go of the layer when the menu returns and goes
        // once control is back in the event loop.
        view->hide();
        view->setParent(nullptr);
        view->deleteLater();
    } else {
        delete view;
    }
    delete layer;
}

void HxKinetorLayerGroup::deleteCurrentLayer()
{
    if (count() < 1)
        return;
    removeLayer(currentLayer());
}

void HxKinetorLayerGroup::deleteAllLayers()
{
    while (count() > 0) {
        HxKinetorLayer* layer = layerAt(0);
        if (!layer) {
            // A page that is not a layer view: drop it so the loop ends.
            QWidget* page = widget(0);
            removeTab(0);
            delete page;
            continue;
        }
        removeLayer(layer);
    }
}

void HxKinetorLayerGroup::deleteEmptyDefaultLayer()
{
    if (count() != 1 || tabText(0) != QLatin1String("Layer 1"))
        return;
    HxKinetorLayer* layer = currentLayer();
    if (layer && layer->getNumPoses() == 0)
        removeLayer(layer);
}

void HxKinetorLayerGroup::renameCurrentLayer(const QString& name)
{
    QWidget* page = currentWidget();
    if (!page)
        return;
    setTabText(indexOf(page), name);
    if (HxKinetorLayer* layer = currentLayer()) {
        const QString before = layer->getName();
        layer->setName(name);
        if (before != name && hxUndoStack && hxUndoStack->canPushItems())
            hxUndoStack->push(new HxKinetorLayerNameUndoItem(this, layer, before, name));
    }
}

void HxKinetorLayerGroup::insertLayerTab(HxKinetorLayer* layer, int index)
{
    if (!layer || !layer->getView() || indexOf(layer->getView()) >= 0)
        return;
    layer->setParent(this);
    HxKinetorLayerView* view = layer->getView();
    insertTab(index, view, layer->getName());
    setCurrentWidget(view);
}

int HxKinetorLayerGroup::takeLayer(HxKinetorLayer* layer)
{
    HxKinetorLayerView* view = layer ? layer->getView() : nullptr;
    const int index = view ? indexOf(view) : -1;
    if (index < 0)
        return -1;
    // A layer out of its group drives nothing.
    layer->endLiveBlend();
    removeTab(index);
    view->hide();
    view->setParent(nullptr);
    layer->setParent(nullptr);
    return index;
}

HxKinetorLayerView* HxKinetorLayerGroup::layerViewAt(int index) const
{
    return qobject_cast<HxKinetorLayerView*>(widget(index));
}

HxKinetorLayer* HxKinetorLayerGroup::layerAt(int index) const
{
    HxKinetorLayerView* view = layerViewAt(index);
    return view ? view->getLayer() : nullptr;
}

HxKinetorLayer* HxKinetorLayerGroup::currentLayer() const
{
    auto* view = qobject_cast<HxKinetorLayerView*>(currentWidget());
    return view ? view->getLayer() : nullptr;
}

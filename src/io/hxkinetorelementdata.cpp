#include "io/hxkinetorelementdata.h"

#include "io/hxkinetorsections.h"
#include "layer/hxkinetorlayer.h"
#include "ui/hxkinetorlayergroup.h"
#include "ui/hxkinetorlayerview.h"
#include "ui/hxkinetorpane.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxinfile.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxnode.h"
#include "hxcore/hxoutfile.h"
#include "hxcore/hxpanemgr.h"

using namespace HxKinetorSections;

namespace {

HxKinetorPane* findPane()
{
    if (!hxApp || !hxApp->getInterface())
        return nullptr;
    HxPaneMgr* panes = hxApp->getInterface()->getPaneMgr();
    return panes ? qobject_cast<HxKinetorPane*>(panes->findPane(QStringLiteral("HxKinetorPane"))) : nullptr;
}

} // namespace

HxKinetorElementData::HxKinetorElementData() : HxElementData(nullptr, "KinetorData") {}

HxKinetorElementData::~HxKinetorElementData()
{
    // The layers belong to their layer group.
    m_layers.clear();
}

QList<HxKinetorLayer*> HxKinetorElementData::getLayers() const
{
    QList<HxKinetorLayer*> layers;
    for (const QPointer<HxKinetorLayer>& layer : m_layers)
        if (layer)
            layers.append(layer);
    return layers;
}

void HxKinetorElementData::appendLayer(HxKinetorLayer* layer)
{
    if (layer)
        m_layers.append(layer);
}

void HxKinetorElementData::loadSection(HxInFile* file, short id)
{
    switch (id) {
    case ElementDataNode:
        file->readPointer();
        break;
    case ElementDataLayers:
        while (file->readPointer() == HxInFile::Ok) {
        }
        break;
    default:
        HxElementData::loadSection(file, id);
    }
}

void HxKinetorElementData::setPointer(const HxInFile* file, short id, short index, HxBase* object)
{
    if (id == ElementDataNode) {
        m_node = object ? qobject_cast<HxNode*>(object->assertCast("HxNode")) : nullptr;
    } else if (id == ElementDataLayers) {
        auto* layer = object ? qobject_cast<HxKinetorLayer*>(object->assertCast("HxKinetorLayer")) : nullptr;
        // A layer ends up in one group; two items handing it over would
        // leave two groups to delete it.
        if (layer && file->claim(layer))
            appendLayer(layer);
    } else {
        HxElementData::setPointer(file, id, index, object);
    }
}

void HxKinetorElementData::save(HxOutFile* file) const
{
    HxKinetorPane* pane = findPane();
    HxKinetorLayerGroup* group = pane && m_node ? pane->getLayerGroupByNode(m_node) : nullptr;
    if (!group)
        return;
    file->writePointerSection(ElementDataNode, m_node, 0);
    file->startSection(ElementDataLayers);
    for (int i = 0; i < group->count(); ++i)
        if (HxKinetorLayer* layer = group->layerAt(i))
            file->writePointer(layer, short(i));
    file->endSection();
    HxElementData::save(file);
}

void HxKinetorElementData::postLoadFile(const HxInFile*)
{
    if (m_node) {
        if (HxElementData* spatial = m_node->findDataItem(QStringLiteral("Spatial Data")))
            m_node->removeDataItem(spatial);
    }
    HxKinetorPane* pane = findPane();
    HxKinetorLayerGroup* group = pane && m_node ? pane->getLayerGroupByNode(m_node) : nullptr;
    if (!group)
        return;
    group->deleteAllLayers();
    for (HxKinetorLayer* layer : getLayers()) {
        if (HxKinetorLayerView* view = layer->getView()) {
            view->setParent(group);
            view->move(0, 0);
            view->hide();
        }
        group->addLayerTab(layer);
    }
}

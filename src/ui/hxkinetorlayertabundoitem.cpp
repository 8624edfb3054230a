#include "ui/hxkinetorlayertabundoitem.h"

#include "layer/hxkinetorlayer.h"
#include "ui/hxkinetorlayergroup.h"
#include "ui/hxkinetorlayerview.h"

HxKinetorLayerTabUndoItem::HxKinetorLayerTabUndoItem(HxKinetorLayerGroup* group, HxKinetorLayer* layer,
                                                     int index, bool added)
    : m_group(group), m_layer(layer), m_view(layer ? layer->getView() : nullptr), m_index(index),
      m_added(added), m_owned(!added)
{}

HxKinetorLayerTabUndoItem::~HxKinetorLayerTabUndoItem()
{
    if (!m_owned)
        return;
    delete m_view;
    delete m_layer;
}

void HxKinetorLayerTabUndoItem::undo()
{
    if (m_added)
        takeOut();
    else
        putBack();
}

void HxKinetorLayerTabUndoItem::redo()
{
    if (m_added)
        putBack();
    else
        takeOut();
}

void HxKinetorLayerTabUndoItem::putBack()
{
    if (!m_owned || !m_group || !m_layer || !m_view)
        return;
    m_group->insertLayerTab(m_layer, m_index);
    m_owned = false;
}

void HxKinetorLayerTabUndoItem::takeOut()
{
    if (m_owned || !m_group || !m_layer)
        return;
    if (m_group->takeLayer(m_layer) >= 0)
        m_owned = true;
}

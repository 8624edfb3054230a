#include "ui/hxkinetorlayernameundoitem.h"

#include "layer/hxkinetorlayer.h"
#include "ui/hxkinetorlayergroup.h"

HxKinetorLayerNameUndoItem::HxKinetorLayerNameUndoItem(HxKinetorLayerGroup* group, HxKinetorLayer* layer,
                                                       const QString& before, const QString& after)
    : m_group(group), m_layer(layer), m_before(before), m_after(after)
{}

HxKinetorLayerNameUndoItem::~HxKinetorLayerNameUndoItem() = default;

void HxKinetorLayerNameUndoItem::undo()
{
    rename(m_before);
}

void HxKinetorLayerNameUndoItem::redo()
{
    rename(m_after);
}

void HxKinetorLayerNameUndoItem::rename(const QString& name)
{
    if (!m_layer)
        return;
    m_layer->setName(name);
    // A layer that an undone step holds outside its group has no tab.
    if (m_group) {
        const int index = m_group->indexOf(m_layer->getView());
        if (index >= 0)
            m_group->setTabText(index, name);
    }
}

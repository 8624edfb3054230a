#include "io/hxkinetorelementdata.h"

#include "layer/hxkinetorlayer.h"

#include "hxcore/hxnode.h"

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

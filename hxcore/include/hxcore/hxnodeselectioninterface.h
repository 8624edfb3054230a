#pragma once

#include "hxcore/hxglobal.h"

#include <QList>

class HxNode;

// Something that offers a person a choice of scene nodes; its owner decides
// which nodes are on offer.
class HXCORE_EXPORT HxNodeSelectionInterface
{
public:
    virtual ~HxNodeSelectionInterface();

    // Replaces the nodes on offer, in the order given. Nulls are skipped.
    virtual void setNodeList(const QList<HxNode*>& nodes) = 0;
    virtual QList<HxNode*> getNodeList() const = 0;
};

#pragma once

#include "hxcore/hxbase.h"

#include <QList>

class HxElement;

// The geometry object of a node; its items include the morphs.
class HXCORE_EXPORT HxObject : public HxBase
{
    Q_OBJECT
public:
    explicit HxObject(const QString& name = QString(), QObject* parent = nullptr);
    ~HxObject() override;

    virtual int getNumItems() const { return int(m_items.size()); }
    virtual HxElement* getItem(int index) const { return m_items.value(index); }
    // Takes ownership.
    void addItem(HxElement* item);

private:
    QList<HxElement*> m_items;
};

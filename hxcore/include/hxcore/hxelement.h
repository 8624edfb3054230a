#pragma once

#include "hxcore/hxbase.h"
#include "hxcore/hxtimerange.h"

#include <QList>

class HxProperty;
class HxElementData;

// Something in the scene with properties and attached data items.
class HXCORE_EXPORT HxElement : public HxBase
{
    Q_OBJECT
public:
    explicit HxElement(QObject* parent = nullptr, const char* name = nullptr);
    ~HxElement() override;

    int getNumProperties() const { return int(m_properties.size()); }
    HxProperty* getProperty(long index) const;
    HxProperty* findProperty(const QString& name) const;
    // Takes ownership.
    void addProperty(HxProperty* property);

    // Takes ownership of the item and points it at this element.
    void addDataItem(HxElementData* item);
    // Detaches the item and hands it to deleteLater.
    void removeDataItem(HxElementData* item);
    HxElementData* findDataItem(const QString& name) const;
    const QList<HxElementData*>& dataItems() const { return m_dataItems; }

    // Removes the animation of the element's own transform within the range.
    virtual void clearAnimData(const HxTimeRange& range);

private:
    QList<HxProperty*> m_properties;
    QList<HxElementData*> m_dataItems;
};

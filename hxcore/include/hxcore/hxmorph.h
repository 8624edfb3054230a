#pragma once

#include "hxcore/hxelement.h"

class HxFloatProperty;

// A shape modifier of an object. Its one value channel carries the morph's
// label and names the morph as its owner.
class HXCORE_EXPORT HxMorph : public HxElement
{
    Q_OBJECT
public:
    HxMorph(const QString& name, const QString& label, QObject* parent = nullptr);
    ~HxMorph() override;

    HxFloatProperty* getValueChannel() const { return m_channel; }

private:
    HxFloatProperty* m_channel;
};

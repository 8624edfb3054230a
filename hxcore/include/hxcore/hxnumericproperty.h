#pragma once

#include "hxcore/hxproperty.h"

// A property with a number value. The XYZ interest says which axis of a
// transform the value drives; plain values have none.
class HXCORE_EXPORT HxNumericProperty : public HxProperty
{
    Q_OBJECT
public:
    enum XYZInterest
    {
        NoInterest = 0,
        XInterest = 1,
        YInterest = 2,
        ZInterest = 3
    };
    Q_ENUM(XYZInterest)

    HxNumericProperty(HxElement* owner, const QString& name, const QString& label,
                      XYZInterest interest = NoInterest);

    XYZInterest getXYZInterest() const { return m_interest; }
    void setXYZInterest(XYZInterest interest)
    {
        m_interest = interest;
        noteStructureEdit();
    }

private:
    XYZInterest m_interest;
};

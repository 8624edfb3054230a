#include "hxcore/hxnumericproperty.h"

HxNumericProperty::HxNumericProperty(HxElement* owner, const QString& name, const QString& label,
                                     XYZInterest interest)
    : HxProperty(owner, name, label), m_interest(interest)
{}

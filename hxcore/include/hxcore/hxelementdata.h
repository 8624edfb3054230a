#pragma once

#include "hxcore/hxbase.h"

#include <QPointer>

class HxElement;

// Data that a plug-in attaches to an element, found again by its name and
// stored with the scene.
class HXCORE_EXPORT HxElementData : public HxBase
{
    Q_OBJECT
public:
    explicit HxElementData(QObject* parent = nullptr, const char* name = nullptr);
    ~HxElementData() override;

    HxElement* getElement() const { return m_element; }
    void setElement(HxElement* element) { m_element = element; }

private:
    QPointer<HxElement> m_element;
};

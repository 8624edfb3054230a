#pragma once

#include "hxcore/hxbase.h"
#include "hxcore/hxtimerange.h"

class HxElement;

// A named, labelled value of an element. Subclasses hold the value.
class HXCORE_EXPORT HxProperty : public HxBase
{
    Q_OBJECT
public:
    HxProperty(HxElement* owner, const QString& name, const QString& label);
    ~HxProperty() override;

    HxElement* getOwner() const { return m_owner; }
    QString getLabel() const { return m_label; }
    void setLabel(const QString& label)
    {
        m_label = label;
        noteStructureEdit();
    }
    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden)
    {
        m_hidden = hidden;
        noteStructureEdit();
    }
    bool canAnimate() const { return m_canAnimate; }
    void setCanAnimate(bool canAnimate)
    {
        m_canAnimate = canAnimate;
        noteStructureEdit();
    }

    // Removes the keys whose times lie within the range, bounds included.
    virtual void deleteKeys(const HxTimeRange& range);

signals:
    void valueChanged();
    void keysChanged();

protected:
    // Whether anything was ever connected to this property. A live blend
    // sets a thousand values a tick; telling nobody costs as much as the
    // values themselves.
    bool isWatched() const { return m_watched; }
    void connectNotify(const QMetaMethod& signal) override;

private:
    HxElement* m_owner;
    QString m_label;
    bool m_hidden = false;
    bool m_canAnimate = true;
    // Never cleared: a stale true only costs the signals' old price.
    bool m_watched = false;
};

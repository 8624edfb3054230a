#pragma once

#include "hxcore/hxfloatkeylist.h"
#include "hxcore/hxnumericproperty.h"
#include "hxcore/hxtime.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <optional>
#include <vector>

// An animatable float. Without keys its value is the static value; with keys
// it is linear between keys and held flat outside them. Lookups are binary
// searches, appending while recording forward is amortised O(1), and an edit
// amid a long track touches one chunk of it (see HxFloatKeyList).
class HXCORE_EXPORT HxFloatProperty : public HxNumericProperty
{
    Q_OBJECT
public:
    HxFloatProperty(HxElement* owner, const QString& name, const QString& label, float value = 0.0f,
                    XYZInterest interest = NoInterest);
    ~HxFloatProperty() override;

    // Value at the scene's current time.
    float getValue() const;
    float getValue(HxTime time) const;
    float getStaticValue() const { return m_state.staticValue; }

    // The static value when there are no keys, else a key at the scene time.
    void setValue(float value);
    // Inserts or replaces the key at that time.
    void setValue(HxTime time, float value)
    {
        // Inside an edit bracket the snapshot taken at beginEdit covers
        // undo: what a live blend does a thousand times a tick, kept inline
        // for a property without limits that nobody watches.
        if (m_plainEdit && std::isfinite(value)) [[likely]]
            m_state.keys.set(time, value);
        else
            setValueInGeneral(time, value);
    }
    // setValue(time, values[i]) on each of count properties; null ones are
    // passed over. For a live blend's tick: each property and key is asked
    // of the cache a few properties ahead of its turn, so a thousand values
    // scattered over the heap cost their memory traffic rather than a
    // thousand waits in a row.
    static void setValues(HxTime time, HxFloatProperty* const* properties, const float* values, int count);

    void setLimits(float minValue, float maxValue, bool clamp);
    float getMin() const { return m_min; }
    float getMax() const { return m_max; }
    bool isClamped() const { return m_clamp; }

    int getNumKeys() const { return m_state.keys.size(); }
    const HxFloatKeyList& keyList() const { return m_state.keys; }
    // A copy of every key, for views and tests.
    std::vector<HxFloatKey> getKeys() const { return m_state.keys.toVector(); }
    bool hasKeyAt(HxTime time) const;
    void deleteKeys(const HxTimeRange& range) override;

    // Bracket a run of changes: one undo item for the whole run, pushed at
    // the matching finishEdit if anything changed. Brackets nest.
    void beginEdit();
    void finishEdit();
    bool isEditing() const { return m_editDepth > 0; }

    struct State
    {
        float staticValue = 0.0f;
        HxFloatKeyList keys;
        // Bit for bit (0 and -0 differ), so that every change is undoable.
        bool operator==(const State& other) const
        {
            return std::bit_cast<quint32>(staticValue) == std::bit_cast<quint32>(other.staticValue) &&
                   keys == other.keys;
        }
    };
    // Used by undo: replaces the whole state and tells the views.
    void restoreState(const State& state);

private:
    float clamped(float value) const { return m_clamp ? std::clamp(value, m_min, m_max) : value; }
    void setValueInGeneral(HxTime time, float value);
    void updatePlainEdit();
    void connectNotify(const QMetaMethod& signal) override;
    std::optional<State> stateBeforeChange() const;
    void changed(std::optional<State> before, bool keysTouched);
    // Tells the views, if any.
    void notify(bool keysTouched);

    // What setValue(time, value) reads, side by side: the plain-set flag
    // and, on the general path, the limits and the edit depth.
    float m_min = 0.0f;
    float m_max = 0.0f;
    bool m_clamp = false;
    // Inside an edit bracket, without limits, and nobody watching: a set
    // only replaces or adds a key. Kept in step by beginEdit, finishEdit,
    // setLimits and the first connection.
    bool m_plainEdit = false;
    int m_editDepth = 0;
    State m_state;
    std::optional<State> m_editSnapshot;
};

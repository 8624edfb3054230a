#include "hxcore/hxfloatproperty.h"

#include "hxcore/hxscene.h"
#include "hxcore/hxundoitem.h"
#include "hxcore/hxundostack.h"

#include <QPointer>
#include <algorithm>
#include <cmath>

namespace {

class HxFloatPropertyUndoItem : public HxUndoItem
{
public:
    HxFloatPropertyUndoItem(HxFloatProperty* property, HxFloatProperty::State before,
                            HxFloatProperty::State after)
        : m_property(property), m_before(std::move(before)), m_after(std::move(after))
    {}
    void undo() override
    {
        if (m_property)
            m_property->restoreState(m_before);
    }
    void redo() override
    {
        if (m_property)
            m_property->restoreState(m_after);
    }
    int size() const override
    {
        return int(sizeof(*this) + size_t(m_before.keys.size() + m_after.keys.size()) * sizeof(HxFloatKey));
    }

private:
    QPointer<HxFloatProperty> m_property;
    HxFloatProperty::State m_before;
    HxFloatProperty::State m_after;
};

} // namespace

HxFloatProperty::HxFloatProperty(HxElement* owner, const QString& name, const QString& label, float value,
                                 XYZInterest interest)
    : HxNumericProperty(owner, name, label, interest)
{
    m_state.staticValue = value;
}

HxFloatProperty::~HxFloatProperty() = default;

float HxFloatProperty::getValue() const
{
    return getValue(hxScene ? hxScene->getTime() : 0);
}

float HxFloatProperty::getValue(HxTime time) const
{
    return m_state.keys.empty() ? m_state.staticValue : m_state.keys.evaluate(time);
}

void HxFloatProperty::setValue(float value)
{
    if (m_state.keys.empty()) {
        if (!std::isfinite(value))
            return;
        auto before = stateBeforeChange();
        m_state.staticValue = clamped(value);
        changed(std::move(before), false);
    } else {
        setValue(hxScene ? hxScene->getTime() : 0, value);
    }
}

// A value that is no number is never set, inside a bracket or out. Inside
// one the snapshot covers undo; outside, a set is its own undo step.
void HxFloatProperty::setValueInGeneral(HxTime time, float value)
{
    if (!std::isfinite(value))
        return;
    if (m_editDepth > 0) {
        m_state.keys.set(time, clamped(value));
        notify(true);
        return;
    }
    auto before = stateBeforeChange();
    m_state.keys.set(time, clamped(value));
    changed(std::move(before), true);
}

void HxFloatProperty::updatePlainEdit()
{
    m_plainEdit = m_editDepth > 0 && !m_clamp && !isWatched();
}

void HxFloatProperty::connectNotify(const QMetaMethod& signal)
{
    HxNumericProperty::connectNotify(signal);
    updatePlainEdit();
}

void HxFloatProperty::setValues(HxTime time, HxFloatProperty* const* properties, const float* values,
                                int count)
{
    // Two stages: a property a long stride ahead, then, once it is likely
    // in, its last key a short stride ahead. Of a property, the lines asked
    // for are the two setValue reads: at its plain-set flag and at its key
    // list's own fields. Looking
    // ahead pays when the host's drawing has pushed the scene out of the
    // nearer caches between ticks. The last stretch runs without looking
    // ahead, so that the loop before it needs no bounds tests.
    constexpr int kKeyAhead = 8;
    constexpr int kPropertyAhead = 2 * kKeyAhead;
    int i = 0;
    for (; i < count - kPropertyAhead; ++i) {
        if (const HxFloatProperty* ahead = properties[i + kPropertyAhead]) [[likely]] {
            __builtin_prefetch(&ahead->m_plainEdit);
            ahead->m_state.keys.prefetchList();
        }
        if (const HxFloatProperty* ahead = properties[i + kKeyAhead]) [[likely]]
            ahead->m_state.keys.prefetchLast();
        if (HxFloatProperty* property = properties[i]) [[likely]]
            property->setValue(time, values[i]);
    }
    for (; i < count; ++i) {
        if (HxFloatProperty* property = properties[i])
            property->setValue(time, values[i]);
    }
}

void HxFloatProperty::setLimits(float minValue, float maxValue, bool clamp)
{
    // Reversed limits would make clamping undefined.
    m_min = std::min(minValue, maxValue);
    m_max = std::max(minValue, maxValue);
    m_clamp = clamp;
    updatePlainEdit();
}

bool HxFloatProperty::hasKeyAt(HxTime time) const
{
    return m_state.keys.contains(time);
}

void HxFloatProperty::deleteKeys(const HxTimeRange& range)
{
    auto before = stateBeforeChange();
    if (m_state.keys.erase(range.start, range.end))
        changed(std::move(before), true);
}

void HxFloatProperty::beginEdit()
{
    if (m_editDepth++ == 0)
        m_editSnapshot = m_state;
    updatePlainEdit();
}

void HxFloatProperty::finishEdit()
{
    if (m_editDepth == 0 || --m_editDepth > 0)
        return;
    updatePlainEdit();
    State before = std::move(*m_editSnapshot);
    m_editSnapshot.reset();
    if (before == m_state || !hxUndoStack || !hxUndoStack->canPushItems())
        return;
    hxUndoStack->push(new HxFloatPropertyUndoItem(this, std::move(before), m_state));
}

void HxFloatProperty::restoreState(const State& state)
{
    bool keysTouched = state.keys != m_state.keys;
    m_state = state;
    if (keysTouched)
        emit keysChanged();
    emit valueChanged();
}

// Outside an edit bracket each change is its own undo item, so the state
// before it is needed; inside a bracket the snapshot at beginEdit covers it.
std::optional<HxFloatProperty::State> HxFloatProperty::stateBeforeChange() const
{
    if (m_editDepth > 0 || !hxUndoStack || !hxUndoStack->canPushItems())
        return std::nullopt;
    return m_state;
}

void HxFloatProperty::changed(std::optional<State> before, bool keysTouched)
{
    if (before && !(*before == m_state))
        hxUndoStack->push(new HxFloatPropertyUndoItem(this, std::move(*before), m_state));
    notify(keysTouched);
}

void HxFloatProperty::notify(bool keysTouched)
{
    if (!isWatched())
        return;
    if (keysTouched)
        emit keysChanged();
    emit valueChanged();
}

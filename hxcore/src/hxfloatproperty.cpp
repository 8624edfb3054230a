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
        return int(sizeof(*this) + (m_before.keys.size() + m_after.keys.size()) * sizeof(HxFloatKey));
    }

private:
    QPointer<HxFloatProperty> m_property;
    HxFloatProperty::State m_before;
    HxFloatProperty::State m_after;
};

// The first key at or after the time; mutable or const to match the vector.
template <typename Keys> auto keyBefore(Keys& keys, HxTime time)
{
    return std::lower_bound(keys.begin(), keys.end(), time,
                            [](const HxFloatKey& key, HxTime t) { return key.time < t; });
}

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
    const auto& keys = m_state.keys;
    if (keys.empty())
        return m_state.staticValue;
    if (time <= keys.front().time)
        return keys.front().value;
    if (time >= keys.back().time)
        return keys.back().value;
    auto next = keyBefore(keys, time);
    if (next->time == time)
        return next->value;
    auto prev = next - 1;
    double f = double(time - prev->time) / double(next->time - prev->time);
    return float(prev->value + (double(next->value) - prev->value) * f);
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

void HxFloatProperty::setValue(HxTime time, float value)
{
    if (!std::isfinite(value))
        return;
    auto before = stateBeforeChange();
    auto& keys = m_state.keys;
    value = clamped(value);
    if (keys.empty() || keys.back().time < time) {
        keys.push_back({time, value});
    } else {
        auto it = keyBefore(keys, time);
        if (it != keys.end() && it->time == time)
            it->value = value;
        else
            keys.insert(it, {time, value});
    }
    changed(std::move(before), true);
}

void HxFloatProperty::setLimits(float minValue, float maxValue, bool clamp)
{
    // Reversed limits would make clamping undefined.
    m_min = std::min(minValue, maxValue);
    m_max = std::max(minValue, maxValue);
    m_clamp = clamp;
}

bool HxFloatProperty::hasKeyAt(HxTime time) const
{
    auto it = keyBefore(m_state.keys, time);
    return it != m_state.keys.end() && it->time == time;
}

void HxFloatProperty::deleteKeys(const HxTimeRange& range)
{
    auto& keys = m_state.keys;
    auto first = keyBefore(keys, range.start);
    auto last = keyBefore(keys, range.end);
    if (last != keys.end() && last->time == range.end)
        ++last;
    if (first >= last)
        return;
    auto before = stateBeforeChange();
    keys.erase(first, last);
    changed(std::move(before), true);
}

void HxFloatProperty::beginEdit()
{
    if (m_editDepth++ == 0)
        m_editSnapshot = m_state;
}

void HxFloatProperty::finishEdit()
{
    if (m_editDepth == 0 || --m_editDepth > 0)
        return;
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

float HxFloatProperty::clamped(float value) const
{
    return m_clamp ? std::clamp(value, m_min, m_max) : value;
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
    if (keysTouched)
        emit keysChanged();
    emit valueChanged();
}

#include "layer/hxpointkeylist.h"

#include <algorithm>

HxPointKeyList::HxPointKeyList() = default;

HxPointKeyList::~HxPointKeyList() = default;

int HxPointKeyList::compareItems(const HxPointKey& a, const HxPointKey& b)
{
    if (a.time == b.time)
        return 0;
    return a.time > b.time ? 1 : -1;
}

HxPointKey* HxPointKeyList::at(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return m_keys[std::size_t(index)].get();
}

int HxPointKeyList::lowerBound(int time) const
{
    auto it = std::lower_bound(m_keys.begin(), m_keys.end(), time,
                               [](const std::unique_ptr<HxPointKey>& key, int t) { return key->time < t; });
    return int(it - m_keys.begin());
}

int HxPointKeyList::upperBound(int time) const
{
    auto it = std::upper_bound(m_keys.begin(), m_keys.end(), time,
                               [](int t, const std::unique_ptr<HxPointKey>& key) { return t < key->time; });
    return int(it - m_keys.begin());
}

HxPointKey* HxPointKeyList::find(int time) const
{
    HxPointKey* key = at(lowerBound(time));
    return key && key->time == time ? key : nullptr;
}

void HxPointKeyList::insert(std::unique_ptr<HxPointKey> key)
{
    if (!key)
        return;
    // Recording appends in time order, so the end is checked first.
    if (m_keys.empty() || m_keys.back()->time < key->time) {
        m_keys.push_back(std::move(key));
        return;
    }
    auto it = m_keys.begin() + upperBound(key->time);
    m_keys.insert(it, std::move(key));
}

std::unique_ptr<HxPointKey> HxPointKeyList::take(const HxPointKey* key)
{
    if (!key)
        return nullptr;
    // Keys are unique per time, so the time leads straight to the slot.
    int index = lowerBound(key->time);
    if (index >= count() || m_keys[std::size_t(index)].get() != key)
        return nullptr;
    std::unique_ptr<HxPointKey> owned = std::move(m_keys[std::size_t(index)]);
    m_keys.erase(m_keys.begin() + index);
    return owned;
}

void HxPointKeyList::removeRange(int first, int last)
{
    first = std::max(first, 0);
    last = std::min(last, count());
    if (first >= last)
        return;
    m_keys.erase(m_keys.begin() + first, m_keys.begin() + last);
}

void HxPointKeyList::clear()
{
    m_keys.clear();
}

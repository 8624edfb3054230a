#pragma once

#include "layer/hxpointkey.h"

#include <memory>
#include <vector>

// The cursor's keys, sorted by time with at most one key per time. Keys are
// held in a vector so that finding a time is a binary search and a key
// appended after the last one (as recording does) costs amortised O(1).
class HxPointKeyList
{
public:
    HxPointKeyList();
    ~HxPointKeyList();
    HxPointKeyList(const HxPointKeyList&) = delete;
    HxPointKeyList& operator=(const HxPointKeyList&) = delete;

    // Orders keys by time only: 0 when equal, 1 when a is later, -1 otherwise.
    static int compareItems(const HxPointKey& a, const HxPointKey& b);

    int count() const { return int(m_keys.size()); }
    bool isEmpty() const { return m_keys.empty(); }
    HxPointKey* at(int index) const;
    HxPointKey* first() const { return m_keys.empty() ? nullptr : m_keys.front().get(); }
    HxPointKey* last() const { return m_keys.empty() ? nullptr : m_keys.back().get(); }

    // The key at exactly that time, or null.
    HxPointKey* find(int time) const;
    // Index of the first key whose time is not earlier than the time; count()
    // when every key is earlier.
    int lowerBound(int time) const;
    // Index of the first key whose time is later than the time.
    int upperBound(int time) const;

    // Adds the key at its place in time. The caller makes sure no key with
    // the same time is in the list.
    void insert(std::unique_ptr<HxPointKey> key);
    // Hands the key back to the caller; null if it is not in the list.
    std::unique_ptr<HxPointKey> take(const HxPointKey* key);
    // Deletes the keys at indices first to last - 1 in one pass.
    void removeRange(int first, int last);
    void clear();

private:
    std::vector<std::unique_ptr<HxPointKey>> m_keys;
};

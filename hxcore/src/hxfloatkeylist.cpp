#include "hxcore/hxfloatkeylist.h"

#include <algorithm>
#include <utility>

namespace {

// Mutable or const, to match the chunk.
template <typename Keys> auto lowerBound(Keys& keys, HxTime time)
{
    return std::lower_bound(keys.begin(), keys.end(), time,
                            [](const HxFloatKey& key, HxTime t) { return key.time < t; });
}

size_t firstAtOrAfter(const std::vector<HxTime>& lastTimes, HxTime time)
{
    return size_t(std::lower_bound(lastTimes.begin(), lastTimes.end(), time) - lastTimes.begin());
}

} // namespace

HxFloatKeyList::HxFloatKeyList(const std::vector<HxFloatKey>& sortedKeys)
{
    for (const HxFloatKey& key : sortedKeys)
        set(key.time, key.value);
}

HxFloatKeyList::HxFloatKeyList(const HxFloatKeyList& other)
    : m_groups(other.m_groups), m_lastTimes(other.m_lastTimes), m_size(other.m_size)
{
    other.setTail(nullptr);
}

HxFloatKeyList& HxFloatKeyList::operator=(const HxFloatKeyList& other)
{
    if (this != &other) {
        m_groups = other.m_groups;
        m_lastTimes = other.m_lastTimes;
        m_size = other.m_size;
        setTail(nullptr);
        other.setTail(nullptr);
    }
    return *this;
}

HxFloatKeyList::HxFloatKeyList(HxFloatKeyList&& other) noexcept
    : m_tail(std::exchange(other.m_tail, nullptr)), m_last(std::exchange(other.m_last, nullptr)),
      m_groups(std::move(other.m_groups)), m_lastTimes(std::move(other.m_lastTimes)),
      m_size(std::exchange(other.m_size, 0))
{
    other.clear();
}

HxFloatKeyList& HxFloatKeyList::operator=(HxFloatKeyList&& other) noexcept
{
    if (this != &other) {
        m_groups = std::move(other.m_groups);
        m_lastTimes = std::move(other.m_lastTimes);
        m_size = other.m_size;
        setTail(std::exchange(other.m_tail, nullptr));
        other.clear();
    }
    return *this;
}

HxFloatKeyList::const_iterator& HxFloatKeyList::const_iterator::operator++()
{
    const Group& group = *(*m_list)[m_group];
    if (++m_offset >= group.chunks[m_chunk]->size()) {
        m_offset = 0;
        if (++m_chunk >= group.chunks.size()) {
            m_chunk = 0;
            ++m_group;
        }
    }
    return *this;
}

HxFloatKey HxFloatKeyList::at(int index) const
{
    for (const auto& group : m_groups) {
        for (const auto& chunk : group->chunks) {
            if (index < int(chunk->size()))
                return (*chunk)[size_t(index)];
            index -= int(chunk->size());
        }
    }
    return HxFloatKey{0, 0.0f};
}

size_t HxFloatKeyList::groupFor(HxTime time) const
{
    return firstAtOrAfter(m_lastTimes, time);
}

size_t HxFloatKeyList::chunkFor(const Group& group, HxTime time)
{
    return firstAtOrAfter(group.lastTimes, time);
}

HxFloatKeyList::Group& HxFloatKeyList::writable(size_t group)
{
    auto& shared = m_groups[group];
    if (shared.use_count() > 1)
        shared = std::make_shared<Group>(*shared);
    return *shared;
}

HxFloatKeyList::Chunk& HxFloatKeyList::writable(Group& group, size_t chunk)
{
    auto& shared = group.chunks[chunk];
    if (shared.use_count() > 1)
        shared = std::make_shared<Chunk>(*shared);
    return *shared;
}

bool HxFloatKeyList::contains(HxTime time) const
{
    const size_t g = groupFor(time);
    if (g == m_groups.size())
        return false;
    const Group& group = *m_groups[g];
    return lowerBound(*group.chunks[chunkFor(group, time)], time)->time == time;
}

float HxFloatKeyList::evaluate(HxTime time) const
{
    if (time <= front().time)
        return front().value;
    if (time >= back().time)
        return back().value;
    const size_t g = groupFor(time);
    const Group& group = *m_groups[g];
    const size_t c = chunkFor(group, time);
    const Chunk& chunk = *group.chunks[c];
    auto next = lowerBound(chunk, time);
    if (next->time == time)
        return next->value;
    // The key before may close the previous chunk, or the previous group.
    const HxFloatKey& prev = next != chunk.begin() ? *(next - 1)
                             : c > 0               ? group.chunks[c - 1]->back()
                                                   : m_groups[g - 1]->chunks.back()->back();
    double f = double(time - prev.time) / double(next->time - prev.time);
    return float(prev.value + (double(next->value) - prev.value) * f);
}

void HxFloatKeyList::setElsewhere(HxTime time, float value)
{
    // At or after the last key is what every tick of a live blend does
    // (Preview replaces the key at the press time, Record appends): no search.
    if (m_groups.empty() || time > m_lastTimes.back()) {
        append(time, value);
        return;
    }
    if (time == m_lastTimes.back()) {
        if (!m_tail) {
            Group& group = writable(m_groups.size() - 1);
            setTail(&writable(group, group.chunks.size() - 1));
        }
        m_last->value = value;
        return;
    }
    setTail(nullptr);
    const size_t g = groupFor(time);
    Group& group = writable(g);
    const size_t c = chunkFor(group, time);
    Chunk& chunk = writable(group, c);
    auto it = lowerBound(chunk, time);
    if (it->time == time) {
        it->value = value;
        return;
    }
    chunk.insert(it, {time, value});
    ++m_size;
    if (chunk.size() > 2 * ChunkSize) {
        auto upper = std::make_shared<Chunk>(chunk.begin() + ChunkSize, chunk.end());
        chunk.resize(ChunkSize);
        group.chunks.insert(group.chunks.begin() + std::ptrdiff_t(c) + 1, std::move(upper));
        group.lastTimes.insert(group.lastTimes.begin() + std::ptrdiff_t(c), chunk.back().time);
    }
    if (group.chunks.size() > 2 * GroupSize) {
        auto upper = std::make_shared<Group>();
        upper->chunks.assign(group.chunks.begin() + GroupSize, group.chunks.end());
        upper->lastTimes.assign(group.lastTimes.begin() + GroupSize, group.lastTimes.end());
        group.chunks.resize(GroupSize);
        group.lastTimes.resize(GroupSize);
        m_groups.insert(m_groups.begin() + std::ptrdiff_t(g) + 1, std::move(upper));
        m_lastTimes.insert(m_lastTimes.begin() + std::ptrdiff_t(g), group.lastTimes.back());
    }
}

void HxFloatKeyList::append(HxTime time, float value)
{
    if (m_tail && m_tail->size() < ChunkSize) {
        m_tail->push_back({time, value});
        setTail(m_tail);
        m_groups.back()->lastTimes.back() = time;
        m_lastTimes.back() = time;
        ++m_size;
        return;
    }
    const bool lastFull = !m_groups.empty() && m_groups.back()->chunks.size() >= GroupSize &&
                          m_groups.back()->chunks.back()->size() >= ChunkSize;
    if (m_groups.empty() || lastFull) {
        m_groups.push_back(std::make_shared<Group>());
        m_lastTimes.push_back(time);
    }
    Group& group = writable(m_groups.size() - 1);
    if (group.chunks.empty() || group.chunks.back()->size() >= ChunkSize) {
        // Not reserved ahead: most tracks hold a key or two, and a thousand
        // of them set on every tick stay close together in the cache.
        group.chunks.push_back(std::make_shared<Chunk>());
        group.lastTimes.push_back(time);
    }
    Chunk& tail = writable(group, group.chunks.size() - 1);
    tail.push_back({time, value});
    setTail(&tail);
    group.lastTimes.back() = time;
    m_lastTimes.back() = time;
    ++m_size;
}

int HxFloatKeyList::eraseWithin(Group& group, HxTime from, HxTime to)
{
    int removed = 0;
    size_t c = chunkFor(group, from);
    while (c < group.chunks.size() && group.chunks[c]->front().time <= to) {
        const Chunk& view = *group.chunks[c];
        auto first = lowerBound(view, from);
        auto last = std::upper_bound(first, view.end(), to,
                                     [](HxTime t, const HxFloatKey& key) { return t < key.time; });
        if (first == view.begin() && last == view.end()) {
            removed += int(view.size());
            group.chunks.erase(group.chunks.begin() + std::ptrdiff_t(c));
            group.lastTimes.erase(group.lastTimes.begin() + std::ptrdiff_t(c));
            continue;
        }
        const auto firstIndex = first - view.begin();
        const auto count = last - first;
        if (count > 0) {
            Chunk& chunk = writable(group, c);
            chunk.erase(chunk.begin() + firstIndex, chunk.begin() + firstIndex + count);
            group.lastTimes[c] = chunk.back().time;
            removed += int(count);
        }
        ++c;
    }
    return removed;
}

bool HxFloatKeyList::erase(HxTime from, HxTime to)
{
    if (from > to || m_groups.empty() || from > m_lastTimes.back())
        return false;
    setTail(nullptr);
    const int before = m_size;
    size_t g = groupFor(from);
    while (g < m_groups.size() && m_groups[g]->chunks.front()->front().time <= to) {
        const Group& view = *m_groups[g];
        // A group wholly within the range goes without being copied.
        if (view.chunks.front()->front().time >= from && m_lastTimes[g] <= to) {
            for (const auto& chunk : view.chunks)
                m_size -= int(chunk->size());
            m_groups.erase(m_groups.begin() + std::ptrdiff_t(g));
            m_lastTimes.erase(m_lastTimes.begin() + std::ptrdiff_t(g));
            continue;
        }
        Group& group = writable(g);
        m_size -= eraseWithin(group, from, to);
        m_lastTimes[g] = group.lastTimes.back();
        ++g;
    }
    return m_size != before;
}

void HxFloatKeyList::clear()
{
    m_groups.clear();
    m_lastTimes.clear();
    m_size = 0;
    setTail(nullptr);
}

std::vector<HxFloatKey> HxFloatKeyList::toVector() const
{
    std::vector<HxFloatKey> keys;
    keys.reserve(size_t(m_size));
    for (const auto& group : m_groups)
        for (const auto& chunk : group->chunks)
            keys.insert(keys.end(), chunk->begin(), chunk->end());
    return keys;
}

bool HxFloatKeyList::operator==(const HxFloatKeyList& other) const
{
    if (m_size != other.m_size)
        return false;
    // Snapshots share most groups and chunks with the live list: those are
    // equal by pointer. While the chunk boundaries line up, a chunk that
    // differs decides; only a different layout needs the key-by-key walk.
    bool aligned = m_groups.size() == other.m_groups.size();
    for (size_t g = 0; g < m_groups.size() && aligned; ++g) {
        const Group& a = *m_groups[g];
        const Group& b = *other.m_groups[g];
        if (&a == &b)
            continue;
        aligned = a.chunks.size() == b.chunks.size();
        for (size_t c = 0; c < a.chunks.size() && aligned; ++c) {
            if (a.chunks[c] == b.chunks[c])
                continue;
            aligned = a.chunks[c]->size() == b.chunks[c]->size();
            if (aligned && !(*a.chunks[c] == *b.chunks[c]))
                return false;
        }
    }
    return aligned || std::equal(begin(), end(), other.begin());
}

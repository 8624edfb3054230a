#include "hxcore/hxfloatkeylist.h"

#include <algorithm>

namespace {

// Mutable or const, to match the chunk.
template <typename Keys> auto lowerBound(Keys& keys, HxTime time)
{
    return std::lower_bound(keys.begin(), keys.end(), time,
                            [](const HxFloatKey& key, HxTime t) { return key.time < t; });
}

} // namespace

HxFloatKeyList::HxFloatKeyList(const std::vector<HxFloatKey>& sortedKeys)
{
    for (const HxFloatKey& key : sortedKeys)
        set(key.time, key.value);
}

HxFloatKeyList::const_iterator& HxFloatKeyList::const_iterator::operator++()
{
    if (++m_offset >= (*m_list)[m_chunk]->size()) {
        ++m_chunk;
        m_offset = 0;
    }
    return *this;
}

HxFloatKey HxFloatKeyList::at(int index) const
{
    for (const auto& chunk : m_chunks) {
        if (index < int(chunk->size()))
            return (*chunk)[index];
        index -= int(chunk->size());
    }
    return HxFloatKey{0, 0.0f};
}

size_t HxFloatKeyList::chunkFor(HxTime time) const
{
    return size_t(std::lower_bound(m_lastTimes.begin(), m_lastTimes.end(), time) - m_lastTimes.begin());
}

HxFloatKeyList::Chunk& HxFloatKeyList::writable(size_t chunk)
{
    auto& shared = m_chunks[chunk];
    if (shared.use_count() > 1)
        shared = std::make_shared<Chunk>(*shared);
    return *shared;
}

bool HxFloatKeyList::contains(HxTime time) const
{
    size_t c = chunkFor(time);
    if (c == m_chunks.size())
        return false;
    auto it = lowerBound(*m_chunks[c], time);
    return it->time == time;
}

float HxFloatKeyList::evaluate(HxTime time) const
{
    if (time <= front().time)
        return front().value;
    if (time >= back().time)
        return back().value;
    size_t c = chunkFor(time);
    const Chunk& chunk = *m_chunks[c];
    auto next = lowerBound(chunk, time);
    if (next->time == time)
        return next->value;
    // The key before may close the previous chunk.
    const HxFloatKey& prev = next == chunk.begin() ? m_chunks[c - 1]->back() : *(next - 1);
    double f = double(time - prev.time) / double(next->time - prev.time);
    return float(prev.value + (double(next->value) - prev.value) * f);
}

void HxFloatKeyList::set(HxTime time, float value)
{
    size_t c = chunkFor(time);
    if (c == m_chunks.size()) {
        // After the last key: the common case while recording forward.
        if (m_chunks.empty() || m_chunks.back()->size() >= ChunkSize) {
            m_chunks.push_back(std::make_shared<Chunk>());
            m_chunks.back()->reserve(ChunkSize);
            m_lastTimes.push_back(time);
        }
        writable(m_chunks.size() - 1).push_back({time, value});
        m_lastTimes.back() = time;
        ++m_size;
        return;
    }
    Chunk& chunk = writable(c);
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
        m_chunks.insert(m_chunks.begin() + c + 1, std::move(upper));
        m_lastTimes.insert(m_lastTimes.begin() + c, chunk.back().time);
    }
}

bool HxFloatKeyList::erase(HxTime from, HxTime to)
{
    if (from > to || m_chunks.empty())
        return false;
    const int before = m_size;
    size_t c = chunkFor(from);
    while (c < m_chunks.size() && m_chunks[c]->front().time <= to) {
        const Chunk& view = *m_chunks[c];
        auto first = lowerBound(view, from);
        auto last = std::upper_bound(first, view.end(), to,
                                     [](HxTime t, const HxFloatKey& key) { return t < key.time; });
        if (first == view.begin() && last == view.end()) {
            m_size -= int(view.size());
            m_chunks.erase(m_chunks.begin() + c);
            m_lastTimes.erase(m_lastTimes.begin() + c);
            continue;
        }
        const auto firstIndex = first - view.begin();
        const auto count = last - first;
        if (count > 0) {
            Chunk& chunk = writable(c);
            chunk.erase(chunk.begin() + firstIndex, chunk.begin() + firstIndex + count);
            m_lastTimes[c] = chunk.back().time;
            m_size -= int(count);
        }
        ++c;
    }
    return m_size != before;
}

void HxFloatKeyList::clear()
{
    m_chunks.clear();
    m_lastTimes.clear();
    m_size = 0;
}

std::vector<HxFloatKey> HxFloatKeyList::toVector() const
{
    std::vector<HxFloatKey> keys;
    keys.reserve(size_t(m_size));
    for (const auto& chunk : m_chunks)
        keys.insert(keys.end(), chunk->begin(), chunk->end());
    return keys;
}

bool HxFloatKeyList::operator==(const HxFloatKeyList& other) const
{
    if (m_size != other.m_size)
        return false;
    // Snapshots share most chunks with the live list; compare those by pointer.
    if (m_chunks.size() == other.m_chunks.size()) {
        bool same = true;
        for (size_t i = 0; i < m_chunks.size() && same; ++i)
            same = m_chunks[i] == other.m_chunks[i] || *m_chunks[i] == *other.m_chunks[i];
        if (same)
            return true;
    }
    return std::equal(begin(), end(), other.begin());
}

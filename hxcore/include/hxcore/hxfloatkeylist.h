#pragma once

#include "hxcore/hxglobal.h"
#include "hxcore/hxtime.h"

#include <bit>
#include <iterator>
#include <memory>
#include <vector>

struct HxFloatKey
{
    HxTime time;
    float value;
    // Bit for bit, so that 0 and -0 differ: undo must give back the very
    // value that was there.
    bool operator==(const HxFloatKey& other) const
    {
        return time == other.time && std::bit_cast<quint32>(value) == std::bit_cast<quint32>(other.value);
    }
};

// The keys of one animated float, sorted by time, one per time.
//
// Keys live in chunks of a few hundred, so inserting or removing amid a
// million keys moves one chunk, not the whole track, and lookups are two
// binary searches. Chunks are shared between copies and copied on first
// write, so the snapshot an undoable edit takes of a long track costs one
// pointer per chunk, and only the chunks an edit touches are ever duplicated.
class HXCORE_EXPORT HxFloatKeyList
{
public:
    HxFloatKeyList() = default;
    HxFloatKeyList(const std::vector<HxFloatKey>& sortedKeys);

    int size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const HxFloatKey& front() const { return m_chunks.front()->front(); }
    const HxFloatKey& back() const { return m_chunks.back()->back(); }
    // Index access walks the chunks; iterate for whole-track work.
    HxFloatKey at(int index) const;

    bool contains(HxTime time) const;
    // Linear between keys, flat before the first and after the last. The
    // list must not be empty.
    float evaluate(HxTime time) const;

    // Inserts a key, or replaces the value of the key at that time.
    void set(HxTime time, float value);
    // Removes the keys within [from, to]; true if any went.
    bool erase(HxTime from, HxTime to);
    void clear();

    std::vector<HxFloatKey> toVector() const;
    bool operator==(const HxFloatKeyList& other) const;

    class const_iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = HxFloatKey;
        using difference_type = std::ptrdiff_t;
        using pointer = const HxFloatKey*;
        using reference = const HxFloatKey&;

        const_iterator() = default;
        reference operator*() const { return (*(*m_list)[m_chunk])[m_offset]; }
        pointer operator->() const { return &**this; }
        const_iterator& operator++();
        const_iterator operator++(int)
        {
            const_iterator old = *this;
            ++*this;
            return old;
        }
        bool operator==(const const_iterator&) const = default;

    private:
        friend class HxFloatKeyList;
        using Chunks = std::vector<std::shared_ptr<std::vector<HxFloatKey>>>;
        const_iterator(const Chunks* list, size_t chunk, size_t offset)
            : m_list(list), m_chunk(chunk), m_offset(offset)
        {}
        const Chunks* m_list = nullptr;
        size_t m_chunk = 0;
        size_t m_offset = 0;
    };
    const_iterator begin() const { return const_iterator(&m_chunks, 0, 0); }
    const_iterator end() const { return const_iterator(&m_chunks, m_chunks.size(), 0); }

    // Keys per chunk before a chunk is split; appended keys fill chunks to it.
    static constexpr size_t ChunkSize = 256;

private:
    using Chunk = std::vector<HxFloatKey>;
    // The first chunk whose last key is at or after the time.
    size_t chunkFor(HxTime time) const;
    Chunk& writable(size_t chunk);

    std::vector<std::shared_ptr<Chunk>> m_chunks;
    // The last key time of each chunk, side by side, so finding a chunk is
    // a binary search over a few kilobytes instead of a chase through them.
    std::vector<HxTime> m_lastTimes;
    int m_size = 0;
};

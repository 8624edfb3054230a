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
// Keys live in chunks of a few hundred, and chunks in groups of a few dozen,
// so inserting or removing amid a million keys moves one chunk, not the
// whole track, and lookups are three binary searches. Groups and chunks are
// shared between copies and copied on first write: the snapshot an undoable
// edit takes of a long track costs one pointer per group (a few dozen for an
// hour of keys), and a write after it copies one group's chunk pointers and
// the one chunk it touches.
class HXCORE_EXPORT HxFloatKeyList
{
    using Chunk = std::vector<HxFloatKey>;
    struct Group
    {
        std::vector<std::shared_ptr<Chunk>> chunks;
        // The last key time of each chunk, side by side, so finding a chunk
        // is a binary search over a few hundred bytes.
        std::vector<HxTime> lastTimes;
    };
    using Groups = std::vector<std::shared_ptr<Group>>;

public:
    HxFloatKeyList() = default;
    HxFloatKeyList(const std::vector<HxFloatKey>& sortedKeys);
    // A copy shares every group and chunk, so neither list owns its tail
    // alone any more.
    HxFloatKeyList(const HxFloatKeyList& other);
    HxFloatKeyList& operator=(const HxFloatKeyList& other);
    HxFloatKeyList(HxFloatKeyList&& other) noexcept;
    HxFloatKeyList& operator=(HxFloatKeyList&& other) noexcept;

    int size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const HxFloatKey& front() const { return m_groups.front()->chunks.front()->front(); }
    const HxFloatKey& back() const { return m_groups.back()->chunks.back()->back(); }
    // Index access walks the chunks; iterate for whole-track work.
    HxFloatKey at(int index) const;

    bool contains(HxTime time) const;
    // Linear between keys, flat before the first and after the last. The
    // list must not be empty.
    float evaluate(HxTime time) const;

    // Inserts a key, or replaces the value of the key at that time.
    void set(HxTime time, float value)
    {
        // Replacing the last key of a track this list alone owns is what
        // every tick of a Preview drag does a thousand times: kept inline.
        if (m_last && m_last->time == time) [[likely]]
            m_last->value = value;
        else
            setElsewhere(time, value);
    }
    // Asks the cache for the list's own fields that set() reads, and then,
    // once they are in, for the key set() would replace: ahead of a run of
    // sets over many lists.
    void prefetchList() const { __builtin_prefetch(&m_last); }
    void prefetchLast() const
    {
        if (m_last)
            __builtin_prefetch(m_last, 1);
    }
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
        reference operator*() const { return (*(*m_list)[m_group]->chunks[m_chunk])[m_offset]; }
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
        const_iterator(const Groups* list, size_t group, size_t chunk, size_t offset)
            : m_list(list), m_group(group), m_chunk(chunk), m_offset(offset)
        {}
        const Groups* m_list = nullptr;
        size_t m_group = 0;
        size_t m_chunk = 0;
        size_t m_offset = 0;
    };
    const_iterator begin() const { return const_iterator(&m_groups, 0, 0, 0); }
    const_iterator end() const { return const_iterator(&m_groups, m_groups.size(), 0, 0); }

    // Keys per chunk before a chunk is split; appended keys fill chunks to it.
    static constexpr size_t ChunkSize = 256;
    // Chunks per group, likewise.
    static constexpr size_t GroupSize = 16;

private:
    // The first group (or chunk of a group) whose last key is at or after
    // the time.
    size_t groupFor(HxTime time) const;
    static size_t chunkFor(const Group& group, HxTime time);
    Group& writable(size_t group);
    static Chunk& writable(Group& group, size_t chunk);
    void setElsewhere(HxTime time, float value);
    void append(HxTime time, float value);
    // Removes the group's keys within [from, to], which do not cover it all.
    int eraseWithin(Group& group, HxTime from, HxTime to);

    // The last chunk while this list alone owns it and its group, so that
    // the keys a live blend sets at the end touch nothing else; null when
    // unknown. Its last key beside it spares set() a load from the chunk.
    // First, so that they share a cache line with whatever the list's owner
    // keeps just before it.
    mutable Chunk* m_tail = nullptr;
    mutable HxFloatKey* m_last = nullptr;
    Groups m_groups;
    // The last key time of each group.
    std::vector<HxTime> m_lastTimes;
    int m_size = 0;

    void setTail(Chunk* tail) const
    {
        m_tail = tail;
        m_last = tail && !tail->empty() ? &tail->back() : nullptr;
    }
};

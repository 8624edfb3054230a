#pragma once

#include "hxcore/hxmemory.h"

#include <QString>
#include <QtGlobal>
#include <climits>
#include <cstdint>
#include <cstring>
#include <type_traits>

// A growable array of plain values that grows by a fixed block and moves its
// elements as raw bytes. It buffers values read from a scene file before the
// objects they belong to are known. A failed allocation throws the QString
// "Out of Memory"; indexing an empty array throws the index message.
template <typename T> class HxTSimpleArray
{
    static_assert(std::is_trivially_copyable_v<T>, "elements are moved as raw bytes");

public:
    explicit HxTSimpleArray(int blockGrowSize) : m_blockGrowSize(blockGrowSize)
    {
        if (m_blockGrowSize <= 0) {
            qWarning("Invalid block grow size specified in HxTSimpleArray::HxTSimpleArray()");
            m_blockGrowSize = 1;
        }
    }
    ~HxTSimpleArray() { hxFree(m_data); }

    HxTSimpleArray(const HxTSimpleArray&) = delete;
    HxTSimpleArray& operator=(const HxTSimpleArray&) = delete;

    bool append(const T& value)
    {
        if (m_count >= m_capacity)
            grow(m_blockGrowSize, true);
        m_data[m_count++] = value;
        return true;
    }

    // Adds room for count more elements. Without keepContents the elements
    // keep their number but not their values: they read as zero bytes.
    void grow(int count, bool keepContents)
    {
        if (count < 0)
            return;
        // An int capacity that would wrap, or a byte size beyond the address
        // space, can never be allocated.
        if (count > INT_MAX - m_capacity)
            throw QString(QStringLiteral("Out of Memory"));
        const int capacity = m_capacity + count;
        if (std::size_t(capacity) > std::size_t(PTRDIFF_MAX) / sizeof(T))
            throw QString(QStringLiteral("Out of Memory"));
        T* data = static_cast<T*>(hxMalloc(std::size_t(capacity) * sizeof(T)));
        if (!data)
            throw QString(QStringLiteral("Out of Memory"));
        if (keepContents && m_data && m_count > 0)
            std::memcpy(static_cast<void*>(data), m_data, std::size_t(m_count) * sizeof(T));
        else
            std::memset(static_cast<void*>(data), 0, std::size_t(m_count) * sizeof(T));
        hxFree(m_data);
        m_capacity = capacity;
        m_data = data;
    }

    // A bad index on a filled array is reported and answered with the first
    // element so that reading a damaged file goes on.
    T& at(int index)
    {
        if (index >= 0 && index < m_count)
            return m_data[index];
        if (m_count == 0)
            throw QString(QStringLiteral("Illegal array index in HxTSimpleArray::at()"));
        qWarning("Illegal array index in HxTSimpleArray::at()");
        return m_data[0];
    }
    const T& at(int index) const { return const_cast<HxTSimpleArray*>(this)->at(index); }

    // Empties the array but keeps its storage for the next run of appends.
    void reset() { m_count = 0; }

    int count() const { return m_count; }
    int capacity() const { return m_capacity; }
    int blockGrowSize() const { return m_blockGrowSize; }

private:
    int m_count = 0;
    int m_capacity = 0;
    int m_blockGrowSize;
    T* m_data = nullptr;
};

#include "hxcore/hxinfile.h"

#include "hxcore/hxbase.h"
#include "hxcore/hxvec3.h"

#include <QtEndian>
#include <cstring>

namespace {

// Numbers travel as little-endian bit patterns; copying the bits keeps
// floats exact, -0 and NaN payloads included.
template <typename Bits, typename Value> Value fromLittleEndianBits(const char* at)
{
    static_assert(sizeof(Bits) == sizeof(Value));
    const Bits bits = qFromLittleEndian<Bits>(at);
    Value value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Copies count little-endian 4-byte words, bit for bit.
void copyLittleEndianWords(void* values, const char* at, qsizetype count)
{
    if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
        std::memcpy(values, at, size_t(count) * 4);
    } else {
        auto* out = static_cast<char*>(values);
        for (qsizetype i = 0; i < count; ++i) {
            const quint32 bits = qFromLittleEndian<quint32>(at + 4 * i);
            std::memcpy(out + 4 * i, &bits, 4);
        }
    }
}

} // namespace

HxInFile::HxInFile(const QByteArray& data, const QString& sourceName) : m_data(data), m_sourceName(sourceName)
{}

HxInFile::~HxInFile() = default;

void HxInFile::beginSection(HxBase* object, short id, qsizetype start, qsizetype end)
{
    m_object = object;
    m_sectionId = id;
    m_sectionStart = m_pos = start;
    m_end = end;
    m_inSection = true;
}

void HxInFile::endSection()
{
    m_inSection = false;
    m_object = nullptr;
    m_pos = m_end = m_sectionStart = 0;
}

const char* HxInFile::take(qsizetype size)
{
    if (!m_inSection || size < 0 || m_end - m_pos < size)
        return nullptr;
    const char* at = m_data.constData() + m_pos;
    m_pos += size;
    return at;
}

#define HX_CHECK_SECTION()                                                                                   \
    if (!m_inSection)                                                                                        \
    return NoSection

unsigned HxInFile::readInt(int& value)
{
    HX_CHECK_SECTION();
    const char* at = take(4);
    if (!at)
        return EndOfSection;
    value = qFromLittleEndian<qint32>(at);
    return Ok;
}

unsigned HxInFile::readFloat(float& value)
{
    HX_CHECK_SECTION();
    const char* at = take(4);
    if (!at)
        return EndOfSection;
    value = fromLittleEndianBits<quint32, float>(at);
    return Ok;
}

unsigned HxInFile::readDouble(double& value)
{
    HX_CHECK_SECTION();
    const char* at = take(8);
    if (!at)
        return EndOfSection;
    value = fromLittleEndianBits<quint64, double>(at);
    return Ok;
}

unsigned HxInFile::readBool(bool& value)
{
    HX_CHECK_SECTION();
    if (remaining() < 1)
        return EndOfSection;
    const auto byte = quint8(m_data.at(m_pos));
    if (byte > 1)
        return BadValue;
    ++m_pos;
    value = byte == 1;
    return Ok;
}

unsigned HxInFile::readVec(HxVec3& value)
{
    HX_CHECK_SECTION();
    float xyz[3];
    const unsigned status = readFloats(xyz, 3);
    if (status == Ok)
        value = HxVec3(xyz[0], xyz[1], xyz[2]);
    return status;
}

unsigned HxInFile::readString(QString& value)
{
    HX_CHECK_SECTION();
    if (remaining() < 4)
        return EndOfSection;
    const quint32 length = qFromLittleEndian<quint32>(m_data.constData() + m_pos);
    if (qsizetype(length) > remaining() - 4)
        return EndOfSection;
    m_pos += 4;
    const char* at = take(qsizetype(length));
    value = QString::fromUtf8(at, qsizetype(length));
    return Ok;
}

unsigned HxInFile::readPointer()
{
    quint32 id;
    short index;
    return readPointer(id, index);
}

unsigned HxInFile::readPointer(quint32& objectId, short& index)
{
    HX_CHECK_SECTION();
    const qsizetype at = m_pos;
    const char* bytes = take(6);
    if (!bytes)
        return EndOfSection;
    objectId = qFromLittleEndian<quint32>(bytes);
    index = qFromLittleEndian<qint16>(bytes + 4);
    m_pointers.push_back(PointerRef{m_object, m_sectionId, index, objectId, at});
    return Ok;
}

unsigned HxInFile::readDoubles(double* values, int count)
{
    HX_CHECK_SECTION();
    if (count < 0 || remaining() < qsizetype(count) * 8)
        return EndOfSection;
    for (int i = 0; i < count; ++i)
        readDouble(values[i]);
    return Ok;
}

unsigned HxInFile::readInts(int* values, qsizetype count)
{
    HX_CHECK_SECTION();
    if (count < 0 || remaining() / 4 < count)
        return EndOfSection;
    // An empty list may come with no buffer at all, which memcpy must not see.
    if (count == 0)
        return Ok;
    copyLittleEndianWords(values, take(count * 4), count);
    return Ok;
}

unsigned HxInFile::readFloats(float* values, qsizetype count)
{
    HX_CHECK_SECTION();
    if (count < 0 || remaining() / 4 < count)
        return EndOfSection;
    // An empty list may come with no buffer at all, which memcpy must not see.
    if (count == 0)
        return Ok;
    copyLittleEndianWords(values, take(count * 4), count);
    return Ok;
}

#undef HX_CHECK_SECTION

void HxInFile::registerObject(quint32 id, HxBase* object)
{
    if (id == 0 || !object) {
        fail(QStringLiteral("an embedded object has the id 0"));
        return;
    }
    if (m_embedded.contains(id)) {
        fail(QStringLiteral("the object id %1 is used twice").arg(id));
        return;
    }
    m_embedded.insert(id, object);
}

bool HxInFile::claim(const HxBase* object) const
{
    if (!object)
        return false;
    if (m_claimed.contains(object)) {
        warn(QStringLiteral("a %1 is referred to as a part of two objects; the second is left without it")
                 .arg(QLatin1String(object->metaObject()->className())));
        return false;
    }
    m_claimed.insert(object);
    return true;
}

void HxInFile::fail(const QString& what)
{
    if (!m_error.isEmpty())
        return;
    m_error = QStringLiteral("%1: byte %2: %3").arg(m_sourceName).arg(m_pos).arg(what);
}

void HxInFile::warn(const QString& what) const
{
    m_warnings.append(QStringLiteral("%1: byte %2: %3").arg(m_sourceName).arg(m_pos).arg(what));
}

void HxInFile::warnUnknownSection(const HxBase* object, short id)
{
    // A class that read part of the section and then handed it on has
    // taken it; only a section nobody read is unknown.
    if (consumed() > 0)
        return;
    warn(QStringLiteral("skipped unknown section 0x%1 of a %2")
             .arg(quint16(id), 4, 16, QLatin1Char('0'))
             .arg(QLatin1String(object ? object->metaObject()->className() : "object")));
}

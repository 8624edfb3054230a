#include "hxcore/hxoutfile.h"

#include "hxfileformat.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxbase.h"
#include "hxcore/hxclassfactory.h"
#include "hxcore/hxguid.h"
#include "hxcore/hxvec3.h"

#include <cstring>
#include <limits>

namespace {

HxGUID classGuid(const HxBase* object)
{
    if (!hxApp)
        return HxGUID();
    const HxClassFactory* factory =
        hxApp->findFactory(QString::fromLatin1(object->metaObject()->className()));
    return factory ? factory->getGUID() : HxGUID();
}

} // namespace

HxOutFile::HxOutFile() = default;

HxOutFile::~HxOutFile() = default;

template <typename T> unsigned HxOutFile::put(T value)
{
    if (m_sectionStart < 0)
        return NoSection;
    const qsizetype at = m_data.size();
    m_data.resize(at + qsizetype(sizeof(T)));
    qToLittleEndian(value, m_data.data() + at);
    return Ok;
}

unsigned HxOutFile::putBytes(const void* bytes, qsizetype size)
{
    if (m_sectionStart < 0)
        return NoSection;
    m_data.append(static_cast<const char*>(bytes), size);
    return Ok;
}

unsigned HxOutFile::startSection(short id)
{
    if (m_recordStart < 0)
        return OutsideObject;
    if (m_sectionStart >= 0)
        return NestedSection;
    const qsizetype at = m_data.size();
    m_data.resize(at + HxFileFormat::SectionHeaderSize);
    qToLittleEndian<qint16>(id, m_data.data() + at);
    qToLittleEndian<quint32>(0, m_data.data() + at + 2);
    m_sectionStart = at;
    return Ok;
}

unsigned HxOutFile::endSection()
{
    if (m_sectionStart < 0)
        return NoSection;
    const qsizetype length = m_data.size() - m_sectionStart - HxFileFormat::SectionHeaderSize;
    const qsizetype start = m_sectionStart;
    m_sectionStart = -1;
    if (length > qsizetype(std::numeric_limits<quint32>::max()))
        return TooLarge;
    qToLittleEndian<quint32>(quint32(length), m_data.data() + start + 2);
    return Ok;
}

unsigned HxOutFile::writeInt(int value)
{
    return put<qint32>(value);
}

unsigned HxOutFile::writeFloat(float value)
{
    quint32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return put<quint32>(bits);
}

unsigned HxOutFile::writeDouble(double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return put<quint64>(bits);
}

unsigned HxOutFile::writeBool(bool value)
{
    return put<quint8>(value ? 1 : 0);
}

unsigned HxOutFile::writeVec(const HxVec3& value)
{
    unsigned status = writeFloat(value.x);
    status |= writeFloat(value.y);
    return status | writeFloat(value.z);
}

unsigned HxOutFile::writeString(const QString& value)
{
    const QByteArray utf8 = value.toUtf8();
    const unsigned status = put<quint32>(quint32(utf8.size()));
    return status ? status : putBytes(utf8.constData(), utf8.size());
}

unsigned HxOutFile::writePointer(const HxBase* object, short index)
{
    const unsigned status = put<quint32>(objectId(object));
    if (status)
        return status;
    if (object && !m_written.contains(object) && !m_queued.contains(object)) {
        m_queued.insert(object);
        m_pending.append(object);
    }
    return put<qint16>(index);
}

unsigned HxOutFile::writeInts(const int* values, qsizetype count)
{
    if (m_sectionStart < 0)
        return NoSection;
    if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN)
        return putBytes(values, count * qsizetype(sizeof(int)));
    for (qsizetype i = 0; i < count; ++i)
        writeInt(values[i]);
    return Ok;
}

unsigned HxOutFile::writeFloats(const float* values, qsizetype count)
{
    if (m_sectionStart < 0)
        return NoSection;
    if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN)
        return putBytes(values, count * qsizetype(sizeof(float)));
    for (qsizetype i = 0; i < count; ++i)
        writeFloat(values[i]);
    return Ok;
}

#define HX_ONE_FIELD_SECTION(call)                                                                           \
    do {                                                                                                     \
        unsigned status = startSection(id);                                                                  \
        if (status)                                                                                          \
            return status;                                                                                   \
        status = call;                                                                                       \
        return endSection() | status;                                                                        \
    } while (false)

unsigned HxOutFile::writeIntSection(short id, int value)
{
    HX_ONE_FIELD_SECTION(writeInt(value));
}

unsigned HxOutFile::writeFloatSection(short id, float value)
{
    HX_ONE_FIELD_SECTION(writeFloat(value));
}

unsigned HxOutFile::writeDoubleSection(short id, double value)
{
    HX_ONE_FIELD_SECTION(writeDouble(value));
}

unsigned HxOutFile::writeBoolSection(short id, bool value)
{
    HX_ONE_FIELD_SECTION(writeBool(value));
}

unsigned HxOutFile::writeVecSection(short id, const HxVec3& value)
{
    HX_ONE_FIELD_SECTION(writeVec(value));
}

unsigned HxOutFile::writeStringSection(short id, const QString& value)
{
    HX_ONE_FIELD_SECTION(writeString(value));
}

unsigned HxOutFile::writePointerSection(short id, const HxBase* object, short index)
{
    HX_ONE_FIELD_SECTION(writePointer(object, index));
}

#undef HX_ONE_FIELD_SECTION

quint32 HxOutFile::objectId(const HxBase* object)
{
    if (!object)
        return 0;
    auto found = m_ids.constFind(object);
    if (found != m_ids.constEnd())
        return found.value();
    const quint32 id = m_nextId++;
    m_ids.insert(object, id);
    return id;
}

quint32 HxOutFile::embed(const HxBase* object)
{
    if (!object)
        return 0;
    m_written.insert(object);
    return objectId(object);
}

void HxOutFile::writeHeader()
{
    m_data.append(HxFileFormat::Magic, sizeof HxFileFormat::Magic);
    char numbers[8];
    qToLittleEndian<quint32>(HxFileFormat::Version, numbers);
    qToLittleEndian<quint32>(0, numbers + 4);
    m_data.append(numbers, sizeof numbers);
}

void HxOutFile::writeRecord(const HxBase* object)
{
    m_written.insert(object);
    const HxGUID guid = object ? classGuid(object) : HxGUID();
    const qsizetype start = m_data.size();
    m_data.append(guid.toUuid().toRfc4122());
    m_data.resize(start + HxFileFormat::RecordHeaderSize);
    qToLittleEndian<quint32>(object ? objectId(object) : 0, m_data.data() + start + HxFileFormat::GuidSize);
    m_recordStart = start;
    if (object && !guid.isNull())
        object->save(this);
    else if (object)
        // Pointers to it still resolve (to null) when the file is read.
        qWarning("HxOutFile: a %s cannot be stored (no class factory knows it)",
                 object->metaObject()->className());
    if (m_sectionStart >= 0) {
        qWarning("HxOutFile: a %s left a section open",
                 object ? object->metaObject()->className() : "record");
        endSection();
    }
    m_recordStart = -1;
    const qsizetype payload = m_data.size() - start - HxFileFormat::RecordHeaderSize;
    qToLittleEndian<quint32>(quint32(payload), m_data.data() + start + HxFileFormat::GuidSize + 4);
    const quint32 crc = HxFileFormat::crc32(0, m_data.constData() + start, m_data.size() - start);
    char sum[4];
    qToLittleEndian<quint32>(crc, sum);
    m_data.append(sum, 4);
    if (object)
        ++m_objectCount;
}

void HxOutFile::writeObject(const HxBase* object)
{
    if (!object || m_written.contains(object))
        return;
    writeRecord(object);
    drainPending();
}

void HxOutFile::drainPending()
{
    // Breadth first: a node's bones and data items are stored before what
    // they in turn point at, so every container has embedded its parts
    // before anything that points at those parts is stored.
    while (!m_pending.isEmpty()) {
        const HxBase* next = m_pending.takeFirst();
        if (m_written.contains(next))
            continue;
        // An object no factory knows may still be embedded by a container
        // stored later; only at the end does it become a placeholder.
        if (classGuid(next).isNull())
            m_late.append(next);
        else
            writeRecord(next);
    }
}

void HxOutFile::finish()
{
    drainPending();
    for (const HxBase* late : std::as_const(m_late))
        if (!m_written.contains(late))
            writeRecord(late);
    m_late.clear();
    const qsizetype start = m_data.size();
    m_data.append(QByteArray(HxFileFormat::RecordHeaderSize + 4, '\0'));
    qToLittleEndian<quint32>(4, m_data.data() + start + HxFileFormat::GuidSize + 4);
    qToLittleEndian<quint32>(quint32(m_objectCount), m_data.data() + start + HxFileFormat::RecordHeaderSize);
    const quint32 crc = HxFileFormat::crc32(0, m_data.constData() + start, m_data.size() - start);
    char sum[4];
    qToLittleEndian<quint32>(crc, sum);
    m_data.append(sum, 4);
}

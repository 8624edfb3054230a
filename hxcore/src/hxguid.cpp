#include "hxcore/hxguid.h"

#include <QDebug>
#include <QHashFunctions>

#include <tuple>

namespace {

// Fields 2 to 5 of every legacy GUID. Version 0 and variant 111 are never
// produced by a GUID generator; the trailing bytes spell "HXLCID".
constexpr ushort kLegacyData2 = 0x0000;
constexpr ushort kLegacyData3 = 0x0000;
constexpr uchar kLegacyData4[8] = {0xE0, 0x00, 'H', 'X', 'L', 'C', 'I', 'D'};

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// 8-4-4-4-12 hex digits exactly; QUuid alone would also take other shapes.
bool hasGuidShape(const QString& text)
{
    if (text.size() != 36)
        return false;
    for (int n = 0; n < 36; ++n) {
        const bool dash = n == 8 || n == 13 || n == 18 || n == 23;
        if (dash ? text.at(n) != u'-' : !isHexDigit(text.at(n)))
            return false;
    }
    return true;
}

} // namespace

HxGUID HxGUID::fromString(const QString& text)
{
    QString body = text.trimmed();
    if (body.startsWith(u'{') && body.endsWith(u'}'))
        body = body.mid(1, body.size() - 2);
    if (!hasGuidShape(body))
        return HxGUID();
    HxGUID guid(QUuid::fromString(body));
    guid.m_text = body;
    return guid;
}

HxGUID HxGUID::fromLegacyClassID(quint32 id)
{
    const uchar* d = kLegacyData4;
    return HxGUID(QUuid(id, kLegacyData2, kLegacyData3, d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7]));
}

QString HxGUID::toString() const
{
    return m_text.isEmpty() ? m_uuid.toString(QUuid::WithoutBraces).toUpper() : m_text;
}

bool HxGUID::isLegacy() const
{
    if (m_uuid.data2 != kLegacyData2 || m_uuid.data3 != kLegacyData3)
        return false;
    for (int n = 0; n < 8; ++n)
        if (m_uuid.data4[n] != kLegacyData4[n])
            return false;
    return true;
}

quint32 HxGUID::legacyClassID() const
{
    return isLegacy() ? m_uuid.data1 : 0;
}

bool HxGUID::operator<(const HxGUID& other) const
{
    const QUuid& a = m_uuid;
    const QUuid& b = other.m_uuid;
    return std::tie(a.data1, a.data2, a.data3, a.data4[0], a.data4[1], a.data4[2], a.data4[3], a.data4[4],
                    a.data4[5], a.data4[6],
                    a.data4[7]) < std::tie(b.data1, b.data2, b.data3, b.data4[0], b.data4[1], b.data4[2],
                                           b.data4[3], b.data4[4], b.data4[5], b.data4[6], b.data4[7]);
}

size_t qHash(const HxGUID& guid, size_t seed) noexcept
{
    return qHash(guid.toUuid(), seed);
}

QDebug operator<<(QDebug debug, const HxGUID& guid)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "HxGUID(" << guid.toString() << ')';
    return debug;
}

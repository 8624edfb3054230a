#pragma once

#include "hxcore/hxglobal.h"

#include <QMetaType>
#include <QString>
#include <QUuid>

class QDebug;

// A 128-bit class identifier. Classes are identified either by a GUID string
// or by a 32-bit legacy class id; legacy ids map into a fixed GUID pattern
// that no generated GUID can take (its version nibble is 0 and its variant
// bits are the reserved 111), so the two kinds never collide.
class HXCORE_EXPORT HxGUID
{
public:
    HxGUID() = default;
    explicit HxGUID(const QUuid& uuid) : m_uuid(uuid) {}

    // "89F86E80-ADA4-433a-97E4-0C349C8D3E34", any case, with or without
    // braces, surrounding blanks ignored. Anything else gives a null GUID.
    static HxGUID fromString(const QString& text);
    static HxGUID fromLegacyClassID(quint32 id);

    // As it was written for fromString (without braces or blanks), since
    // identifiers are fixed texts that people search for; otherwise upper
    // case. A null GUID prints as all zeros.
    QString toString() const;
    bool isNull() const { return m_uuid.isNull(); }
    bool isLegacy() const;
    // The id given to fromLegacyClassID, or 0 for any other GUID.
    quint32 legacyClassID() const;
    QUuid toUuid() const { return m_uuid; }

    bool operator==(const HxGUID& other) const { return m_uuid == other.m_uuid; }
    bool operator!=(const HxGUID& other) const { return !(*this == other); }
    // Orders as the printed strings do.
    bool operator<(const HxGUID& other) const;

private:
    QUuid m_uuid;
    // The text fromString read, kept for printing; never compared.
    QString m_text;
};

HXCORE_EXPORT size_t qHash(const HxGUID& guid, size_t seed = 0) noexcept;
HXCORE_EXPORT QDebug operator<<(QDebug debug, const HxGUID& guid);

Q_DECLARE_METATYPE(HxGUID)

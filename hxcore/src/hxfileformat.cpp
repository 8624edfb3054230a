#include "hxfileformat.h"

#include <array>

namespace {

// Eight tables, so the checksum takes eight bytes per step: tens of
// megabytes of keys are summed in a few tens of milliseconds.
using Tables = std::array<std::array<quint32, 256>, 8>;

Tables makeTables()
{
    Tables t{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[0][i] = c;
    }
    for (quint32 i = 0; i < 256; ++i)
        for (int s = 1; s < 8; ++s)
            t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
    return t;
}

const Tables& tables()
{
    static const Tables t = makeTables();
    return t;
}

} // namespace

quint32 HxFileFormat::crc32(quint32 crc, const char* data, qsizetype size)
{
    const Tables& t = tables();
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    crc = ~crc;
    while (size >= 8) {
        const quint32 one =
            crc ^ (quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24);
        const quint32 two = quint32(p[4]) | quint32(p[5]) << 8 | quint32(p[6]) << 16 | quint32(p[7]) << 24;
        crc = t[7][one & 0xFF] ^ t[6][(one >> 8) & 0xFF] ^ t[5][(one >> 16) & 0xFF] ^ t[4][one >> 24] ^
              t[3][two & 0xFF] ^ t[2][(two >> 8) & 0xFF] ^ t[1][(two >> 16) & 0xFF] ^ t[0][two >> 24];
        p += 8;
        size -= 8;
    }
    while (size-- > 0)
        crc = t[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

#pragma once

// The layout of a scene file, shared by HxOutFile, HxInFile and HxSceneFile.
//
//   header   "HXSCENE\x1a", u32 format version, u32 flags (0)
//   record   16-byte class GUID, u32 object id, u32 payload length,
//            payload (sections), u32 CRC-32 of everything before it in the
//            record
//   section  i16 id, u32 payload length, payload
//   end      a record with the null GUID and object id 0 whose payload is
//            the u32 number of object records before it
//
// All numbers are little-endian. The checksum makes any damaged byte of a
// record show up before a single object is made from it, and the end record
// tells a file cut off between two records from a whole one.

#include <QtEndian>
#include <QtGlobal>
#include <cstring>

namespace HxFileFormat {

constexpr char Magic[8] = {'H', 'X', 'S', 'C', 'E', 'N', 'E', '\x1a'};
constexpr quint32 Version = 1;
constexpr qsizetype HeaderSize = 16;
constexpr qsizetype GuidSize = 16;
constexpr qsizetype RecordHeaderSize = GuidSize + 4 + 4;
constexpr qsizetype ChecksumSize = 4;
constexpr qsizetype SectionHeaderSize = 2 + 4;
constexpr qsizetype PointerSize = 4 + 2;

quint32 crc32(quint32 crc, const char* data, qsizetype size);

inline quint32 readU32(const char* at)
{
    return qFromLittleEndian<quint32>(at);
}

inline qint16 readI16(const char* at)
{
    return qFromLittleEndian<qint16>(at);
}

} // namespace HxFileFormat

#pragma once

#include "hxcore/hxguid.h"

#include <QByteArray>
#include <QList>
#include <QUuid>
#include <QtEndian>

// Reads a scene file's records and sections as the format lays them out,
// and writes them back with fresh checksums, so tests can count what a
// save holds and build files in forms this host no longer writes.
struct SceneFileWalker
{
    struct Section
    {
        qint16 id;
        qsizetype lengthOffset; // where the section's length field sits
        QByteArray payload;
    };
    struct Record
    {
        HxGUID guid;
        quint32 id;
        qsizetype lengthOffset;
        QList<Section> sections;
    };

    QByteArray header;
    QList<Record> records;

    explicit SceneFileWalker(const QByteArray& data)
    {
        header = data.left(16);
        qsizetype pos = 16;
        while (pos + 24 <= data.size()) {
            Record record;
            record.guid = HxGUID(QUuid::fromRfc4122(QByteArrayView(data.constData() + pos, 16)));
            record.id = qFromLittleEndian<quint32>(data.constData() + pos + 16);
            record.lengthOffset = pos + 20;
            const quint32 length = qFromLittleEndian<quint32>(data.constData() + pos + 20);
            const qsizetype end = pos + 24 + length;
            if (record.id == 0)
                break;
            for (qsizetype at = pos + 24; at < end;) {
                const quint32 size = qFromLittleEndian<quint32>(data.constData() + at + 2);
                record.sections.append(
                    {qFromLittleEndian<qint16>(data.constData() + at), at + 2, data.mid(at + 6, size)});
                at += 6 + size;
            }
            records.append(record);
            pos = end + 4;
        }
    }

    int count(const HxGUID& guid) const
    {
        int n = 0;
        for (const Record& record : records)
            n += record.guid == guid;
        return n;
    }

    QByteArray write() const
    {
        QByteArray out = header;
        for (const Record& record : records) {
            QByteArray bytes = record.guid.toUuid().toRfc4122();
            QByteArray payload;
            for (const Section& section : record.sections) {
                char head[6];
                qToLittleEndian<qint16>(section.id, head);
                qToLittleEndian<quint32>(quint32(section.payload.size()), head + 2);
                payload += QByteArray(head, 6) + section.payload;
            }
            appendRecord(out, bytes, record.id, payload);
        }
        QByteArray count(4, '\0');
        qToLittleEndian<quint32>(quint32(records.size()), count.data());
        appendRecord(out, QByteArray(16, '\0'), 0, count);
        return out;
    }

private:
    static void appendRecord(QByteArray& out, const QByteArray& guid, quint32 id, const QByteArray& payload)
    {
        QByteArray record = guid;
        char numbers[8];
        qToLittleEndian<quint32>(id, numbers);
        qToLittleEndian<quint32>(quint32(payload.size()), numbers + 4);
        record += QByteArray(numbers, 8) + payload;
        char sum[4];
        qToLittleEndian<quint32>(crc32(record), sum);
        out += record + QByteArray(sum, 4);
    }
    static quint32 crc32(const QByteArray& bytes)
    {
        quint32 crc = 0xFFFFFFFFu;
        for (char c : bytes) {
            crc ^= quint8(c);
            for (int k = 0; k < 8; ++k)
                crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
        }
        return ~crc;
    }
};

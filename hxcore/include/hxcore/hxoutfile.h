#pragma once

#include "hxcore/hxglobal.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

class HxBase;
class HxVec3;

// Writes storable objects into a scene file's bytes: each object as its
// class GUID, its object id and its numbered sections. Numbers are
// little-endian IEEE, strings UTF-8 with their byte length first, pointers
// an object id (0 for null) and the index the writer gave.
//
// Sections are written in the order of the calls. startSection/endSection
// bracket a section of several fields; the calls ending in Section write a
// section of one field. Every object a written pointer refers to is stored
// too, through its own save(), unless its container stores it (embed()).
// Every call returns 0 on success and a non-zero status otherwise.
class HXCORE_EXPORT HxOutFile
{
public:
    enum Status : unsigned
    {
        Ok = 0,
        NoSection = 1,     // a field outside startSection/endSection
        NestedSection = 2, // startSection inside an open section
        OutsideObject = 3, // a section outside an object being saved
        TooLarge = 4,      // more than the format's 4 GB in one section
    };

    HxOutFile();
    ~HxOutFile();
    HxOutFile(const HxOutFile&) = delete;
    HxOutFile& operator=(const HxOutFile&) = delete;

    unsigned startSection(short id);
    unsigned endSection();

    unsigned writeInt(int value);
    unsigned writeFloat(float value);
    unsigned writeDouble(double value);
    unsigned writeBool(bool value);
    unsigned writeVec(const HxVec3& value);
    unsigned writeString(const QString& value);
    unsigned writePointer(const HxBase* object, short index);
    // Many ints or floats at once, for long key tracks.
    unsigned writeInts(const int* values, qsizetype count);
    unsigned writeFloats(const float* values, qsizetype count);

    unsigned writeIntSection(short id, int value);
    unsigned writeFloatSection(short id, float value);
    unsigned writeDoubleSection(short id, double value);
    unsigned writeBoolSection(short id, bool value);
    unsigned writeVecSection(short id, const HxVec3& value);
    unsigned writeStringSection(short id, const QString& value);
    unsigned writePointerSection(short id, const HxBase* object, short index);

    // The object's id in this file, given on first use; 0 for null.
    quint32 objectId(const HxBase* object);
    // The object is stored inside the one being saved (a node's property):
    // pointers reach it by the id returned, and it gets no record of its own.
    quint32 embed(const HxBase* object);

    // Writes the header; then objects, each followed by every object its
    // pointers reached; then finish() closes the file with its end record.
    void writeHeader();
    void writeObject(const HxBase* object);
    // Writes what pointers reached and nothing stored yet, then the end record.
    void finish();
    const QByteArray& data() const { return m_data; }
    int objectCount() const { return m_objectCount; }

private:
    void writeRecord(const HxBase* object);
    void drainPending();
    template <typename T> unsigned put(T value);
    unsigned putBytes(const void* bytes, qsizetype size);

    QByteArray m_data;
    QHash<const HxBase*, quint32> m_ids;
    QSet<const HxBase*> m_written;
    QList<const HxBase*> m_pending;
    QList<const HxBase*> m_late;
    QSet<const HxBase*> m_queued;
    quint32 m_nextId = 1;
    qsizetype m_recordStart = -1;
    qsizetype m_sectionStart = -1;
    int m_objectCount = 0;
};

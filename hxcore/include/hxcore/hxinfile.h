#pragma once

#include "hxcore/hxglobal.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

class HxBase;
class HxVec3;

// Reads the sections of a scene file's objects (see HxOutFile for the
// layout). While an object's loadSection runs, the read calls take the
// section's fields in the order they were written; a read never goes past
// the section's end: it then returns a non-zero status and leaves its
// output untouched, which is how a loop over a section's pointers ends.
//
// Pointers are not resolved while reading: readPointer notes the reference,
// and once every object of the file exists the reading object is handed the
// object referred to through setPointer.
class HXCORE_EXPORT HxInFile
{
public:
    enum Status : unsigned
    {
        Ok = 0,
        EndOfSection = 1, // fewer bytes left in the section than the field needs
        NoSection = 2,    // a read outside loadSection
        BadValue = 3,     // the bytes are there but cannot be the field (a bool of 7)
    };

    HxInFile(const QByteArray& data, const QString& sourceName);
    ~HxInFile();
    HxInFile(const HxInFile&) = delete;
    HxInFile& operator=(const HxInFile&) = delete;

    unsigned readInt(int& value);
    unsigned readFloat(float& value);
    unsigned readDouble(double& value);
    unsigned readBool(bool& value);
    unsigned readVec(HxVec3& value);
    unsigned readString(QString& value);
    // Takes one pointer reference; setPointer follows once the file is read.
    unsigned readPointer();
    // As readPointer, also giving the id and index read (for the host's own
    // classes, which check what they are given).
    unsigned readPointer(quint32& objectId, short& index);
    // All count values or, when the section holds fewer, none.
    unsigned readDoubles(double* values, int count);
    unsigned readInts(int* values, qsizetype count);
    unsigned readFloats(float* values, qsizetype count);

    // Bytes of the current section not read yet.
    qsizetype remaining() const { return m_end - m_pos; }
    // Bytes of the current section read so far.
    qsizetype consumed() const { return m_pos - m_sectionStart; }
    // The byte offset in the file where the next read starts.
    qsizetype offset() const { return m_pos; }
    short sectionId() const { return m_sectionId; }
    QString sourceName() const { return m_sourceName; }
    quint32 formatVersion() const { return m_version; }

    // An object stored inside the one being read (a node's property), so
    // pointers written with its id reach it. An id used twice fails the file.
    void registerObject(quint32 id, HxBase* object);

    // For setPointer of a class that takes ownership of what it is handed:
    // true the first time an object is claimed, false (with a warning) when
    // another object already took it, so no object ever gets two owners.
    bool claim(const HxBase* object) const;

    // Marks the file as damaged: reading stops after this section and the
    // open scene is left alone. The message gets the file name and offset.
    void fail(const QString& what);
    bool failed() const { return !m_error.isEmpty(); }
    QString errorString() const { return m_error; }
    // Something skipped or repaired; the file still loads.
    void warn(const QString& what) const;
    QStringList warnings() const { return m_warnings; }
    // Called by HxBase for a section no class took.
    void warnUnknownSection(const HxBase* object, short id);

private:
    friend class HxSceneFile;
    struct PointerRef
    {
        HxBase* reader;
        short section;
        short index;
        quint32 target;
        qsizetype offset;
    };

    void beginSection(HxBase* object, short id, qsizetype start, qsizetype end);
    void endSection();
    const char* take(qsizetype size);

    QByteArray m_data;
    QString m_sourceName;
    quint32 m_version = 0;
    HxBase* m_object = nullptr;
    short m_sectionId = 0;
    qsizetype m_sectionStart = 0;
    qsizetype m_pos = 0;
    qsizetype m_end = 0;
    bool m_inSection = false;
    std::vector<PointerRef> m_pointers;
    QHash<quint32, HxBase*> m_embedded;
    mutable QSet<const HxBase*> m_claimed;
    QString m_error;
    mutable QStringList m_warnings;
};

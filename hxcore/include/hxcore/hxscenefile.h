#pragma once

#include "hxcore/hxglobal.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class HxScene;

// Saves the application's scene to a scene file and reads one back in its
// place: every node with its properties, keys, morphs and data items, the
// scene's time settings, selection and sound track, and the state script
// that hxApp's saveStateScript collects.
//
// Reading is all or nothing. The file is checked and its objects are made,
// read and linked aside; only then does the open scene make way for them.
// A file that fails leaves the open scene exactly as it was, with one
// message "<file>: byte <offset>: <what went wrong>".
class HXCORE_EXPORT HxSceneFile
{
public:
    // The format this host writes and the newest it reads.
    static constexpr quint32 FormatVersion = 1;
    // Larger files are refused before they are read into memory.
    static constexpr qint64 MaxFileSize = qint64(1) << 31;

    HxSceneFile();
    ~HxSceneFile();

    // The scene (the application's when null) as a file's bytes.
    static QByteArray toBytes(HxScene* scene = nullptr);
    // Replaces the file atomically; on failure the previous file stays.
    bool save(const QString& path);

    bool load(const QString& path);
    // Reads a scene from bytes that came from no file; sourceName only
    // labels the messages. Entry point for tools that feed bytes directly.
    bool loadBytes(const QByteArray& data, const QString& sourceName);

    QString errorString() const { return m_error; }
    // What was skipped while reading (unknown classes and sections, links
    // that could not be made, a state script that failed).
    QStringList warnings() const { return m_warnings; }
    // The sound track the last scene read names, for the host to load; the
    // scene itself has no clip after reading.
    QString audioFileName() const { return m_audioFileName; }

private:
    QString m_error;
    QStringList m_warnings;
    QString m_audioFileName;
};

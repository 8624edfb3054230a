#pragma once

#include "hxcore/hxglobal.h"

#include <QByteArray>
#include <QString>
#include <memory>

class HxScene;
class HxSkeleton;

// Reads a figure file (JSON, see docs/figure-format.md) into a new figure
// with its bones, object, morphs and extra properties.
//
// A file with anything wrong in it yields no figure at all, never half of
// one, and an error of the form "<file>: <where>: <what>", where <where> is a
// JSON path such as "bones[3].parent" or, for text that is not JSON, a line
// and column. Reading never pushes undo items and never touches a scene;
// only addToScene does, and only once the whole file has been read.
class HXCORE_EXPORT HxFigureReader
{
public:
    // The file format this reader writes into its error messages and accepts
    // in the optional "version" key.
    static constexpr int FormatVersion = 1;
    // Larger files are refused unread (see docs/figure-format.md, Limits).
    static constexpr qint64 MaxFileSize = qint64(32) << 20;

    // Null on failure, with the reason in *error (error may be null).
    static std::unique_ptr<HxSkeleton> read(const QString& path, QString* error = nullptr);
    // sourceName only labels the error messages.
    static std::unique_ptr<HxSkeleton> fromJson(const QByteArray& json, const QString& sourceName,
                                                QString* error = nullptr);

    // Reads the file and adds the figure, then its bones, to the scene (the
    // application's scene when null). Returns the figure, which the scene
    // owns, or null with the scene untouched.
    static HxSkeleton* addToScene(const QString& path, HxScene* scene = nullptr, QString* error = nullptr);
};

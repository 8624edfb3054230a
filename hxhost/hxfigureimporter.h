#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class HxScene;
class HxSkeleton;

// Turns a figure in a file of the common interchange formats (glTF 2.0,
// FBX, COLLADA, BVH) into a figure of ours, through the Open Asset Import
// Library.
//
// The joints become bones, with their rest positions as the bones' rest
// geometry; a skinned mesh becomes the figure's HxSkinnedMesh, its morph
// targets the figure's morphs, and an animation becomes keys on the bones'
// controls and the morphs' value channels, one a frame at the scene's frame
// rate. The native figure format stays the JSON one (HxFigureReader).
//
// Our bones carry no joint orientation: their controls turn them about axes
// of the figure's space. A joint that rests turned in the file therefore
// gets controls that express its motion in the figure's axes; BVH joints,
// which rest unturned, keep their channels' angles and rotation order.
//
// A file with anything we cannot carry over (several skins, no skin, bones
// that scale, a malformed file) yields no figure and one message of the
// form "<file>: <what>".
class HxFigureImporter
{
public:
    // File name patterns for a file dialog, such as "*.gltf".
    static QStringList filePatterns();
    // Whether the file's extension is one this importer reads.
    static bool handles(const QString& path);

    // Null on failure, with the reason in *error (error may be null).
    // ticksPerFrame is the scene's frame step, at which animations are keyed.
    static std::unique_ptr<HxSkeleton> read(const QString& path, int ticksPerFrame, QString* error = nullptr);

    // Widens the scene's play and animation ranges to the figure's keys, so
    // an imported take plays whole.
    static void showTake(const HxSkeleton* figure, HxScene* scene);
};

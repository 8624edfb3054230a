#pragma once

#include "hxcore/hxelementdata.h"
#include "hxcore/hxmatrix4.h"
#include "hxcore/hxvec3.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

class HxSkeleton;

// The skin of a figure: a triangle mesh in the figure's rest pose, bound to
// its bones with up to four weights a vertex, with morph targets as position
// offsets. It rides on the figure as a data item, so it lives and dies with
// the figure.
//
// Rest positions are in the figure's space, like the bones' rest geometry, so
// skinning needs no bind matrices: a vertex moves with the frames that
// HxFigurePoser gives its bones.
class HxSkinnedMesh : public HxElementData
{
    Q_OBJECT
public:
    static constexpr const char* DataName = "skinnedMesh";

    struct MorphTarget
    {
        // The name of the figure's morph whose value dials this target.
        QString name;
        // One offset a vertex, added at full strength (value 1).
        std::vector<HxVec3> deltas;
    };

    explicit HxSkinnedMesh(QObject* parent = nullptr);
    ~HxSkinnedMesh() override;

    // The figure's skin, or null.
    static HxSkinnedMesh* of(const HxSkeleton* figure);

    std::vector<HxVec3> positions;
    std::vector<HxVec3> normals;
    std::vector<uint32_t> triangles;
    // Indices into the figure's bone list; weights add up to 1.
    std::vector<std::array<uint16_t, 4>> joints;
    std::vector<std::array<float, 4>> weights;
    std::vector<MorphTarget> morphs;

    int vertexCount() const { return int(positions.size()); }
    // Empty when the mesh is consistent, else what is wrong with it.
    QString validate(int boneCount) const;

    // Morphs first, then linear blend skinning with the bones' frames
    // (row-vector matrices mapping rest points to the world). morphValues
    // follows `morphs`; outNormals may be null.
    void deform(const std::vector<HxMatrix4>& boneFrames, const std::vector<float>& morphValues,
                std::vector<HxVec3>& outPositions, std::vector<HxVec3>* outNormals) const;

    // Smooth vertex normals of the rest pose from the triangles.
    void computeNormals();

private:
    // The vertices each morph moves: most morphs move a small part of a
    // skin, and a frame with fifty dialled morphs must not walk fifty
    // whole skins. Built on first use; morph offsets are fixed by then.
    mutable std::vector<std::vector<uint32_t>> m_moved;
};

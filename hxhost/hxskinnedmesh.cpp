#include "hxskinnedmesh.h"

#include "hxcore/hxskeleton.h"

#include <cmath>

HxSkinnedMesh::HxSkinnedMesh(QObject* parent) : HxElementData(parent, DataName) {}

HxSkinnedMesh::~HxSkinnedMesh() = default;

HxSkinnedMesh* HxSkinnedMesh::of(const HxSkeleton* figure)
{
    return figure ? qobject_cast<HxSkinnedMesh*>(figure->findDataItem(QString::fromLatin1(DataName)))
                  : nullptr;
}

QString HxSkinnedMesh::validate(int boneCount) const
{
    const size_t count = positions.size();
    if (normals.size() != count || joints.size() != count || weights.size() != count)
        return QStringLiteral("the vertex attributes differ in length");
    if (triangles.size() % 3 != 0)
        return QStringLiteral("the triangle list is not a multiple of three");
    for (uint32_t index : triangles)
        if (index >= count)
            return QStringLiteral("a triangle names vertex %1 of %2").arg(index).arg(count);
    for (size_t v = 0; v < count; ++v) {
        if (!positions[v].isFinite())
            return QStringLiteral("vertex %1 is not finite").arg(v);
        for (int k = 0; k < 4; ++k)
            if (weights[v][k] > 0.0f && joints[v][k] >= boneCount)
                return QStringLiteral("vertex %1 is bound to bone %2 of %3")
                    .arg(v)
                    .arg(joints[v][k])
                    .arg(boneCount);
    }
    for (const MorphTarget& morph : morphs)
        if (morph.deltas.size() != count)
            return QStringLiteral("morph target \"%1\" has %2 offsets for %3 vertices")
                .arg(morph.name)
                .arg(morph.deltas.size())
                .arg(count);
    return QString();
}

void HxSkinnedMesh::deform(const std::vector<HxMatrix4>& boneFrames, const std::vector<float>& morphValues,
                           std::vector<HxVec3>& outPositions, std::vector<HxVec3>* outNormals) const
{
    const size_t count = positions.size();
    outPositions.assign(positions.begin(), positions.end());
    if (m_moved.size() != morphs.size()) {
        m_moved.assign(morphs.size(), {});
        for (size_t m = 0; m < morphs.size(); ++m)
            for (size_t v = 0; v < morphs[m].deltas.size() && v < count; ++v)
                if (morphs[m].deltas[v] != HxVec3(0.0f, 0.0f, 0.0f))
                    m_moved[m].push_back(uint32_t(v));
    }
    for (size_t m = 0; m < morphs.size() && m < morphValues.size(); ++m) {
        const float value = morphValues[m];
        if (value == 0.0f || !std::isfinite(value))
            continue;
        const std::vector<HxVec3>& deltas = morphs[m].deltas;
        for (uint32_t v : m_moved[m])
            outPositions[v] += deltas[v] * value;
    }
    if (outNormals)
        outNormals->resize(count);
    const HxMatrix4 identity = HxMatrix4::identity();
    for (size_t v = 0; v < count; ++v) {
        // Blend the matrices, then transform once: cheaper than four
        // transforms when most vertices have several weights.
        float blended[4][3] = {};
        for (int k = 0; k < 4; ++k) {
            const float w = weights[v][k];
            if (w == 0.0f)
                continue;
            const size_t bone = joints[v][k];
            const HxMatrix4& frame = bone < boneFrames.size() ? boneFrames[bone] : identity;
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 3; ++c)
                    blended[r][c] += frame.m[r][c] * w;
        }
        const HxVec3 p = outPositions[v];
        outPositions[v] =
            HxVec3(p.x * blended[0][0] + p.y * blended[1][0] + p.z * blended[2][0] + blended[3][0],
                   p.x * blended[0][1] + p.y * blended[1][1] + p.z * blended[2][1] + blended[3][1],
                   p.x * blended[0][2] + p.y * blended[1][2] + p.z * blended[2][2] + blended[3][2]);
        if (outNormals) {
            // Rigid bones keep normals perpendicular; the blend of rotations
            // is close enough for shading once renormalised.
            const HxVec3 n = normals[v];
            (*outNormals)[v] = HxVec3(n.x * blended[0][0] + n.y * blended[1][0] + n.z * blended[2][0],
                                      n.x * blended[0][1] + n.y * blended[1][1] + n.z * blended[2][1],
                                      n.x * blended[0][2] + n.y * blended[1][2] + n.z * blended[2][2])
                                   .normalized();
        }
    }
}

void HxSkinnedMesh::computeNormals()
{
    normals.assign(positions.size(), HxVec3(0.0f, 0.0f, 0.0f));
    for (size_t t = 0; t + 2 < triangles.size(); t += 3) {
        const uint32_t a = triangles[t], b = triangles[t + 1], c = triangles[t + 2];
        if (a >= positions.size() || b >= positions.size() || c >= positions.size())
            continue;
        // Unnormalised: larger faces weigh more.
        const HxVec3 n = (positions[b] - positions[a]).cross(positions[c] - positions[a]);
        normals[a] += n;
        normals[b] += n;
        normals[c] += n;
    }
    for (HxVec3& n : normals)
        n.normalize();
}

#include "hxsamplefigurebuilder.h"

#include "hxskinnedmesh.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxskeleton.h"

#include <cmath>
#include <vector>

namespace {

constexpr int kTicksPerFrame = 160;
constexpr float kPi = 3.14159265358979f;

struct BoneShape
{
    QString name;
    int parent;
    HxVec3 origin;
    HxVec3 end;
    float radius;
};

struct MorphShape
{
    QString name;
    // The bones whose skin it swells (all when empty), and by how much of
    // their radius.
    std::vector<int> bones;
    float swell;
};

// Skin a bone's tube of `rings` rings of `segments` vertices each; near its
// start it blends into its parent so joints bend smoothly.
void addTube(HxSkinnedMesh& mesh, const std::vector<BoneShape>& shapes, int b, int rings, int segments)
{
    const BoneShape& shape = shapes[size_t(b)];
    HxVec3 axis = shape.end - shape.origin;
    const float length = axis.length();
    axis = length > 0.0f ? axis * (1.0f / length) : HxVec3(0.0f, 1.0f, 0.0f);
    const HxVec3 helper = std::fabs(axis.z) < 0.9f ? HxVec3(0.0f, 0.0f, 1.0f) : HxVec3(1.0f, 0.0f, 0.0f);
    const HxVec3 u = axis.cross(helper).normalized();
    const HxVec3 v = axis.cross(u);
    const uint32_t base = uint32_t(mesh.positions.size());
    for (int r = 0; r < rings; ++r) {
        const float t = rings > 1 ? float(r) / float(rings - 1) : 0.0f;
        // Rounded ends: narrower at both ends of the tube.
        const float radius = shape.radius * (0.65f + 0.35f * std::sin(kPi * (0.15f + 0.7f * t)));
        const float parentWeight = shape.parent >= 0 ? std::max(0.0f, 0.5f - t * 1.5f) : 0.0f;
        for (int s = 0; s < segments; ++s) {
            const float angle = 2.0f * kPi * float(s) / float(segments);
            const HxVec3 out = u * std::cos(angle) + v * std::sin(angle);
            mesh.positions.push_back(shape.origin + axis * (length * t) + out * radius);
            mesh.normals.push_back(out);
            if (parentWeight > 0.0f) {
                mesh.joints.push_back({uint16_t(b), uint16_t(shape.parent), 0, 0});
                mesh.weights.push_back({1.0f - parentWeight, parentWeight, 0.0f, 0.0f});
            } else {
                mesh.joints.push_back({uint16_t(b), 0, 0, 0});
                mesh.weights.push_back({1.0f, 0.0f, 0.0f, 0.0f});
            }
        }
    }
    for (int r = 0; r + 1 < rings; ++r)
        for (int s = 0; s < segments; ++s) {
            const uint32_t a = base + uint32_t(r * segments + s);
            const uint32_t b2 = base + uint32_t(r * segments + (s + 1) % segments);
            const uint32_t c = a + uint32_t(segments);
            const uint32_t d = b2 + uint32_t(segments);
            mesh.triangles.insert(mesh.triangles.end(), {a, b2, d, a, d, c});
        }
    // Closed ends, so a tube seen from above is not a cup: a centre vertex
    // fanned to the first and to the last ring.
    const uint32_t lastRing = base + uint32_t((rings - 1) * segments);
    for (int end = 0; end < 2; ++end) {
        const uint32_t centre = uint32_t(mesh.positions.size());
        const uint32_t ring = end ? lastRing : base;
        mesh.positions.push_back(end ? shape.origin + axis * length : shape.origin);
        mesh.normals.push_back(end ? axis : -axis);
        mesh.joints.push_back(mesh.joints[ring]);
        mesh.weights.push_back(mesh.weights[ring]);
        for (int s = 0; s < segments; ++s) {
            const uint32_t a = ring + uint32_t(s);
            const uint32_t b2 = ring + uint32_t((s + 1) % segments);
            mesh.triangles.insert(mesh.triangles.end(), {centre, b2, a});
        }
    }
}

std::unique_ptr<HxSkeleton> build(const QString& name, const std::vector<BoneShape>& shapes,
                                  const std::vector<MorphShape>& morphShapes, int rings, int segments)
{
    auto figure = std::make_unique<HxSkeleton>(name);
    std::vector<HxBone*> bones;
    for (const BoneShape& shape : shapes) {
        auto bone = std::make_unique<HxBone>(shape.name);
        if (shape.parent >= 0)
            bone->setParentBone(bones[size_t(shape.parent)]);
        bone->setRestGeometry(shape.origin, shape.end);
        bones.push_back(bone.get());
        figure->addBone(bone.release());
    }

    auto mesh = std::make_unique<HxSkinnedMesh>();
    std::vector<std::pair<uint32_t, uint32_t>> spans;
    for (int b = 0; b < int(shapes.size()); ++b) {
        const uint32_t first = uint32_t(mesh->positions.size());
        addTube(*mesh, shapes, b, rings, segments);
        spans.emplace_back(first, uint32_t(mesh->positions.size()));
    }

    auto object = std::make_unique<HxObject>(name);
    for (const MorphShape& shape : morphShapes) {
        HxSkinnedMesh::MorphTarget target;
        target.name = shape.name;
        target.deltas.assign(mesh->positions.size(), HxVec3(0.0f, 0.0f, 0.0f));
        std::vector<int> chosen = shape.bones;
        if (chosen.empty())
            for (int b = 0; b < int(shapes.size()); ++b)
                chosen.push_back(b);
        for (int b : chosen)
            for (uint32_t i = spans[size_t(b)].first; i < spans[size_t(b)].second; ++i)
                target.deltas[i] = mesh->normals[i] * (shapes[size_t(b)].radius * shape.swell);
        mesh->morphs.push_back(std::move(target));
        object->addItem(new HxMorph(shape.name, shape.name));
    }
    figure->setObject(object.release());
    figure->addDataItem(mesh.release());
    return figure;
}

void key(HxFloatProperty* control, std::initializer_list<std::pair<int, float>> frames)
{
    std::vector<HxFloatKey> keys;
    for (const auto& [frame, value] : frames)
        keys.push_back(HxFloatKey{frame * kTicksPerFrame, value});
    control->restoreState(HxFloatProperty::State{keys.front().value, HxFloatKeyList(keys)});
}

HxFloatProperty* morphChannel(const HxSkeleton* figure, int index)
{
    return static_cast<HxMorph*>(figure->getObject()->getItem(index))->getValueChannel();
}

} // namespace

std::unique_ptr<HxSkeleton> HxSampleFigureBuilder::critter()
{
    // Centimetres, Y up, facing +Z, about a metre tall.
    const std::vector<BoneShape> shapes = {
        {QStringLiteral("hips"), -1, {0, 50, 0}, {0, 60, 0}, 9.0f},
        {QStringLiteral("spine"), 0, {0, 60, 0}, {0, 74, 0}, 8.0f},
        {QStringLiteral("chest"), 1, {0, 74, 0}, {0, 88, 0}, 10.0f},
        {QStringLiteral("head"), 2, {0, 88, 0}, {0, 110, 0}, 9.0f},
        {QStringLiteral("lArm"), 2, {9, 84, 0}, {28, 84, 0}, 3.5f},
        {QStringLiteral("lForearm"), 4, {28, 84, 0}, {45, 84, 0}, 3.0f},
        {QStringLiteral("rArm"), 2, {-9, 84, 0}, {-28, 84, 0}, 3.5f},
        {QStringLiteral("rForearm"), 6, {-28, 84, 0}, {-45, 84, 0}, 3.0f},
        {QStringLiteral("lThigh"), 0, {6, 50, 0}, {6, 26, 0}, 4.5f},
        {QStringLiteral("lShin"), 8, {6, 26, 0}, {6, 2, 0}, 3.5f},
        {QStringLiteral("rThigh"), 0, {-6, 50, 0}, {-6, 26, 0}, 4.5f},
        {QStringLiteral("rShin"), 10, {-6, 26, 0}, {-6, 2, 0}, 3.5f},
    };
    const std::vector<MorphShape> morphs = {
        {QStringLiteral("Chubby"), {}, 0.35f},
        {QStringLiteral("BigHead"), {3}, 0.6f},
        {QStringLiteral("StrongArms"), {4, 5, 6, 7}, 0.8f},
    };
    std::unique_ptr<HxSkeleton> figure = build(QStringLiteral("critter"), shapes, morphs, 6, 12);

    // A wave with the left arm, a nod, a step of the hips, and the head
    // growing and shrinking: every kind of channel the formats carry.
    HxBone* lArm = figure->findBone(QStringLiteral("lArm"));
    HxBone* lForearm = figure->findBone(QStringLiteral("lForearm"));
    HxBone* head = figure->findBone(QStringLiteral("head"));
    HxBone* hips = figure->findBone(QStringLiteral("hips"));
    key(lArm->getZRotControl(), {{0, 0.0f}, {10, 60.0f}, {20, 45.0f}, {30, 0.0f}});
    key(lForearm->getZRotControl(), {{0, 0.0f}, {10, 40.0f}, {15, 80.0f}, {20, 40.0f}, {30, 0.0f}});
    key(head->getXRotControl(), {{0, 0.0f}, {15, 20.0f}, {30, 0.0f}});
    key(head->getYRotControl(), {{0, 0.0f}, {15, -25.0f}, {30, 0.0f}});
    key(hips->getZPosControl(), {{0, 0.0f}, {30, 10.0f}});
    key(morphChannel(figure.get(), 1), {{0, 0.0f}, {15, 1.0f}, {30, 0.0f}});
    return figure;
}

std::unique_ptr<HxSkeleton> HxSampleFigureBuilder::synthetic(int boneCount, int morphCount, int vertexCount)
{
    boneCount = std::max(1, boneCount);
    // A spine of a fifth of the bones; the rest are limbs of up to ten
    // bones, branching off the spine in turn.
    const int spine = std::max(1, boneCount / 5);
    std::vector<BoneShape> shapes;
    for (int i = 0; i < spine; ++i)
        shapes.push_back({QStringLiteral("spine%1").arg(i), i - 1, HxVec3(0, 50.0f + 5.0f * i, 0),
                         HxVec3(0, 55.0f + 5.0f * i, 0), 6.0f});
    int limb = 0;
    while (int(shapes.size()) < boneCount) {
        const int attach = limb % spine;
        const float side = limb % 2 ? -1.0f : 1.0f;
        const float angle = 0.4f * float(limb / 2);
        const HxVec3 dir(side * std::cos(angle), -0.3f, std::sin(angle) * 0.5f);
        HxVec3 at = shapes[size_t(attach)].origin;
        int parent = attach;
        for (int j = 0; j < 10 && int(shapes.size()) < boneCount; ++j) {
            const HxVec3 next = at + dir.normalized() * 4.0f;
            shapes.push_back({QStringLiteral("limb%1_%2").arg(limb).arg(j), parent, at, next, 1.5f});
            parent = int(shapes.size()) - 1;
            at = next;
        }
        ++limb;
    }
    const int segments = 12;
    const int rings = std::max(2, int(std::lround(double(vertexCount) / (double(boneCount) * segments))));
    std::vector<MorphShape> morphs;
    for (int m = 0; m < morphCount; ++m)
        morphs.push_back({QStringLiteral("swell%1").arg(m), {m % boneCount}, 0.5f});
    std::unique_ptr<HxSkeleton> figure = build(QStringLiteral("synthetic"), shapes, morphs, rings, segments);
    // A second of motion on every bone, so importing keys costs what it
    // would for a real take.
    QList<HxBone*> bones;
    figure->getAllBones(bones);
    for (int b = 0; b < bones.size(); ++b)
        key(bones[b]->getZRotControl(), {{0, 0.0f}, {15, 10.0f + float(b % 7)}, {30, 0.0f}});
    for (int m = 0; m < morphCount; ++m)
        key(morphChannel(figure.get(), m), {{0, 0.0f}, {15, float(m % 5) / 4.0f}, {30, 0.0f}});
    return figure;
}

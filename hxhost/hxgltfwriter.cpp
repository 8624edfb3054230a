#include "hxgltfwriter.h"

#include "hxanimationexporter.h"
#include "hxskinnedmesh.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxtime.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <tiny_gltf.h>

#include <algorithm>
#include <cstring>
#include <sstream>

namespace {

constexpr float kMetresPerUnit = 0.01f;

// Appends typed data to the one buffer and describes it with an accessor.
class BufferBuilder
{
public:
    explicit BufferBuilder(tinygltf::Model& model) : m_model(model) { m_model.buffers.emplace_back(); }

    template <typename T>
    int add(const std::vector<T>& data, int componentType, int type, size_t count, int target = 0)
    {
        std::vector<unsigned char>& bytes = m_model.buffers.front().data;
        while (bytes.size() % 4)
            bytes.push_back(0);
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteOffset = bytes.size();
        view.byteLength = data.size() * sizeof(T);
        view.target = target;
        const auto* raw = reinterpret_cast<const unsigned char*>(data.data());
        bytes.insert(bytes.end(), raw, raw + view.byteLength);
        m_model.bufferViews.push_back(view);

        tinygltf::Accessor accessor;
        accessor.bufferView = int(m_model.bufferViews.size()) - 1;
        accessor.componentType = componentType;
        accessor.type = type;
        accessor.count = count;
        m_model.accessors.push_back(accessor);
        return int(m_model.accessors.size()) - 1;
    }

    int addVec3(const std::vector<HxVec3>& points, bool bounds, float scale)
    {
        std::vector<float> flat;
        flat.reserve(points.size() * 3);
        std::vector<double> low(3, points.empty() ? 0.0 : 1e30), high(3, points.empty() ? 0.0 : -1e30);
        for (const HxVec3& p : points)
            for (int k = 0; k < 3; ++k) {
                const float v = p[k] * scale;
                flat.push_back(v);
                low[size_t(k)] = std::min(low[size_t(k)], double(v));
                high[size_t(k)] = std::max(high[size_t(k)], double(v));
            }
        const int index = add(flat, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, points.size(),
                              TINYGLTF_TARGET_ARRAY_BUFFER);
        if (bounds) {
            m_model.accessors[size_t(index)].minValues = low;
            m_model.accessors[size_t(index)].maxValues = high;
        }
        return index;
    }

private:
    tinygltf::Model& m_model;
};

// A figure without a skin still needs a mesh to carry its morph weights:
// a slim double cone along each bone, bound to that bone alone.
std::unique_ptr<HxSkinnedMesh> boneShells(const QList<HxBone*>& bones)
{
    auto made = std::make_unique<HxSkinnedMesh>();
    HxSkinnedMesh& shell = *made;
    for (int b = 0; b < bones.size(); ++b) {
        const HxVec3 start = bones[b]->getOrigin();
        const HxVec3 end = bones[b]->getEndPoint();
        HxVec3 axis = end - start;
        const float length = axis.length();
        axis = length > 0.0f ? axis * (1.0f / length) : HxVec3(0.0f, 1.0f, 0.0f);
        const HxVec3 helper = std::fabs(axis.y) < 0.9f ? HxVec3(0.0f, 1.0f, 0.0f) : HxVec3(1.0f, 0.0f, 0.0f);
        const HxVec3 u = axis.cross(helper).normalized();
        const HxVec3 v = axis.cross(u);
        const float radius = std::max(length * 0.1f, 0.5f);
        const HxVec3 waist = start + axis * (std::max(length, 1.0f) * 0.2f);
        const uint32_t base = uint32_t(shell.positions.size());
        shell.positions.push_back(start);
        shell.positions.push_back(waist + u * radius);
        shell.positions.push_back(waist + v * radius);
        shell.positions.push_back(waist - u * radius);
        shell.positions.push_back(waist - v * radius);
        shell.positions.push_back(length > 0.0f ? end : start + axis);
        for (uint32_t k = 0; k < 4; ++k) {
            const uint32_t a = base + 1 + k, c = base + 1 + (k + 1) % 4;
            shell.triangles.insert(shell.triangles.end(), {base, c, a, a, c, base + 5});
        }
        for (int k = 0; k < 6; ++k) {
            shell.joints.push_back({uint16_t(b), 0, 0, 0});
            shell.weights.push_back({1.0f, 0.0f, 0.0f, 0.0f});
        }
    }
    shell.computeNormals();
    return made;
}

} // namespace

bool HxGltfWriter::write(const HxSkeleton* figure, const HxTimeRange& range, int ticksPerFrame,
                         const QString& path, QString* error)
{
    QList<HxBone*> bones;
    figure->getAllBones(bones);
    if (bones.size() > 65535) {
        *error = QStringLiteral("figure has more bones than glTF joints can index");
        return false;
    }
    QHash<const HxBone*, int> boneIndex;
    for (int b = 0; b < bones.size(); ++b)
        boneIndex.insert(bones[b], b);
    const QList<HxMorph*> morphs = HxAnimationExporter::morphsOf(figure);

    tinygltf::Model model;
    model.asset.version = "2.0";
    model.asset.generator = "hxhost";
    BufferBuilder buffer(model);

    // Nodes: the figure, then a node a bone (same order), then the mesh.
    const int firstBone = 1;
    const int meshNode = firstBone + int(bones.size());
    model.nodes.resize(size_t(meshNode + 1));
    model.nodes[0].name = figure->objectName().toStdString();
    for (int b = 0; b < bones.size(); ++b) {
        const HxBone* bone = bones[b];
        tinygltf::Node& node = model.nodes[size_t(firstBone + b)];
        node.name = bone->objectName().toStdString();
        const HxVec3 parentOrigin =
            bone->getParentBone() ? bone->getParentBone()->getOrigin() : HxVec3(0, 0, 0);
        const HxVec3 offset = (bone->getOrigin() - parentOrigin) * kMetresPerUnit;
        node.translation = {offset.x, offset.y, offset.z};
        const int parent = bone->getParentBone() ? firstBone + boneIndex.value(bone->getParentBone(), -1) : 0;
        if (parent < 0) {
            *error = QStringLiteral("bone \"%1\" has a parent outside the figure").arg(bone->objectName());
            return false;
        }
        model.nodes[size_t(parent)].children.push_back(firstBone + b);
    }
    model.nodes[0].children.push_back(meshNode);
    model.nodes[size_t(meshNode)].name = (figure->objectName() + QStringLiteral(" skin")).toStdString();
    model.nodes[size_t(meshNode)].mesh = 0;
    model.nodes[size_t(meshNode)].skin = 0;
    model.scenes.emplace_back();
    model.scenes[0].nodes = {0};
    model.defaultScene = 0;

    // The skin: at rest each joint sits at its bone's origin, unturned.
    tinygltf::Skin skin;
    std::vector<float> inverseBind;
    for (int b = 0; b < bones.size(); ++b) {
        skin.joints.push_back(firstBone + b);
        const HxVec3 o = bones[b]->getOrigin() * kMetresPerUnit;
        const float column[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -o.x, -o.y, -o.z, 1};
        inverseBind.insert(inverseBind.end(), column, column + 16);
    }
    skin.inverseBindMatrices =
        buffer.add(inverseBind, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_MAT4, size_t(bones.size()));
    model.skins.push_back(skin);

    const HxSkinnedMesh* own = HxSkinnedMesh::of(figure);
    const std::unique_ptr<HxSkinnedMesh> shells = own ? nullptr : boneShells(bones);
    const HxSkinnedMesh& mesh = own ? *own : *shells;

    tinygltf::Primitive primitive;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.attributes["POSITION"] = buffer.addVec3(mesh.positions, true, kMetresPerUnit);
    primitive.attributes["NORMAL"] = buffer.addVec3(mesh.normals, false, 1.0f);
    std::vector<uint16_t> joints;
    std::vector<float> weights;
    for (size_t v = 0; v < mesh.positions.size(); ++v)
        for (int k = 0; k < 4; ++k) {
            joints.push_back(mesh.joints[v][size_t(k)]);
            weights.push_back(mesh.weights[v][size_t(k)]);
        }
    primitive.attributes["JOINTS_0"] =
        buffer.add(joints, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_VEC4, mesh.positions.size(),
                   TINYGLTF_TARGET_ARRAY_BUFFER);
    primitive.attributes["WEIGHTS_0"] = buffer.add(weights, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC4,
                                                   mesh.positions.size(), TINYGLTF_TARGET_ARRAY_BUFFER);
    primitive.indices = buffer.add(mesh.triangles, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR,
                                   mesh.triangles.size(), TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);

    tinygltf::Mesh gltfMesh;
    gltfMesh.name = model.nodes[size_t(meshNode)].name;
    tinygltf::Value::Array targetNames;
    const std::vector<HxVec3> still(mesh.positions.size(), HxVec3(0.0f, 0.0f, 0.0f));
    for (const HxMorph* morph : morphs) {
        const std::vector<HxVec3>* deltas = &still;
        for (const HxSkinnedMesh::MorphTarget& target : mesh.morphs)
            if (target.name == morph->objectName() && target.deltas.size() == mesh.positions.size())
                deltas = &target.deltas;
        primitive.targets.push_back({{"POSITION", buffer.addVec3(*deltas, true, kMetresPerUnit)}});
        targetNames.emplace_back(morph->objectName().toStdString());
        gltfMesh.weights.push_back(morph->getValueChannel()->getValue(range.start));
    }
    gltfMesh.primitives.push_back(primitive);
    if (!targetNames.empty())
        gltfMesh.extras =
            tinygltf::Value(tinygltf::Value::Object{{"targetNames", tinygltf::Value(targetNames)}});
    model.meshes.push_back(gltfMesh);

    // The take: one sample a frame, times from the start of the range.
    const int frames = (range.end - range.start) / ticksPerFrame + 1;
    std::vector<float> times;
    for (int f = 0; f < frames; ++f)
        times.push_back(float(double(f) * ticksPerFrame / HX_TICKS_PER_SECOND));
    tinygltf::Animation animation;
    animation.name = "take";
    const int input = buffer.add(times, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_SCALAR, times.size());
    model.accessors[size_t(input)].minValues = {times.front()};
    model.accessors[size_t(input)].maxValues = {times.back()};
    auto addChannel = [&](int output, int node, const char* pathName) {
        tinygltf::AnimationSampler sampler;
        sampler.input = input;
        sampler.output = output;
        sampler.interpolation = "LINEAR";
        animation.samplers.push_back(sampler);
        tinygltf::AnimationChannel channel;
        channel.sampler = int(animation.samplers.size()) - 1;
        channel.target_node = node;
        channel.target_path = pathName;
        animation.channels.push_back(channel);
    };
    for (int b = 0; b < bones.size(); ++b) {
        const HxBone* bone = bones[b];
        std::vector<float> rotations;
        HxQuat previous;
        for (int f = 0; f < frames; ++f) {
            HxQuat q = HxAnimationExporter::rotationAt(bone, range.start + f * ticksPerFrame).normalized();
            // The shorter way round between samples.
            if (f > 0 &&
                q.x() * previous.x() + q.y() * previous.y() + q.z() * previous.z() + q.w() * previous.w() < 0)
                q = HxQuat(-q.x(), -q.y(), -q.z(), -q.w());
            previous = q;
            rotations.insert(rotations.end(), {float(q.x()), float(q.y()), float(q.z()), float(q.w())});
        }
        addChannel(buffer.add(rotations, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC4, size_t(frames)),
                   firstBone + b, "rotation");

        bool moves = !bone->getParentBone();
        for (const HxFloatProperty* control :
             {bone->getXPosControl(), bone->getYPosControl(), bone->getZPosControl()})
            moves = moves || control->getNumKeys() > 0 || control->getStaticValue() != 0.0f;
        if (!moves)
            continue;
        const std::vector<double>& rest = model.nodes[size_t(firstBone + b)].translation;
        std::vector<HxVec3> positions;
        for (int f = 0; f < frames; ++f)
            positions.push_back(HxVec3(float(rest[0]), float(rest[1]), float(rest[2])) +
                                HxAnimationExporter::translationAt(bone, range.start + f * ticksPerFrame) *
                                    kMetresPerUnit);
        addChannel(buffer.addVec3(positions, false, 1.0f), firstBone + b, "translation");
    }
    if (!morphs.isEmpty()) {
        std::vector<float> values;
        for (int f = 0; f < frames; ++f)
            for (const HxMorph* morph : morphs)
                values.push_back(morph->getValueChannel()->getValue(range.start + f * ticksPerFrame));
        addChannel(buffer.add(values, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_SCALAR, values.size()),
                   meshNode, "weights");
    }
    model.animations.push_back(animation);

    const bool binary = QFileInfo(path).suffix().compare(QLatin1String("glb"), Qt::CaseInsensitive) == 0;
    std::ostringstream stream;
    tinygltf::TinyGLTF gltf;
    if (!gltf.WriteGltfSceneToStream(&model, stream, !binary, binary)) {
        *error = QStringLiteral("the glTF library could not write the scene");
        return false;
    }
    const std::string bytes = stream.str();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write the file: %1").arg(file.errorString());
        return false;
    }
    file.write(bytes.data(), qint64(bytes.size()));
    if (!file.commit()) {
        *error = QStringLiteral("cannot write the file: %1").arg(file.errorString());
        return false;
    }
    return true;
}

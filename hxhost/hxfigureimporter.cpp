#include "hxfigureimporter.h"

#include "hxskinnedmesh.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxquat.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxtime.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTextStream>

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

namespace {

constexpr double kRadToDeg = 180.0 / 3.14159265358979323846;
// Scale keys further than this from 1 mean a bone that grows or shrinks,
// which our bones' controls cannot carry over faithfully.
constexpr float kScaleTolerance = 1e-3f;
// A control whose values over the whole animation stay this close together
// holds one static value instead of a key a frame.
constexpr float kConstantTolerance = 1e-4f;
// Larger animations are a mistake or an attack, not a take.
constexpr qint64 kMaxFrames = 200000;

struct ImportError
{
    QString what;
};

[[noreturn]] void fail(const QString& what)
{
    throw ImportError{what};
}

QString nameOf(const aiString& name)
{
    return QString::fromUtf8(name.C_Str(), int(name.length));
}

aiMatrix4x4 translation(const aiVector3D& offset)
{
    aiMatrix4x4 m;
    aiMatrix4x4::Translation(offset, m);
    return m;
}

aiVector3D translationOf(const aiMatrix4x4& m)
{
    return aiVector3D(m.a4, m.b4, m.c4);
}

// The figure's space is in centimetres; how many a unit of the file's world
// holds.
float unitScale(const QString& suffix, const aiScene* scene)
{
    if (suffix == QLatin1String("gltf") || suffix == QLatin1String("glb") || suffix == QLatin1String("dae"))
        return 100.0f; // metres (the COLLADA reader applies the file's <unit> itself)
    if (suffix == QLatin1String("fbx") && scene->mMetaData) {
        double factor = 0.0;
        if (scene->mMetaData->Get("UnitScaleFactor", factor) && factor > 0.0 && std::isfinite(factor))
            return float(factor);
        float single = 0.0f;
        if (scene->mMetaData->Get("UnitScaleFactor", single) && single > 0.0f && std::isfinite(single))
            return single;
    }
    return 1.0f;
}

// BVH names the order of each joint's rotation channels; the asset library
// turns them into quaternions and drops it, so it is read from the header.
QHash<QString, HxRotationOrder> bvhRotationOrders(const QString& path)
{
    QHash<QString, HxRotationOrder> orders;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return orders;
    QTextStream in(&file);
    QString joint;
    while (!in.atEnd()) {
        const QStringList words = in.readLine().simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty())
            continue;
        const QString head = words.first().toUpper();
        if (head == QLatin1String("MOTION"))
            break;
        if ((head == QLatin1String("ROOT") || head == QLatin1String("JOINT")) && words.size() > 1) {
            joint = words.mid(1).join(QLatin1Char(' '));
        } else if (head == QLatin1String("CHANNELS") && !joint.isEmpty()) {
            QString axes;
            for (const QString& word : words.mid(2))
                if (word.endsWith(QLatin1String("rotation"), Qt::CaseInsensitive))
                    axes += word.at(0).toUpper();
            // Channels listed Z X Y mean v' = Rz Rx Ry v: Y turns first.
            std::reverse(axes.begin(), axes.end());
            HxRotationOrder order;
            if (axes.size() == 3 && hxRotationOrderFromName(axes, &order))
                orders.insert(joint, order);
        }
    }
    return orders;
}

template <typename Key> std::pair<unsigned, float> bracket(const Key* keys, unsigned count, double time)
{
    if (count <= 1 || time <= keys[0].mTime)
        return {0, 0.0f};
    if (time >= keys[count - 1].mTime)
        return {count - 1, 0.0f};
    const Key* upper =
        std::upper_bound(keys, keys + count, time, [](double t, const Key& key) { return t < key.mTime; });
    const unsigned i = unsigned(upper - keys) - 1;
    const double span = keys[i + 1].mTime - keys[i].mTime;
    return {i, span > 0.0 ? float((time - keys[i].mTime) / span) : 0.0f};
}

class Importer
{
public:
    Importer(const QString& path, int ticksPerFrame) : m_path(path), m_ticksPerFrame(ticksPerFrame) {}
    std::unique_ptr<HxSkeleton> run();

private:
    struct Bone
    {
        const aiNode* node = nullptr;
        int parent = -1;
        aiMatrix4x4 restGlobal;
        aiMatrix4x4 restGlobalInverse;
        aiVector3D origin; // in the file's world units
        HxBone* bone = nullptr;
    };

    void collectNodes(const aiNode* node, const aiNode* parent, const aiMatrix4x4& parentGlobal);
    void chooseSkinnedBones();
    void chooseAllBones();
    void buildBones(HxSkeleton* figure);
    void buildMorphs(HxSkeleton* figure);
    void buildMesh(HxSkeleton* figure);
    void buildAnimation();
    void sampleNodes(const aiAnimation* animation, double ticks, std::vector<aiMatrix4x4>& globals) const;

    QString m_path;
    int m_ticksPerFrame;
    bool m_bvh = false;
    float m_unit = 1.0f;
    const aiScene* m_scene = nullptr;

    // Every node in depth-first order, parents first.
    std::vector<const aiNode*> m_nodes;
    QHash<const aiNode*, int> m_nodeIndex;
    std::vector<int> m_nodeParent;
    std::vector<aiMatrix4x4> m_restGlobals;
    QHash<QString, const aiNode*> m_nodeByName;
    QHash<unsigned, const aiNode*> m_meshNode;

    std::vector<unsigned> m_skinnedMeshes;
    QSet<const aiNode*> m_boneNodes;
    std::vector<Bone> m_bones;
    QHash<const aiNode*, int> m_boneIndex;
    QHash<QString, HxRotationOrder> m_orders;

    QStringList m_morphNames;
    QList<HxMorph*> m_morphs;
};

void Importer::collectNodes(const aiNode* node, const aiNode* parent, const aiMatrix4x4& parentGlobal)
{
    // Iterative: a hostile file may nest nodes deeper than the stack allows.
    struct Pending
    {
        const aiNode* node;
        int parent;
    };
    std::vector<Pending> stack{{node, parent ? m_nodeIndex.value(parent, -1) : -1}};
    while (!stack.empty()) {
        const Pending at = stack.back();
        stack.pop_back();
        if (m_nodeIndex.contains(at.node))
            fail(QStringLiteral("the node tree is not a tree (node \"%1\" appears twice)")
                     .arg(nameOf(at.node->mName)));
        const int index = int(m_nodes.size());
        m_nodes.push_back(at.node);
        m_nodeIndex.insert(at.node, index);
        m_nodeParent.push_back(at.parent);
        m_restGlobals.push_back((at.parent >= 0 ? m_restGlobals[at.parent] : parentGlobal) *
                                at.node->mTransformation);
        const QString name = nameOf(at.node->mName);
        if (!m_nodeByName.contains(name))
            m_nodeByName.insert(name, at.node);
        for (unsigned m = 0; m < at.node->mNumMeshes; ++m)
            if (!m_meshNode.contains(at.node->mMeshes[m]))
                m_meshNode.insert(at.node->mMeshes[m], at.node);
        for (unsigned c = at.node->mNumChildren; c-- > 0;)
            stack.push_back({at.node->mChildren[c], index});
    }
}

// The joints of the skin and every node between a joint and the topmost
// joint above it become bones; what lies above the skeleton is the figure.
void Importer::chooseSkinnedBones()
{
    QSet<const aiNode*> joints;
    for (unsigned m = 0; m < m_scene->mNumMeshes; ++m) {
        const aiMesh* mesh = m_scene->mMeshes[m];
        if (!mesh || mesh->mNumBones == 0)
            continue;
        m_skinnedMeshes.push_back(m);
        for (unsigned b = 0; b < mesh->mNumBones; ++b) {
            const QString name = nameOf(mesh->mBones[b]->mName);
            const aiNode* node = m_nodeByName.value(name);
            if (!node)
                fail(QStringLiteral("mesh \"%1\" is bound to a joint \"%2\" that is not in the scene")
                         .arg(nameOf(mesh->mName), name));
            joints.insert(node);
        }
    }
    if (m_skinnedMeshes.empty())
        fail(QStringLiteral("the file has no skin (no mesh is bound to joints); "
                            "import a skinned figure, or a BVH file for a bare skeleton"));

    // The topmost joint above each joint; roots that are siblings belong to
    // one skeleton, others to separate skins.
    QSet<int> skeletonParents;
    for (const aiNode* joint : joints) {
        int at = m_nodeIndex.value(joint);
        int root = at;
        for (int up = m_nodeParent[at]; up >= 0; up = m_nodeParent[up])
            if (joints.contains(m_nodes[up]))
                root = up;
        skeletonParents.insert(m_nodeParent[root]);
        for (int up = at; up != root; up = m_nodeParent[up])
            m_boneNodes.insert(m_nodes[up]);
        m_boneNodes.insert(m_nodes[root]);
    }
    if (skeletonParents.size() > 1)
        fail(QStringLiteral("the file has %1 separate skins; import one skinned figure a file")
                 .arg(skeletonParents.size()));
}

// BVH: every joint is a bone; the end sites only give the last bones their
// length.
void Importer::chooseAllBones()
{
    for (size_t i = 0; i < m_nodes.size(); ++i) {
        const aiNode* node = m_nodes[i];
        const QString name = nameOf(node->mName);
        if (i == 0 && m_nodes.size() > 1 && name.startsWith(QLatin1String("<")))
            continue; // a synthetic root the library may add
        if (name.startsWith(QLatin1String("EndSite")) && node->mNumChildren == 0 && i > 0)
            continue;
        m_boneNodes.insert(node);
    }
    if (m_boneNodes.isEmpty())
        fail(QStringLiteral("the file has no joints"));
}

void Importer::buildBones(HxSkeleton* figure)
{
    QHash<QString, int> used;
    for (size_t i = 0; i < m_nodes.size(); ++i) {
        const aiNode* node = m_nodes[i];
        if (!m_boneNodes.contains(node))
            continue;
        if (m_bones.size() >= 65535)
            fail(QStringLiteral("the skeleton has more than 65535 joints"));
        Bone entry;
        entry.node = node;
        for (int up = m_nodeParent[i]; up >= 0; up = m_nodeParent[up])
            if (m_boneIndex.contains(m_nodes[up])) {
                entry.parent = m_boneIndex.value(m_nodes[up]);
                break;
            }
        entry.restGlobal = m_restGlobals[i];
        entry.restGlobalInverse = entry.restGlobal;
        entry.restGlobalInverse.Inverse();
        entry.origin = translationOf(entry.restGlobal);
        if (!std::isfinite(entry.origin.x) || !std::isfinite(entry.origin.y) ||
            !std::isfinite(entry.origin.z))
            fail(QStringLiteral("joint \"%1\" has a transform that is not finite").arg(nameOf(node->mName)));

        // Names find bones again (scripts, saved scenes, poses), so they
        // must be unique and not empty.
        QString name = nameOf(node->mName).trimmed();
        if (name.isEmpty())
            name = QStringLiteral("bone");
        const int seen = used.value(name, 0);
        used.insert(name, seen + 1);
        if (seen > 0)
            name += QStringLiteral(".%1").arg(seen + 1);

        auto bone = std::make_unique<HxBone>(name);
        bone->setRotationOrder(m_orders.value(nameOf(node->mName), HxRotationOrder::XYZ));
        if (entry.parent >= 0)
            bone->setParentBone(m_bones[entry.parent].bone);
        entry.bone = bone.get();
        m_boneIndex.insert(node, int(m_bones.size()));
        m_bones.push_back(entry);
        figure->addBone(bone.release());
    }

    // Rest geometry: a bone reaches to its child (the middle of its children
    // when it forks), else to an end site, else on along its parent's line.
    float extent = 0.0f;
    for (const Bone& a : m_bones)
        extent = std::max(extent, (a.origin - m_bones.front().origin).Length());
    const float stub = std::max(extent * 0.05f, 1e-3f);
    for (size_t b = 0; b < m_bones.size(); ++b) {
        const Bone& entry = m_bones[b];
        aiVector3D end(0.0f, 0.0f, 0.0f);
        int children = 0;
        for (const Bone& other : m_bones)
            if (other.parent == int(b)) {
                end += other.origin;
                ++children;
            }
        if (children == 0) {
            for (unsigned c = 0; c < entry.node->mNumChildren; ++c) {
                const aiNode* child = entry.node->mChildren[c];
                if (!m_boneNodes.contains(child)) {
                    end += translationOf(m_restGlobals[m_nodeIndex.value(child)]);
                    ++children;
                    break;
                }
            }
        }
        if (children > 0) {
            end /= float(children);
        } else if (entry.parent >= 0) {
            aiVector3D along = entry.origin - m_bones[entry.parent].origin;
            const float length = along.Length();
            end = entry.origin + (length > 0.0f ? along * (std::min(length * 0.5f, stub * 4.0f) / length)
                                                : aiVector3D(0.0f, stub, 0.0f));
        } else {
            end = entry.origin + aiVector3D(0.0f, stub, 0.0f);
        }
        const HxVec3 origin(entry.origin.x * m_unit, entry.origin.y * m_unit, entry.origin.z * m_unit);
        entry.bone->setRestGeometry(origin, HxVec3(end.x * m_unit, end.y * m_unit, end.z * m_unit));
    }
}

void Importer::buildMorphs(HxSkeleton* figure)
{
    // Morph targets are matched by name across the meshes of the skin (a
    // mesh split into parts repeats its targets in each part).
    std::map<QString, float> initial;
    for (unsigned m : m_skinnedMeshes) {
        const aiMesh* mesh = m_scene->mMeshes[m];
        for (unsigned a = 0; a < mesh->mNumAnimMeshes; ++a) {
            QString name = nameOf(mesh->mAnimMeshes[a]->mName).trimmed();
            if (name.isEmpty())
                name = QStringLiteral("morph %1").arg(a + 1);
            if (!m_morphNames.contains(name)) {
                m_morphNames << name;
                initial[name] = mesh->mAnimMeshes[a]->mWeight;
            }
        }
    }
    auto object = std::make_unique<HxObject>(figure->objectName());
    for (const QString& name : std::as_const(m_morphNames)) {
        auto morph = std::make_unique<HxMorph>(name, name);
        const float value = std::isfinite(initial[name]) ? initial[name] : 0.0f;
        // Targets are authored for 0 to 1; leave room for what the file
        // itself sets.
        morph->getValueChannel()->setLimits(std::min(0.0f, value), std::max(1.0f, value), true);
        morph->getValueChannel()->restoreState(HxFloatProperty::State{value, {}});
        m_morphs << morph.get();
        object->addItem(morph.release());
    }
    figure->setObject(object.release());
}

void Importer::buildMesh(HxSkeleton* figure)
{
    auto skin = std::make_unique<HxSkinnedMesh>();
    skin->morphs.resize(size_t(m_morphNames.size()));
    for (qsizetype i = 0; i < m_morphNames.size(); ++i)
        skin->morphs[size_t(i)].name = m_morphNames[i];

    for (unsigned m : m_skinnedMeshes) {
        const aiMesh* mesh = m_scene->mMeshes[m];
        if (!mesh->HasPositions() || mesh->mNumVertices == 0)
            continue;
        const size_t base = skin->positions.size();
        const size_t count = mesh->mNumVertices;
        // Each vertex's joints: the four strongest weights.
        std::vector<std::array<std::pair<float, int>, 4>> influences(count);
        std::vector<aiMatrix4x4> bind(mesh->mNumBones);
        std::vector<uint16_t> figureBone(mesh->mNumBones);
        for (unsigned b = 0; b < mesh->mNumBones; ++b) {
            const aiBone* bone = mesh->mBones[b];
            const int index = m_boneIndex.value(m_nodeByName.value(nameOf(bone->mName)), -1);
            if (index < 0)
                fail(QStringLiteral("joint \"%1\" is not part of the skeleton").arg(nameOf(bone->mName)));
            figureBone[b] = uint16_t(index);
            // Vertex in the mesh's bind space -> joint space -> the joint at
            // rest: with rest = bind the product is the identity.
            bind[b] = m_bones[size_t(index)].restGlobal * bone->mOffsetMatrix;
            for (unsigned w = 0; w < bone->mNumWeights; ++w) {
                const aiVertexWeight& weight = bone->mWeights[w];
                if (weight.mVertexId >= count)
                    fail(QStringLiteral("joint \"%1\" weights vertex %2 of a mesh with %3")
                             .arg(nameOf(bone->mName))
                             .arg(weight.mVertexId)
                             .arg(count));
                if (!(weight.mWeight > 0.0f) || !std::isfinite(weight.mWeight))
                    continue;
                auto& strongest = influences[weight.mVertexId];
                auto weakest = std::min_element(strongest.begin(), strongest.end());
                if (weight.mWeight > weakest->first)
                    *weakest = {weight.mWeight, int(b)};
            }
        }
        const aiNode* meshNode = m_meshNode.value(m);
        const aiMatrix4x4 unbound = meshNode ? m_restGlobals[m_nodeIndex.value(meshNode)] : aiMatrix4x4();

        // Rest-pose matrices of each vertex, used for its position, normal
        // and morph offsets alike.
        std::vector<aiMatrix4x4> restOf(count);
        for (size_t v = 0; v < count; ++v) {
            auto& strongest = influences[v];
            float total = 0.0f;
            for (const auto& slot : strongest)
                total += slot.first;
            std::array<uint16_t, 4> joints{};
            std::array<float, 4> weights{};
            aiMatrix4x4 blended;
            if (total > 0.0f) {
                // Real files often have weights that do not add up to one.
                blended = aiMatrix4x4(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
                for (int k = 0; k < 4; ++k) {
                    if (strongest[k].first <= 0.0f)
                        continue;
                    const float w = strongest[k].first / total;
                    const aiMatrix4x4& m4 = bind[size_t(strongest[k].second)];
                    for (int r = 0; r < 4; ++r)
                        for (int c = 0; c < 4; ++c)
                            blended[r][c] += m4[r][c] * w;
                    joints[k] = figureBone[size_t(strongest[k].second)];
                    weights[k] = w;
                }
            } else {
                // Unweighted vertices ride on the first bone where the mesh
                // node puts them.
                blended = unbound;
                weights[0] = 1.0f;
            }
            restOf[v] = blended;
            const aiVector3D p = blended * mesh->mVertices[v];
            skin->positions.emplace_back(p.x * m_unit, p.y * m_unit, p.z * m_unit);
            if (mesh->HasNormals()) {
                aiMatrix3x3 linear(blended);
                const aiVector3D n = (linear * mesh->mNormals[v]).NormalizeSafe();
                skin->normals.emplace_back(n.x, n.y, n.z);
            }
            skin->joints.push_back(joints);
            skin->weights.push_back(weights);
        }
        if (!mesh->HasNormals())
            skin->normals.resize(skin->positions.size());

        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices != 3)
                continue; // points and lines are not part of a skin's surface
            for (int k = 0; k < 3; ++k) {
                if (face.mIndices[k] >= count)
                    fail(QStringLiteral("mesh \"%1\" has a face naming vertex %2 of %3")
                             .arg(nameOf(mesh->mName))
                             .arg(face.mIndices[k])
                             .arg(count));
                skin->triangles.push_back(uint32_t(base + face.mIndices[k]));
            }
        }

        for (auto& target : skin->morphs)
            target.deltas.resize(skin->positions.size(), HxVec3(0.0f, 0.0f, 0.0f));
        for (unsigned a = 0; a < mesh->mNumAnimMeshes; ++a) {
            const aiAnimMesh* anim = mesh->mAnimMeshes[a];
            QString name = nameOf(anim->mName).trimmed();
            if (name.isEmpty())
                name = QStringLiteral("morph %1").arg(a + 1);
            const qsizetype target = m_morphNames.indexOf(name);
            if (target < 0 || !anim->mVertices || anim->mNumVertices != count)
                continue;
            auto& deltas = skin->morphs[size_t(target)].deltas;
            for (size_t v = 0; v < count; ++v) {
                // The library stores a target's positions, not its offsets.
                const aiVector3D offset = aiMatrix3x3(restOf[v]) * (anim->mVertices[v] - mesh->mVertices[v]);
                deltas[base + v] = HxVec3(offset.x * m_unit, offset.y * m_unit, offset.z * m_unit);
            }
        }
    }
    if (skin->positions.empty())
        fail(QStringLiteral("the skinned meshes have no vertices"));
    if (std::all_of(skin->normals.begin(), skin->normals.end(),
                    [](const HxVec3& n) { return n.length() == 0.0f; }))
        skin->computeNormals();
    const QString problem = skin->validate(figure->getNumBones());
    if (!problem.isEmpty())
        fail(QStringLiteral("the skin is malformed: %1").arg(problem));
    figure->addDataItem(skin.release());
}

void Importer::sampleNodes(const aiAnimation* animation, double ticks,
                           std::vector<aiMatrix4x4>& globals) const
{
    std::vector<aiMatrix4x4> locals(m_nodes.size());
    for (size_t i = 0; i < m_nodes.size(); ++i)
        locals[i] = m_nodes[i]->mTransformation;
    for (unsigned c = 0; c < animation->mNumChannels; ++c) {
        const aiNodeAnim* channel = animation->mChannels[c];
        const aiNode* node = m_nodeByName.value(nameOf(channel->mNodeName));
        if (!node)
            continue;
        aiVector3D scale, position;
        aiQuaternion rotation;
        locals[size_t(m_nodeIndex.value(node))].Decompose(scale, rotation, position);
        if (channel->mNumPositionKeys > 0) {
            const auto [i, t] = bracket(channel->mPositionKeys, channel->mNumPositionKeys, ticks);
            position = channel->mPositionKeys[i].mValue;
            if (t > 0.0f)
                position += (channel->mPositionKeys[i + 1].mValue - position) * t;
        }
        if (channel->mNumRotationKeys > 0) {
            const auto [i, t] = bracket(channel->mRotationKeys, channel->mNumRotationKeys, ticks);
            rotation = channel->mRotationKeys[i].mValue;
            if (t > 0.0f)
                aiQuaternion::Interpolate(rotation, channel->mRotationKeys[i].mValue,
                                          channel->mRotationKeys[i + 1].mValue, t);
        }
        if (channel->mNumScalingKeys > 0) {
            const auto [i, t] = bracket(channel->mScalingKeys, channel->mNumScalingKeys, ticks);
            scale = channel->mScalingKeys[i].mValue;
            if (t > 0.0f)
                scale += (channel->mScalingKeys[i + 1].mValue - scale) * t;
        }
        locals[size_t(m_nodeIndex.value(node))] = aiMatrix4x4(scale, rotation.Normalize(), position);
    }
    globals.resize(m_nodes.size());
    for (size_t i = 0; i < m_nodes.size(); ++i)
        globals[i] = m_nodeParent[i] >= 0 ? globals[size_t(m_nodeParent[i])] * locals[i] : locals[i];
}

void Importer::buildAnimation()
{
    if (m_scene->mNumAnimations == 0 || !m_scene->mAnimations[0])
        return;
    // Only the first take: a figure has one timeline.
    const aiAnimation* animation = m_scene->mAnimations[0];
    for (unsigned c = 0; c < animation->mNumChannels; ++c) {
        const aiNodeAnim* channel = animation->mChannels[c];
        if (!m_boneNodes.contains(m_nodeByName.value(nameOf(channel->mNodeName))))
            continue;
        for (unsigned k = 0; k < channel->mNumScalingKeys; ++k) {
            const aiVector3D& s = channel->mScalingKeys[k].mValue;
            if (std::fabs(s.x - 1.0f) > kScaleTolerance || std::fabs(s.y - 1.0f) > kScaleTolerance ||
                std::fabs(s.z - 1.0f) > kScaleTolerance)
                fail(QStringLiteral("joint \"%1\" is animated in scale, which figures here cannot do")
                         .arg(nameOf(channel->mNodeName)));
        }
    }
    const double ticksPerSecond = animation->mTicksPerSecond > 0.0 ? animation->mTicksPerSecond : 25.0;
    const double seconds = animation->mDuration / ticksPerSecond;
    const double framesPerSecond = double(HX_TICKS_PER_SECOND) / m_ticksPerFrame;
    if (!std::isfinite(seconds) || seconds < 0.0 || seconds * framesPerSecond > double(kMaxFrames))
        fail(QStringLiteral("the animation's length (%1 s) is not usable").arg(seconds));
    const int frames = int(std::lround(seconds * framesPerSecond)) + 1;

    const size_t boneCount = m_bones.size();
    // values[bone][control][frame]: the three translations, then the three
    // rotations, in degrees.
    std::vector<std::array<std::vector<float>, 6>> values(boneCount);
    std::vector<aiMatrix4x4> globals;
    std::vector<aiMatrix4x4> skinning(boneCount);
    for (int frame = 0; frame < frames; ++frame) {
        const double ticks = frame / framesPerSecond * ticksPerSecond;
        sampleNodes(animation, ticks, globals);
        for (size_t b = 0; b < boneCount; ++b) {
            const Bone& bone = m_bones[b];
            // What the bone does to its rest geometry, and that relative to
            // its parent bone, about its own origin: the controls' matrix.
            skinning[b] = globals[size_t(m_nodeIndex.value(bone.node))] * bone.restGlobalInverse;
            aiMatrix4x4 relative = skinning[b];
            if (bone.parent >= 0) {
                aiMatrix4x4 parentInverse = skinning[size_t(bone.parent)];
                parentInverse.Inverse();
                relative = parentInverse * relative;
            }
            const aiMatrix4x4 local = translation(-bone.origin) * relative * translation(bone.origin);
            aiVector3D scale, position;
            aiQuaternion rotation;
            local.Decompose(scale, rotation, position);
            HxVec3 angles;
            HxQuat(rotation.x, rotation.y, rotation.z, rotation.w)
                .normalized()
                .getValue(bone.bone->getRotationOrder(), angles);
            auto& tracks = values[b];
            const float sample[6] = {position.x * m_unit,         position.y * m_unit,
                                     position.z * m_unit,         float(angles.x * kRadToDeg),
                                     float(angles.y * kRadToDeg), float(angles.z * kRadToDeg)};
            for (int k = 0; k < 6; ++k) {
                float value = sample[k];
                if (!std::isfinite(value))
                    fail(QStringLiteral("joint \"%1\" moves to a place that is not finite at frame %2")
                             .arg(bone.bone->objectName())
                             .arg(frame));
                // Keep angle curves continuous: the same turn, a whole number
                // of turns nearer the previous frame's.
                if (k >= 3 && !tracks[k].empty())
                    value += 360.0f * std::round((tracks[k].back() - value) / 360.0f);
                tracks[k].push_back(value);
            }
        }
    }

    for (size_t b = 0; b < boneCount; ++b) {
        HxBone* bone = m_bones[b].bone;
        HxFloatProperty* controls[6] = {bone->getXPosControl(), bone->getYPosControl(),
                                        bone->getZPosControl(), bone->getXRotControl(),
                                        bone->getYRotControl(), bone->getZRotControl()};
        for (int k = 0; k < 6; ++k) {
            const std::vector<float>& track = values[b][size_t(k)];
            const auto [low, high] = std::minmax_element(track.begin(), track.end());
            // Straight into the state: an import is not an edit.
            if (*high - *low <= kConstantTolerance) {
                const float value = std::fabs(track.front()) <= kConstantTolerance ? 0.0f : track.front();
                controls[k]->restoreState(HxFloatProperty::State{value, {}});
                continue;
            }
            std::vector<HxFloatKey> keys(track.size());
            for (size_t f = 0; f < track.size(); ++f)
                keys[f] = HxFloatKey{HxTime(f) * m_ticksPerFrame, track[f]};
            controls[k]->restoreState(HxFloatProperty::State{track.front(), HxFloatKeyList(keys)});
        }
    }

    // Morph weights: each channel names a mesh node (or mesh) whose targets
    // its values index.
    for (unsigned c = 0; c < animation->mNumMorphMeshChannels; ++c) {
        const aiMeshMorphAnim* channel = animation->mMorphMeshChannels[c];
        if (channel->mNumKeys == 0)
            continue;
        const QString channelName = nameOf(channel->mName);
        const aiMesh* mesh = nullptr;
        if (const aiNode* node = m_nodeByName.value(channelName); node && node->mNumMeshes > 0)
            mesh = m_scene->mMeshes[node->mMeshes[0]];
        for (unsigned m = 0; !mesh && m < m_scene->mNumMeshes; ++m)
            if (nameOf(m_scene->mMeshes[m]->mName) == channelName)
                mesh = m_scene->mMeshes[m];
        if (!mesh && m_skinnedMeshes.size() > 0)
            mesh = m_scene->mMeshes[m_skinnedMeshes.front()];
        if (!mesh || mesh->mNumAnimMeshes == 0)
            continue;
        std::vector<std::vector<HxFloatKey>> keys(size_t(m_morphs.size()));
        for (int frame = 0; frame < frames; ++frame) {
            const double ticks = frame / framesPerSecond * ticksPerSecond;
            const auto [i, t] = bracket(channel->mKeys, channel->mNumKeys, ticks);
            std::vector<double> weights(mesh->mNumAnimMeshes, 0.0);
            const aiMeshMorphKey& a = channel->mKeys[i];
            const aiMeshMorphKey& b = channel->mKeys[std::min(i + 1, channel->mNumKeys - 1)];
            for (unsigned v = 0; v < a.mNumValuesAndWeights; ++v)
                if (a.mValues[v] < weights.size())
                    weights[a.mValues[v]] += a.mWeights[v] * (1.0 - t);
            for (unsigned v = 0; v < b.mNumValuesAndWeights; ++v)
                if (b.mValues[v] < weights.size())
                    weights[b.mValues[v]] += b.mWeights[v] * t;
            for (unsigned target = 0; target < mesh->mNumAnimMeshes; ++target) {
                QString name = nameOf(mesh->mAnimMeshes[target]->mName).trimmed();
                if (name.isEmpty())
                    name = QStringLiteral("morph %1").arg(target + 1);
                const qsizetype morph = m_morphNames.indexOf(name);
                if (morph >= 0 && std::isfinite(weights[target]))
                    keys[size_t(morph)].push_back(
                        HxFloatKey{HxTime(frame) * m_ticksPerFrame, float(weights[target])});
            }
        }
        for (qsizetype m = 0; m < m_morphs.size(); ++m) {
            if (keys[size_t(m)].empty())
                continue;
            HxFloatProperty* channelProperty = m_morphs[m]->getValueChannel();
            float low = channelProperty->getMin(), high = channelProperty->getMax();
            for (const HxFloatKey& key : keys[size_t(m)]) {
                low = std::min(low, key.value);
                high = std::max(high, key.value);
            }
            channelProperty->setLimits(low, high, true);
            channelProperty->restoreState(
                HxFloatProperty::State{keys[size_t(m)].front().value, HxFloatKeyList(keys[size_t(m)])});
        }
    }
}

std::unique_ptr<HxSkeleton> Importer::run()
{
    const QFileInfo info(m_path);
    if (!info.isFile())
        fail(QStringLiteral("there is no such file"));
    if (!info.isReadable())
        fail(QStringLiteral("the file cannot be read"));
    const QString suffix = info.suffix().toLower();
    m_bvh = suffix == QLatin1String("bvh");

    Assimp::Importer library;
    library.SetPropertyInteger(AI_CONFIG_PP_LBW_MAX_WEIGHTS, 4);
    const unsigned flags = aiProcess_Triangulate | aiProcess_JoinIdenticalVertices |
                           aiProcess_LimitBoneWeights | aiProcess_ValidateDataStructure;
    m_scene = library.ReadFile(QFile::encodeName(m_path).constData(), flags);
    if (!m_scene) {
        QString reason = QString::fromUtf8(library.GetErrorString()).trimmed();
        fail(QStringLiteral("not a readable %1 file: %2")
                 .arg(suffix.toUpper(), reason.isEmpty() ? QStringLiteral("unknown error") : reason));
    }
    if (!m_scene->mRootNode)
        fail(QStringLiteral("the file has no scene"));
    m_unit = unitScale(suffix, m_scene);

    collectNodes(m_scene->mRootNode, nullptr, aiMatrix4x4());
    if (m_bvh) {
        m_orders = bvhRotationOrders(m_path);
        chooseAllBones();
    } else {
        chooseSkinnedBones();
    }

    auto figure = std::make_unique<HxSkeleton>(info.completeBaseName());
    buildBones(figure.get());
    if (!m_bvh) {
        buildMorphs(figure.get());
        buildMesh(figure.get());
    } else {
        figure->setObject(new HxObject(figure->objectName()));
    }
    buildAnimation();
    return figure;
}

} // namespace

QStringList HxFigureImporter::filePatterns()
{
    return {QStringLiteral("*.gltf"), QStringLiteral("*.glb"), QStringLiteral("*.fbx"),
            QStringLiteral("*.dae"), QStringLiteral("*.bvh")};
}

bool HxFigureImporter::handles(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return filePatterns().contains(QStringLiteral("*.") + suffix);
}

std::unique_ptr<HxSkeleton> HxFigureImporter::read(const QString& path, int ticksPerFrame, QString* error)
{
    try {
        Importer importer(path, std::max(1, ticksPerFrame));
        return importer.run();
    } catch (const ImportError& failure) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, failure.what);
    } catch (const std::exception& failure) {
        // The library throws on some broken files instead of returning null.
        if (error)
            *error =
                QStringLiteral("%1: not a readable file: %2").arg(path, QString::fromUtf8(failure.what()));
    }
    return nullptr;
}

void HxFigureImporter::showTake(const HxSkeleton* figure, HxScene* scene)
{
    if (!figure || !scene)
        return;
    HxTimeRange keyed(0, 0);
    bool any = false;
    auto include = [&](const HxFloatProperty* property) {
        if (property->getNumKeys() == 0)
            return;
        keyed.end = std::max(keyed.end, property->keyList().back().time);
        any = true;
    };
    QList<HxBone*> bones;
    figure->getAllBones(bones);
    for (const HxBone* bone : std::as_const(bones))
        for (int i = 0; i < HxNode::NumTransformControls; ++i)
            include(bone->getTransformControl(i));
    if (const HxObject* object = figure->getObject())
        for (int i = 0; i < object->getNumItems(); ++i)
            if (const auto* morph = qobject_cast<const HxMorph*>(object->getItem(i)))
                include(morph->getValueChannel());
    if (!any)
        return;
    HxTimeRange play = scene->getPlayRange();
    play.end = std::max(play.end, keyed.end);
    scene->setPlayRange(play);
    HxTimeRange anim = scene->getAnimRange();
    anim.end = std::max(anim.end, keyed.end);
    scene->setAnimRange(anim);
}

#include "layer/hxkinetorblendplan.h"

#include "model/hxkinetornodedata.h"
#include "model/hxkinetorpose.h"
#include "model/hxposecollection.h"

#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmatrix4.h"
#include "hxcore/hxnode.h"
#include "hxcore/hxquat.h"
#include "hxcore/hxvec3.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

// Table columns of a varying transform: position (3), scale (3), general
// scale, then the upper 3 x 3 of the rotation matrix. The matrix's last row
// and column are the same in every pose and nothing downstream reads them,
// so they are not blended.
constexpr int kPosColumn = 0;
constexpr int kScaleColumn = 3;
constexpr int kGenScaleColumn = 6;
constexpr int kRotColumn = 7;
constexpr int kTransformColumns = 16;
constexpr int kRotElements[9] = {0, 1, 2, 4, 5, 6, 8, 9, 10};
// Values per node: the ten transform controls in the order they are set
// (the rotation's three last), then its properties.
constexpr int kControlValues = 10;
constexpr int kRotValue = 7;

// One dot's share of every channel. Cloned for AVX2 where the machine has it
// (the build's baseline stays plain x86-64); without FMA either way, so each
// product and sum is rounded exactly as in the plain loop.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void accumulate(double* __restrict out, const double* __restrict values, double weight, std::size_t count)
{
    for (std::size_t c = 0; c < count; ++c)
        out[c] += weight * values[c];
}

bool allFinite(const float* values, int count)
{
    return std::all_of(values, values + count, [](float v) { return std::isfinite(v); });
}

} // namespace

HxKinetorBlendPlan::HxKinetorBlendPlan(const QList<HxKinetorPose*>& poses, HxNode* node,
                                       const std::vector<bool>& transformChanged,
                                       const std::vector<bool>& propertiesChanged)
    : m_poses(poses), m_node(node), m_recordEdits(HxKinetorNodeData::editCount())
{
    // Dots sharing a truncated position would make the system singular; the
    // first of them in list order stands for all.
    std::vector<HxBlendDot> dots;
    QList<HxKinetorPose*> dotPoses;
    for (int p = 0; p < poses.size(); ++p) {
        const HxBlendDot dot{poses[p]->getX(), poses[p]->getY()};
        m_positions.push_back(dot);
        const bool duplicate = std::any_of(dots.begin(), dots.end(), [&](const HxBlendDot& other) {
            return hxTruncateCoordinate(other.x) == hxTruncateCoordinate(dot.x) &&
                   hxTruncateCoordinate(other.y) == hxTruncateCoordinate(dot.y);
        });
        if (duplicate)
            continue;
        dots.push_back(dot);
        dotPoses.append(poses[p]);
        m_dotPoses.push_back(p);
    }
    m_system.build(std::move(dots));
    if (!canBlend() || !node)
        return;

    QList<HxNode*> nodes;
    collectPoseNodes(nodes, node);
    const std::size_t flags = std::min(transformChanged.size(), propertiesChanged.size());
    std::vector<Gather> gathers;
    for (int k = 0; k < nodes.size() && std::size_t(k) < flags; ++k) {
        if (transformChanged[std::size_t(k)] || propertiesChanged[std::size_t(k)])
            planNode(nodes[k], k, transformChanged[std::size_t(k)], propertiesChanged[std::size_t(k)],
                     dotPoses, gathers);
    }
    m_table.assign(m_dotPoses.size() * std::size_t(m_columns), 0.0);
    for (std::size_t n = 0; n < m_nodes.size(); ++n)
        gatherNode(m_nodes[n], gathers[n]);
    m_weights.resize(m_dotPoses.size());
    m_blended.resize(std::size_t(m_columns));
    m_values.resize(m_nodes.size() * kControlValues + m_properties.size());
    m_targets.resize(m_values.size());
    m_finite.resize(m_nodes.size());
    m_rotations.resize(m_nodes.size());
}

// Gives the node its columns and targets, unless a dot's pose lacks a record
// at its position (a vector shorter than the pose-node list), which leaves
// the node out of the blend.
void HxKinetorBlendPlan::planNode(HxNode* node, int index, bool transform, bool properties,
                                  const QList<HxKinetorPose*>& dotPoses, std::vector<Gather>& gathers)
{
    Gather gather;
    for (const HxKinetorPose* pose : dotPoses) {
        gather.records.push_back(pose->getNodeDataAt(index));
        if (!gather.records.back())
            return;
    }
    if (properties) {
        collectAnimatableProperties(gather.properties, node);
        pruneConstantProperties(gather.properties, dotPoses, unsigned(index));
    }
    NodeBlend blend;
    blend.node = node;
    blend.order = node->getRotationOrder();
    blend.transformColumn = transform ? m_columns : -1;
    blend.propertyColumn = m_columns + (transform ? kTransformColumns : 0);
    blend.firstProperty = int(m_properties.size());
    blend.propertyCount = int(gather.properties.size());
    m_columns = blend.propertyColumn + blend.propertyCount;
    for (HxFloatProperty* property : std::as_const(gather.properties))
        m_properties.emplace_back(property);
    m_nodes.push_back(blend);
    gathers.push_back(std::move(gather));
}

// Each dot's values of the node's channels into its row of the table: the
// rotation already as matrix elements, a property a record lacks as 0.
void HxKinetorBlendPlan::gatherNode(const NodeBlend& blend, const Gather& gather)
{
    for (std::size_t i = 0; i < gather.records.size(); ++i) {
        double* row = m_table.data() + i * std::size_t(m_columns);
        const HxKinetorNodeData* record = gather.records[i];
        if (blend.transformColumn >= 0) {
            double* t = row + blend.transformColumn;
            for (int c = 0; c < 3; ++c) {
                t[kPosColumn + c] = record->getPos()[c];
                t[kScaleColumn + c] = record->getScale()[c];
            }
            t[kGenScaleColumn] = record->getGenScale();
            HxMatrix4 matrix;
            record->getRot().getValue(matrix);
            float elements[16];
            matrix.value(elements);
            for (int e = 0; e < 9; ++e)
                t[kRotColumn + e] = elements[kRotElements[e]];
        }
        const HxKinetorNodeData::PropertyValues& values = record->getPropValues();
        for (int p = 0; p < blend.propertyCount; ++p)
            row[blend.propertyColumn + p] = values.value(gather.properties[p], 0.0);
    }
}

bool HxKinetorBlendPlan::describes(const QList<HxKinetorPose*>& poses, const HxNode* node) const
{
    if (node != m_node || poses != m_poses || m_recordEdits != HxKinetorNodeData::editCount())
        return false;
    // Bitwise, so that a NaN position does not read as moved on every tick.
    for (int p = 0; p < poses.size(); ++p) {
        const HxBlendDot& was = m_positions[std::size_t(p)];
        if (std::bit_cast<quint32>(was.x) != std::bit_cast<quint32>(poses[p]->getX()) ||
            std::bit_cast<quint32>(was.y) != std::bit_cast<quint32>(poses[p]->getY()))
            return false;
    }
    return true;
}

bool HxKinetorBlendPlan::weightsAt(float x, float y, std::vector<double>& weights) const
{
    weights.assign(std::size_t(m_poses.size()), 0.0);
    std::vector<double> dotWeights(m_dotPoses.size());
    if (!std::isfinite(x) || !std::isfinite(y) || !m_system.weightsAt(x, y, dotWeights.data()))
        return false;
    for (std::size_t i = 0; i < m_dotPoses.size(); ++i)
        weights[std::size_t(m_dotPoses[i])] = dotWeights[i];
    return true;
}

bool HxKinetorBlendPlan::apply(float cursorX, float cursorY, HxTime time, bool clearing,
                               const HxTimeRange& range, bool perChannel)
{
    hxClearUpperVectorHalves();
    if (!canBlend() || !std::isfinite(cursorX) || !std::isfinite(cursorY))
        return false;
    if (!perChannel && !m_system.weightsAt(cursorX, cursorY, m_weights.data()))
        return false;
    blendChannels(cursorX, cursorY, perChannel);

    // Every conversion first, then every value set: setting values runs
    // signal handlers that may dirty the vector registers again.
    float* values = m_values.data();
    m_pending.clear();
    for (std::size_t n = 0; n < m_nodes.size(); ++n) {
        m_finite[n] = readNode(m_nodes[n], values, m_rotations[n]);
        if (m_finite[n] && m_nodes[n].transformColumn >= 0)
            m_pending.push_back(&m_rotations[n]);
        values += kControlValues + m_nodes[n].propertyCount;
    }
    hxOrthonormalizeRotations(m_pending.data(), int(m_pending.size()));
    values = m_values.data();
    for (std::size_t n = 0; n < m_nodes.size(); ++n) {
        if (m_finite[n] && m_nodes[n].transformColumn >= 0)
            m_euler.add(m_rotations[n], m_nodes[n].order, values + kRotValue);
        values += kControlValues + m_nodes[n].propertyCount;
    }
    m_euler.run();
    values = m_values.data();
    HxFloatProperty** targets = m_targets.data();
    for (std::size_t n = 0; n < m_nodes.size(); ++n) {
        // Half a node would be worse than a node that keeps its last frame.
        const bool anglesFinite = m_nodes[n].transformColumn < 0 || allFinite(values + kRotValue, 3);
        targetNode(m_nodes[n], m_finite[n] && anglesFinite, clearing, range, targets);
        const int count = kControlValues + m_nodes[n].propertyCount;
        values += count;
        targets += count;
    }
    HxFloatProperty::setValues(time, m_targets.data(), m_values.data(), int(m_values.size()));
    return true;
}

void HxKinetorBlendPlan::blendChannels(float cursorX, float cursorY, bool perChannel)
{
    const std::size_t columns = std::size_t(m_columns);
    const std::size_t dots = m_dotPoses.size();
    if (!perChannel) {
        // Summed dot by dot in list order, as one channel's sum would be.
        std::fill(m_blended.begin(), m_blended.end(), 0.0);
        for (std::size_t i = 0; i < dots; ++i)
            accumulate(m_blended.data(), m_table.data() + i * columns, m_weights[i], columns);
        return;
    }
    const HxKinetorMatrix& a = m_system.matrix();
    HxKinetorMatrix b(a.rows(), 1);
    HxKinetorMatrix x(a.rows(), 1);
    const double tc = m_system.lineCoordinate(cursorX, cursorY);
    for (std::size_t c = 0; c < columns; ++c) {
        for (std::size_t i = 0; i < dots; ++i)
            b(int(i) + 1, 1) = m_table[i * columns + c];
        m_blended[c] = evaluateBlend(a, b, x, m_system.dots(), cursorX, cursorY, m_system.isCollinear(), tc);
    }
}

// The node's blended channels as the values to set, the rotation still as a
// matrix; false when any of them is not finite.
bool HxKinetorBlendPlan::readNode(const NodeBlend& blend, float* values, HxMatrix4& rotation) const
{
    if (blend.transformColumn >= 0) {
        const double* c = m_blended.data() + blend.transformColumn;
        for (int i = 0; i < 3; ++i) {
            values[i] = float(c[kPosColumn + i]);
            values[3 + i] = float(c[kScaleColumn + i]);
        }
        values[6] = float(c[kGenScaleColumn]);
        rotation = HxMatrix4::identity();
        for (int e = 0; e < 9; ++e)
            rotation.m[e / 3][e % 3] = float(c[kRotColumn + e]);
        if (!allFinite(values, 7) || !allFinite(&rotation.m[0][0], 16))
            return false;
    }
    const double* c = m_blended.data() + blend.propertyColumn;
    for (int p = 0; p < blend.propertyCount; ++p) {
        values[kControlValues + p] = float(c[p]);
        if (!std::isfinite(values[kControlValues + p]))
            return false;
    }
    return true;
}

// Where the node's values go this tick, null for each that stays as it is;
// with clearing, the node's animation over the range goes first.
void HxKinetorBlendPlan::targetNode(const NodeBlend& blend, bool set, bool clearing, const HxTimeRange& range,
                                    HxFloatProperty** targets)
{
    HxNode* node = set ? blend.node.data() : nullptr;
    std::fill(targets, targets + kControlValues + blend.propertyCount, nullptr);
    if (!node)
        return;
    if (blend.transformColumn >= 0) {
        if (clearing)
            node->clearAnimData(range);
        HxFloatProperty* const controls[kControlValues] = {
            node->getXPosControl(),   node->getYPosControl(),   node->getZPosControl(), node->getXScaleControl(),
            node->getYScaleControl(), node->getZScaleControl(), node->getScaleControl(), node->getXRotControl(),
            node->getYRotControl(),   node->getZRotControl()};
        std::copy(std::begin(controls), std::end(controls), targets);
    }
    for (int p = 0; p < blend.propertyCount; ++p) {
        HxFloatProperty* property = m_properties[std::size_t(blend.firstProperty + p)];
        if (property && clearing)
            property->deleteKeys(range);
        targets[kControlValues + p] = property;
    }
}

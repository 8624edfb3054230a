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

// One dot's share of every channel; the first dot's (fresh) starts every
// sum from zero, as adding to a cleared sum would, without the clearing.
HX_LANE_CLONES void accumulate(double* __restrict out, const double* __restrict values, double weight,
                               std::size_t count, bool fresh)
{
    for (std::size_t c = 0; c < count; ++c)
        out[c] = (fresh ? 0.0 : out[c]) + weight * values[c];
}

// A sum plus four dots' shares, added one dot after the other as four calls
// of accumulate would add them, so every sum is the same to the bit.
inline double plusFourShares(double sum, const double (&weights)[4], double v0, double v1, double v2, double v3)
{
    sum += weights[0] * v0;
    sum += weights[1] * v1;
    sum += weights[2] * v2;
    sum += weights[3] * v3;
    return sum;
}

// A float is not finite when its exponent bits are all ones; or-ing such
// tests as integers, unlike summing floats, is a reduction the compiler may
// vectorize.
inline quint32 notFiniteBit(float value)
{
    constexpr quint32 kExponent = 0x7f800000u;
    return (std::bit_cast<quint32>(value) & kExponent) == kExponent;
}

// Four dots' shares of every channel, each sum loaded and stored once
// instead of four times. Storing every sum after every dot was most of the
// pass's time, and its speed swung by a fifth with where the heap put the
// sums against the table (loads that only seem to depend on an earlier
// store wait for it).
HX_LANE_CLONES void accumulateFour(double* __restrict out, const double* __restrict rows, std::size_t stride,
                                   const double* weights, std::size_t count, bool fresh)
{
    const double w[4] = {weights[0], weights[1], weights[2], weights[3]};
    const double* __restrict v0 = rows;
    const double* __restrict v1 = v0 + stride;
    const double* __restrict v2 = v1 + stride;
    const double* __restrict v3 = v2 + stride;
    for (std::size_t c = 0; c < count; ++c)
        out[c] = plusFourShares(fresh ? 0.0 : out[c], w, v0[c], v1[c], v2[c], v3[c]);
}

// The last four dots' shares, each finished sum stored straight as the
// float it is set as, which spares a pass over the sums; false when any of
// those floats is not finite.
HX_LANE_CLONES bool finishFour(float* __restrict values, const double* __restrict sums, const double* __restrict rows,
                               std::size_t stride, const double* weights, std::size_t count, bool fresh)
{
    const double w[4] = {weights[0], weights[1], weights[2], weights[3]};
    const double* __restrict v0 = rows;
    const double* __restrict v1 = v0 + stride;
    const double* __restrict v2 = v1 + stride;
    const double* __restrict v3 = v2 + stride;
    quint32 notFinite = 0;
    for (std::size_t c = 0; c < count; ++c) {
        values[c] = float(plusFourShares(fresh ? 0.0 : sums[c], w, v0[c], v1[c], v2[c], v3[c]));
        notFinite |= notFiniteBit(values[c]);
    }
    return notFinite == 0;
}

// Every blended channel as the float it is set as; false when any of them
// is not finite.
HX_LANE_CLONES bool narrowToFloats(const double* __restrict blended, float* __restrict values, std::size_t count)
{
    quint32 notFinite = 0;
    for (std::size_t c = 0; c < count; ++c) {
        values[c] = float(blended[c]);
        notFinite |= notFiniteBit(values[c]);
    }
    return notFinite == 0;
}

bool allFinite(const float* values, int count)
{
    return std::none_of(values, values + count, notFiniteBit);
}

} // namespace

HxKinetorBlendPlan::HxKinetorBlendPlan(const QList<HxKinetorPose*>& poses, HxNode* node,
                                       const std::vector<bool>& transformChanged,
                                       const std::vector<bool>& propertiesChanged)
    : m_poses(poses), m_node(node), m_recordEdits(HxKinetorNodeData::editCount()),
      m_structureEdits(HxBase::structureEdits())
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
    constexpr std::size_t kLineDoubles = 64 / sizeof(double);
    m_rowStride = (std::size_t(m_columns) + kLineDoubles - 1) / kLineDoubles * kLineDoubles;
    m_table.assign(m_dotPoses.size() * m_rowStride, 0.0);
    for (std::size_t n = 0; n < m_nodes.size(); ++n)
        gatherNode(m_nodes[n], gathers[n]);
    m_weights.resize(m_dotPoses.size());
    m_blended.resize(m_rowStride);
    m_values.resize(std::size_t(m_columns));
    m_finite.resize(m_nodes.size());
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
        // Pruned against every pose, as the edit brackets prune: a property
        // that differs only on a dot sharing a cell is still set (and keyed).
        collectAnimatableProperties(gather.properties, node);
        pruneConstantProperties(gather.properties, m_poses, unsigned(index));
    }
    NodeBlend blend;
    blend.node = node;
    blend.order = node->getRotationOrder();
    blend.transformColumn = transform ? m_columns : -1;
    blend.propertyColumn = m_columns + (transform ? kTransformColumns : 0);
    blend.propertyCount = int(gather.properties.size());
    m_columns = blend.propertyColumn + blend.propertyCount;
    if (transform) {
        // The rotation's angles take its first three columns; nothing is
        // set from the other six.
        HxFloatProperty* const controls[kTransformColumns] = {
            node->getXPosControl(),   node->getYPosControl(),   node->getZPosControl(),
            node->getXScaleControl(), node->getYScaleControl(), node->getZScaleControl(),
            node->getScaleControl(),  node->getXRotControl(),   node->getYRotControl(),
            node->getZRotControl()};
        m_targets.insert(m_targets.end(), std::begin(controls), std::end(controls));
    }
    m_targets.insert(m_targets.end(), gather.properties.begin(), gather.properties.end());
    if (transform) {
        // Rotations of one order are converted together; an order outside
        // the enum counts as XYZ, as everywhere else.
        const bool known =
            int(blend.order) >= int(HxRotationOrder::XYZ) && int(blend.order) <= int(HxRotationOrder::ZYX);
        m_rotationColumns[std::size_t(known ? blend.order : HxRotationOrder::XYZ)].push_back(
            blend.transformColumn + kRotColumn);
    }
    m_nodes.push_back(blend);
    gathers.push_back(std::move(gather));
}

// Each dot's values of the node's channels into its row of the table: the
// rotation already as matrix elements, a property a record lacks as 0.
void HxKinetorBlendPlan::gatherNode(const NodeBlend& blend, const Gather& gather)
{
    for (std::size_t i = 0; i < gather.records.size(); ++i) {
        double* row = m_table.data() + i * m_rowStride;
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
    if (node != m_node || poses != m_poses || m_recordEdits != HxKinetorNodeData::editCount() ||
        m_structureEdits != HxBase::structureEdits())
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
    if (!canBlend() || !std::isfinite(cursorX) || !std::isfinite(cursorY) ||
        m_structureEdits != HxBase::structureEdits())
        return false;
    if (!perChannel && !m_system.weightsAt(cursorX, cursorY, m_weights.data()))
        return false;
    const bool allFinite = blendChannels(cursorX, cursorY, perChannel);

    // A node's values are set all or none: half a node would be worse than
    // a node that keeps its last frame. Every conversion comes before the
    // first value set, as setting values runs signal handlers that may dirty
    // the vector registers again.
    for (std::size_t n = 0; n < m_nodes.size(); ++n)
        m_finite[n] = allFinite || isFinite(m_nodes[n]);
    // The angles go where the targets expect them: over the first three
    // elements of each rotation.
    for (std::size_t o = 0; o < m_rotationColumns.size(); ++o)
        HxKinetorEulerBatch::convertInPlace(m_values.data(), m_rotationColumns[o].data(),
                                            int(m_rotationColumns[o].size()), HxRotationOrder(o));

    HxFloatProperty* const* targets = tickTargets();
    if (clearing)
        clearAnimation(range);
    HxFloatProperty::setValues(time, targets, m_values.data(), m_columns);
    return true;
}

bool HxKinetorBlendPlan::blendChannels(float cursorX, float cursorY, bool perChannel)
{
    const std::size_t columns = std::size_t(m_columns);
    const std::size_t dots = m_dotPoses.size();
    double* sums = m_blended.data();
    if (!perChannel) {
        // Summed dot by dot in list order, as one channel's sum would be:
        // the first (dots % 4) one at a time, then four at a time, the last
        // four straight into the floats.
        const double* table = m_table.data();
        std::size_t i = 0;
        for (; i < dots % 4; ++i)
            accumulate(sums, table + i * m_rowStride, m_weights[i], columns, i == 0);
        if (i == dots)
            return narrowToFloats(sums, m_values.data(), columns);
        for (; i + 4 < dots; i += 4)
            accumulateFour(sums, table + i * m_rowStride, m_rowStride, m_weights.data() + i, columns, i == 0);
        return finishFour(m_values.data(), sums, table + i * m_rowStride, m_rowStride, m_weights.data() + i, columns,
                          i == 0);
    }
    const HxKinetorMatrix& a = m_system.matrix();
    HxKinetorMatrix b(a.rows(), 1);
    HxKinetorMatrix x(a.rows(), 1);
    const double tc = m_system.lineCoordinate(cursorX, cursorY);
    for (std::size_t c = 0; c < columns; ++c) {
        for (std::size_t i = 0; i < dots; ++i)
            b(int(i) + 1, 1) = m_table[i * m_rowStride + c];
        sums[c] = evaluateBlend(a, b, x, m_system.dots(), cursorX, cursorY, m_system.isCollinear(), tc);
    }
    return narrowToFloats(sums, m_values.data(), columns);
}

bool HxKinetorBlendPlan::isFinite(const NodeBlend& blend) const
{
    return allFinite(m_values.data() + blend.firstColumn(), blend.endColumn() - blend.firstColumn());
}

// Where this tick's values go: the plan's targets, unless a node is left
// out (its values are not finite), which this tick's copy of them marks
// with nulls. Angles from a finite rotation are finite.
HxFloatProperty* const* HxKinetorBlendPlan::tickTargets()
{
    if (std::all_of(m_finite.begin(), m_finite.end(), [](char finite) { return finite != 0; }))
        return m_targets.data();
    m_tickTargets = m_targets;
    for (std::size_t n = 0; n < m_nodes.size(); ++n) {
        const NodeBlend& blend = m_nodes[n];
        if (!m_finite[n])
            std::fill(m_tickTargets.begin() + blend.firstColumn(), m_tickTargets.begin() + blend.endColumn(),
                      nullptr);
    }
    return m_tickTargets.data();
}

// The animation over the range goes from every node and property this
// tick sets.
void HxKinetorBlendPlan::clearAnimation(const HxTimeRange& range)
{
    for (std::size_t n = 0; n < m_nodes.size(); ++n) {
        const NodeBlend& blend = m_nodes[n];
        if (!m_finite[n])
            continue;
        if (blend.transformColumn >= 0)
            blend.node->clearAnimData(range);
        for (int p = 0; p < blend.propertyCount; ++p)
            m_targets[std::size_t(blend.propertyColumn + p)]->deleteKeys(range);
    }
}

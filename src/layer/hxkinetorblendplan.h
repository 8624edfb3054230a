#pragma once

#include "layer/hxkinetorblendsystem.h"
#include "layer/hxkinetoreulerbatch.h"

#include "hxcore/hxrotationorder.h"
#include "hxcore/hxtime.h"
#include "hxcore/hxtimerange.h"

#include <QList>
#include <QPointer>
#include <array>
#include <new>
#include <vector>

class HxFloatProperty;
class HxKinetorNodeData;
class HxKinetorPose;
class HxNode;

// Everything a layer's blend needs that does not depend on the cursor, built
// when the dots, their records or the varying channels change and never
// during a drag: the dots that take part (the first of each integer cell),
// their eliminated system, a table of every blended channel of every such
// dot, and the controls and properties the results go to. A tick is then
// one weight per dot, one pass over the table and the values set.
class HxKinetorBlendPlan
{
public:
    // Blends the poses' records for the pose nodes whose flags are set.
    HxKinetorBlendPlan(const QList<HxKinetorPose*>& poses, HxNode* node,
                       const std::vector<bool>& transformChanged, const std::vector<bool>& propertiesChanged);

    // Whether the plan still describes these poses: the same list, the same
    // dot positions, no record changed and nothing in what scenes are made
    // of (bones, properties, rotation orders) since it was built.
    bool describes(const QList<HxKinetorPose*>& poses, const HxNode* node) const;

    // Fewer than two distinct dots cannot be blended.
    bool canBlend() const { return !m_system.isEmpty(); }
    // One weight per pose of the list, 0 for a pose whose dot shares an
    // integer cell with an earlier one; false when the plan cannot blend or
    // the point or a weight is not finite.
    bool weightsAt(float x, float y, std::vector<double>& weights) const;

    // Blends at the cursor and sets every varying value at the time; with
    // clearing, the animation over the range is removed first. perChannel
    // solves the system once per channel (the reference) instead of using
    // the weights. False, with nothing set, when the weights are not finite
    // or the scene's make-up changed since the plan was built (a node or
    // property it would set may be gone).
    bool apply(float cursorX, float cursorY, HxTime time, bool clearing, const HxTimeRange& range,
               bool perChannel);

private:
    // One pose node with what varies there: a block of transform columns in
    // the table (or -1), then a run of property columns and their targets.
    struct NodeBlend
    {
        HxNode* node = nullptr;
        HxRotationOrder order = HxRotationOrder::XYZ;
        int transformColumn = -1;
        int propertyColumn = 0;
        int propertyCount = 0;
        // The node's columns of the table are [firstColumn(), endColumn()).
        int firstColumn() const { return transformColumn >= 0 ? transformColumn : propertyColumn; }
        int endColumn() const { return propertyColumn + propertyCount; }
    };
    // What a node's columns are read from while the plan is built.
    struct Gather
    {
        std::vector<const HxKinetorNodeData*> records;
        QList<HxFloatProperty*> properties;
    };

    void planNode(HxNode* node, int index, bool transform, bool properties,
                  const QList<HxKinetorPose*>& dotPoses, std::vector<Gather>& gathers);
    void gatherNode(const NodeBlend& blend, const Gather& gather);
    // Every channel's blended value as the float it is set as; false when
    // any of them is not finite.
    bool blendChannels(float cursorX, float cursorY, bool perChannel);
    bool isFinite(const NodeBlend& blend) const;
    HxFloatProperty* const* tickTargets();
    void clearAnimation(const HxTimeRange& range);

    QList<HxKinetorPose*> m_poses;
    std::vector<HxBlendDot> m_positions;
    QPointer<HxNode> m_node;
    quint64 m_recordEdits = 0;
    // The figure's make-up when the plan was built: its pose nodes, their
    // rotation orders and the properties they blend.
    quint64 m_structureEdits = 0;

    // Index into m_poses of each dot of the system.
    std::vector<int> m_dotPoses;
    HxKinetorBlendSystem m_system;

    std::vector<NodeBlend> m_nodes;
    // The table's rows and the blended sums start on cache lines, so that
    // the vector loads and stores of the pass over the table never straddle
    // two lines, whatever the heap hands out.
    template <class T> struct CacheLineAllocator
    {
        using value_type = T;
        static constexpr std::align_val_t Alignment{64};
        CacheLineAllocator() = default;
        template <class U> CacheLineAllocator(const CacheLineAllocator<U>&) {}
        T* allocate(std::size_t n) { return static_cast<T*>(::operator new(n * sizeof(T), Alignment)); }
        void deallocate(T* p, std::size_t) { ::operator delete(p, Alignment); }
        bool operator==(const CacheLineAllocator&) const { return true; }
    };
    using AlignedDoubles = std::vector<double, CacheLineAllocator<double>>;
    // Dot-major: the values of dot i are m_table[i * m_rowStride ...], the
    // stride being m_columns rounded up to whole cache lines.
    AlignedDoubles m_table;
    int m_columns = 0;
    std::size_t m_rowStride = 0;

    // Per-tick scratch, kept to spare allocations.
    std::vector<double> m_weights;
    AlignedDoubles m_blended;
    std::vector<float> m_values;
    // One target per column of the table, the column's value going there:
    // a transform's ten controls in its first ten columns (the rotation's
    // angles in the first three rotation elements), none for the rest.
    // Valid while the structure count stands; tickTargets() copies them
    // with nulls into m_tickTargets for nodes left out of a tick.
    std::vector<HxFloatProperty*> m_targets;
    std::vector<HxFloatProperty*> m_tickTargets;
    std::vector<char> m_finite;
    // The first rotation column of each blended transform, by rotation order.
    std::array<std::vector<int>, 6> m_rotationColumns;
};

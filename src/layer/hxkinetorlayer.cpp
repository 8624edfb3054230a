#include "layer/hxkinetorlayer.h"

#include "layer/hxkinetorclock.h"
#include "layer/hxkinetorliveblend.h"
#include "layer/hxkinetorposedataundoitem.h"
#include "layer/hxkinetorposelistundoitem.h"
#include "layer/hxpointcontrol.h"
#include "model/hxkinetornodedata.h"
#include "model/hxkinetorpose.h"
#include "model/hxposecollection.h"
#include "ui/hxkinetorlayerview.h"
#include "ui/hxkinetorpane.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxmatrix4.h"
#include "hxcore/hxnode.h"
#include "hxcore/hxpanemgr.h"
#include "hxcore/hxquat.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxundostack.h"
#include "hxcore/hxundostackhold.h"
#include "hxcore/hxvec3.h"

#include <QTimer>
#include <algorithm>
#include <cmath>
#include <functional>

namespace {

constexpr double kRadToDeg = 57.29577951308232;
const QString kKinetoringCaption = QStringLiteral("Kinetoring");
const QString kFillFramesCaption = QStringLiteral("Kinetor Fill Frames");

// The 23 transform channels of a record: position (3), scale (3), general
// scale, and the 16 elements of the rotation matrix.
constexpr int kPosChannel = 0;
constexpr int kScaleChannel = 3;
constexpr int kGenScaleChannel = 6;
constexpr int kRotChannel = 7;
constexpr int kTransformChannels = 23;

// Each pose's recorded value of each property, 0 where a pose records none,
// as one row of channels[p * n + i] per property. The value maps are ordered
// by property address, so walking each map once beside the properties sorted
// the same way replaces a tree search per pose and property.
void gatherPropertyValues(const QList<HxFloatProperty*>& properties,
                          const std::vector<const HxKinetorNodeData*>& records, std::vector<double>& channels,
                          std::vector<std::pair<HxFloatProperty*, std::size_t>>& order)
{
    const std::size_t n = records.size();
    order.clear();
    for (qsizetype p = 0; p < properties.size(); ++p)
        order.emplace_back(properties[p], std::size_t(p));
    std::sort(order.begin(), order.end(),
              [](const auto& a, const auto& b) { return std::less<HxFloatProperty*>()(a.first, b.first); });
    channels.assign(order.size() * n, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        const HxKinetorNodeData::PropertyValues& recorded = records[i]->getPropValues();
        auto entry = recorded.constBegin();
        const auto end = recorded.constEnd();
        for (const auto& [property, row] : order) {
            while (entry != end && std::less<HxFloatProperty*>()(entry.key(), property))
                ++entry;
            if (entry == end)
                break;
            if (entry.key() == property)
                channels[row * n + i] = entry.value();
        }
    }
}

bool allFinite(const float* values, int count)
{
    for (int i = 0; i < count; ++i) {
        if (!std::isfinite(values[i]))
            return false;
    }
    return true;
}

} // namespace

HxKinetorLayer::HxKinetorLayer() : HxBase(nullptr, "KinetorLayer")
{
    HxKinetorPane* pane = nullptr;
    if (hxApp && hxApp->getInterface()) {
        if (HxPaneMgr* panes = hxApp->getInterface()->getPaneMgr())
            pane = qobject_cast<HxKinetorPane*>(panes->findPane(QStringLiteral("HxKinetorPane")));
    }
    init(pane, nullptr, QString());
}

HxKinetorLayer::HxKinetorLayer(HxKinetorPane* pane, QWidget* parent, const QString& name,
                               const char* objectName)
    : HxBase(parent, objectName)
{
    init(pane, parent, name);
}

void HxKinetorLayer::init(HxKinetorPane* pane, QWidget* parent, const QString& name)
{
    m_pane = pane;
    m_name = name;
    m_view = new HxKinetorLayerView(this, parent, "KinetorLayerView");
    m_cursor = std::make_unique<HxPointControl>(0.0f, 0.0f);
    m_activePose = nullptr;
    m_node = nullptr;
    m_recordTimer = new QTimer(this);
    connect(m_recordTimer, &QTimer::timeout, this, &HxKinetorLayer::timerUpdate);
    m_undoTimer = new QTimer(this);
    m_undoTimer->setSingleShot(true);
    connect(m_undoTimer, &QTimer::timeout, this, &HxKinetorLayer::undoTimeout);
    m_clock = std::make_unique<HxKinetorClock>();
}

HxKinetorLayer::~HxKinetorLayer()
{
    endLiveBlend();
    // A hold destroyed without being accepted would revert the drag, and
    // open brackets would keep their properties from ever pushing undo
    // items again; closing the edit keeps what was done.
    if (m_undoHold || !m_editNodes.isEmpty() || !m_editProperties.isEmpty())
        finishEdit(m_editCaption);
    m_activePose = nullptr;
    qDeleteAll(m_poses);
    m_poses.clear();
    // A layer read from a file that no group took still has its view
    // without a parent; nobody else would ever delete it. Later, so that
    // whoever holds such a view meanwhile may still delete it first.
    if (m_view && !m_view->parentWidget())
        m_view->deleteLater();
}

void HxKinetorLayer::postLoadFile(const HxInFile*)
{
    for (HxKinetorPose* pose : std::as_const(m_poses))
        updateChangeFlags(pose);
}

void HxKinetorLayer::setActivePose(HxKinetorPose* pose)
{
    m_activePose = (pose && m_poses.contains(pose)) ? pose : nullptr;
}

void HxKinetorLayer::setNode(HxNode* node)
{
    if (node != m_node) {
        // A drag blends the poses of the node it started on.
        endLiveBlend();
        m_node = node;
        resetChangeFlags();
    }
    repaintView();
}

void HxKinetorLayer::clearPoses()
{
    m_activePose = nullptr;
    QList<HxKinetorPose*> poses;
    poses.swap(m_poses);
    if (hxUndoStack && hxUndoStack->canPushItems()) {
        // Last first, so that undo puts each back at its own index.
        for (qsizetype i = poses.size() - 1; i >= 0; --i) {
            poses[i]->setParent(nullptr);
            hxUndoStack->push(new HxKinetorPoseListUndoItem(this, poses[i], int(i), false));
        }
    } else {
        qDeleteAll(poses);
    }
    repaintView();
}

void HxKinetorLayer::insertPose(HxKinetorPose* pose, int index)
{
    if (!pose || m_poses.contains(pose))
        return;
    pose->setParent(this);
    m_poses.insert(std::clamp<qsizetype>(index, 0, m_poses.size()), pose);
    resetChangeFlags();
    updateChangeFlags(nullptr);
    repaintView();
}

int HxKinetorLayer::takePose(HxKinetorPose* pose)
{
    const int index = int(m_poses.indexOf(pose));
    if (index < 0)
        return -1;
    if (pose == m_activePose)
        m_activePose = nullptr;
    m_poses.removeAt(index);
    pose->setParent(nullptr);
    resetChangeFlags();
    updateChangeFlags(nullptr);
    repaintView();
    return index;
}

void HxKinetorLayer::setClock(std::unique_ptr<HxKinetorClock> clock)
{
    if (clock)
        m_clock = std::move(clock);
}

bool HxKinetorLayer::isRecording() const
{
    return m_pane && m_pane->mode() == HxKinetorPane::RecordMode;
}

void HxKinetorLayer::repaintView()
{
    if (m_view)
        m_view->update();
}

// ---------------------------------------------------------------------------
// Change flags

void HxKinetorLayer::resetChangeFlags()
{
    if (!m_node)
        return;
    QList<HxNode*> nodes;
    collectPoseNodes(nodes, m_node);
    m_transformChanged.assign(std::size_t(nodes.size()), false);
    m_propertiesChanged.assign(std::size_t(nodes.size()), false);
}

void HxKinetorLayer::updateChangeFlags(HxKinetorPose* reference)
{
    QList<HxNode*> nodes;
    collectPoseNodes(nodes, m_node);
    const std::size_t count = std::size_t(nodes.size());
    if (count != m_transformChanged.size())
        resetChangeFlags();
    if (!reference) {
        if (m_poses.isEmpty())
            return;
        reference = m_poses.first();
    }
    // Without a node the flags could not be sized; nothing to compare then.
    if (m_transformChanged.size() != count || m_propertiesChanged.size() != count)
        return;

    for (std::size_t k = 0; k < count; ++k) {
        bool transform = false;
        bool properties = false;
        const HxKinetorNodeData* r = reference->getNodeDataAt(qsizetype(k));
        if (r) {
            for (const HxKinetorPose* pose : std::as_const(m_poses)) {
                if (pose == reference)
                    continue;
                const HxKinetorNodeData* o = pose->getNodeDataAt(qsizetype(k));
                if (!o)
                    continue;
                if (!o->getPos().equals(r->getPos(), 1e-6f) || !o->getRot().equals(r->getRot(), 1e-5f) ||
                    !o->getScale().equals(r->getScale(), 1e-6f) || o->getGenScale() != r->getGenScale())
                    transform = true;
                const auto& others = o->getPropValues();
                const auto& refs = r->getPropValues();
                for (auto it = refs.constBegin(); it != refs.constEnd() && !properties; ++it) {
                    auto other = others.constFind(it.key());
                    if (other == others.constEnd() || !(other.value() == it.value()))
                        properties = true;
                }
            }
        }
        m_transformChanged[k] = transform;
        m_propertiesChanged[k] = properties;
    }
}

void HxKinetorLayer::collectVaryingProperties(QList<HxFloatProperty*>& properties, HxNode* node, int index,
                                              const QList<HxKinetorPose*>& poses) const
{
    collectAnimatableProperties(properties, node);
    pruneConstantProperties(properties, poses, unsigned(index));
}

// ---------------------------------------------------------------------------
// Slots

HxKinetorPose* HxKinetorLayer::newPose(int x, int y)
{
    return new HxKinetorPose(float(x), float(y), m_node, false);
}

HxKinetorPose* HxKinetorLayer::addPose(int x, int y)
{
    auto* pose = new HxKinetorPose(float(x), float(y), m_node, true);
    addPose(pose, false);
    m_activePose = pose;
    return pose;
}

void HxKinetorLayer::addPose(HxKinetorPose* pose)
{
    addPose(pose, true);
}

void HxKinetorLayer::addPose(HxKinetorPose* pose, bool backwardCompatible)
{
    if (!pose || m_poses.contains(pose))
        return;
    updateChangeFlags(pose);
    pose->setParent(this);
    m_poses.append(pose);
    if (hxUndoStack && hxUndoStack->canPushItems())
        hxUndoStack->push(new HxKinetorPoseListUndoItem(this, pose, int(m_poses.size() - 1), true));
    repaintView();
    if (backwardCompatible)
        pose->applyBackwardCompatible();
}

void HxKinetorLayer::removePose(HxKinetorPose* pose)
{
    if (!pose || !m_poses.contains(pose))
        return;
    const int index = takePose(pose);
    if (hxUndoStack && hxUndoStack->canPushItems())
        hxUndoStack->push(new HxKinetorPoseListUndoItem(this, pose, index, false));
    else
        delete pose;
}

void HxKinetorLayer::setPose(HxKinetorPose* pose)
{
    if (!pose)
        return;
    if (pose->getNode() && hxUndoStack && hxUndoStack->canPushItems()) {
        HxKinetorPose::NodeDataVector before;
        pose->swapNodeData(before);
        pose->captureFromNode();
        hxUndoStack->push(new HxKinetorPoseDataUndoItem(this, pose, std::move(before)));
    } else {
        pose->captureFromNode();
    }
    updateChangeFlags(pose);
}

void HxKinetorLayer::zoomToFit()
{
    if (m_view)
        m_view->fitToPoses(true, true);
}

void HxKinetorLayer::centerView()
{
    if (m_view)
        m_view->fitToPoses(false, true);
}

void HxKinetorLayer::resetView()
{
    if (m_view)
        m_view->resetView();
}

void HxKinetorLayer::zoomOutToFit()
{
    if (!m_view)
        return;
    const float before = m_view->getZoom();
    zoomToFit();
    if (before < m_view->getZoom()) {
        m_view->setZoom(before, 0, 0);
        centerView();
    }
}

// ---------------------------------------------------------------------------
// Live blend

void HxKinetorLayer::beginEdit()
{
    // A fill burst still waiting for its timer is closed as its own step
    // first: dropping its group would revert the frames it filled.
    if (m_undoHold || !m_editNodes.isEmpty() || !m_editProperties.isEmpty()) {
        m_undoTimer->stop();
        finishEdit(m_editCaption);
    }
    // The group opens before the brackets: opening it closes other layers'
    // pending fills, whose brackets on the same properties must close first.
    // Undo waits while a drag runs; only the host ending every edit ends it.
    m_undoHold = std::make_unique<HxUndoStackHold>();
    m_undoHold->setCloser(
        [this] {
            if (m_liveBlend)
                endLiveBlend();
            else
                finishEdit(m_editCaption);
        },
        true);

    QList<HxNode*> nodes;
    collectPoseNodes(nodes, m_node);
    for (int k = 0; k < nodes.size(); ++k) {
        HxNode* node = nodes[k];
        node->beginEdit();
        m_editNodes.append(node);
        QList<HxFloatProperty*> properties;
        collectVaryingProperties(properties, node, k, m_poses);
        for (HxFloatProperty* property : std::as_const(properties)) {
            property->beginEdit();
            m_editProperties.append(property);
        }
    }
    m_editCaption = kKinetoringCaption;
}

void HxKinetorLayer::finishEdit(const QString& caption)
{
    // Properties first so that their undo items land in the group before it
    // is committed.
    const QList<QPointer<HxNode>> nodes = std::exchange(m_editNodes, {});
    const QList<QPointer<HxFloatProperty>> properties = std::exchange(m_editProperties, {});
    for (const QPointer<HxNode>& node : nodes) {
        if (node)
            node->finishEdit();
    }
    for (const QPointer<HxFloatProperty>& property : properties) {
        if (property)
            property->finishEdit();
    }
    if (m_undoHold) {
        m_undoHold->accept(caption);
        m_undoHold.reset();
    }
}

void HxKinetorLayer::startLiveBlend(float x, float y)
{
    endLiveBlend();
    m_liveBlend = std::make_unique<HxKinetorLiveBlend>(this, x, y);
}

void HxKinetorLayer::endLiveBlend()
{
    // Taken first: ending commits the undo group, whose closer asks here.
    if (std::unique_ptr<HxKinetorLiveBlend> blend = std::move(m_liveBlend))
        blend->end();
}

void HxKinetorLayer::undoTimeout()
{
    finishEdit(kFillFramesCaption);
}

void HxKinetorLayer::timerUpdate()
{
    if (!hxScene)
        return;
    HxTimeRange play = hxScene->getPlayRange();
    HxTimeRange anim = hxScene->getAnimRange();
    const qint64 elapsed = m_clock->restart();
    const int ticks = int(double(elapsed) * double(HX_TICKS_PER_SECOND) / 1000.0);

    if (!play.contains(m_currentTime))
        return;

    const bool recording = isRecording();
    if (recording) {
        const int step = std::max(hxScene->getTimeStep(), 1);
        m_currentTime += ticks;
        int frame = (m_currentTime / step) * step;
        if (!m_pane->extendFrames()) {
            if (!play.contains(m_currentTime)) {
                m_currentTime = play.end + 1;
                frame = play.end;
            }
        } else {
            if (m_currentTime > anim.end) {
                anim.include(frame + step);
                hxScene->setAnimRange(anim);
            }
            if (m_currentTime > play.end) {
                play.include(frame + step);
                hxScene->setPlayRange(play);
            }
        }
        m_recordTime = frame;
    }

    applyBlend();

    if (recording)
        hxScene->setTime(m_recordTime);
}

void HxKinetorLayer::updateForTime(HxTime time)
{
    m_cursor->evaluateAt(time);

    // While a drag runs, its own group is open and its ticks key the frames;
    // a fill must neither start nor time that group out.
    if (m_pane && m_pane->fillFrames() && !m_recordTimer->isActive()) {
        m_recordTime = time;
        const HxTimeRange keyed = m_cursor->getKeyRange();
        if (m_undoHold)
            m_undoTimer->start(500);
        if (keyed.start != keyed.end && keyed.contains(time) && !m_cursor->findKey(time)) {
            if (!m_undoHold) {
                beginEdit();
                m_editCaption = kFillFramesCaption;
                // A burst of fills is pending: Undo, Redo or the next change
                // close it as its own step first.
                m_undoHold->setCloser(
                    [this] {
                        m_undoTimer->stop();
                        finishEdit(kFillFramesCaption);
                    },
                    false);
                m_undoTimer->start(500);
            }
            applyBlend();
        }
    }
    repaintView();
}

void HxKinetorLayer::clearAnimation(const HxTimeRange& range)
{
    QList<HxNode*> nodes;
    collectPoseNodes(nodes, m_node);
    for (int k = 0; k < nodes.size(); ++k) {
        if (std::size_t(k) >= m_transformChanged.size() || std::size_t(k) >= m_propertiesChanged.size())
            break;
        HxNode* node = nodes[k];
        if (m_transformChanged[std::size_t(k)])
            node->clearAnimData(range);
        if (m_propertiesChanged[std::size_t(k)]) {
            QList<HxFloatProperty*> properties;
            collectVaryingProperties(properties, node, k, m_poses);
            for (HxFloatProperty* property : std::as_const(properties))
                property->deleteKeys(range);
        }
    }
    m_cursor->removeKeys(range);
    repaintView();
}

void HxKinetorLayer::orthonormalizeRotation(HxMatrix4& matrix)
{
    HxVec3 x(matrix.m[0][0], matrix.m[0][1], matrix.m[0][2]);
    HxVec3 y(matrix.m[1][0], matrix.m[1][1], matrix.m[1][2]);
    HxVec3 z(matrix.m[2][0], matrix.m[2][1], matrix.m[2][2]);
    for (int pass = 0; pass < 10; ++pass) {
        HxVec3 xp = y.cross(z);
        HxVec3 yp = z.cross(x);
        HxVec3 zp = x.cross(y);
        xp.normalize();
        yp.normalize();
        zp.normalize();
        x = (x + xp) * 0.5f;
        y = (y + yp) * 0.5f;
        z = (z + zp) * 0.5f;
        x.normalize();
        y.normalize();
        z.normalize();
        const float xy = x.dot(y);
        const float yz = y.dot(z);
        const float zx = z.dot(x);
        const float error = xy * xy + yz * yz + zx * zx;
        if (error < 1e-6f)
            break;
    }
    for (int c = 0; c < 3; ++c) {
        matrix.m[0][c] = x[c];
        matrix.m[1][c] = y[c];
    }
    matrix.setRow(2, z);
}

void HxKinetorLayer::applyBlend()
{
    if (m_poses.size() < 2 || !m_node)
        return;

    // Dots sharing a truncated position would make the system singular; the
    // first of them in list order stands for all.
    QList<HxKinetorPose*> snapshot;
    std::vector<HxBlendDot> dots;
    snapshot.reserve(m_poses.size());
    dots.reserve(std::size_t(m_poses.size()));
    for (HxKinetorPose* pose : std::as_const(m_poses)) {
        const int px = hxTruncateCoordinate(pose->getX());
        const int py = hxTruncateCoordinate(pose->getY());
        bool duplicate = false;
        for (const HxBlendDot& dot : dots) {
            if (hxTruncateCoordinate(dot.x) == px && hxTruncateCoordinate(dot.y) == py) {
                duplicate = true;
                break;
            }
        }
        if (duplicate)
            continue;
        snapshot.append(pose);
        dots.push_back({pose->getX(), pose->getY()});
    }
    if (snapshot.size() < 2)
        return;
    const int n = int(snapshot.size());
    const float cursorX = m_cursor->x();
    const float cursorY = m_cursor->y();
    if (!std::isfinite(cursorX) || !std::isfinite(cursorY))
        return;

    HxKinetorMatrix a;
    bool collinear = true;
    double tc = 0.0;
    buildBlendSystem(dots, cursorX, cursorY, a, collinear, tc);
    const int m = a.rows();

    std::vector<double> weights;
    const bool perChannel = m_blendSolve == BlendSolve::PerChannel;
    if (!perChannel && !computeBlendWeights(a, dots, cursorX, cursorY, collinear, tc, weights))
        return;
    HxKinetorMatrix b(m, 1);
    HxKinetorMatrix x(m, 1);
    auto blend = [&](const double* values) {
        if (!perChannel) {
            double sum = 0.0;
            for (int i = 0; i < n; ++i)
                sum += weights[std::size_t(i)] * values[i];
            return sum;
        }
        b.fill(0.0);
        for (int i = 0; i < n; ++i)
            b(i + 1, 1) = values[i];
        return evaluateBlend(a, b, x, dots, cursorX, cursorY, collinear, tc);
    };

    const bool recording = isRecording();
    HxTimeRange skip(m_recordTime, m_recordTime);
    if (recording && hxScene && hxScene->getTime() + 1 <= m_recordTime)
        skip = HxTimeRange(hxScene->getTime() + 1, m_recordTime);

    QList<HxNode*> nodes;
    collectPoseNodes(nodes, m_node);
    std::vector<const HxKinetorNodeData*> records(static_cast<std::size_t>(n));
    std::vector<double> channels(static_cast<std::size_t>(kTransformChannels * n));
    std::vector<double> propertyChannels;
    std::vector<std::pair<HxFloatProperty*, std::size_t>> propertyOrder;
    QList<HxFloatProperty*> properties;
    std::vector<float> propertyValues;

    for (int k = 0; k < nodes.size(); ++k) {
        const std::size_t kk = std::size_t(k);
        if (kk >= m_transformChanged.size() || kk >= m_propertiesChanged.size())
            break;
        const bool transform = m_transformChanged[kk];
        const bool varying = m_propertiesChanged[kk];
        if (!transform && !varying)
            continue;

        // A pose without a record here (its vector is shorter than the
        // pose-node list) leaves this node out of the blend.
        bool complete = true;
        for (int i = 0; i < n && complete; ++i) {
            records[std::size_t(i)] = snapshot[i]->getNodeDataAt(k);
            complete = records[std::size_t(i)] != nullptr;
        }
        if (!complete)
            continue;
        HxNode* node = nodes[k];

        float pos[3] = {};
        float scale[3] = {};
        float genScale = 1.0f;
        float rotation[16] = {};
        float degrees[3] = {};
        bool finite = true;
        if (transform) {
            for (int i = 0; i < n; ++i) {
                const HxKinetorNodeData* record = records[std::size_t(i)];
                const std::size_t stride = std::size_t(n);
                for (int c = 0; c < 3; ++c) {
                    channels[std::size_t(kPosChannel + c) * stride + std::size_t(i)] = record->getPos()[c];
                    channels[std::size_t(kScaleChannel + c) * stride + std::size_t(i)] =
                        record->getScale()[c];
                }
                channels[std::size_t(kGenScaleChannel) * stride + std::size_t(i)] = record->getGenScale();
                HxMatrix4 matrix;
                record->getRot().getValue(matrix);
                float elements[16];
                matrix.value(elements);
                for (int e = 0; e < 16; ++e)
                    channels[std::size_t(kRotChannel + e) * stride + std::size_t(i)] = elements[e];
            }
            auto channel = [&](int c) {
                return blend(channels.data() + std::size_t(c) * std::size_t(n));
            };
            for (int c = 0; c < 3; ++c) {
                pos[c] = float(channel(kPosChannel + c));
                scale[c] = float(channel(kScaleChannel + c));
            }
            genScale = float(channel(kGenScaleChannel));
            for (int e = 0; e < 16; ++e)
                rotation[e] = float(channel(kRotChannel + e));
            finite = allFinite(pos, 3) && allFinite(scale, 3) && std::isfinite(genScale) &&
                     allFinite(rotation, 16);
            if (finite) {
                HxMatrix4 matrix;
                matrix.setValue(rotation);
                orthonormalizeRotation(matrix);
                HxQuat quat;
                quat.setValue(matrix);
                quat.normalize();
                HxVec3 euler;
                quat.getValue(node->getRotationOrder(), euler);
                for (int c = 0; c < 3; ++c)
                    degrees[c] = float(double(euler[c]) * kRadToDeg);
                finite = allFinite(degrees, 3);
            }
        }

        properties.clear();
        propertyValues.clear();
        if (varying && finite) {
            collectVaryingProperties(properties, node, k, snapshot);
            gatherPropertyValues(properties, records, propertyChannels, propertyOrder);
            const std::size_t count = std::size_t(properties.size());
            for (std::size_t p = 0; p < count; ++p) {
                const float value = float(blend(propertyChannels.data() + p * std::size_t(n)));
                if (!std::isfinite(value)) {
                    finite = false;
                    break;
                }
                propertyValues.push_back(value);
            }
        }
        // Half a node would be worse than a node that keeps its last frame.
        if (!finite)
            continue;

        if (transform) {
            if (recording)
                node->clearAnimData(skip);
            node->getXPosControl()->setValue(m_recordTime, pos[0]);
            node->getYPosControl()->setValue(m_recordTime, pos[1]);
            node->getZPosControl()->setValue(m_recordTime, pos[2]);
            node->getXScaleControl()->setValue(m_recordTime, scale[0]);
            node->getYScaleControl()->setValue(m_recordTime, scale[1]);
            node->getZScaleControl()->setValue(m_recordTime, scale[2]);
            node->getScaleControl()->setValue(m_recordTime, genScale);
            node->getXRotControl()->setValue(m_recordTime, degrees[0]);
            node->getYRotControl()->setValue(m_recordTime, degrees[1]);
            node->getZRotControl()->setValue(m_recordTime, degrees[2]);
        }
        for (int p = 0; p < properties.size() && std::size_t(p) < propertyValues.size(); ++p) {
            if (recording)
                properties[p]->deleteKeys(skip);
            properties[p]->setValue(m_recordTime, propertyValues[std::size_t(p)]);
        }
    }

    m_cursor->removeKeys(skip);
    m_cursor->setKey(m_recordTime);
}

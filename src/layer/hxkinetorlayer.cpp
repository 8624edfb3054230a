#include "layer/hxkinetorlayer.h"

#include "layer/hxkinetorblendplan.h"
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

const QString kKinetoringCaption = QStringLiteral("Kinetoring");
const QString kFillFramesCaption = QStringLiteral("Kinetor Fill Frames");

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
    if (m_undoHold || !m_editBrackets.isEmpty())
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
    m_blendPlan.reset();
    if (!m_node)
        return;
    QList<HxNode*> nodes;
    collectPoseNodes(nodes, m_node);
    m_transformChanged.assign(std::size_t(nodes.size()), false);
    m_propertiesChanged.assign(std::size_t(nodes.size()), false);
}

void HxKinetorLayer::updateChangeFlags(HxKinetorPose* reference)
{
    m_blendPlan.reset();
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
    if (m_undoHold || !m_editBrackets.isEmpty()) {
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
        m_editBrackets.append(node);
        QList<HxFloatProperty*> properties;
        collectVaryingProperties(properties, node, k, m_poses);
        for (HxFloatProperty* property : std::as_const(properties)) {
            property->beginEdit();
            m_editBrackets.append(property);
        }
    }
    m_editCaption = kKinetoringCaption;
}

void HxKinetorLayer::finishEdit(const QString& caption)
{
    // Every node and property closes its bracket before the group is
    // committed, so that their undo items land in it.
    const QList<QPointer<QObject>> brackets = std::exchange(m_editBrackets, {});
    for (const QPointer<QObject>& bracket : brackets) {
        if (auto* node = qobject_cast<HxNode*>(bracket.data()))
            node->finishEdit();
        else if (auto* property = qobject_cast<HxFloatProperty*>(bracket.data()))
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

bool HxKinetorLayer::liveBlendStopsSound() const
{
    return m_liveBlend && m_liveBlend->stopsSoundAtEnd();
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
    hxOrthonormalizeRotation(matrix);
}

HxKinetorBlendPlan& HxKinetorLayer::blendPlan() const
{
    if (!m_blendPlan || !m_blendPlan->describes(m_poses, m_node))
        m_blendPlan =
            std::make_unique<HxKinetorBlendPlan>(m_poses, m_node, m_transformChanged, m_propertiesChanged);
    return *m_blendPlan;
}

bool HxKinetorLayer::blendWeightsAt(float x, float y, std::vector<double>& weights) const
{
    return blendPlan().weightsAt(x, y, weights);
}

void HxKinetorLayer::applyBlend()
{
    if (m_poses.size() < 2 || !m_node)
        return;
    const bool recording = isRecording();
    HxTimeRange skip(m_recordTime, m_recordTime);
    if (recording && hxScene && hxScene->getTime() + 1 <= m_recordTime)
        skip = HxTimeRange(hxScene->getTime() + 1, m_recordTime);
    if (!blendPlan().apply(m_cursor->x(), m_cursor->y(), m_recordTime, recording, skip,
                           m_blendSolve == BlendSolve::PerChannel))
        return;
    m_cursor->removeKeys(skip);
    m_cursor->setKey(m_recordTime);
}

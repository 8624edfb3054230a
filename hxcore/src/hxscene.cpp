#include "hxcore/hxscene.h"

#include "hxcore/hxaudioclip.h"
#include "hxcore/hxbone.h"
#include "hxcore/hxskeleton.h"

#include <QSet>
#include <algorithm>
#include <iterator>

HxScene* hxScene = nullptr;

HxScene::HxScene(QObject* parent) : QObject(parent) {}

HxScene::~HxScene()
{
    if (hxScene == this)
        hxScene = nullptr;
    m_nodes.clear();
    m_selection = nullptr;
    // Figures delete their own bones.
    while (!m_owned.empty())
        m_owned.pop_back();
}

void HxScene::addNode(HxNode* node)
{
    if (!node || m_nodes.contains(node))
        return;
    m_owned.emplace_back(node);
    m_nodes.append(node);
    emit nodeAdded(node);
    if (auto* figure = qobject_cast<HxSkeleton*>(node)) {
        QList<HxBone*> bones;
        figure->getAllBones(bones);
        for (HxBone* bone : bones) {
            m_nodes.append(bone);
            emit nodeAdded(bone);
        }
    }
}

void HxScene::detach(HxNode* node)
{
    if (m_selection == node) {
        m_selection = nullptr;
        emit primarySelectionChanged(nullptr);
    }
    emit nodeRemoved(node);
}

void HxScene::removeNode(HxNode* node)
{
    auto owned = std::find_if(m_owned.begin(), m_owned.end(), [node](auto& n) { return n.get() == node; });
    if (owned == m_owned.end())
        return;
    QList<HxNode*> leaving;
    if (auto* figure = qobject_cast<HxSkeleton*>(node)) {
        QList<HxBone*> bones;
        figure->getAllBones(bones);
        leaving.reserve(bones.size() + 1);
        std::copy(bones.rbegin(), bones.rend(), std::back_inserter(leaving));
    }
    leaving.append(node);
    // One pass over the scene's list, not a search per node: a figure may
    // bring 100,000 bones. Listeners hear of each node, last bone first.
    const QSet<HxNode*> gone(leaving.begin(), leaving.end());
    m_nodes.removeIf([&gone](HxNode* n) { return gone.contains(n); });
    for (HxNode* n : leaving)
        detach(n);
    m_owned.erase(owned);
}

void HxScene::clear()
{
    while (!m_owned.empty())
        removeNode(m_owned.back().get());
    emit sceneCleared();
}

HxNode* HxScene::findNode(const QString& name) const
{
    for (HxNode* node : m_nodes)
        if (node->objectName() == name)
            return node;
    return nullptr;
}

void HxScene::setPrimarySelection(HxNode* node)
{
    if (node == m_selection || (node && !m_nodes.contains(node)))
        return;
    m_selection = node;
    emit primarySelectionChanged(node);
}

void HxScene::setTime(HxTime time)
{
    if (time == m_time)
        return;
    m_time = time;
    emit timeChanged(time);
}

void HxScene::setTimeStep(int ticksPerFrame)
{
    // Frames are found by dividing by the step; it is never zero.
    if (ticksPerFrame <= 0 || ticksPerFrame == m_timeStep)
        return;
    m_timeStep = ticksPerFrame;
    emit timeStepChanged(ticksPerFrame);
}

void HxScene::setPlayRange(const HxTimeRange& range)
{
    HxTimeRange r(std::min(range.start, range.end), std::max(range.start, range.end));
    if (r == m_playRange)
        return;
    m_playRange = r;
    emit rangesChanged();
}

void HxScene::setAnimRange(const HxTimeRange& range)
{
    HxTimeRange r(std::min(range.start, range.end), std::max(range.start, range.end));
    if (r == m_animRange)
        return;
    m_animRange = r;
    emit rangesChanged();
}

void HxScene::setAudio(HxAudioClip* clip)
{
    m_audio.reset(clip);
    emit audioChanged();
}

void HxScene::update()
{
    emit updateRequested();
}

#pragma once

#include "hxcore/hxglobal.h"
#include "hxcore/hxtime.h"
#include "hxcore/hxtimerange.h"

#include <QList>
#include <QListIterator>
#include <QObject>
#include <memory>

class HxAudioClip;
class HxNode;
class HxSkeleton;

// The scene: nodes in order, the primary selection, the current time and the
// ranges of the timeline, and the sound track.
class HXCORE_EXPORT HxScene : public QObject
{
    Q_OBJECT
public:
    explicit HxScene(QObject* parent = nullptr);
    ~HxScene() override;

    // Takes ownership. A figure brings its bones: the figure is added first,
    // then each bone in the figure's order, each with nodeAdded.
    void addNode(HxNode* node);
    // Removes a top-level node (a figure with its bones) and deletes it.
    void removeNode(HxNode* node);
    // Removes every node, then emits sceneCleared.
    void clear();

    QListIterator<HxNode*> nodeListIterator() const { return QListIterator<HxNode*>(m_nodes); }
    const QList<HxNode*>& nodes() const { return m_nodes; }
    int getNumNodes() const { return int(m_nodes.size()); }
    HxNode* findNode(const QString& name) const;

    Q_INVOKABLE HxNode* getPrimarySelection() const { return m_selection; }
    void setPrimarySelection(HxNode* node);

    HxTime getTime() const { return m_time; }
    void setTime(HxTime time);
    int getTimeStep() const { return m_timeStep; }
    void setTimeStep(int ticksPerFrame);
    HxTimeRange getPlayRange() const { return m_playRange; }
    void setPlayRange(const HxTimeRange& range);
    HxTimeRange getAnimRange() const { return m_animRange; }
    void setAnimRange(const HxTimeRange& range);

    HxAudioClip* getAudio() const { return m_audio.get(); }
    // Takes ownership; null removes the clip.
    void setAudio(HxAudioClip* clip);
    int getAudioStartFrame() const { return m_audioStartFrame; }
    void setAudioStartFrame(int frame) { m_audioStartFrame = frame; }

    // Asks every view of the scene to redraw.
    void update();

signals:
    void nodeAdded(HxNode* node);
    void nodeRemoved(HxNode* node);
    void sceneCleared();
    void primarySelectionChanged(HxNode* node);
    void timeChanged(int time);
    void timeStepChanged(int ticksPerFrame);
    void rangesChanged();
    void audioChanged();
    void updateRequested();

private:
    void detach(HxNode* node);

    QList<HxNode*> m_nodes;
    std::vector<std::unique_ptr<HxNode>> m_owned;
    HxNode* m_selection = nullptr;
    HxTime m_time = 0;
    int m_timeStep = 160;
    HxTimeRange m_playRange{0, 4800 * 4};
    HxTimeRange m_animRange{0, 4800 * 4};
    std::unique_ptr<HxAudioClip> m_audio;
    int m_audioStartFrame = 0;
};

extern HXCORE_EXPORT HxScene* hxScene;

#pragma once

#include "hxcore/hxnode.h"
#include "hxcore/hxpane.h"

#include <QList>
#include <QMetaObject>
#include <QPointer>

class HxPlayback;
class HxTimeRuler;
class HxWaveformStrip;
class QLabel;
class QSpinBox;
class QToolButton;

// Current frame, transport buttons, play and animation ranges (in frames)
// and the time ruler with the selected node's keys.
class HxTimelinePane : public HxPane
{
    Q_OBJECT
public:
    explicit HxTimelinePane(QWidget* parent = nullptr);
    ~HxTimelinePane() override;

    HxPlayback* playback() const { return m_playback; }
    HxTimeRuler* ruler() const { return m_ruler; }
    HxWaveformStrip* waveform() const { return m_waveform; }
    QSpinBox* frameBox() const { return m_frame; }
    QToolButton* playButton() const { return m_play; }
    QSpinBox* playStartBox() const { return m_playStart; }
    QSpinBox* playEndBox() const { return m_playEnd; }
    QSpinBox* animStartBox() const { return m_animStart; }
    QSpinBox* animEndBox() const { return m_animEnd; }

    void refresh() override;

public slots:
    void goToStart();
    void goToEnd();
    void stepFrames(int frames);

private:
    void showTime();
    void showRanges();
    void showPlaying(bool playing);
    void watchSelection(HxNode* node);
    void collectKeys();
    // Keys change by the thousand in a Record drag; they are collected once,
    // when the event loop next runs.
    void scheduleCollectKeys();
    void applyRanges();
    QToolButton* makeButton(int standardIcon, const QString& tip);

    HxPlayback* m_playback;
    HxTimeRuler* m_ruler;
    HxWaveformStrip* m_waveform = nullptr;
    QToolButton* m_play;
    QSpinBox* m_frame;
    QSpinBox* m_playStart;
    QSpinBox* m_playEnd;
    QSpinBox* m_animStart;
    QSpinBox* m_animEnd;
    QLabel* m_rate;
    QPointer<HxNode> m_node;
    QList<QMetaObject::Connection> m_keyWatch;
    bool m_syncing = false;
    bool m_collectScheduled = false;
};

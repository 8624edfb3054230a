#include "hxtimelinepane.h"

#include "hxplayback.h"
#include "hxtimeruler.h"
#include "hxwaveformstrip.h"

#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxnode.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxscene.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
QList<HxFloatProperty*> animatedProperties(HxNode* node)
{
    QList<HxFloatProperty*> result;
    if (!node)
        return result;
    for (int i = 0; i < node->getNumProperties(); ++i)
        if (auto* property = qobject_cast<HxFloatProperty*>(node->getProperty(i)))
            result.append(property);
    if (HxObject* object = node->getObject())
        for (int i = 0; i < object->getNumItems(); ++i)
            if (auto* morph = qobject_cast<HxMorph*>(object->getItem(i)))
                if (morph->getValueChannel())
                    result.append(morph->getValueChannel());
    return result;
}

QSpinBox* frameSpin(QWidget* parent, const QString& tip)
{
    auto* box = new QSpinBox(parent);
    box->setRange(-1000000, 1000000);
    box->setKeyboardTracking(false);
    box->setAccelerated(true);
    box->setToolTip(tip);
    box->setMinimumWidth(64);
    return box;
}
} // namespace

HxTimelinePane::HxTimelinePane(QWidget* parent) : HxPane(tr("Timeline"), parent)
{
    m_playback = new HxPlayback(this);
    m_ruler = new HxTimeRuler(this);
    m_waveform = new HxWaveformStrip(m_ruler, this);

    QToolButton* first = makeButton(QStyle::SP_MediaSkipBackward, tr("Go to the start of the play range"));
    QToolButton* previous = makeButton(QStyle::SP_MediaSeekBackward, tr("Previous frame"));
    m_play = makeButton(QStyle::SP_MediaPlay, tr("Play"));
    m_play->setObjectName(QStringLiteral("playButton"));
    QToolButton* next = makeButton(QStyle::SP_MediaSeekForward, tr("Next frame"));
    QToolButton* last = makeButton(QStyle::SP_MediaSkipForward, tr("Go to the end of the play range"));

    m_frame = frameSpin(this, tr("Current frame"));
    m_frame->setObjectName(QStringLiteral("frameBox"));
    m_playStart = frameSpin(this, tr("First frame played"));
    m_playEnd = frameSpin(this, tr("Last frame played"));
    m_animStart = frameSpin(this, tr("First frame of the animation"));
    m_animEnd = frameSpin(this, tr("Last frame of the animation"));
    m_rate = new QLabel(this);
    m_rate->setEnabled(false);

    auto* controls = new QHBoxLayout;
    controls->setSpacing(2);
    for (QToolButton* button : {first, previous, m_play, next, last})
        controls->addWidget(button);
    controls->addSpacing(10);
    controls->addWidget(new QLabel(tr("Frame"), this));
    controls->addWidget(m_frame);
    controls->addStretch(1);
    controls->addWidget(new QLabel(tr("Play"), this));
    controls->addWidget(m_playStart);
    controls->addWidget(new QLabel(QStringLiteral("\u2013"), this));
    controls->addWidget(m_playEnd);
    controls->addSpacing(12);
    controls->addWidget(new QLabel(tr("Animation"), this));
    controls->addWidget(m_animStart);
    controls->addWidget(new QLabel(QStringLiteral("\u2013"), this));
    controls->addWidget(m_animEnd);
    controls->addSpacing(10);
    controls->addWidget(m_rate);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(4);
    layout->addLayout(controls);
    layout->addWidget(m_ruler);
    layout->addWidget(m_waveform);

    connect(first, &QToolButton::clicked, this, &HxTimelinePane::goToStart);
    connect(last, &QToolButton::clicked, this, &HxTimelinePane::goToEnd);
    connect(previous, &QToolButton::clicked, this, [this] { stepFrames(-1); });
    connect(next, &QToolButton::clicked, this, [this] { stepFrames(1); });
    connect(m_play, &QToolButton::clicked, m_playback, &HxPlayback::toggle);
    connect(m_playback, &HxPlayback::playingChanged, this, &HxTimelinePane::showPlaying);
    connect(m_ruler, &HxTimeRuler::scrubStarted, m_playback, &HxPlayback::stop);
    connect(m_frame, &QSpinBox::valueChanged, this, [this](int frame) {
        if (m_syncing || !hxScene)
            return;
        // A frame typed in takes over from playback.
        m_playback->stop();
        hxScene->setTime(frame * std::max(1, hxScene->getTimeStep()));
    });
    for (QSpinBox* box : {m_playStart, m_playEnd, m_animStart, m_animEnd})
        connect(box, &QSpinBox::valueChanged, this, &HxTimelinePane::applyRanges);

    if (hxScene) {
        connect(hxScene, &HxScene::timeChanged, this, &HxTimelinePane::showTime);
        connect(hxScene, &HxScene::rangesChanged, this, &HxTimelinePane::showRanges);
        connect(hxScene, &HxScene::timeStepChanged, this, &HxTimelinePane::refresh);
        connect(hxScene, &HxScene::primarySelectionChanged, this, &HxTimelinePane::watchSelection);
        connect(hxScene, &HxScene::sceneCleared, m_playback, &HxPlayback::stop);
    }
    refresh();
}

HxTimelinePane::~HxTimelinePane()
{
    m_playback->stop();
}

QToolButton* HxTimelinePane::makeButton(int standardIcon, const QString& tip)
{
    auto* button = new QToolButton(this);
    button->setIcon(style()->standardIcon(QStyle::StandardPixmap(standardIcon)));
    button->setToolTip(tip);
    button->setAutoRaise(true);
    button->setIconSize(QSize(18, 18));
    return button;
}

void HxTimelinePane::refresh()
{
    showRanges();
    showTime();
    watchSelection(hxScene ? hxScene->getPrimarySelection() : nullptr);
}

void HxTimelinePane::showTime()
{
    if (!hxScene)
        return;
    m_syncing = true;
    m_frame->setValue(hxScene->getTime() / std::max(1, hxScene->getTimeStep()));
    m_syncing = false;
}

void HxTimelinePane::showRanges()
{
    if (!hxScene)
        return;
    const int step = std::max(1, hxScene->getTimeStep());
    m_syncing = true;
    m_playStart->setValue(hxScene->getPlayRange().start / step);
    m_playEnd->setValue(hxScene->getPlayRange().end / step);
    m_animStart->setValue(hxScene->getAnimRange().start / step);
    m_animEnd->setValue(hxScene->getAnimRange().end / step);
    const double fps = double(HX_TICKS_PER_SECOND) / step;
    m_rate->setText(tr("%1 fps").arg(fps, 0, 'g', 4));
    m_syncing = false;
    collectKeys();
}

void HxTimelinePane::applyRanges()
{
    if (m_syncing || !hxScene)
        return;
    const int step = std::max(1, hxScene->getTimeStep());
    hxScene->setAnimRange(HxTimeRange(m_animStart->value() * step, m_animEnd->value() * step));
    hxScene->setPlayRange(HxTimeRange(m_playStart->value() * step, m_playEnd->value() * step));
    // The scene orders reversed ends; show what it kept.
    showRanges();
}

void HxTimelinePane::showPlaying(bool playing)
{
    m_play->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaStop : QStyle::SP_MediaPlay));
    m_play->setToolTip(playing ? tr("Stop") : tr("Play"));
}

void HxTimelinePane::goToStart()
{
    m_playback->stop();
    if (hxScene)
        hxScene->setTime(hxScene->getPlayRange().start);
}

void HxTimelinePane::goToEnd()
{
    m_playback->stop();
    if (hxScene)
        hxScene->setTime(hxScene->getPlayRange().end);
}

void HxTimelinePane::stepFrames(int frames)
{
    m_playback->stop();
    if (!hxScene)
        return;
    const int step = std::max(1, hxScene->getTimeStep());
    hxScene->setTime((hxScene->getTime() / step + frames) * step);
}

void HxTimelinePane::watchSelection(HxNode* node)
{
    for (const QMetaObject::Connection& connection : m_keyWatch)
        disconnect(connection);
    m_keyWatch.clear();
    m_node = node;
    for (HxFloatProperty* property : animatedProperties(node))
        m_keyWatch.append(
            connect(property, &HxProperty::keysChanged, this, &HxTimelinePane::scheduleCollectKeys));
    collectKeys();
}

void HxTimelinePane::scheduleCollectKeys()
{
    if (m_collectScheduled)
        return;
    m_collectScheduled = true;
    QTimer::singleShot(0, this, &HxTimelinePane::collectKeys);
}

void HxTimelinePane::collectKeys()
{
    m_collectScheduled = false;
    QList<int> frames;
    if (hxScene && m_node) {
        const int step = std::max(1, hxScene->getTimeStep());
        for (HxFloatProperty* property : animatedProperties(m_node))
            for (const HxFloatKey& key : property->keyList())
                frames.append(key.time / step);
    }
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    m_ruler->setKeyFrames(frames);
}

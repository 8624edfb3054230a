#include "hxplayback.h"

#include "hxcore/hxaudioclip.h"
#include "hxcore/hxscene.h"

#include <algorithm>

HxPlayback::HxPlayback(QObject* parent) : QObject(parent)
{
    m_elapsed.start();
    m_clock = [this] {
        return m_elapsed.elapsed();
    };
    // Ticking a few times per frame keeps frames close to their due time.
    m_timer.setInterval(8);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &HxPlayback::tick);
}

HxPlayback::~HxPlayback()
{
    // The sound stops with us, but whoever listens may already be gone.
    blockSignals(true);
    stop();
}

void HxPlayback::setClock(Clock clock)
{
    if (clock)
        m_clock = std::move(clock);
}

void HxPlayback::play()
{
    if (m_playing || !hxScene)
        return;
    const HxTimeRange range = hxScene->getPlayRange();
    // At (or past) the end, or before the start, playback begins again at
    // the start of the range.
    if (hxScene->getTime() < range.start || hxScene->getTime() >= range.end)
        hxScene->setTime(range.start);
    m_startTime = hxScene->getTime();
    m_startMs = m_clock();
    m_playing = true;
    if (HxAudioClip* clip = hxScene->getAudio()) {
        clip->seek(m_startTime - hxScene->getAudioStartFrame() * hxScene->getTimeStep());
        clip->play();
    }
    m_timer.start();
    emit playingChanged(true);
}

void HxPlayback::stop()
{
    if (!m_playing)
        return;
    m_playing = false;
    m_timer.stop();
    if (hxScene)
        if (HxAudioClip* clip = hxScene->getAudio())
            clip->stop();
    emit playingChanged(false);
}

void HxPlayback::toggle()
{
    if (m_playing)
        stop();
    else
        play();
}

void HxPlayback::tick()
{
    if (!m_playing || !hxScene)
        return;
    const qint64 elapsedMs = std::max<qint64>(0, m_clock() - m_startMs);
    const int step = std::max(1, hxScene->getTimeStep());
    const qint64 ticks = elapsedMs * HX_TICKS_PER_SECOND / 1000;
    qint64 time = m_startTime + ticks;
    // Land on whole frames of the scene.
    time -= ((time % step) + step) % step;
    const HxTimeRange range = hxScene->getPlayRange();
    if (time >= range.end) {
        hxScene->setTime(range.end);
        stop();
        return;
    }
    hxScene->setTime(HxTime(std::max<qint64>(time, range.start)));
}

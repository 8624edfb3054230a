#pragma once

#include "hxcore/hxtime.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

// Plays the scene in real time: each tick moves the scene time to the
// frame that the clock says is due, so a slow machine skips frames rather
// than falling behind. Playback runs through the play range once and stops
// at its end. The sound track plays along.
class HxPlayback : public QObject
{
    Q_OBJECT
public:
    explicit HxPlayback(QObject* parent = nullptr);
    ~HxPlayback() override;

    // Milliseconds since some fixed point; tests drive their own.
    using Clock = std::function<qint64()>;
    void setClock(Clock clock);
    bool isPlaying() const { return m_playing; }
    // The ticker, exposed so tests can hold it still.
    QTimer* timer() { return &m_timer; }

public slots:
    void play();
    void stop();
    void toggle();
    // Moves the scene time to where the clock says playback has got to.
    void tick();

signals:
    void playingChanged(bool playing);

private:
    Clock m_clock;
    QElapsedTimer m_elapsed;
    QTimer m_timer;
    bool m_playing = false;
    qint64 m_startMs = 0;
    HxTime m_startTime = 0;
};

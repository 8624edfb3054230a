#pragma once

#include "hxaudiopeaks.h"

#include <QString>
#include <QWidget>
#include <atomic>
#include <memory>

class HxTimeRuler;

// The scene's sound track drawn under the time ruler, frame for frame with
// it, so a performer sees the beats they record against. The peaks are read
// once per clip on a worker thread; until they arrive the strip says so.
// Hidden while the scene has no sound.
class HxWaveformStrip : public QWidget
{
    Q_OBJECT
public:
    explicit HxWaveformStrip(HxTimeRuler* ruler, QWidget* parent = nullptr);
    ~HxWaveformStrip() override;

    // The peaks shown; empty while reading or without sound.
    const HxAudioPeaks& peaks() const { return m_peaks; }
    bool isReading() const { return m_reading; }
    // Reads the file's peaks in the background (an empty path clears).
    void setAudioFile(const QString& path);

    QSize sizeHint() const override { return QSize(600, 30); }
    QSize minimumSizeHint() const override { return QSize(120, 30); }

signals:
    void peaksReady();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void followScene();

    HxTimeRuler* m_ruler;
    QString m_path;
    HxAudioPeaks m_peaks;
    bool m_reading = false;
    QString m_error;
    // Shared with the reading thread, which outlives nothing it needs.
    std::shared_ptr<std::atomic<bool>> m_cancel;
};

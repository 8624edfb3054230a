#pragma once

#include <QCoreApplication>
#include <QString>
#include <atomic>
#include <vector>

// The loudness outline of a WAV file: for each short span of time the lowest
// and highest sample over all channels, from -1 to 1. Reading is done once,
// in blocks, and may run on a worker thread; an hour of sound at the default
// resolution is a few megabytes of peaks.
class HxAudioPeaks
{
    Q_DECLARE_TR_FUNCTIONS(HxAudioPeaks)

public:
    static constexpr int DefaultSpansPerSecond = 200;

    // Reads the file; an empty result with the reason in *error when it cannot.
    // Setting *cancel stops the reading early (the result is then empty).
    static HxAudioPeaks read(const QString& path, int spansPerSecond = DefaultSpansPerSecond,
                             QString* error = nullptr, const std::atomic<bool>* cancel = nullptr);

    bool isEmpty() const { return m_low.empty(); }
    int spansPerSecond() const { return m_spansPerSecond; }
    int count() const { return int(m_low.size()); }
    double duration() const { return m_spansPerSecond > 0 ? double(count()) / m_spansPerSecond : 0.0; }
    // Lowest and highest sample between the two times in seconds; false when
    // the stretch lies outside the sound.
    bool range(double from, double to, float& low, float& high) const;

private:
    int m_spansPerSecond = 0;
    std::vector<float> m_low;
    std::vector<float> m_high;
};

#include "hxaudiopeaks.h"

#include "hxmediaaudioclip.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// One sample as -1 .. 1; 8-bit WAV samples are unsigned, the rest signed.
float sampleAt(const uchar* p, int bytes, bool isFloat)
{
    if (isFloat) {
        if (bytes == 4) {
            float value;
            std::memcpy(&value, p, 4);
            return qFromLittleEndian(value);
        }
        double value;
        std::memcpy(&value, p, 8);
        return float(qFromLittleEndian(value));
    }
    switch (bytes) {
    case 1:
        return (float(p[0]) - 128.0f) / 128.0f;
    case 2:
        return float(qFromLittleEndian<qint16>(p)) / 32768.0f;
    case 3: {
        const qint32 value = qint32(quint32(p[0]) << 8 | quint32(p[1]) << 16 | quint32(p[2]) << 24) >> 8;
        return float(value) / 8388608.0f;
    }
    default:
        return float(double(qFromLittleEndian<qint32>(p)) / 2147483648.0);
    }
}

} // namespace

HxAudioPeaks HxAudioPeaks::read(const QString& path, int spansPerSecond, QString* error,
                                const std::atomic<bool>* cancel)
{
    HxAudioPeaks peaks;
    HxMediaAudioClip::WavInfo info;
    if (!HxMediaAudioClip::readWavInfo(path, info, error))
        return peaks;
    const int bytes = info.bitsPerSample / 8;
    const bool usable = info.floatSamples ? (bytes == 4 || bytes == 8) : (bytes >= 1 && bytes <= 4);
    if (!usable || spansPerSecond <= 0) {
        if (error)
            *error = tr("%1: %2-bit samples cannot be drawn").arg(path).arg(info.bitsPerSample);
        return peaks;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(info.dataOffset)) {
        if (error)
            *error = tr("%1: cannot read the sound data (%2)").arg(path, file.errorString());
        return peaks;
    }

    const qint64 frameBytes = qint64(bytes) * info.channels;
    // Frame f falls in span f * spansPerSecond / rate (rounded down).
    const qint64 rate = info.sampleRate;
    const auto spans = std::size_t((info.frames * spansPerSecond + rate - 1) / rate);
    const auto firstFrameOf = [&](std::size_t span) {
        return (qint64(span) * rate + spansPerSecond - 1) / spansPerSecond;
    };
    peaks.m_spansPerSecond = spansPerSecond;
    peaks.m_low.assign(spans, 0.0f);
    peaks.m_high.assign(spans, 0.0f);

    // Blocks of whole frames, about a megabyte each.
    const qint64 blockFrames = std::max<qint64>(1, (1 << 20) / frameBytes);
    QByteArray block;
    qint64 frame = 0;
    std::size_t span = 0;
    qint64 nextSpan = firstFrameOf(1);
    while (frame < info.frames) {
        if (cancel && cancel->load())
            return HxAudioPeaks();
        const qint64 want = std::min(blockFrames, info.frames - frame);
        block = file.read(want * frameBytes);
        const qint64 got = block.size() / frameBytes;
        if (got <= 0)
            break;
        const auto* data = reinterpret_cast<const uchar*>(block.constData());
        for (qint64 f = 0; f < got; ++f, ++frame) {
            while (frame >= nextSpan && span + 1 < spans)
                nextSpan = firstFrameOf(++span + 1);
            float& low = peaks.m_low[span];
            float& high = peaks.m_high[span];
            for (int c = 0; c < info.channels; ++c) {
                const float value = sampleAt(data + f * frameBytes + c * bytes, bytes, info.floatSamples);
                if (std::isfinite(value)) {
                    low = std::min(low, value);
                    high = std::max(high, value);
                }
            }
        }
    }
    return peaks;
}

bool HxAudioPeaks::range(double from, double to, float& low, float& high) const
{
    if (isEmpty() || to <= 0.0 || from >= duration())
        return false;
    const int first = std::clamp(int(std::floor(from * m_spansPerSecond)), 0, count() - 1);
    const int last = std::clamp(int(std::ceil(to * m_spansPerSecond)) - 1, first, count() - 1);
    low = m_low[std::size_t(first)];
    high = m_high[std::size_t(first)];
    for (int i = first + 1; i <= last; ++i) {
        low = std::min(low, m_low[std::size_t(i)]);
        high = std::max(high, m_high[std::size_t(i)]);
    }
    return true;
}

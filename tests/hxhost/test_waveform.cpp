#include "hxhosttest.h"

#include "hxaudiopeaks.h"
#include "hxhostwindow.h"
#include "hxtimelinepane.h"
#include "hxtimeruler.h"
#include "hxwaveformstrip.h"

#include "hxcore/hxscene.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>
#include <cmath>
#include <functional>

namespace {

// A WAV file of the given sample layout whose sample at frame f, channel c
// is value(f, c) in -1 .. 1.
QByteArray wav(int rate, int channels, int bits, bool isFloat, int frames,
               const std::function<double(int, int)>& value)
{
    const int bytes = bits / 8;
    QByteArray data;
    data.reserve(frames * channels * bytes);
    for (int f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            const double v = value(f, c);
            char sample[4];
            if (isFloat) {
                qToLittleEndian(float(v), sample);
            } else if (bits == 16) {
                qToLittleEndian(qint16(std::lround(v * 32767.0)), sample);
            } else {
                const qint32 s = qint32(std::lround(v * 8388607.0));
                sample[0] = char(s & 0xff);
                sample[1] = char((s >> 8) & 0xff);
                sample[2] = char((s >> 16) & 0xff);
            }
            data.append(sample, bytes);
        }
    }
    QByteArray head("RIFF\0\0\0\0WAVEfmt \x10\0\0\0", 20);
    char format[16];
    qToLittleEndian<quint16>(isFloat ? 3 : 1, format);
    qToLittleEndian<quint16>(quint16(channels), format + 2);
    qToLittleEndian<quint32>(quint32(rate), format + 4);
    qToLittleEndian<quint32>(quint32(rate * channels * bytes), format + 8);
    qToLittleEndian<quint16>(quint16(channels * bytes), format + 12);
    qToLittleEndian<quint16>(quint16(bits), format + 14);
    head.append(format, 16);
    head.append("data", 4);
    char size[4];
    qToLittleEndian<quint32>(quint32(data.size()), size);
    head.append(size, 4);
    QByteArray file = head + data;
    qToLittleEndian<quint32>(quint32(file.size() - 8), file.data() + 4);
    return file;
}

// A second of silence, then half a second of a square wave from -0.25 to 0.5.
double beat(int frame, int rate)
{
    if (frame < rate)
        return 0.0;
    return (frame / 4) % 2 ? 0.5 : -0.25;
}

class WaveformTest : public HxHostTest
{};

TEST_F(WaveformTest, PeaksFollowTheSoundInEverySampleLayout)
{
    struct Layout
    {
        int channels;
        int bits;
        bool isFloat;
    };
    for (const Layout& layout : {Layout{1, 16, false}, Layout{2, 24, false}, Layout{2, 32, true}}) {
        const int rate = 8000;
        const QString path = writeFile(m_scratch, QStringLiteral("beat.wav"),
                                       wav(rate, layout.channels, layout.bits, layout.isFloat, rate * 3 / 2,
                                           [&](int f, int c) { return c == 0 ? beat(f, rate) : 0.1; }));
        QString error;
        const HxAudioPeaks peaks = HxAudioPeaks::read(path, 100, &error);
        ASSERT_FALSE(peaks.isEmpty()) << error.toStdString();
        EXPECT_EQ(peaks.count(), 150);
        EXPECT_DOUBLE_EQ(peaks.duration(), 1.5);
        float low = 0.0f;
        float high = 0.0f;
        ASSERT_TRUE(peaks.range(0.2, 0.9, low, high));
        EXPECT_NEAR(low, 0.0, 1e-4);
        EXPECT_NEAR(high, layout.channels == 2 ? 0.1 : 0.0, 1e-4) << "every channel counts";
        ASSERT_TRUE(peaks.range(1.1, 1.2, low, high));
        EXPECT_NEAR(low, -0.25, 1e-4);
        EXPECT_NEAR(high, 0.5, 1e-4);
        EXPECT_FALSE(peaks.range(1.6, 2.0, low, high));
    }
    QString error;
    EXPECT_TRUE(HxAudioPeaks::read(writeFile(m_scratch, QStringLiteral("text.wav"), "just text"), 100, &error)
                    .isEmpty());
    EXPECT_TRUE(error.contains(QStringLiteral("text.wav")));
}

// Loading a sound shows its outline under the ruler once the worker has read
// it; a newer sound replaces one still being read.
TEST_F(WaveformTest, TheTimelineShowsTheLoadedSoundUnderTheRuler)
{
    HxWaveformStrip* strip = m_window->timelinePane()->waveform();
    EXPECT_FALSE(strip->isVisible());
    const int rate = 8000;
    const QString quiet = writeFile(m_scratch, QStringLiteral("quiet.wav"),
                                    wav(rate, 1, 16, false, rate, [](int, int) { return 0.0; }));
    const QString loud =
        writeFile(m_scratch, QStringLiteral("loud.wav"),
                  wav(rate, 1, 16, false, rate * 3 / 2, [&](int f, int) { return beat(f, rate); }));
    QSignalSpy ready(strip, &HxWaveformStrip::peaksReady);
    ASSERT_TRUE(m_window->loadAudio(quiet));
    ASSERT_TRUE(m_window->loadAudio(loud));
    EXPECT_TRUE(strip->isVisible());
    ASSERT_TRUE(ready.wait(5000));
    QTest::qWait(50);
    EXPECT_EQ(ready.count(), 1) << "the first sound's peaks never arrive";
    EXPECT_DOUBLE_EQ(strip->peaks().duration(), 1.5);
    EXPECT_FALSE(strip->isReading());

    // The loud half second lies at frames 30 to 45 at 30 frames a second.
    hxScene->setTimeStep(160);
    hxScene->setAnimRange(HxTimeRange(0, 60 * 160));
    hxScene->setPlayRange(HxTimeRange(0, 60 * 160));
    hxScene->setTime(0);
    const QImage picture = image(strip);
    const auto inked = [&](int frame) {
        const int x = m_window->timelinePane()->ruler()->xForFrame(frame);
        int count = 0;
        for (int y = 3; y < picture.height() - 3; ++y)
            count += picture.pixelColor(x, y).blue() > picture.pixelColor(x, y).red() + 40;
        return count;
    };
    EXPECT_LT(inked(15), 3);
    EXPECT_GT(inked(38), 8);
    EXPECT_LT(inked(55), 3);
}

// A picture of the timeline with six seconds of drum-like beats, in the build folder.
TEST_F(WaveformTest, WritesTheTimelineWithItsSound)
{
    const int rate = 8000;
    const QString drums =
        writeFile(m_scratch, QStringLiteral("drums.wav"), wav(rate, 1, 16, false, rate * 6, [&](int f, int) {
                      const double t = double(f) / rate;
                      const double sinceBeat = std::fmod(t, 0.5);
                      const double accent = std::fmod(t, 2.0) < 0.5 ? 1.0 : 0.6;
                      return accent * std::exp(-sinceBeat * 14.0) * std::sin(2.0 * M_PI * 90.0 * t) * 0.9;
                  }));
    hxScene->setTimeStep(160);
    hxScene->setAnimRange(HxTimeRange(0, 180 * 160));
    hxScene->setPlayRange(HxTimeRange(0, 180 * 160));
    hxScene->setTime(40 * 160);
    HxWaveformStrip* strip = m_window->timelinePane()->waveform();
    QSignalSpy ready(strip, &HxWaveformStrip::peaksReady);
    ASSERT_TRUE(m_window->loadAudio(drums));
    ASSERT_TRUE(ready.wait(5000));
    m_window->timelinePane()->resize(900, 140);
    QApplication::processEvents();
    const QDir folder(QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots"));
    ASSERT_TRUE(folder.mkpath(QStringLiteral(".")));
    EXPECT_TRUE(
        image(m_window->timelinePane()).save(folder.filePath(QStringLiteral("timeline-waveform.png"))));
}

} // namespace

#include "hxmediaaudioclip.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("HxMediaAudioClip", text);
}

bool fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}
} // namespace

HxMediaAudioClip::~HxMediaAudioClip()
{
    if (m_player)
        m_player->stop();
}

bool HxMediaAudioClip::readWavInfo(const QString& path, WavInfo& info, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, tr("%1: cannot open the file (%2)").arg(path, file.errorString()));
    const QByteArray head = file.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return fail(error, tr("%1: not a WAV file (no RIFF/WAVE header)").arg(path));

    bool haveFormat = false;
    WavInfo found;
    int format = 0;
    int blockAlign = 0;
    // Walk the chunks; anything besides "fmt " and "data" is skipped.
    // Every size in the header is checked against what the file really
    // holds, so a header cannot make us allocate or promise gigabytes.
    const qint64 fileSize = file.size();
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(8);
        if (chunk.size() < 8)
            break;
        const QByteArray id = chunk.left(4);
        const quint32 size = qFromLittleEndian<quint32>(chunk.constData() + 4);
        const qint64 available = fileSize - file.pos();
        if (id == "fmt ") {
            if (size < 16)
                return fail(error, tr("%1: the format chunk is too short").arg(path));
            if (size > available)
                return fail(error, tr("%1: the file ends inside its format chunk").arg(path));
            const QByteArray fmt = file.read(std::min<quint32>(size, 64));
            file.seek(file.pos() + (size - fmt.size()));
            if (fmt.size() < 16)
                return fail(error, tr("%1: the file ends inside its format chunk").arg(path));
            format = qFromLittleEndian<quint16>(fmt.constData());
            // An extensible format names the real one at the start of its
            // sub-format identifier.
            if (format == 0xFFFE && fmt.size() >= 26)
                format = qFromLittleEndian<quint16>(fmt.constData() + 24);
            found.channels = qFromLittleEndian<quint16>(fmt.constData() + 2);
            found.sampleRate = int(qFromLittleEndian<quint32>(fmt.constData() + 4));
            blockAlign = qFromLittleEndian<quint16>(fmt.constData() + 12);
            found.bitsPerSample = qFromLittleEndian<quint16>(fmt.constData() + 14);
            haveFormat = true;
            if (size % 2)
                file.read(1);
        } else if (id == "data") {
            if (!haveFormat)
                return fail(error, tr("%1: the sound data comes before its format").arg(path));
            // 1 integer PCM, 3 float PCM, 0xFFFE extensible (PCM inside).
            if (format != 1 && format != 3 && format != 0xFFFE)
                return fail(error,
                            tr("%1: compressed WAV data (format %2) is not supported").arg(path).arg(format));
            if (found.sampleRate <= 0 || found.channels <= 0 || blockAlign <= 0)
                return fail(error,
                            tr("%1: the format chunk holds no usable rate or channel count").arg(path));
            // A header that promises more sound than the file holds is a
            // damaged or hostile file: its length would be a lie.
            if (size > available)
                return fail(error, tr("%1: the header claims %2 bytes of sound but the file holds only %3")
                                       .arg(path)
                                       .arg(size)
                                       .arg(available));
            found.frames = size / blockAlign;
            if (found.frames == 0)
                return fail(error, tr("%1: the file holds no sound (its data chunk is empty)").arg(path));
            found.dataOffset = file.pos();
            found.floatSamples = format == 3;
            info = found;
            return true;
        } else {
            if (size > available)
                return fail(error, tr("%1: the file ends inside one of its chunks").arg(path));
            if (!file.seek(file.pos() + size + (size % 2)))
                break;
        }
    }
    return fail(error, haveFormat ? tr("%1: the file holds no sound data").arg(path)
                                  : tr("%1: the file has no format chunk").arg(path));
}

std::unique_ptr<HxMediaAudioClip> HxMediaAudioClip::load(const QString& path, QString* error)
{
    WavInfo info;
    if (!readWavInfo(path, info, error))
        return nullptr;
    std::unique_ptr<HxMediaAudioClip> clip(new HxMediaAudioClip);
    clip->m_path = QFileInfo(path).absoluteFilePath();
    clip->m_info = info;
    // Without an output device some media backends crash on play(); the
    // clip then keeps time silently.
    if (!QMediaDevices::audioOutputs().isEmpty()) {
        clip->m_output = std::make_unique<QAudioOutput>();
        clip->m_player = std::make_unique<QMediaPlayer>();
        clip->m_player->setAudioOutput(clip->m_output.get());
        clip->m_player->setSource(QUrl::fromLocalFile(clip->m_path));
    }
    return clip;
}

HxTime HxMediaAudioClip::getEndTime() const
{
    if (m_info.sampleRate <= 0)
        return 0;
    // Ticks overflow an int after about 124 hours of sound; the length is
    // worked out in 64 bits (frames fit 32 bits, ticks per second 13) and a
    // longer sound ends at the last time the scene can show.
    const qint64 ticks = m_info.frames * qint64(HX_TICKS_PER_SECOND) / m_info.sampleRate;
    return HxTime(std::min<qint64>(ticks, std::numeric_limits<HxTime>::max()));
}

void HxMediaAudioClip::seek(HxTime time)
{
    if (m_player)
        m_player->setPosition(qint64(std::max(0, time)) * 1000 / HX_TICKS_PER_SECOND);
}

void HxMediaAudioClip::setRate(double rate)
{
    // A rate that is not a positive number would stall or reverse the
    // player; it is ignored.
    if (!(rate > 0.0) || !std::isfinite(rate))
        return;
    m_playbackRate = rate;
    if (m_player)
        m_player->setPlaybackRate(rate);
}

void HxMediaAudioClip::play()
{
    if (m_player)
        m_player->play();
}

void HxMediaAudioClip::stop()
{
    if (m_player)
        m_player->pause();
}

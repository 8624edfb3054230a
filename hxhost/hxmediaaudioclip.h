#pragma once

#include "hxcore/hxaudioclip.h"

#include <QString>
#include <memory>

class QAudioOutput;
class QMediaPlayer;

// A WAV file as the scene's sound track. Its length and rate come from the
// file's header, so they are known at once; the sound itself plays through
// Qt Multimedia when the machine has an audio output, and the clip stays
// silent (but still timed) when it has none.
class HxMediaAudioClip : public HxAudioClip
{
public:
    struct WavInfo
    {
        int sampleRate = 0;
        int channels = 0;
        int bitsPerSample = 0;
        qint64 frames = 0;
    };

    ~HxMediaAudioClip() override;

    // Null with the reason in *error when the file is not a WAV file this
    // clip can play.
    static std::unique_ptr<HxMediaAudioClip> load(const QString& path, QString* error = nullptr);
    // Reads only the header; false with the reason in *error.
    static bool readWavInfo(const QString& path, WavInfo& info, QString* error = nullptr);

    QString fileName() const { return m_path; }
    QString getFileName() const override { return m_path; }
    const WavInfo& info() const { return m_info; }
    bool hasOutput() const { return m_player != nullptr; }

    HxTime getEndTime() const override;
    void seek(HxTime time) override;
    int getRate() const override { return m_info.sampleRate; }
    void setRate(double rate) override;
    double playbackRate() const { return m_playbackRate; }
    void play() override;
    void stop() override;

private:
    HxMediaAudioClip() = default;

    QString m_path;
    WavInfo m_info;
    double m_playbackRate = 1.0;
    std::unique_ptr<QAudioOutput> m_output;
    std::unique_ptr<QMediaPlayer> m_player;
};

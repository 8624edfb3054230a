#pragma once

#include "hxcore/hxglobal.h"
#include "hxcore/hxtime.h"

#include <QString>

// The scene's sound track, as the timeline and the plug-ins drive it.
class HXCORE_EXPORT HxAudioClip
{
public:
    virtual ~HxAudioClip();
    virtual HxTime getEndTime() const = 0;
    virtual void seek(HxTime time) = 0;
    // Samples per second.
    virtual int getRate() const = 0;
    // Playback speed: 1.0 is normal speed. A drag sets it between its seek
    // and play, so that the sound runs in step with the recorded time.
    virtual void setRate(double rate) = 0;
    virtual void play() = 0;
    virtual void stop() = 0;
    // The file the clip plays, which a saved scene names; empty when it
    // comes from no file.
    virtual QString getFileName() const;
};

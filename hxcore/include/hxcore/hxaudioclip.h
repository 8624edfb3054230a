#pragma once

#include "hxcore/hxglobal.h"
#include "hxcore/hxtime.h"

// The scene's sound track, as the timeline and the plug-ins drive it.
class HXCORE_EXPORT HxAudioClip
{
public:
    virtual ~HxAudioClip();
    virtual HxTime getEndTime() const = 0;
    virtual void seek(HxTime time) = 0;
    // Samples per second.
    virtual int getRate() const = 0;
    virtual void play() = 0;
    virtual void stop() = 0;
};

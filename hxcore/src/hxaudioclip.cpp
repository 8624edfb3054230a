#include "hxcore/hxaudioclip.h"

HxAudioClip::~HxAudioClip() = default;

QString HxAudioClip::getFileName() const
{
    return QString();
}

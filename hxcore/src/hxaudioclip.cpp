#include "hxcore/hxaudioclip.h"

HxAudioClip::~HxAudioClip() = default;

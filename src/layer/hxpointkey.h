#pragma once

// One key of the blend cursor: where the cursor was on the canvas at a scene
// time (in ticks).
struct HxPointKey
{
    float x = 0.0f;
    float y = 0.0f;
    int time = 0;
};

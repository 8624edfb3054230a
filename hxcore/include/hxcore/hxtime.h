#pragma once

// Scene time is counted in integer ticks; 4800 divides evenly by every common
// frame rate (24, 25, 30, 48, 50, 60, ...), so frame times stay exact.
using HxTime = int;

constexpr int HX_TICKS_PER_SECOND = 4800;

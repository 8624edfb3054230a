#pragma once

#include <QtCore/qglobal.h>

// Symbols of the host SDK are exported while building the library itself and
// imported by everything that links against it (plug-ins, host, tests).
#if defined(HXCORE_LIBRARY)
#define HXCORE_EXPORT Q_DECL_EXPORT
#else
#define HXCORE_EXPORT Q_DECL_IMPORT
#endif

#pragma once

#include "hxcore/hxapp.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

// What every fuzz target needs once per process: an offscreen application
// (the host's objects are widgets and GUI-thread objects) and a host
// application with its settings in a scratch folder.
inline void hxFuzzInitialize(int*, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Warnings for every rejected input would drown the fuzzer's own output.
    qputenv("QT_LOGGING_RULES", "*.warning=false;default.warning=false;js.warning=false");
    // Only the program's name: the application must not take (or trip
    // over) libFuzzer's own options.
    static int argc = 1;
    static char* args[] = {(*argv)[0], nullptr};
    static QApplication application(argc, args);
    static QTemporaryDir settings;
    HxApp::setSettingsPath(settings.filePath(QStringLiteral("settings.ini")));
    static HxApp app;
}

// A broken promise of the code under test: reported as a crash so the input
// is kept.
#define HX_FUZZ_CHECK(condition)                                                                             \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);         \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

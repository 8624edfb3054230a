// Runs arbitrary text as a host script, with the host's globals (App,
// MainWindow, Scene with a figure in it, MessageBox, HxVec3, HxQuat, the
// helper functions) in reach. Whatever the script does, the host must not
// crash or hang: errors, the watch's time and memory limits and the
// built-ins' size limits all end in a failed run, after which the engine
// must still work.
#include "fuzzsupport.h"

#include "hxcore/hxfigurereader.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxscriptengine.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    hxFuzzInitialize(argc, argv);
    HxFigureReader::addToScene(QStringLiteral(HX_SOURCE_DIR "/samples/figures/mannequin.json"));
    HxScriptLimits limits;
    // Well inside libFuzzer's own hang (-timeout) and memory (-rss_limit_mb)
    // limits, so that a script the watch stops is an ordinary input.
    limits.timeLimitMs = 2000;
    limits.memoryLimitBytes = qint64(512) << 20;
    HxScriptEngine::setDefaultLimits(limits);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A fresh engine per input, so that what one script does to the
    // built-ins cannot change how the next one runs: a crash found is a crash
    // reproduced.
    HxScriptEngine engine;
    engine.setInteractive(false);
    const QString code = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!engine.run(code, QStringLiteral("fuzz.js")))
        HX_FUZZ_CHECK(!engine.lastError().isEmpty() && engine.lastError().size() < 1200);
    HX_FUZZ_CHECK(engine.run(QStringLiteral("1 + 1")) && engine.lastResult().toInt() == 2);
    return 0;
}

// Feeds arbitrary bytes to the scene file reader, with the plug-in's
// storable classes registered and its pane docked, as in the host. Reading
// must never crash, hang or leak undefined behaviour; a file that fails must
// say so in one message naming the file.
#include "fuzzsupport.h"

#include "hxkinetorscenebuilder.h"

#include "hxcore/hxscenefile.h"
#include "hxcore/hxscriptengine.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    hxFuzzInitialize(argc, argv);
    static HxKinetorSceneBuilder builder;
    HxScriptLimits limits;
    // The scene's state script runs under the same watch as in the host.
    limits.timeLimitMs = 2000;
    limits.memoryLimitBytes = qint64(512) << 20;
    HxScriptEngine::setDefaultLimits(limits);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    HxSceneFile file;
    if (!file.loadBytes(bytes, QStringLiteral("fuzz.hxs")))
        HX_FUZZ_CHECK(file.errorString().startsWith(QLatin1String("fuzz.hxs")));
    return 0;
}

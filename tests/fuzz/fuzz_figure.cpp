// Feeds arbitrary bytes to the figure reader: it must never crash, hang or
// leak undefined behaviour, and must either give a whole figure or a short
// message that names the file.
#include "fuzzsupport.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfigurereader.h"
#include "hxcore/hxskeleton.h"

#include <QSet>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    hxFuzzInitialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray json(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    const std::unique_ptr<HxSkeleton> figure =
        HxFigureReader::fromJson(json, QStringLiteral("fuzz.json"), &error);
    if (!figure) {
        HX_FUZZ_CHECK(error.startsWith(QLatin1String("fuzz.json: ")));
        HX_FUZZ_CHECK(error.size() <= 1100);
        return 0;
    }
    HX_FUZZ_CHECK(error.isEmpty());
    // Parents and followed bones come before the bones that name them.
    QSet<const HxBone*> seen;
    for (int i = 0; i < figure->getNumBones(); ++i) {
        const HxBone* bone = figure->getBone(i);
        HX_FUZZ_CHECK(!bone->getParentBone() || seen.contains(bone->getParentBone()));
        HX_FUZZ_CHECK(!bone->getFollowBone() || seen.contains(bone->getFollowBone()));
        seen.insert(bone);
    }
    return 0;
}

// Writes the generated sample figures as glTF, so the samples in the
// repository are made here rather than downloaded:
//   hxmakefigure samples/figures/critter.gltf
//   hxmakefigure big.glb --bones 100 --morphs 50 --vertices 20000
#include "hxanimationexporter.h"
#include "hxsamplefigurebuilder.h"

#include "hxcore/hxskeleton.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes a generated skinned figure with morphs and a take."));
    parser.addHelpOption();
    const QCommandLineOption bones(QStringLiteral("bones"), QStringLiteral("Bones of a synthetic figure."),
                                   QStringLiteral("N"));
    const QCommandLineOption morphs(QStringLiteral("morphs"), QStringLiteral("Morphs of a synthetic figure."),
                                    QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption vertices(QStringLiteral("vertices"),
                                      QStringLiteral("Vertices of a synthetic figure."), QStringLiteral("N"),
                                      QStringLiteral("2000"));
    parser.addOptions({bones, morphs, vertices});
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("Where to write (.gltf, .glb or .bvh)."));
    parser.process(application);
    QTextStream err(stderr);
    if (parser.positionalArguments().size() != 1) {
        err << "hxmakefigure: name one file to write" << Qt::endl;
        return 2;
    }
    const std::unique_ptr<HxSkeleton> figure =
        parser.isSet(bones)
            ? HxSampleFigureBuilder::synthetic(parser.value(bones).toInt(), parser.value(morphs).toInt(),
                                               parser.value(vertices).toInt())
            : HxSampleFigureBuilder::critter();
    // Both figures' takes are 30 frames at the default 30 frames a second.
    const int ticksPerFrame = 160;
    QString error;
    if (!HxAnimationExporter::write(figure.get(), HxTimeRange(0, 30 * ticksPerFrame), ticksPerFrame,
                                    parser.positionalArguments().first(), &error)) {
        err << error << Qt::endl;
        return 1;
    }
    return 0;
}

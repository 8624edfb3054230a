// Saving and reading a large scene: the mannequin with ten layers of twenty
// dots and a take on 300 channels at 30 frames a second. The argument is
// the take's length in seconds (600 is ten minutes, about 5.4 million
// keys); bytes_per_key and the byte rate show whether the cost stays linear
// in the number of keys.
#include "hxkinetorscenebuilder.h"

#include "hxbenchmain.h"
#include "hxcore/hxapp.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxscenefile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <cmath>
#include <vector>

namespace {

constexpr int kChannels = 300;

// Every float property of the figure, its bones and its morphs, up to
// kChannels of them.
QList<HxFloatProperty*> channelsOf(HxSkeleton* figure)
{
    QList<HxNode*> nodes{figure};
    QList<HxBone*> bones;
    figure->getAllBones(bones);
    for (HxBone* bone : bones)
        nodes.append(bone);
    QList<HxFloatProperty*> channels;
    for (HxNode* node : nodes) {
        for (int i = 0; i < node->getNumProperties(); ++i)
            if (auto* property = qobject_cast<HxFloatProperty*>(node->getProperty(i)))
                channels.append(property);
        if (HxObject* geometry = node->getObject())
            for (int i = 0; i < geometry->getNumItems(); ++i)
                if (auto* morph = qobject_cast<HxMorph*>(geometry->getItem(i)))
                    channels.append(morph->getValueChannel());
    }
    return channels.mid(0, kChannels);
}

// A take as recording leaves it: a key on every frame of every channel.
// Written straight into the channels; recording ten minutes through the
// blend would take longer than the benchmark itself.
qint64 keyTake(HxSkeleton* figure, int seconds)
{
    const int frames = seconds * 30;
    qint64 keys = 0;
    const QList<HxFloatProperty*> channels = channelsOf(figure);
    for (qsizetype c = 0; c < channels.size(); ++c) {
        std::vector<HxFloatKey> track(static_cast<size_t>(frames));
        for (int f = 0; f < frames; ++f)
            track[size_t(f)] = HxFloatKey{f * 160, float(std::sin(f * 0.01 + double(c)) * 30.0)};
        channels.at(c)->restoreState(HxFloatProperty::State{0.0f, HxFloatKeyList(track)});
        keys += frames;
    }
    return keys;
}

struct BigScene
{
    explicit BigScene(int seconds)
    {
        figure = HxKinetorSceneBuilder::addFigure(
            QDir(QStringLiteral(HX_SOURCE_DIR)).filePath(QStringLiteral("samples/figures/mannequin.json")));
        for (int l = 0; l < 10; ++l) {
            QList<QPointF> dots;
            for (int d = 0; d < 20; ++d)
                dots.append(QPointF(d * 13 % 97 - 48, d * 29 % 89 - 44 + l));
            builder.addLayer(figure, QStringLiteral("Layer %1").arg(l + 1), dots);
        }
        keys = keyTake(figure, seconds);
    }
    HxKinetorSceneBuilder builder;
    HxSkeleton* figure = nullptr;
    qint64 keys = 0;
};

void report(benchmark::State& state, qint64 bytes, qint64 keys)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
    state.counters["keys"] = double(keys);
    state.counters["bytes_per_key"] = double(bytes) / double(keys);
    state.counters["MB"] = double(bytes) / 1e6;
}

void BM_SaveScene(benchmark::State& state)
{
    BigScene scene(int(state.range(0)));
    qint64 bytes = 0;
    for (auto _ : state) {
        const QByteArray data = HxSceneFile::toBytes();
        bytes = data.size();
        benchmark::DoNotOptimize(data.constData());
    }
    report(state, bytes, scene.keys);
}

void BM_LoadScene(benchmark::State& state)
{
    BigScene scene(int(state.range(0)));
    const QByteArray data = HxSceneFile::toBytes();
    for (auto _ : state) {
        HxSceneFile file;
        if (!file.loadBytes(data, QStringLiteral("bench.hxs")))
            state.SkipWithError(qPrintable(file.errorString()));
    }
    report(state, data.size(), scene.keys);
}

// Through a real file: the checksum, QSaveFile's temporary file and rename.
void BM_SaveSceneFile(benchmark::State& state)
{
    BigScene scene(int(state.range(0)));
    const QString path = QDir::temp().filePath(QStringLiteral("hxbench-scene.hxs"));
    for (auto _ : state) {
        HxSceneFile file;
        if (!file.save(path))
            state.SkipWithError(qPrintable(file.errorString()));
    }
    report(state, QFileInfo(path).size(), scene.keys);
    QFile::remove(path);
}

} // namespace

BENCHMARK(BM_SaveScene)->Arg(60)->Arg(150)->Arg(300)->Arg(600)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadScene)->Arg(60)->Arg(150)->Arg(300)->Arg(600)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveSceneFile)->Arg(600)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    HxApp::setSettingsPath(QDir::temp().filePath(QStringLiteral("hxbench.ini")));
    HxApp app;
    return hxRunBenchmarks(argc, argv);
}

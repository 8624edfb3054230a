// Reading and drawing figures far larger than any real one: 100,000 bones in
// one chain, and 100,000 extra properties on one node. Both must read in
// under 2 s; hxhost must draw the chain (a --screenshot run) in under 5 s.
#include "hxcore/hxfigurereader.h"
#include "hxcore/hxskeleton.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kCount = 100000;

QByteArray chainFigure()
{
    QByteArray json = R"({"name": "Snake", "bones": [)";
    for (int i = 0; i < kCount; ++i) {
        json += i ? ",\n" : "\n";
        json += "{\"name\": \"b" + QByteArray::number(i) +
                "\", \"parent\": " + (i ? "\"b" + QByteArray::number(i - 1) + "\"" : QByteArray("null")) +
                R"(, "origin": [0, )" + QByteArray::number(i * 0.01) + R"(, 0], "end": [0, )" +
                QByteArray::number((i + 1) * 0.01) + ", 0]}";
    }
    return json + "]}";
}

QByteArray propertyFigure()
{
    QByteArray json = R"({"name": "Rig", "bones": [], "properties": [)";
    for (int i = 0; i < kCount; ++i)
        json += (i ? ",\n" : "\n") + QByteArray(R"({"name": "dial)") + QByteArray::number(i) +
                R"(", "min": 0, "max": 1, "value": 0.5})";
    return json + "]}";
}

void read(benchmark::State& state, const QByteArray& json)
{
    state.counters["bytes"] = double(json.size());
    for (auto _ : state) {
        QString error;
        std::unique_ptr<HxSkeleton> figure =
            HxFigureReader::fromJson(json, QStringLiteral("big.json"), &error);
        if (!figure)
            state.SkipWithError(qPrintable(error));
        benchmark::DoNotOptimize(figure.get());
    }
}

void BM_ReadChainOf100000Bones(benchmark::State& state)
{
    read(state, chainFigure());
}

void BM_Read100000Properties(benchmark::State& state)
{
    read(state, propertyFigure());
}

// The whole host, started as a person would, loading the chain and drawing
// it once into a picture.
void BM_HostDrawsChainOf100000Bones(benchmark::State& state)
{
    const QString host = QStringLiteral(HXHOST_EXECUTABLE);
    QTemporaryDir scratch;
    QFile figure(scratch.filePath(QStringLiteral("snake.json")));
    if (!QFile::exists(host) || !figure.open(QIODevice::WriteOnly)) {
        state.SkipWithError("hxhost is not built");
        return;
    }
    figure.write(chainFigure());
    figure.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HX_SETTINGS_PATH"), scratch.filePath(QStringLiteral("settings.ini")));
    for (auto _ : state) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(host, {QStringLiteral("--figure"), figure.fileName(), QStringLiteral("--screenshot"),
                             scratch.filePath(QStringLiteral("snake.png"))});
        if (!process.waitForFinished(120000) || process.exitCode() != 0) {
            state.SkipWithError(qPrintable(QString::fromLocal8Bit(process.readAllStandardError())));
            return;
        }
    }
}

} // namespace

BENCHMARK(BM_ReadChainOf100000Bones)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_Read100000Properties)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_HostDrawsChainOf100000Bones)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

BENCHMARK_MAIN();

// What the canvas overlays cost.
//
//   BM_InfluenceMap/<dots>      recomputing the selected dot's influence over a
//                               1000 x 700 canvas (the map is cached otherwise)
//   BM_WeightReadout/<dots>     the weights at a moving cursor, as the weights
//                               overlay reads them once per cursor move; compare
//                               with BM_BlendTick of bench_blend
//   BM_CanvasPaint/<dots>/<on>  one full paint of a 1000 x 700 canvas in
//                               Preview, with the weights rings and numbers off
//                               (0) or on (1)

#include "layer/hxkinetorlayer.h"
#include "layer/hxpointcontrol.h"
#include "model/hxkinetorpose.h"
#include "ui/hxkinetordotlayout.h"
#include "ui/hxkinetorinfluencemap.h"
#include "ui/hxkinetorlayerview.h"
#include "ui/hxkinetorpane.h"
#include "ui/hxkinetorviewoptions.h"

#include "hxbenchmain.h"
#include "hxcore/hxapp.h"
#include "hxcore/hxbone.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

const QSize kCanvas(1000, 700);

// A layer of dots spread over the canvas on a jittered grid (distinct cells,
// not on one line), its view at kCanvas and zoom 1.
class CanvasRig
{
public:
    explicit CanvasRig(int dots)
    {
        m_figure = new HxSkeleton(QStringLiteral("Figure"));
        m_figure->addBone(new HxBone(QStringLiteral("hip")));
        hxScene->addNode(m_figure);
        m_layer = std::make_unique<HxKinetorLayer>(&m_pane, nullptr, QStringLiteral("Bench"), "Layer");
        m_layer->setNode(m_figure);
        m_layer->getView()->resize(kCanvas);
        QRandomGenerator random(5);
        const int across = 8;
        const int down = (dots + across - 1) / across;
        for (int d = 0; d < dots; ++d) {
            const int x = 60 + (d % across) * (880 / across) + int(random.bounded(40));
            const int y = 60 + (d / across) * (580 / std::max(1, down)) + int(random.bounded(40));
            m_layer->addPose(x, y);
        }
    }
    ~CanvasRig()
    {
        HxKinetorLayerView* view = m_layer->getView();
        m_layer.reset();
        delete view;
        hxScene->removeNode(m_figure);
    }
    HxKinetorLayer* layer() const { return m_layer.get(); }
    HxKinetorPane& pane() { return m_pane; }

private:
    HxKinetorPane m_pane;
    HxSkeleton* m_figure = nullptr;
    std::unique_ptr<HxKinetorLayer> m_layer;
};

void BM_InfluenceMap(benchmark::State& state)
{
    CanvasRig rig(int(state.range(0)));
    const HxKinetorDotLayout layout(rig.layer()->getPoses());
    HxKinetorInfluenceMap map;
    int selected = 0;
    for (auto _ : state) {
        // Another dot each time, so every round computes.
        selected = (selected + 1) % rig.layer()->getNumPoses();
        benchmark::DoNotOptimize(map.update(layout, selected, 1.0f, 0.0f, 0.0f, kCanvas));
    }
}

void BM_WeightReadout(benchmark::State& state)
{
    CanvasRig rig(int(state.range(0)));
    std::vector<double> weights;
    float x = 0.0f;
    for (auto _ : state) {
        x = x >= 900.0f ? 0.0f : x + 1.5f;
        benchmark::DoNotOptimize(rig.layer()->blendWeightsAt(x, 0.6f * x + 20.0f, weights));
    }
}

void BM_CanvasPaint(benchmark::State& state)
{
    CanvasRig rig(int(state.range(0)));
    HxKinetorViewOptions* options = rig.pane().getViewOptions();
    options->setOn(HxKinetorViewOptions::Weights, state.range(1) != 0);
    options->setOn(HxKinetorViewOptions::WeightNumbers, state.range(1) != 0);
    rig.pane().setMode(HxKinetorPane::PreviewMode);
    HxKinetorLayerView* view = rig.layer()->getView();
    QPixmap target(kCanvas);
    float x = 0.0f;
    for (auto _ : state) {
        x = x >= 900.0f ? 0.0f : x + 1.5f;
        rig.layer()->getCursor()->setPosition(x, 0.6f * x + 20.0f);
        view->render(&target);
    }
    options->setOn(HxKinetorViewOptions::Weights, false);
    options->setOn(HxKinetorViewOptions::WeightNumbers, false);
}

} // namespace

BENCHMARK(BM_InfluenceMap)->Arg(16)->Arg(32)->Arg(64)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WeightReadout)->Arg(16)->Arg(32)->Arg(64)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CanvasPaint)->Args({32, 0})->Args({32, 1})->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // The settings of a scratch file, so the benchmark leaves the person's alone.
    HxApp::setSettingsPath(QDir::temp().filePath(QStringLiteral("hxkinetor-bench-canvas.ini")));
    HxApp app;
    return hxRunBenchmarks(argc, argv);
}

// The blend measured inside the host application's process: the host window
// with its viewport, panes, media and script engine, the plug-in modules
// loaded from the plug-in folder as hxhost loads them, the sample figure, and
// the event loop run between ticks, so whatever the host's libraries leave in
// the vector registers is there when the blend runs.
//
//   BM_HostTick/<dots>            one Preview tick on the sample figure (24 pose
//                                 nodes, 12 animatable properties, all varying)
//   BM_HostIdle                   the pauses around the event loop alone
//   BM_HostEulerConversion/<clear> the figure's 24 rotations to Euler angles as
//                                 the host leaves the registers, without (0)
//                                 and with (1) clearing the upper halves first

#include "layer/hxkinetorblend.h"
#include "layer/hxkinetorlayer.h"
#include "layer/hxpointcontrol.h"
#include "model/hxposecollection.h"
#include "ui/hxkinetorpane.h"

#include "hxhostwindow.h"
#include "hxpluginloader.h"

#include "hxbenchmain.h"
#include "hxcore/hxapp.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxquat.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxscriptengine.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxstyle.h"

#include <QApplication>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

HxHostWindow* g_window = nullptr;

HxSkeleton* sampleFigure()
{
    for (auto it = hxScene->nodeListIterator(); it.hasNext();) {
        if (auto* figure = qobject_cast<HxSkeleton*>(it.next()))
            return figure;
    }
    return nullptr;
}

void BM_HostTick(benchmark::State& state)
{
    HxSkeleton* figure = sampleFigure();
    if (!figure) {
        state.SkipWithError("the sample figure did not load");
        return;
    }
    HxKinetorPane pane;
    HxKinetorLayer layer(&pane, nullptr, QStringLiteral("Bench"), "Layer");
    layer.setNode(figure);
    QList<HxNode*> nodes;
    collectPoseNodes(nodes, figure);
    QRandomGenerator random(5);
    for (int d = 0; d < state.range(0); ++d) {
        for (HxNode* node : std::as_const(nodes)) {
            for (int c = 3; c < 6; ++c)
                node->getTransformControl(c)->setValue(float(random.bounded(90.0) - 45.0));
            QList<HxFloatProperty*> properties;
            collectAnimatableProperties(properties, node);
            for (HxFloatProperty* property : std::as_const(properties))
                property->setValue(float(random.bounded(1.0)));
        }
        layer.addPose(40 * (d % 8) + int(random.bounded(20)), 40 * (d / 8) + int(random.bounded(20)));
    }
    pane.setMode(HxKinetorPane::PreviewMode);
    layer.setCurrentTime(hxScene->getTime());
    layer.setRecordTime(hxScene->getTime());
    layer.beginEdit();
    float x = 0.0f;
    for (auto _ : state) {
        state.PauseTiming();
        // The host repaints the figure and its panes between ticks.
        QApplication::processEvents();
        state.ResumeTiming();
        x = x >= 300.0f ? 0.0f : x + 1.5f;
        layer.getCursor()->setPosition(x, 0.37f * x + 20.0f);
        layer.applyBlend();
    }
    layer.finishEdit(QStringLiteral("Kinetoring"));
    delete layer.getView();
}

// The same iterations with nothing timed between the pauses: what pausing
// and resuming the clock around the event loop costs by itself, to subtract.
void BM_HostIdle(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_HostEulerConversion(benchmark::State& state)
{
    HxSkeleton* figure = sampleFigure();
    if (!figure) {
        state.SkipWithError("the sample figure did not load");
        return;
    }
    QList<HxNode*> nodes;
    collectPoseNodes(nodes, figure);
    QRandomGenerator random(9);
    std::vector<std::pair<HxQuat, HxRotationOrder>> rotations;
    for (HxNode* node : std::as_const(nodes)) {
        HxQuat q;
        q.setValue(node->getRotationOrder(),
                   HxVec3(float(random.generateDouble() - 0.5), float(random.generateDouble() - 0.5),
                          float(random.generateDouble() - 0.5)));
        rotations.emplace_back(q, node->getRotationOrder());
    }
    HxVec3 euler;
    for (auto _ : state) {
        state.PauseTiming();
        QApplication::processEvents();
        hxScene->update();
        state.ResumeTiming();
        if (state.range(0))
            hxClearUpperVectorHalves();
        for (const auto& [q, order] : rotations) {
            q.getValue(order, euler);
            benchmark::DoNotOptimize(euler);
        }
    }
}

} // namespace

// The event loop runs untimed between iterations; a fixed count keeps the
// untimed part from stretching the run to minutes.
BENCHMARK(BM_HostTick)->Arg(4)->Arg(16)->Arg(32)->Iterations(3000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HostIdle)->Iterations(3000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HostEulerConversion)->Arg(0)->Arg(1)->Iterations(3000)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setStyle(new HxStyle);
    HxApp app;
    HxHostWindow window;
    g_window = &window;
    window.loadPlugins(HxPluginLoader::defaultFolder());
    window.loadFigure(HxHostWindow::findSampleFigure());
    window.show();
    HxScriptEngine scripts;
    scripts.run(QStringLiteral("var warm = 0; for (var i = 0; i < 1000; ++i) warm += Math.atan2(i, 3);"));
    QApplication::processEvents();

    return hxRunBenchmarks(argc, argv);
}

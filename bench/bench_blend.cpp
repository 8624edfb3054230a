// Blend and record costs on a figure with 100 bones that follow no other bone
// and 200 morph channels, every one of them varying between the poses.
//
// 2,500 blended channels (100 bones x 23 + 200 morphs), 1,200 values set per
// tick (100 bones x 10 controls + 200 morphs).
//
//   BM_BlendTick/<dots>           one applyBlend through the layer's blend plan
//   BM_BlendTickCold/<dots>       the same tick after 8 MB of other memory was
//                                 touched (untimed), as after a redraw
//   BM_BlendTickReference/<dots>  the same tick with one elimination per channel
//   BM_BlendFloor/<dots>          the arithmetic a blend cannot do without: the
//                                 distance matrix, one LU factorisation and one
//                                 dot product per channel over a contiguous table
//   BM_EulerConversion/<clear>    100 rotations to Euler angles after 256-bit AVX
//                                 code left the upper register halves dirty,
//                                 without (0) and with (1) clearing them first
//   BM_EditBrackets/<keys>        the layer's beginEdit and finishEdit around a
//                                 three-tick Record drag at the end of that many
//                                 keys per channel (counters in ms)
//   BM_RecordTick/<seconds>       one Record tick appending after that much
//                                 recorded animation (10 s, 10 min)
//   BM_RecordTickAmid/<seconds>   one Record tick re-recording in the middle of
//                                 that much animation

#include "layer/hxkinetorblend.h"
#include "layer/hxkinetorclock.h"
#include "layer/hxkinetorlayer.h"
#include "layer/hxpointcontrol.h"
#include "model/hxkinetorpose.h"
#include "ui/hxkinetorpane.h"

#include "hxbenchmain.h"
#include "hxcore/hxapp.h"
#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxquat.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxscriptengine.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxundostack.h"

#include <QApplication>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>

namespace {

constexpr int kBones = 100;
constexpr int kMorphs = 200;
constexpr int kStep = 160;

class BenchClock : public HxKinetorClock
{
public:
    void start() override { m_pending = 0; }
    qint64 restart() override { return std::exchange(m_pending, 0); }
    bool isValid() const override { return true; }
    void advance(qint64 ms) { m_pending += ms; }

private:
    qint64 m_pending = 0;
};

// One scene with the figure, a pane and a layer with the given number of
// dots, each capturing a different random pose.
class BlendRig
{
public:
    explicit BlendRig(int dots)
    {
        m_figure = new HxSkeleton(QStringLiteral("Figure"));
        HxBone* parent = nullptr;
        for (int i = 0; i < kBones; ++i) {
            auto* bone = new HxBone(QStringLiteral("Bone%1").arg(i));
            if (parent)
                bone->setParentBone(parent);
            m_figure->addBone(bone);
            parent = bone;
        }
        m_figure->setObject(new HxObject(QStringLiteral("FigureObject")));
        for (int i = 0; i < kMorphs; ++i) {
            auto* morph = new HxMorph(QStringLiteral("Morph%1").arg(i), QStringLiteral("Morph %1").arg(i));
            m_figure->getObject()->addItem(morph);
            m_morphs.append(morph->getValueChannel());
        }
        hxScene->addNode(m_figure);
        hxScene->setTimeStep(kStep);

        m_layer = std::make_unique<HxKinetorLayer>(&m_pane, nullptr, QStringLiteral("Bench"), "Layer");
        m_layer->setNode(m_figure);
        auto clock = std::make_unique<BenchClock>();
        m_clock = clock.get();
        m_layer->setClock(std::move(clock));

        QRandomGenerator random(7);
        QList<HxBone*> bones;
        m_figure->getAllBones(bones);
        for (int d = 0; d < dots; ++d) {
            for (HxBone* bone : bones) {
                bone->getXPosControl()->setValue(float(random.generateDouble() * 2 - 1));
                bone->getYPosControl()->setValue(float(random.generateDouble() * 2 - 1));
                bone->getXRotControl()->setValue(float(random.generateDouble() * 90 - 45));
                bone->getYRotControl()->setValue(float(random.generateDouble() * 90 - 45));
                bone->getZRotControl()->setValue(float(random.generateDouble() * 90 - 45));
                bone->getXScaleControl()->setValue(float(0.9 + random.generateDouble() * 0.2));
            }
            for (HxFloatProperty* morph : std::as_const(m_morphs))
                morph->setValue(float(random.generateDouble()));
            // A grid with some jitter: distinct cells, not on one line.
            m_layer->addPose(40 * (d % 8) + int(random.bounded(20)), 40 * (d / 8) + int(random.bounded(20)));
        }
    }

    ~BlendRig()
    {
        HxKinetorLayerView* view = m_layer->getView();
        m_layer.reset();
        delete view;
        hxScene->removeNode(m_figure);
        hxUndoStack->clear();
    }

    HxKinetorLayer* layer() const { return m_layer.get(); }
    HxSkeleton* figure() const { return m_figure; }
    BenchClock* clock() const { return m_clock; }
    HxKinetorPane& pane() { return m_pane; }

    // Keys on every frame of [0, end) on every channel the layer varies.
    void prerecord(int end)
    {
        QList<HxBone*> bones;
        m_figure->getAllBones(bones);
        for (int t = 0; t < end; t += kStep) {
            const float v = float(t % 977) * 0.001f;
            for (HxBone* bone : std::as_const(bones))
                for (int c = 0; c < HxNode::NumTransformControls; ++c)
                    bone->getTransformControl(c)->setValue(t, v);
            for (HxFloatProperty* morph : std::as_const(m_morphs))
                morph->setValue(t, v);
        }
    }

private:
    HxKinetorPane m_pane;
    HxSkeleton* m_figure = nullptr;
    QList<HxFloatProperty*> m_morphs;
    std::unique_ptr<HxKinetorLayer> m_layer;
    BenchClock* m_clock = nullptr;
};

// Preview ticks with the cursor wandering over the dots, as under a dragging
// hand. Cold ticks first push the scene out of the nearer caches, as the
// host's drawing between two ticks does; that untimed sweep is what keeps a
// loop's look-ahead honest.
void blendTicks(benchmark::State& state, HxKinetorLayer::BlendSolve solve, bool cold = false)
{
    BlendRig rig(int(state.range(0)));
    HxKinetorLayer* layer = rig.layer();
    layer->setBlendSolve(solve);
    rig.pane().setMode(HxKinetorPane::PreviewMode);
    hxScene->setTime(0);
    layer->setCurrentTime(0);
    layer->setRecordTime(0);
    layer->beginEdit();
    std::vector<char> elsewhere(cold ? 8 << 20 : 0);
    float x = 0.0f;
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            for (std::size_t i = 0; i < elsewhere.size(); i += 64)
                elsewhere[i]++;
            state.ResumeTiming();
        }
        x = x >= 300.0f ? 0.0f : x + 1.5f;
        layer->getCursor()->setPosition(x, 0.37f * x + 20.0f);
        layer->applyBlend();
    }
    layer->finishEdit(QStringLiteral("Kinetoring"));
}

void BM_BlendTick(benchmark::State& state)
{
    blendTicks(state, HxKinetorLayer::BlendSolve::Weights);
}

void BM_BlendTickCold(benchmark::State& state)
{
    blendTicks(state, HxKinetorLayer::BlendSolve::Weights, true);
}

void BM_BlendTickReference(benchmark::State& state)
{
    blendTicks(state, HxKinetorLayer::BlendSolve::PerChannel);
}

// Record ticks of one frame each, from the given scene time on, after keys
// on every frame up to the end of the prerecorded stretch.
void recordTicks(benchmark::State& state, int start, int prerecorded)
{
    BlendRig rig(32);
    HxKinetorLayer* layer = rig.layer();
    rig.prerecord(prerecorded);
    rig.pane().setMode(HxKinetorPane::RecordMode);
    rig.pane().setExtendFrames(true);
    hxScene->setPlayRange(HxTimeRange(0, prerecorded));
    hxScene->setAnimRange(HxTimeRange(0, prerecorded));
    hxScene->setTime(start);
    layer->getClock()->start();
    layer->setCurrentTime(start);
    layer->setRecordTime(start);
    layer->beginEdit();
    float x = 0.0f;
    for (auto _ : state) {
        x = x >= 300.0f ? 0.0f : x + 1.5f;
        layer->getCursor()->setPosition(x, 0.37f * x + 20.0f);
        // 1000 / 30 ms, kept whole: 33 or 34 ms is one 160-tick frame.
        rig.clock()->advance(34);
        layer->timerUpdate();
    }
    state.counters["keys_per_channel"] = double(prerecorded / kStep);
    layer->finishEdit(QStringLiteral("Kinetoring"));
}

void BM_RecordTick(benchmark::State& state)
{
    const int end = int(state.range(0)) * HX_TICKS_PER_SECOND;
    recordTicks(state, end, end);
}

void BM_RecordTickAmid(benchmark::State& state)
{
    const int end = int(state.range(0)) * HX_TICKS_PER_SECOND;
    recordTicks(state, end / 2, end);
}

void BM_BlendFloor(benchmark::State& state)
{
    const int n = int(state.range(0));
    constexpr int kChannels = kBones * 23 + kMorphs;
    QRandomGenerator random(7);
    std::vector<HxBlendDot> dots;
    for (int d = 0; d < n; ++d)
        dots.push_back(
            {float(40 * (d % 8) + int(random.bounded(20))), float(40 * (d / 8) + int(random.bounded(20)))});
    // Channel-major: each channel's values over the dots side by side.
    std::vector<double> table(std::size_t(kChannels) * std::size_t(n));
    for (double& v : table)
        v = random.generateDouble();
    std::vector<double> out(kChannels);
    std::vector<double> weights;
    HxKinetorMatrix a;
    float x = 0.0f;
    for (auto _ : state) {
        x = x >= 300.0f ? 0.0f : x + 1.5f;
        const float y = 0.37f * x + 20.0f;
        bool collinear = false;
        double tc = 0.0;
        buildBlendSystem(dots, x, y, a, collinear, tc);
        computeBlendWeights(a, dots, x, y, collinear, tc, weights);
        for (int c = 0; c < kChannels; ++c) {
            const double* values = table.data() + std::size_t(c) * std::size_t(n);
            double sum = 0.0;
            for (int i = 0; i < n; ++i)
                sum += weights[std::size_t(i)] * values[i];
            out[std::size_t(c)] = sum;
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}

#if defined(__x86_64__) && defined(__GNUC__)
// Writes a 256-bit register behind the compiler's back, so no vzeroupper
// follows: what a library compiled for AVX may leave behind.
__attribute__((target("avx"))) void dirtyUpperHalves()
{
    asm volatile("vcmptrueps %%ymm15, %%ymm15, %%ymm15" ::: "xmm15");
}
#else
void dirtyUpperHalves() {}
#endif

void BM_EulerConversion(benchmark::State& state)
{
    if (!__builtin_cpu_supports("avx")) {
        state.SkipWithError("no AVX on this machine: nothing to clear");
        return;
    }
    QRandomGenerator random(3);
    std::vector<HxQuat> rotations;
    for (int i = 0; i < kBones; ++i) {
        HxQuat q;
        q.setValue(HxRotationOrder::YZX,
                   HxVec3(float(random.generateDouble() - 0.5), float(random.generateDouble() - 0.5),
                          float(random.generateDouble() - 0.5)));
        rotations.push_back(q);
    }
    HxVec3 euler;
    for (auto _ : state) {
        dirtyUpperHalves();
        if (state.range(0))
            hxClearUpperVectorHalves();
        for (const HxQuat& q : rotations) {
            q.getValue(HxRotationOrder::YZX, euler);
            benchmark::DoNotOptimize(euler);
        }
    }
}

// The brackets of a whole Record drag over a long recording: every varying
// control and property of the figure snapshots its keys at beginEdit and
// pushes its undo item at finishEdit.
void BM_EditBrackets(benchmark::State& state)
{
    const int keys = int(state.range(0));
    BlendRig rig(32);
    HxKinetorLayer* layer = rig.layer();
    rig.prerecord(keys * kStep);
    rig.pane().setMode(HxKinetorPane::RecordMode);
    rig.pane().setExtendFrames(true);
    double begin = 0.0;
    double finish = 0.0;
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        const int end = hxScene->getAnimRange().end;
        hxScene->setPlayRange(HxTimeRange(0, end));
        hxScene->setTime(end);
        layer->getClock()->start();
        layer->setCurrentTime(end);
        layer->setRecordTime(end);
        const auto t0 = Clock::now();
        layer->beginEdit();
        const auto t1 = Clock::now();
        for (int tick = 0; tick < 3; ++tick) {
            layer->getCursor()->setPosition(10.0f * float(tick), 30.0f);
            rig.clock()->advance(34);
            layer->timerUpdate();
        }
        const auto t2 = Clock::now();
        layer->finishEdit(QStringLiteral("Kinetoring"));
        const auto t3 = Clock::now();
        begin += std::chrono::duration<double, std::milli>(t1 - t0).count();
        finish += std::chrono::duration<double, std::milli>(t3 - t2).count();
        state.SetIterationTime(std::chrono::duration<double>((t1 - t0) + (t3 - t2)).count());
    }
    state.counters["beginEdit_ms"] = begin / double(state.iterations());
    state.counters["finishEdit_ms"] = finish / double(state.iterations());
}

} // namespace

BENCHMARK(BM_BlendTick)->Arg(4)->Arg(16)->Arg(32)->Arg(64)->Arg(128)->Arg(256)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BlendTickCold)->Arg(4)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BlendFloor)
    ->Arg(4)
    ->Arg(16)
    ->Arg(32)
    ->Arg(64)
    ->Arg(128)
    ->Arg(256)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BlendTickReference)->Arg(4)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EulerConversion)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EditBrackets)
    ->Arg(18000)
    ->Arg(90000)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordTick)->Arg(10)->Arg(60)->Arg(600)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecordTickAmid)->Arg(10)->Arg(60)->Arg(600)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    HxApp app;
    // As in the host, the script engine has run before anyone blends.
    HxScriptEngine scripts;
    scripts.run(QStringLiteral("var warm = 0; for (var i = 0; i < 1000; ++i) warm += Math.atan2(i, 3);"));
    return hxRunBenchmarks(argc, argv);
}

// Blend and record costs on a figure with 100 bones that follow no other bone
// and 200 morph channels, every one of them varying between the poses.
//
//   BM_BlendTick/<dots>           one applyBlend with the weights solved once
//   BM_BlendTickReference/<dots>  the same tick with one elimination per channel
//   BM_RecordTick/<seconds>       one Record tick appending after that much
//                                 recorded animation (10 s, 10 min)
//   BM_RecordTickAmid/<seconds>   one Record tick re-recording in the middle of
//                                 that much animation

#include "layer/hxkinetorclock.h"
#include "layer/hxkinetorlayer.h"
#include "layer/hxpointcontrol.h"
#include "model/hxkinetorpose.h"
#include "ui/hxkinetorpane.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxundostack.h"

#include <QApplication>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>
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

void blendTicks(benchmark::State& state, HxKinetorLayer::BlendSolve solve)
{
    BlendRig rig(int(state.range(0)));
    HxKinetorLayer* layer = rig.layer();
    layer->setBlendSolve(solve);
    rig.pane().setMode(HxKinetorPane::PreviewMode);
    hxScene->setTime(0);
    layer->setCurrentTime(0);
    layer->setRecordTime(0);
    layer->beginEdit();
    float x = 0.0f;
    for (auto _ : state) {
        // The cursor wanders over the dots, as under a dragging hand.
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

} // namespace

BENCHMARK(BM_BlendTick)->Arg(4)->Arg(16)->Arg(32)->Arg(64)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BlendTickReference)->Arg(4)->Arg(16)->Arg(32)->Arg(64)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecordTick)->Arg(10)->Arg(60)->Arg(600)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecordTickAmid)->Arg(10)->Arg(60)->Arg(600)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    HxApp app;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

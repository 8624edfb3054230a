// Interchange figures: importing a large skinned glTF and drawing it while
// a Kinetor blend drives it.
//
//   BM_ImportGltf                 read a 100-bone, 50-morph, 20k-vertex .glb
//                                 with a one-second take into a new figure
//   BM_SkinDeform                 pose that figure's skin once (CPU skinning
//                                 and morphs, what every frame pays)
//   BM_BlendFrame/draw:0          one blend tick alone (what the frame costs
//                                 before anything is drawn)
//   BM_BlendFrame/draw:1          one blend tick plus one viewport frame
//                                 drawn by the painter (no OpenGL)
//   BM_BlendFrame/draw:2          the same frame on the OpenGL surface;
//                                 needs a display (e.g. Xvfb with Mesa):
//                                 DISPLAY=:N bench_figures, skipped otherwise
//   BM_BlendFrame/draw:3          the OpenGL frame drawn light, as the
//                                 viewport draws while the canvas is dragged
//   BM_BlendFrame/draw:4          the OpenGL frame with the bone overlay off
//
// The painter variant always runs offscreen; the OpenGL one runs on the
// platform Qt picks when DISPLAY is set.

#include "hxanimationexporter.h"
#include "hxfigureimporter.h"
#include "hxglsurface.h"
#include "hxsamplefigurebuilder.h"
#include "hxskinlayer.h"
#include "hxskinnedmesh.h"
#include "hxviewport.h"

#include "layer/hxkinetorclock.h"
#include "layer/hxkinetorlayer.h"
#include "layer/hxpointcontrol.h"
#include "ui/hxkinetorlayerview.h"
#include "ui/hxkinetorpane.h"

#include "hxbenchmain.h"
#include "hxcore/hxapp.h"
#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxundostack.h"
#include "hxcore/hxviewportmgr.h"

#include <QApplication>
#include <QImage>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kBones = 100;
constexpr int kMorphs = 50;
constexpr int kVertices = 20000;
constexpr int kStep = 160;

// The large figure, written once as a binary glTF.
const QString& largeFigureFile()
{
    static QTemporaryDir folder;
    static const QString path = [] {
        const QString file = folder.filePath(QStringLiteral("large.glb"));
        const std::unique_ptr<HxSkeleton> figure =
            HxSampleFigureBuilder::synthetic(kBones, kMorphs, kVertices);
        QString error;
        if (!HxAnimationExporter::write(figure.get(), HxTimeRange(0, 30 * kStep), kStep, file, &error))
            qFatal("cannot write the large figure: %s", qPrintable(error));
        return file;
    }();
    return path;
}

std::unique_ptr<HxSkeleton> importLarge(benchmark::State& state)
{
    QString error;
    std::unique_ptr<HxSkeleton> figure = HxFigureImporter::read(largeFigureFile(), kStep, &error);
    if (!figure)
        state.SkipWithError(qPrintable(error));
    return figure;
}

void BM_ImportGltf(benchmark::State& state)
{
    largeFigureFile();
    int vertices = 0;
    for (auto _ : state) {
        std::unique_ptr<HxSkeleton> figure = importLarge(state);
        if (!figure)
            return;
        vertices = HxSkinnedMesh::of(figure.get())->vertexCount();
        benchmark::DoNotOptimize(figure.get());
    }
    state.counters["vertices"] = vertices;
}

void BM_SkinDeform(benchmark::State& state)
{
    std::unique_ptr<HxSkeleton> figure = importLarge(state);
    if (!figure)
        return;
    const HxSkinnedMesh* skin = HxSkinnedMesh::of(figure.get());
    std::vector<HxMatrix4> frames(size_t(figure->getNumBones()), HxMatrix4::identity());
    std::vector<float> values(skin->morphs.size(), 0.5f);
    std::vector<HxVec3> positions, normals;
    for (auto _ : state) {
        skin->deform(frames, values, positions, &normals);
        benchmark::DoNotOptimize(positions.data());
    }
    state.counters["vertices"] = skin->vertexCount();
}

class BenchClock : public HxKinetorClock
{
public:
    void start() override {}
    qint64 restart() override { return 0; }
    bool isValid() const override { return true; }
};

// The imported figure in the scene, in a viewport, with a Kinetor layer of
// 16 dots, each a different random pose of every bone and morph.
class BlendView
{
public:
    explicit BlendView(std::unique_ptr<HxSkeleton> figure) : m_figure(figure.release())
    {
        hxScene->addNode(m_figure);
        hxScene->setTimeStep(kStep);
        m_layer = std::make_unique<HxKinetorLayer>(&m_pane, nullptr, QStringLiteral("Bench"), "Layer");
        m_layer->setNode(m_figure);
        m_layer->setClock(std::make_unique<BenchClock>());
        QRandomGenerator random(11);
        QList<HxBone*> bones;
        m_figure->getAllBones(bones);
        const QList<HxMorph*> morphs = HxAnimationExporter::morphsOf(m_figure);
        for (int d = 0; d < 16; ++d) {
            for (HxBone* bone : std::as_const(bones))
                for (HxFloatProperty* control :
                     {bone->getXRotControl(), bone->getYRotControl(), bone->getZRotControl()}) {
                    control->deleteKeys(HxTimeRange(0, 1 << 30));
                    control->setValue(float(random.generateDouble() * 40 - 20));
                }
            for (HxMorph* morph : morphs) {
                morph->getValueChannel()->deleteKeys(HxTimeRange(0, 1 << 30));
                morph->getValueChannel()->setValue(float(random.generateDouble()));
            }
            m_layer->addPose(40 * (d % 4) + int(random.bounded(20)), 40 * (d / 4) + int(random.bounded(20)));
        }
        m_viewport = std::make_unique<HxViewport>(&m_manager);
        m_viewport->resize(960, 720);
    }

    ~BlendView()
    {
        m_viewport.reset();
        HxKinetorLayerView* view = m_layer->getView();
        m_layer.reset();
        delete view;
        hxScene->removeNode(m_figure);
        hxUndoStack->clear();
    }

    HxViewport* viewport() const { return m_viewport.get(); }
    HxViewportMgr& manager() { return m_manager; }

    // The cursor wanders over the dots as under a dragging hand.
    void tick()
    {
        m_x = m_x >= 150.0f ? 0.0f : m_x + 1.5f;
        m_layer->getCursor()->setPosition(m_x, 0.8f * m_x + 5.0f);
        m_layer->applyBlend();
    }

    void begin()
    {
        m_pane.setMode(HxKinetorPane::PreviewMode);
        hxScene->setTime(0);
        m_layer->setCurrentTime(0);
        m_layer->beginEdit();
    }
    void end() { m_layer->finishEdit(QStringLiteral("Kinetoring")); }

private:
    HxKinetorPane m_pane;
    HxViewportMgr m_manager;
    HxSkeleton* m_figure;
    std::unique_ptr<HxKinetorLayer> m_layer;
    std::unique_ptr<HxViewport> m_viewport;
    float m_x = 0.0f;
};

void BM_BlendFrame(benchmark::State& state)
{
    const int draw = int(state.range(0));
    const bool opengl = draw >= 2;
    std::unique_ptr<HxSkeleton> figure = importLarge(state);
    if (!figure)
        return;
    BlendView rig(std::move(figure));
    HxViewport* viewport = rig.viewport();
    if (opengl) {
        if (!viewport->glSurface()) {
            state.SkipWithError("no OpenGL context here (set DISPLAY to a display with OpenGL)");
            return;
        }
    }
    viewport->show();
    QCoreApplication::processEvents();
    viewport->frameAll();
    viewport->skinLayer()->setShowsBones(draw != 4);
    if (draw == 3)
        rig.manager().startManipulation();
    QImage picture(viewport->size(), QImage::Format_RGB32);
    rig.begin();
    for (auto _ : state) {
        rig.tick();
        if (opengl) {
            HxGLSurface* surface = viewport->glSurface();
            surface->repaint();
            // Count the GPU's work too, not only handing it over.
            surface->makeCurrent();
            surface->context()->functions()->glFinish();
            surface->doneCurrent();
        } else if (draw == 1) {
            QPainter painter(&picture);
            viewport->paintScene(painter);
        }
    }
    rig.end();
}

} // namespace

BENCHMARK(BM_ImportGltf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SkinDeform)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BlendFrame)->ArgName("draw")->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    HxApp app;
    return hxRunBenchmarks(argc, argv);
}

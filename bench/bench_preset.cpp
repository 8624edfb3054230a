// Preset costs on the sample mannequin with 10 layers of 20 dots each, every
// dot a different pose of arms, head and face.
//
//   BM_ExportPreset  writing the preset of all ten layers to a file
//   BM_RunPreset     running that preset with "Replace All Layers", which
//                    deletes the ten layers and builds them again

#include "io/hxkinetorfilter.h"
#include "layer/hxkinetorlayer.h"
#include "ui/hxkinetorlayergroup.h"
#include "ui/hxkinetorpane.h"

#include "hxbenchmain.h"
#include "hxcore/hxapp.h"
#include "hxcore/hxbone.h"
#include "hxcore/hxfigurereader.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxpanemgr.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxscript.h"
#include "hxcore/hxscriptengine.h"
#include "hxcore/hxskeleton.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kLayers = 10;
constexpr int kDots = 20;

class PresetRig
{
public:
    PresetRig()
    {
        HxApp::setSettingsPath(m_dir.filePath(QStringLiteral("settings.ini")));
        m_app = std::make_unique<HxApp>();
        m_window = std::make_unique<HxMainWindow>();
        m_pane = new HxKinetorPane;
        m_window->getPaneMgr()->addPane(m_pane);
        QString error;
        std::unique_ptr<HxSkeleton> figure =
            HxFigureReader::read(QStringLiteral(HX_SOURCE_DIR "/samples/figures/mannequin.json"), &error);
        if (!figure)
            qFatal("%s", qPrintable(error));
        m_figure = figure.get();
        hxScene->addNode(figure.release());
        hxScene->setPrimarySelection(m_figure);

        QList<HxFloatProperty*> varied;
        for (const char* bone :
             {"leftUpperArm", "leftForearm", "rightUpperArm", "rightForearm", "head", "neck"})
            if (HxBone* found = m_figure->findBone(QLatin1String(bone)))
                varied << found->getXRotControl() << found->getYRotControl() << found->getZRotControl();
        for (int i = 0; i < m_figure->getObject()->getNumItems(); ++i)
            if (auto* morph = qobject_cast<HxMorph*>(m_figure->getObject()->getItem(i)))
                varied << morph->getValueChannel();

        QRandomGenerator random(7);
        HxKinetorLayerGroup* group = m_pane->getLayerGroupByNode(m_figure);
        group->deleteAllLayers();
        HxKinetorFilter::selectedLayers().clear();
        for (int l = 0; l < kLayers; ++l) {
            const QString name = QStringLiteral("Layer %1").arg(l + 1);
            HxKinetorLayer* layer = group->addLayer(name);
            HxKinetorFilter::selectedLayers().append(HxKinetorFilter::layerKey(name, l));
            for (int d = 0; d < kDots; ++d) {
                for (HxFloatProperty* property : std::as_const(varied))
                    property->setValue(float(random.generateDouble() * 120.0 - 60.0));
                layer->addPose(random.bounded(400), random.bounded(300));
            }
        }
        m_preset = m_dir.filePath(QStringLiteral("bench.js"));
        // Shift applies the preferred options: replace, so every run
        // starts from the same ten layers.
        hxApp->getSettings()->setValue(QStringLiteral("Scripts/KinetorPreset/cbAction"),
                                       QStringLiteral("Replace All Layers"));
        m_engine = std::make_unique<HxScriptEngine>();
        m_engine->setInteractive(false);
        m_engine->setKeyboardModifiers(Qt::ShiftModifier);
    }

    ~PresetRig()
    {
        m_engine.reset();
        m_window.reset();
        m_app.reset();
        HxApp::setSettingsPath(QString());
    }

    unsigned int exportPreset()
    {
        HxKinetorFilter filter;
        return filter.writeToFile(m_preset, HxScript::PlainText, {});
    }
    bool runPreset() { return m_engine->runFile(m_preset); }
    int layerCount() const { return m_pane->getLayerGroupByNode(m_figure)->count(); }
    QString lastError() const { return m_engine->lastError(); }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<HxApp> m_app;
    std::unique_ptr<HxMainWindow> m_window;
    HxKinetorPane* m_pane = nullptr;
    HxSkeleton* m_figure = nullptr;
    QString m_preset;
    std::unique_ptr<HxScriptEngine> m_engine;
};

void BM_ExportPreset(benchmark::State& state)
{
    PresetRig rig;
    for (auto _ : state)
        if (rig.exportPreset() != 0)
            state.SkipWithError("the preset was not written");
}

void BM_RunPreset(benchmark::State& state)
{
    PresetRig rig;
    if (rig.exportPreset() != 0) {
        state.SkipWithError("the preset was not written");
        return;
    }
    for (auto _ : state) {
        if (!rig.runPreset()) {
            state.SkipWithError(qPrintable(rig.lastError()));
            break;
        }
        // Deleted views and layers go when control is back in the loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    if (rig.layerCount() != kLayers)
        state.SkipWithError("the preset did not rebuild the ten layers");
}

} // namespace

BENCHMARK(BM_ExportPreset)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunPreset)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    return hxRunBenchmarks(argc, argv);
}

#pragma once

// Builds Kinetor scenes the way a person would: a main window with the
// pane docked, the plug-in's classes registered, a figure, layers of
// captured dots and a take recorded by dragging the blend cursor. Used by
// the storage tests, the benchmarks and the sample scene generator; it
// needs the plug-in's static library.

#include "hxfakeclock.h"

#include "layer/hxkinetorlayer.h"
#include "layer/hxpointcontrol.h"
#include "plugin/hxkinetormodule.h"
#include "ui/hxkinetorlayergroup.h"
#include "ui/hxkinetorpane.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxbone.h"
#include "hxcore/hxclassfactory.h"
#include "hxcore/hxfigurereader.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxpanemgr.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"

#include <QList>
#include <QString>
#include <cmath>
#include <memory>

class HxKinetorSceneBuilder
{
public:
    // Needs hxApp. The factories stay registered while the builder lives.
    HxKinetorSceneBuilder()
    {
        m_module = std::make_unique<HxKinetorModule>();
        for (int i = 0; i < m_module->plugin()->getNumClassFactories(); ++i)
            hxApp->registerFactory(m_module->plugin()->getClassFactory(i));
        m_window = std::make_unique<HxMainWindow>();
        m_pane = new HxKinetorPane;
        m_window->getPaneMgr()->addPane(m_pane);
    }
    ~HxKinetorSceneBuilder()
    {
        if (hxScene)
            hxScene->clear();
        m_window.reset();
        if (hxApp) {
            for (int i = 0; i < m_module->plugin()->getNumClassFactories(); ++i)
                hxApp->unregisterFactory(m_module->plugin()->getClassFactory(i));
        }
    }

    HxKinetorPane* pane() const { return m_pane; }
    HxMainWindow* window() const { return m_window.get(); }

    static HxSkeleton* addFigure(const QString& path) { return HxFigureReader::addToScene(path, hxScene); }
    // A figure of a chain of bones, none following another.
    static HxSkeleton* addChain(const QString& name, int bones)
    {
        auto* figure = new HxSkeleton(name);
        HxBone* parent = nullptr;
        for (int i = 0; i < bones; ++i) {
            auto* bone = new HxBone(QStringLiteral("bone%1").arg(i));
            if (parent)
                bone->setParentBone(parent);
            figure->addBone(bone);
            parent = bone;
        }
        figure->setObject(new HxObject(name));
        figure->getObject()->addItem(new HxMorph(QStringLiteral("Smile"), QStringLiteral("Smile")));
        hxScene->addNode(figure);
        return figure;
    }

    // A layer of the node named name, with a dot at each point; every dot
    // captures a pose of its own (bones bent by the dot's place, the first
    // morph dialled).
    HxKinetorLayer* addLayer(HxSkeleton* figure, const QString& name, const QList<QPointF>& dots)
    {
        HxKinetorLayerGroup* group = m_pane->getLayerGroupByNode(figure);
        group->deleteEmptyDefaultLayer();
        HxKinetorLayer* layer = group->addLayer(name);
        QList<HxBone*> bones;
        figure->getAllBones(bones);
        for (const QPointF& dot : dots) {
            for (int i = 0; i < bones.size(); ++i) {
                HxBone* bone = bones.at(i);
                bone->getXRotControl()->setValue(float(std::sin(dot.x() * 0.01 + i) * 40.0));
                bone->getZRotControl()->setValue(float(std::cos(dot.y() * 0.01 + i) * 25.0));
            }
            figure->getYPosControl()->setValue(float(dot.y() * 0.05));
            if (HxObject* geometry = figure->getObject())
                if (auto* morph = qobject_cast<HxMorph*>(geometry->getItem(0)))
                    morph->getValueChannel()->setValue(float(std::fabs(std::sin(dot.x()))));
            layer->addPose(int(dot.x()), int(dot.y()));
        }
        layer->zoomToFit();
        return layer;
    }

    // Drags the cursor round a circle in Record mode for the given number of
    // frames at 30 frames a second, as the record timer would.
    void recordTake(HxKinetorLayer* layer, int frames)
    {
        m_pane->setMode(HxKinetorPane::RecordMode);
        auto clock = std::make_unique<HxFakeClock>();
        HxFakeClock* fake = clock.get();
        layer->setClock(std::move(clock));
        hxScene->setTime(0);
        fake->start();
        layer->setCurrentTime(0);
        layer->setRecordTime(0);
        layer->beginEdit();
        layer->getCursor()->setPosition(0.0f, 0.0f);
        for (int frame = 1; frame <= frames; ++frame) {
            const double angle = frame * 0.05;
            fake->advance(frame % 3 == 0 ? 34 : 33);
            layer->getCursor()->setPosition(float(std::cos(angle) * 60.0), float(std::sin(angle) * 60.0));
            layer->timerUpdate();
        }
        layer->finishEdit(QStringLiteral("Kinetoring"));
        m_pane->setMode(HxKinetorPane::EditMode);
    }

private:
    std::unique_ptr<HxKinetorModule> m_module;
    std::unique_ptr<HxMainWindow> m_window;
    HxKinetorPane* m_pane = nullptr;
};

#pragma once

#include "hxapptest.h"
#include "hxfakeclock.h"

#include "layer/hxkinetorlayer.h"
#include "layer/hxpointcontrol.h"
#include "model/hxkinetorpose.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"

using CursorKeys = std::vector<std::tuple<int, float, float>>;

// Bones Hip > Chest > Head plus a fitted bone following Chest (no pose node), morphs Smile and Frown,
// own property Flex; one layer with a driven clock. Pose nodes: Hip, Chest, Head, figure.
class HxLayerTest : public HxAppTest
{
protected:
    void SetUp() override
    {
        HxAppTest::SetUp();
        m_figure = new HxSkeleton(QStringLiteral("Figure"));
        m_hip = new HxBone(QStringLiteral("Hip"));
        m_chest = new HxBone(QStringLiteral("Chest"));
        m_head = new HxBone(QStringLiteral("Head"));
        auto* fitted = new HxBone(QStringLiteral("Fitted"));
        m_chest->setParentBone(m_hip);
        m_head->setParentBone(m_chest);
        fitted->setFollowBone(m_chest);
        for (HxBone* bone : {m_hip, m_chest, fitted, m_head})
            m_figure->addBone(bone);
        m_figure->setObject(new HxObject(QStringLiteral("FigureObject")));
        auto* smile = new HxMorph(QStringLiteral("Smile"), QStringLiteral("Smile"));
        auto* frown = new HxMorph(QStringLiteral("Frown"), QStringLiteral("Frown"));
        m_figure->getObject()->addItem(smile);
        m_figure->getObject()->addItem(frown);
        m_smile = smile->getValueChannel();
        m_frown = frown->getValueChannel();
        m_flex = new HxFloatProperty(m_figure, QStringLiteral("Flex"), QStringLiteral("Flex"));
        m_figure->addProperty(m_flex);
        hxScene->addNode(m_figure);
        hxScene->setTimeStep(160);
        hxScene->setPlayRange(HxTimeRange(0, 4800));
        hxScene->setAnimRange(HxTimeRange(0, 4800));
        m_pane = std::make_unique<HxKinetorPane>();
        m_layer = std::make_unique<HxKinetorLayer>(m_pane.get(), nullptr, QStringLiteral("Layer 1"), "Layer");
        m_layer->setNode(m_figure);
        auto clock = std::make_unique<HxFakeClock>();
        m_clock = clock.get();
        m_layer->setClock(std::move(clock));
    }
    void TearDown() override
    {
        delete m_layer->getView(); // the layer leaves its view to whoever shows it
        m_layer.reset();
        m_pane.reset();
        HxAppTest::TearDown();
    }

    // Sets the figure's current values, then adds a captured dot.
    HxKinetorPose* addDot(int x, int y, float hipX, float hipRotZ, float smile)
    {
        m_hip->getXPosControl()->setValue(hipX);
        m_hip->getZRotControl()->setValue(hipRotZ);
        m_smile->setValue(smile);
        return m_layer->addPose(x, y);
    }
    // What a view does on press, on a move followed by a tick after ms, and on release.
    void press(float x, float y)
    {
        m_layer->getClock()->start();
        m_layer->setCurrentTime(hxScene->getTime());
        m_layer->setRecordTime(hxScene->getTime());
        m_layer->beginEdit();
        m_layer->getCursor()->setPosition(x, y);
    }
    void tick(qint64 ms, float x, float y)
    {
        m_clock->advance(ms);
        m_layer->getCursor()->setPosition(x, y);
        m_layer->timerUpdate();
    }
    void release() { m_layer->finishEdit(QStringLiteral("Kinetoring")); }
    CursorKeys cursorKeys() const
    {
        CursorKeys out;
        for (int i = 0; i < m_layer->getCursor()->keys().count(); ++i) {
            const HxPointKey* k = m_layer->getCursor()->keys().at(i);
            out.emplace_back(k->time, k->x, k->y);
        }
        return out;
    }

    HxSkeleton* m_figure = nullptr;
    HxBone* m_hip = nullptr;
    HxBone* m_chest = nullptr;
    HxBone* m_head = nullptr;
    HxFloatProperty* m_smile = nullptr;
    HxFloatProperty* m_frown = nullptr;
    HxFloatProperty* m_flex = nullptr;
    std::unique_ptr<HxKinetorPane> m_pane;
    std::unique_ptr<HxKinetorLayer> m_layer;
    HxFakeClock* m_clock = nullptr;
};

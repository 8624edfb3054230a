#include "hxlayertest.h"

#include "hxcore/hxmorph.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxscene.h"

void HxLayerTest::SetUp()
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

    m_pane = new HxKinetorPane;
    m_layer = new HxKinetorLayer(m_pane, nullptr, QStringLiteral("Layer 1"), "Layer");
    m_layer->setNode(m_figure);
    auto clock = std::make_unique<HxFakeClock>();
    m_clock = clock.get();
    m_layer->setClock(std::move(clock));
}

void HxLayerTest::TearDown()
{
    // The layer leaves its view to whoever shows it.
    HxKinetorLayerView* view = m_layer->getView();
    delete m_layer;
    delete view;
    delete m_pane;
    HxAppTest::TearDown();
}

HxKinetorPose* HxLayerTest::addDot(int x, int y, float hipX, float hipRotZ, float smile)
{
    m_hip->getXPosControl()->setValue(hipX);
    m_hip->getZRotControl()->setValue(hipRotZ);
    m_smile->setValue(smile);
    return m_layer->addPose(x, y);
}

void HxLayerTest::press(float x, float y)
{
    m_layer->getClock()->start();
    m_layer->setCurrentTime(hxScene->getTime());
    m_layer->setRecordTime(hxScene->getTime());
    m_layer->beginEdit();
    m_layer->getCursor()->setPosition(x, y);
}

void HxLayerTest::tick(qint64 ms, float x, float y)
{
    m_clock->advance(ms);
    m_layer->getCursor()->setPosition(x, y);
    m_layer->timerUpdate();
}

void HxLayerTest::release()
{
    m_layer->finishEdit(QStringLiteral("Kinetoring"));
}

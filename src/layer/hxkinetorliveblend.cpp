#include "layer/hxkinetorliveblend.h"

#include "layer/hxkinetorclock.h"
#include "layer/hxkinetorlayer.h"
#include "layer/hxpointcontrol.h"
#include "ui/hxkinetorpane.h"

#include "hxcore/hxapp.h"
#include "hxcore/hxaudioclip.h"
#include "hxcore/hxmainwindow.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxviewportmgr.h"

#include <QTimer>

HxKinetorLiveBlend::HxKinetorLiveBlend(HxKinetorLayer* layer, float x, float y) : m_layer(layer)
{
    layer->getRecordTimer()->start(0);
    layer->getClock()->start();
    const HxTime now = hxScene ? hxScene->getTime() : 0;
    layer->setCurrentTime(now);
    layer->setRecordTime(now);
    layer->beginEdit();
    if (hxApp && hxApp->getInterface())
        m_viewports = hxApp->getInterface()->getViewportMgr();
    if (m_viewports)
        m_viewports->startManipulation();
    layer->getCursor()->setPosition(x, y);

    const HxKinetorPane* pane = layer->getPane();
    if (pane && pane->playAudio() && hxScene) {
        if (HxAudioClip* clip = hxScene->getAudio()) {
            const HxTime end = clip->getEndTime();
            const HxTime start = hxScene->getTime() + hxScene->getTimeStep() * hxScene->getAudioStartFrame();
            if (start < end) {
                clip->seek(start);
                clip->setRate(1.0);
                clip->play();
                m_audio = true;
            }
        }
    }
}

HxKinetorLiveBlend::~HxKinetorLiveBlend()
{
    end();
}

void HxKinetorLiveBlend::end()
{
    if (m_ended)
        return;
    m_ended = true;
    if (m_layer) {
        m_layer->getRecordTimer()->stop();
        m_layer->finishEdit(QStringLiteral("Kinetoring"));
    }
    // Only an end of our own start: the manipulation nests, and an extra
    // end would cut short someone else's.
    if (m_viewports)
        m_viewports->endManipulation();
    if (m_audio && hxScene) {
        if (HxAudioClip* clip = hxScene->getAudio())
            clip->stop();
    }
}

#pragma once

#include <QPointer>

class HxKinetorLayer;
class HxViewportMgr;

// One press-to-release drag of a layer's blend cursor in Preview or Record.
// It remembers what it started (record timer, the layer's edit and undo
// group, the viewport manipulation, the sound), so that whatever ends the
// drag (the release, or an early end: the layer, its view, its node or the
// pane going, the mode changing, the scene cleared, the window closed) stops
// exactly that, once.
class HxKinetorLiveBlend
{
public:
    // Starts the record timer at 0 ms and the clock, puts the current and
    // record time at the scene time, opens the layer's edit, starts the
    // viewport manipulation, puts the cursor at (x, y) and, with Play Audio,
    // starts the scene's sound there.
    HxKinetorLiveBlend(HxKinetorLayer* layer, float x, float y);
    ~HxKinetorLiveBlend();
    HxKinetorLiveBlend(const HxKinetorLiveBlend&) = delete;
    HxKinetorLiveBlend& operator=(const HxKinetorLiveBlend&) = delete;

    // Stops the timer, commits the drag as one step "Kinetoring", ends the
    // manipulation and stops the sound. Later calls do nothing.
    void end();
    bool isEnded() const { return m_ended; }
    // Whether ending will stop the sound: it started it and has not ended.
    bool stopsSoundAtEnd() const { return m_audio && !m_ended; }

private:
    QPointer<HxKinetorLayer> m_layer;
    QPointer<HxViewportMgr> m_viewports;
    bool m_audio = false;
    bool m_ended = false;
};

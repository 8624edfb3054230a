#pragma once

#include "hxapptest.h"
#include "hxfakeclock.h"

#include "layer/hxkinetorlayer.h"
#include "layer/hxpointcontrol.h"
#include "model/hxkinetornodedata.h"
#include "model/hxkinetorpose.h"
#include "ui/hxkinetorpane.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxskeleton.h"

// A figure with bones Hip, Chest and Head, a fitted bone that follows Chest
// (so it is no pose node), the morphs Smile and Frown and an own property
// Flex; a pane and one layer over the figure whose clock the test drives.
// Pose nodes: Hip, Chest, Head, figure.
class HxLayerTest : public HxAppTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Sets the figure's current values, then adds a captured dot.
    HxKinetorPose* addDot(int x, int y, float hipX, float hipRotZ, float smile);

    // What a view does on press, move (with a tick after ms) and release.
    void press(float x, float y);
    void tick(qint64 ms, float x, float y);
    void release();

    HxSkeleton* m_figure = nullptr;
    HxBone* m_hip = nullptr;
    HxBone* m_chest = nullptr;
    HxBone* m_head = nullptr;
    HxFloatProperty* m_smile = nullptr;
    HxFloatProperty* m_frown = nullptr;
    HxFloatProperty* m_flex = nullptr;
    HxKinetorPane* m_pane = nullptr;
    HxKinetorLayer* m_layer = nullptr;
    HxFakeClock* m_clock = nullptr;
};

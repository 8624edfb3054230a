#include "hxlayertest.h"

#include "layer/hxcontrolinsertkeyundoitem.h"
#include "layer/hxcontrolremovekeyundoitem.h"
#include "ui/hxkinetorlayerview.h"

#include "hxcore/hxundostack.h"
#include "hxcore/hxundostackhold.h"

#include <QMetaMethod>

namespace {

using LayerTest = HxLayerTest;
using Flags = std::vector<bool>;
const Flags kNone{false, false, false, false};

TEST_F(LayerTest, CursorKeysStaySortedOnePerTimeAndEvaluateBetweenThem)
{
    HxPointControl* cursor = m_layer->getCursor();
    EXPECT_EQ(cursor->getKeyRange(), HxTimeRange(0, 0));
    cursor->setKey(480);
    EXPECT_EQ(cursor->getKeyRange(), HxTimeRange(480, 480));
    for (auto [t, v] : {std::pair{160, 2.0f}, {960, 3.0f}, {320, 4.0f}, {480, 5.0f}}) {
        cursor->setPosition(v, v);
        cursor->setKey(t);
    }
    EXPECT_EQ(cursorKeys(), (CursorKeys{{160, 2, 2}, {320, 4, 4}, {480, 5, 5}, {960, 3, 3}}));
    EXPECT_EQ(cursor->getKeyRange(), HxTimeRange(160, 960));
    cursor->removeKeys(HxTimeRange(0, 10000));
    for (int t : {99, 100, 150, 200, 201})
        cursor->setKey(t);
    cursor->removeKeys(HxTimeRange(100, 200));
    EXPECT_EQ(cursor->getKeyRange(), HxTimeRange(99, 201));
    EXPECT_EQ(cursorKeys().size(), 2u);

    cursor->removeKeys(HxTimeRange(0, 10000));
    cursor->setPosition(7, 7);
    cursor->evaluateAt(100);
    EXPECT_EQ(cursor->x(), 7.0f) << "no keys: stays";
    cursor->setPosition(0, 0);
    cursor->setKey(0);
    cursor->setPosition(10, 20);
    cursor->setKey(480);
    // After the last key the position stays; before the first it takes the first key's.
    for (auto [t, x, y] :
         {std::tuple{240, 5.0f, 10.0f}, {600, 5.0f, 10.0f}, {480, 10.0f, 20.0f}, {-100, 0.0f, 0.0f}}) {
        cursor->evaluateAt(t);
        EXPECT_FLOAT_EQ(cursor->x(), x) << t;
        EXPECT_FLOAT_EQ(cursor->y(), y) << t;
    }
}

TEST_F(LayerTest, ReplacingACursorKeyIsOneUndoStepAndItemsOutliveTheirControl)
{
    HxPointControl* cursor = m_layer->getCursor();
    for (float x : {1.0f, 3.0f}) {
        HxUndoStackHold hold;
        cursor->setPosition(x, x + 1);
        cursor->setKey(100);
        hold.accept(QStringLiteral("key"));
    }
    EXPECT_EQ(cursorKeys(), (CursorKeys{{100, 3, 4}}));
    // Undo brings the old key back only if the step removed it before inserting.
    hxUndoStack->undo();
    EXPECT_EQ(cursorKeys(), (CursorKeys{{100, 1, 2}}));
    hxUndoStack->undo();
    EXPECT_TRUE(cursorKeys().empty());
    hxUndoStack->redo();
    hxUndoStack->redo();
    EXPECT_EQ(cursorKeys(), (CursorKeys{{100, 3, 4}}));

    // Once the layer and its cursor are gone the items do nothing.
    HxControlInsertKeyUndoItem insert(cursor, 1, 2, 50);
    HxControlRemoveKeyUndoItem remove(cursor, 5, 6, 70);
    delete m_layer->getView();
    m_layer.reset();
    for (HxUndoItem* item : std::initializer_list<HxUndoItem*>{&insert, &remove}) {
        item->undo();
        item->redo();
    }
    EXPECT_EQ(insert.control(), nullptr);
    EXPECT_EQ(remove.control(), nullptr);
    m_layer = std::make_unique<HxKinetorLayer>(m_pane.get(), nullptr, QStringLiteral("Layer 1"), "Layer");
}

TEST_F(LayerTest, SlotTableHasTheScriptOrder)
{
    const QMetaObject* meta = m_layer->metaObject();
    QStringList names;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i)
        if (meta->method(i).methodType() == QMetaMethod::Slot)
            names << QString::fromLatin1(meta->method(i).methodSignature());
    EXPECT_EQ(names.join(' '),
              "timerUpdate() undoTimeout() newPose(int,int) addPose(int,int) addPose(HxKinetorPose*) "
              "addPose(HxKinetorPose*,bool) removePose(HxKinetorPose*) setPose(HxKinetorPose*) "
              "zoomToFit() centerView() resetView() zoomOutToFit()");
    EXPECT_EQ(meta->methodCount() - meta->methodOffset(), names.size());
}

TEST_F(LayerTest, PosesAreAddedCapturedConvertedAndRemoved)
{
    HxKinetorPose* loose = m_layer->newPose(10, 20);
    EXPECT_EQ(m_layer->getNumPoses(), 0) << "a new pose stays outside the layer";
    ASSERT_EQ(loose->getNodeData().size(), 4u);
    HxKinetorPose* first = addDot(0, 0, 5.0f, 0, 0);
    EXPECT_EQ(first->getNodeDataAt(0)->getPos().x, 5.0f);
    EXPECT_EQ(m_layer->getActivePose(), first);

    // Only the conversion asked for touches the figure; the active pose stays.
    HxKinetorPose* converted = m_layer->newPose(30, 30);
    for (HxKinetorPose* pose : {loose, converted})
        pose->setNodeData(QStringLiteral("Hip"), HxVec3(7, 8, 9), HxVec3(1, 1, 1), 1.0, HxQuat());
    m_layer->addPose(loose, false);
    EXPECT_EQ(m_hip->getXPosControl()->getValue(), 5.0f);
    m_layer->addPose(converted);
    EXPECT_EQ(m_hip->getXPosControl()->getValue(), 7.0f);
    EXPECT_EQ(m_layer->getPoses(), (QList<HxKinetorPose*>{first, loose, converted}));
    EXPECT_EQ(m_layer->getActivePose(), first);

    m_layer->removePose(loose);
    EXPECT_EQ(m_layer->getActivePose(), first);
    m_layer->removePose(first);
    EXPECT_EQ(m_layer->getActivePose(), nullptr);
    m_layer->removePose(converted);
    EXPECT_EQ(m_layer->getTransformChanged(), kNone);
    EXPECT_EQ(m_layer->getPropertiesChanged(), kNone);
}

TEST_F(LayerTest, ChangeFlagsFollowWhatThePosesRecord)
{
    HxKinetorPose* a = addDot(0, 0, 1, 0, 0);
    HxKinetorPose* b = addDot(50, 0, 1, 0, 0);
    EXPECT_EQ(m_layer->getTransformChanged(), kNone);
    EXPECT_EQ(m_layer->getPropertiesChanged(), kNone);

    HxKinetorNodeData* chest = b->getNodeDataAt(1);
    HxQuat near = chest->getRot();
    near.setW(near.w() - 5e-6); // within the quaternion tolerance
    chest->setRot(near);
    m_layer->updateChangeFlags(nullptr);
    EXPECT_EQ(m_layer->getTransformChanged(), kNone);
    chest->setScale(chest->getScale(), 1.0 + 1e-12); // any general scale difference counts
    m_layer->updateChangeFlags(nullptr);
    EXPECT_EQ(m_layer->getTransformChanged(), Flags({false, true, false, false}));

    // The property test looks only at what the reference records.
    b->getNodeDataAt(3)->getPropValues()[m_smile] = 0.5;
    a->getNodeDataAt(3)->getPropValues().remove(m_smile);
    m_layer->updateChangeFlags(a);
    EXPECT_EQ(m_layer->getPropertiesChanged(), kNone);
    m_layer->updateChangeFlags(b);
    EXPECT_EQ(m_layer->getPropertiesChanged(), Flags({false, false, false, true}));

    m_layer->setNode(m_figure);
    EXPECT_EQ(m_layer->getPropertiesChanged(), Flags({false, false, false, true})) << "same node keeps";
    m_layer->setNode(m_hip);
    EXPECT_EQ(m_layer->getTransformChanged(), Flags({false}));
    m_layer->setNode(m_figure);
    m_layer->postLoadFile(nullptr);
    EXPECT_EQ(m_layer->getTransformChanged(), Flags({false, true, false, false}));
}

TEST_F(LayerTest, ZoomOutToFitNeverZoomsIn)
{
    HxKinetorLayerView* view = m_layer->getView();
    view->resize(200, 100);
    addDot(100, 100, 0, 0, 0);
    // One dot in 200 x 100 fits at zoom 3.125; a view further out stays out.
    view->setZoom(0.5f, 0, 0);
    m_layer->zoomOutToFit();
    EXPECT_FLOAT_EQ(view->getZoom(), 0.5f);
    view->setZoom(10.0f, 0, 0);
    m_layer->zoomOutToFit();
    EXPECT_FLOAT_EQ(view->getZoom(), 3.125f);
    EXPECT_FLOAT_EQ(view->getOriginX(), 68.0f);
    EXPECT_FLOAT_EQ(view->getOriginY(), 84.0f);
}

} // namespace

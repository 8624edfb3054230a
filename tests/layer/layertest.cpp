#include "hxlayertest.h"

#include "ui/hxkinetorlayerview.h"

#include "hxcore/hxscene.h"

#include <QMetaMethod>
#include <QTimer>

namespace {

using LayerTest = HxLayerTest;

std::vector<bool> flags(std::initializer_list<bool> values)
{
    return std::vector<bool>(values);
}

TEST_F(LayerTest, SlotTableHasTheScriptOrder)
{
    const QMetaObject* meta = m_layer->metaObject();
    EXPECT_STREQ(meta->className(), "HxKinetorLayer");
    const QList<QByteArray> expected{"timerUpdate()",
                                     "undoTimeout()",
                                     "newPose(int,int)",
                                     "addPose(int,int)",
                                     "addPose(HxKinetorPose*)",
                                     "addPose(HxKinetorPose*,bool)",
                                     "removePose(HxKinetorPose*)",
                                     "setPose(HxKinetorPose*)",
                                     "zoomToFit()",
                                     "centerView()",
                                     "resetView()",
                                     "zoomOutToFit()"};
    ASSERT_EQ(meta->methodCount() - meta->methodOffset(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QMetaMethod method = meta->method(meta->methodOffset() + i);
        EXPECT_EQ(method.methodSignature(), expected[i]) << i;
        EXPECT_EQ(method.methodType(), QMetaMethod::Slot);
    }
    EXPECT_EQ(meta->method(meta->methodOffset() + 5).parameterNames(),
              (QList<QByteArray>{"pose", "backwardCompatible"}));

    // Scripts reach the slots through the meta-object, by that table.
    HxKinetorPose* pose = nullptr;
    ASSERT_TRUE(QMetaObject::invokeMethod(m_layer, "addPose", Q_RETURN_ARG(HxKinetorPose*, pose),
                                          Q_ARG(int, 3), Q_ARG(int, 4)));
    EXPECT_EQ(m_layer->getActivePose(), pose);
    EXPECT_EQ(pose->getX(), 3.0f);

    EXPECT_EQ(m_layer->objectName(), QStringLiteral("Layer"));
    EXPECT_EQ(m_layer->getView()->objectName(), QStringLiteral("KinetorLayerView"));
    EXPECT_EQ(m_layer->getView()->getLayer(), m_layer);
    EXPECT_TRUE(m_layer->getUndoTimer()->isSingleShot());
}

TEST_F(LayerTest, PosesAreAddedCapturedConvertedAndRemoved)
{
    HxKinetorPose* loose = m_layer->newPose(10, 20);
    EXPECT_EQ(loose->getX(), 10.0f);
    EXPECT_EQ(loose->getY(), 20.0f);
    EXPECT_EQ(m_layer->getNumPoses(), 0);
    ASSERT_EQ(loose->getNodeData().size(), 4u);
    EXPECT_EQ(loose->getNodeDataAt(0)->getPos(), HxVec3(0, 0, 0));

    HxKinetorPose* first = addDot(0, 0, 5.0f, 0, 0);
    EXPECT_EQ(first->getNodeDataAt(0)->getPos().x, 5.0f);
    EXPECT_EQ(m_layer->getActivePose(), first);

    // Only the conversion asked for touches the figure.
    loose->setNodeData(QStringLiteral("Hip"), HxVec3(7, 8, 9), HxVec3(1, 1, 1), 1.0, HxQuat());
    m_layer->addPose(loose, false);
    EXPECT_EQ(m_hip->getXPosControl()->getValue(), 5.0f);
    HxKinetorPose* converted = m_layer->newPose(30, 30);
    converted->setNodeData(QStringLiteral("Hip"), HxVec3(7, 8, 9), HxVec3(1, 1, 1), 1.0, HxQuat());
    m_layer->addPose(converted);
    EXPECT_EQ(m_hip->getXPosControl()->getValue(), 7.0f);
    EXPECT_EQ(m_layer->getActivePose(), first);
    EXPECT_EQ(m_layer->getPoses(), (QList<HxKinetorPose*>{first, loose, converted}));

    m_layer->removePose(loose);
    EXPECT_EQ(m_layer->getActivePose(), first);
    m_layer->removePose(first);
    EXPECT_EQ(m_layer->getActivePose(), nullptr);
    m_layer->removePose(nullptr);
    EXPECT_EQ(m_layer->getNumPoses(), 1);
    m_layer->removePose(converted);
    EXPECT_EQ(m_layer->getTransformChanged(), flags({false, false, false, false}));
    EXPECT_EQ(m_layer->getPropertiesChanged(), flags({false, false, false, false}));
}

TEST_F(LayerTest, ChangeFlagsFollowWhatThePosesRecord)
{
    HxKinetorPose* a = addDot(0, 0, 1, 0, 0);
    HxKinetorPose* b = addDot(50, 0, 1, 0, 0);
    EXPECT_EQ(m_layer->getTransformChanged(), flags({false, false, false, false}));
    EXPECT_EQ(m_layer->getPropertiesChanged(), flags({false, false, false, false}));

    // Rotations within the quaternion tolerance count as equal.
    HxKinetorNodeData* chest = b->getNodeDataAt(1);
    HxQuat near = chest->getRot();
    near.setW(near.w() - 5e-6);
    chest->setRot(near);
    m_layer->updateChangeFlags(nullptr);
    EXPECT_EQ(m_layer->getTransformChanged(), flags({false, false, false, false}));

    // Any general scale difference counts.
    chest->setScale(chest->getScale(), 1.0 + 1e-12);
    m_layer->updateChangeFlags(nullptr);
    EXPECT_EQ(m_layer->getTransformChanged(), flags({false, true, false, false}));

    // The property test looks only at what the reference records.
    b->getNodeDataAt(3)->getPropValues()[m_smile] = 0.5;
    a->getNodeDataAt(3)->getPropValues().remove(m_smile);
    m_layer->updateChangeFlags(a);
    EXPECT_EQ(m_layer->getPropertiesChanged(), flags({false, false, false, false}));
    m_layer->updateChangeFlags(b);
    EXPECT_EQ(m_layer->getPropertiesChanged(), flags({false, false, false, true}));

    // The same node keeps the flags; another node resets them.
    m_layer->setNode(m_figure);
    EXPECT_EQ(m_layer->getPropertiesChanged(), flags({false, false, false, true}));
    m_layer->setNode(m_hip);
    EXPECT_EQ(m_layer->getTransformChanged(), flags({false}));
    m_layer->setNode(m_figure);
    m_layer->postLoadFile();
    EXPECT_EQ(m_layer->getTransformChanged(), flags({false, true, false, false}));

    m_layer->setPose(a);
    m_layer->clearPoses();
    EXPECT_EQ(m_layer->getNumPoses(), 0);
    EXPECT_EQ(m_layer->getActivePose(), nullptr);
}

TEST_F(LayerTest, ZoomOutToFitNeverZoomsIn)
{
    HxKinetorLayerView* view = m_layer->getView();
    view->resize(200, 100);
    addDot(100, 100, 0, 0, 0);
    // The fit of one dot in 200 x 100 is zoom 3.125; a view further out
    // stays out and is only centred.
    view->setZoom(0.5f, 0, 0);
    m_layer->zoomOutToFit();
    EXPECT_FLOAT_EQ(view->getZoom(), 0.5f);
    int px = 0;
    int py = 0;
    view->layerToView(100, 100, px, py);
    EXPECT_EQ(px, 100);
    EXPECT_EQ(py, 50);

    view->setZoom(10.0f, 0, 0);
    m_layer->zoomOutToFit();
    EXPECT_FLOAT_EQ(view->getZoom(), 3.125f);
    EXPECT_FLOAT_EQ(view->getOriginX(), 68.0f);
    EXPECT_FLOAT_EQ(view->getOriginY(), 84.0f);

    m_layer->resetView();
    EXPECT_EQ(view->getZoom(), 1.0f);
    EXPECT_EQ(view->getOriginX(), 0.0f);
}

} // namespace

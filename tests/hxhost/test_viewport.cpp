#include "hxhosttest.h"

#include "hxfigureposer.h"
#include "hxorbitcamera.h"
#include "hxviewport.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxundostack.h"
#include "hxcore/hxundostackhold.h"
#include "hxcore/hxviewportmgr.h"

#include <QTest>

namespace {
HxPosedBone posed(HxSkeleton* figure, const QString& name)
{
    HxFigurePoser poser(figure);
    for (const HxPosedBone& p : poser.pose())
        if (p.bone->objectName() == name)
            return p;
    return {};
}

::testing::AssertionResult near(const HxVec3& actual, const HxVec3& expected)
{
    if (actual.equals(expected, 1e-3f))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "got (" << actual.x << ", " << actual.y << ", " << actual.z << "), expected (" << expected.x
           << ", " << expected.y << ", " << expected.z << ")";
}

void setUndoable(HxFloatProperty* property, float value)
{
    HxUndoStackHold hold(hxUndoStack);
    property->beginEdit();
    property->setValue(value);
    property->finishEdit();
    hold.accept(QStringLiteral("test change"));
}
} // namespace

using FigurePoserTest = HxHostTest;

TEST_F(FigurePoserTest, RestPoseIsTheRestGeometry)
{
    for (const HxPosedBone& p : HxFigurePoser(m_figure).pose()) {
        EXPECT_TRUE(near(p.start, p.bone->getOrigin())) << p.bone->objectName().toStdString();
        EXPECT_TRUE(near(p.end, p.bone->getEndPoint())) << p.bone->objectName().toStdString();
    }
}

TEST_F(FigurePoserTest, ABoneTurnsAboutItsOriginAndCarriesItsChildren)
{
    bone("arm")->getZRotControl()->setValue(90.0f);
    // +90 degrees about Z turns X towards Y, about the arm's origin.
    EXPECT_TRUE(near(posed(m_figure, "arm").start, HxVec3(0, 140, 0)));
    EXPECT_TRUE(near(posed(m_figure, "arm").end, HxVec3(0, 180, 0)));
    EXPECT_TRUE(near(posed(m_figure, "forearm").start, HxVec3(0, 180, 0)));
    EXPECT_TRUE(near(posed(m_figure, "forearm").end, HxVec3(0, 210, 0)));
    // Bones above it stay put.
    EXPECT_TRUE(near(posed(m_figure, "chest").end, HxVec3(0, 140, 0)));

    // A turn higher up is added on top.
    bone("chest")->getYRotControl()->setValue(90.0f);
    // +90 degrees about Y leaves the upright arm where it is...
    EXPECT_TRUE(near(posed(m_figure, "forearm").end, HxVec3(0, 210, 0)));
    // ...and turns the arm along X towards -Z once it is level again.
    bone("arm")->getZRotControl()->setValue(0.0f);
    EXPECT_TRUE(near(posed(m_figure, "forearm").end, HxVec3(0, 140, -70)));
}

TEST_F(FigurePoserTest, TranslationAndScaleAreAboutTheBoneAndTheFigureMovesEverything)
{
    bone("arm")->getXScaleControl()->setValue(2.0f);
    EXPECT_TRUE(near(posed(m_figure, "arm").end, HxVec3(80, 140, 0)));
    EXPECT_TRUE(near(posed(m_figure, "forearm").end, HxVec3(140, 140, 0)));
    bone("arm")->getXScaleControl()->setValue(1.0f);

    bone("hip")->getYPosControl()->setValue(5.0f);
    EXPECT_TRUE(near(posed(m_figure, "forearm").end, HxVec3(70, 145, 0)));

    m_figure->getXPosControl()->setValue(-10.0f);
    EXPECT_TRUE(near(posed(m_figure, "hip").start, HxVec3(-10, 105, 0)));
}

TEST_F(FigurePoserTest, AFollowingBoneMovesWithTheBoneItFollows)
{
    // The sleeve has no parent of its own; it still follows the arm through
    // the chest's turn and ignores its own controls.
    bone("sleeve")->getZRotControl()->setValue(45.0f);
    EXPECT_TRUE(near(posed(m_figure, "sleeve").end, HxVec3(40, 140, 0)));
    bone("chest")->getZRotControl()->setValue(90.0f);
    const HxPosedBone arm = posed(m_figure, "arm");
    const HxPosedBone sleeve = posed(m_figure, "sleeve");
    EXPECT_TRUE(near(arm.end, HxVec3(-30, 150, 0)));
    EXPECT_TRUE(near(sleeve.start, arm.start));
    EXPECT_TRUE(near(sleeve.end, arm.end));
}

TEST(OrbitCameraTest, ProjectsTheTargetToTheCentreAndFramesABox)
{
    HxOrbitCamera camera;
    camera.setViewSize(QSize(400, 300));
    camera.setTarget(HxVec3(1, 2, 3));
    camera.setAngles(40.0f, 20.0f);
    camera.setDistance(10.0f);
    auto centre = camera.project(HxVec3(1, 2, 3));
    ASSERT_TRUE(centre.visible);
    EXPECT_NEAR(centre.point.x(), 200.0, 1e-3);
    EXPECT_NEAR(centre.point.y(), 150.0, 1e-3);
    EXPECT_NEAR(centre.depth, 10.0f, 1e-3f);
    // Up on screen is up in the world.
    EXPECT_LT(camera.project(HxVec3(1, 3, 3)).point.y(), 150.0);
    // Behind the eye is not drawn.
    EXPECT_FALSE(camera.project(camera.eye() + (camera.eye() - HxVec3(1, 2, 3))).visible);

    camera.orbit(100.0f, 30.0f);
    EXPECT_NEAR((camera.eye() - camera.target()).length(), 10.0f, 1e-3f) << "orbiting keeps the distance";
    camera.setAngles(0.0f, 500.0f);
    EXPECT_LE(camera.pitch(), 89.0f);

    const HxVec3 lo(-20, 0, -5), hi(20, 180, 5);
    for (QSize size : {QSize(400, 300), QSize(200, 600)}) {
        camera.setViewSize(size);
        camera.frame(lo, hi);
        for (int corner = 0; corner < 8; ++corner) {
            const HxVec3 p(corner & 1 ? hi.x : lo.x, corner & 2 ? hi.y : lo.y, corner & 4 ? hi.z : lo.z);
            auto projected = camera.project(p);
            ASSERT_TRUE(projected.visible);
            EXPECT_TRUE(QRectF(0, 0, size.width(), size.height()).contains(projected.point))
                << "corner " << corner << " out of a " << size.width() << "x" << size.height() << " view";
        }
    }
}

class ViewportTest : public HxHostTest
{
protected:
    void SetUp() override
    {
        HxHostTest::SetUp();
        m_viewport = std::make_unique<HxViewport>(&m_manager);
        m_viewport->resize(320, 240);
        m_viewport->frameAll();
    }
    void TearDown() override
    {
        m_viewport.reset();
        HxHostTest::TearDown();
    }
    QPoint pixelOf(const HxVec3& world) { return m_viewport->camera().project(world).point.toPoint(); }

    HxViewportMgr m_manager;
    std::unique_ptr<HxViewport> m_viewport;
};

TEST_F(ViewportTest, TurningARotateControlChangesThePictureAndUndoRestoresIt)
{
    const QImage rest = image(m_viewport.get());
    setUndoable(bone("arm")->getZRotControl(), 60.0f);
    const QImage turned = image(m_viewport.get());
    EXPECT_NE(rest, turned);
    hxUndoStack->undo();
    EXPECT_EQ(image(m_viewport.get()), rest);
}

TEST_F(ViewportTest, TheFigureIsDrawnWhereTheCameraProjectsIt)
{
    const QImage picture = image(m_viewport.get());
    // The middle of the chest is bone coloured (light); the background near
    // the top corner is dark.
    const QColor onBone = picture.pixelColor(pixelOf(HxVec3(0, 125, 0)));
    const QColor background = picture.pixelColor(QPoint(300, 40));
    EXPECT_GT(onBone.lightness(), 120);
    EXPECT_LT(background.lightness(), 110);
}

TEST_F(ViewportTest, SelectionIsHighlightedAndAManipulationDrawsLighter)
{
    const QImage plain = image(m_viewport.get());
    hxScene->setPrimarySelection(bone("chest"));
    const QImage selected = image(m_viewport.get());
    EXPECT_NE(plain, selected);
    const QColor chest = selected.pixelColor(pixelOf(HxVec3(0, 125, 0)));
    EXPECT_GT(chest.red(), chest.blue() + 60) << "the selected bone is drawn in the highlight colour";

    m_manager.startManipulation();
    EXPECT_TRUE(m_viewport->isDrawingLight());
    const QImage light = image(m_viewport.get());
    EXPECT_NE(light, selected);
    m_manager.endManipulation();
    EXPECT_FALSE(m_viewport->isDrawingLight());
    EXPECT_EQ(image(m_viewport.get()), selected);
}

TEST_F(ViewportTest, ClickingABoneSelectsItAndClickingNothingClears)
{
    // The figure's own arm wins over the sleeve drawn over it.
    QTest::mouseClick(m_viewport.get(), Qt::LeftButton, {}, pixelOf(HxVec3(20, 140, 0)));
    EXPECT_EQ(hxScene->getPrimarySelection(), bone("arm"));
    QTest::mouseClick(m_viewport.get(), Qt::LeftButton, {}, pixelOf(HxVec3(0, 102, 0)));
    EXPECT_EQ(hxScene->getPrimarySelection(), bone("hip"));
    QTest::mouseClick(m_viewport.get(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(hxScene->getPrimarySelection(), nullptr);

    bone("forearm")->setHidden(true);
    EXPECT_EQ(m_viewport->nodeAt(pixelOf(HxVec3(60, 140, 0))), nullptr) << "hidden bones cannot be picked";
}

TEST_F(ViewportTest, DraggingMovesTheCameraAndSelectsNothing)
{
    const float yaw = m_viewport->camera().yaw();
    const QPoint start = pixelOf(HxVec3(20, 140, 0));
    QTest::mousePress(m_viewport.get(), Qt::LeftButton, {}, start);
    QTest::mouseMove(m_viewport.get(), start + QPoint(40, 0));
    QTest::mouseRelease(m_viewport.get(), Qt::LeftButton, {}, start + QPoint(40, 0));
    EXPECT_NE(m_viewport->camera().yaw(), yaw);
    EXPECT_EQ(hxScene->getPrimarySelection(), nullptr) << "a drag is not a click";

    const float distance = m_viewport->camera().distance();
    QWheelEvent wheel(QPointF(160, 120), m_viewport->mapToGlobal(QPointF(160, 120)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(m_viewport.get(), &wheel);
    EXPECT_LT(m_viewport->camera().distance(), distance) << "wheel away zooms in";

    const HxVec3 target = m_viewport->camera().target();
    QTest::mousePress(m_viewport.get(), Qt::MiddleButton, {}, QPoint(100, 100));
    QTest::mouseMove(m_viewport.get(), QPoint(150, 100));
    QTest::mouseRelease(m_viewport.get(), Qt::MiddleButton, {}, QPoint(150, 100));
    EXPECT_FALSE(m_viewport->camera().target().equals(target, 1e-3f));
}

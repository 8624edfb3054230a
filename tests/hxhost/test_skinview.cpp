// Skins: deformation by bones and morphs, and how the viewport draws them.
#include "hxhosttest.h"

#include "hxhostwindow.h"
#include "hxskinlayer.h"
#include "hxskinnedmesh.h"
#include "hxviewport.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxquat.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"

#include <QSignalSpy>

namespace {

// Skin-coloured pixels: warm, clearly redder than blue.
int skinPixels(const QImage& picture)
{
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            count += c.red() > 60 && c.red() - c.blue() > 30 && c.green() - c.blue() > 10;
        }
    return count;
}

// The bones' pale grey-blue, lighter than anything else in the view.
int bonePixels(const QImage& picture)
{
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            count += c.lightness() > 170 && std::abs(c.red() - c.blue()) < 25;
        }
    return count;
}

} // namespace

TEST(SkinnedMeshTest, DeformsByMorphsThenBlendedBonesAndChecksItsData)
{
    HxSkinnedMesh mesh;
    mesh.positions = {HxVec3(1, 0, 0), HxVec3(0, 2, 0), HxVec3(0, 0, 3)};
    mesh.normals = {HxVec3(1, 0, 0), HxVec3(0, 1, 0), HxVec3(0, 0, 1)};
    mesh.triangles = {0, 1, 2};
    mesh.joints = {{0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}};
    mesh.weights = {{1, 0, 0, 0}, {1, 0, 0, 0}, {0.5f, 0.5f, 0, 0}};
    mesh.morphs.push_back({QStringLiteral("grow"), {HxVec3(1, 0, 0), HxVec3(0, 0, 0), HxVec3(0, 0, 1)}});
    EXPECT_EQ(mesh.validate(2), QString());

    // Bone 0 stays; bone 1 turns a quarter about Z and moves up by 10.
    HxMatrix4 turned;
    HxQuat::fromAxisAngle(HxVec3(0, 0, 1), 3.14159265358979 / 2).getValue(turned);
    turned.setTranslation(HxVec3(0, 10, 0));
    std::vector<HxVec3> out, normals;
    mesh.deform({HxMatrix4::identity(), turned}, {0.5f}, out, &normals);
    EXPECT_TRUE(out[0].equals(HxVec3(1.5f, 0, 0), 1e-5f));
    EXPECT_TRUE(out[1].equals(HxVec3(-2, 10, 0), 1e-5f));
    EXPECT_TRUE(normals[1].equals(HxVec3(-1, 0, 0), 1e-5f));
    // Half on each bone: halfway between where each would put it.
    EXPECT_TRUE(out[2].equals(HxVec3(0, 5, 3.5f), 1e-5f));

    mesh.joints[1][0] = 2;
    EXPECT_TRUE(mesh.validate(2).contains(QStringLiteral("bone 2")));
    mesh.joints[1][0] = 1;
    mesh.triangles.push_back(7);
    EXPECT_TRUE(mesh.validate(2).contains(QStringLiteral("multiple of three")));
    mesh.triangles.resize(3);
    mesh.morphs[0].deltas.pop_back();
    EXPECT_TRUE(mesh.validate(2).contains(QStringLiteral("grow")));
}

class SkinViewTest : public HxHostTest
{
protected:
    void SetUp() override
    {
        HxHostTest::SetUp();
        m_figure->setHidden(true);
        ASSERT_TRUE(m_window->loadFigure(sourcePath(QStringLiteral("samples/figures/critter.gltf"))));
        m_critter = qobject_cast<HxSkeleton*>(hxScene->findNode(QStringLiteral("critter")));
        ASSERT_TRUE(m_critter);
        m_window->viewport()->frameAll();
    }
    QImage view() { return image(m_window->viewport()); }

    HxSkeleton* m_critter = nullptr;
};

TEST_F(SkinViewTest, DrawsThePosedSkinWithTheBonesAsAnOverlayThatCanBeSwitchedOff)
{
    HxSkinLayer* skin = m_window->viewport()->skinLayer();
    const QImage rest = view();
    // The offscreen platform has no OpenGL: the painter draws the skin.
    EXPECT_FALSE(skin->lastDrawUsedOpenGL());
    EXPECT_GT(skin->lastTriangleCount(), 1000);
    const int restSkin = skinPixels(rest);
    const int restBones = bonePixels(rest);
    EXPECT_GT(restSkin, 5000);
    EXPECT_GT(restBones, 200);

    EXPECT_TRUE(skin->drawsBone(m_figure->getBone(0))) << "a figure without a skin always shows its bones";
    skin->setShowsBones(false);
    EXPECT_FALSE(skin->drawsBone(m_critter->getBone(0)));
    EXPECT_TRUE(skin->drawsBone(m_figure->getBone(0)));
    const QImage bare = view();
    EXPECT_LT(bonePixels(bare), restBones / 10);
    EXPECT_GE(skinPixels(bare), restSkin);

    // A morph swells the drawn skin; a turned arm moves it.
    HxMorph* chubby = qobject_cast<HxMorph*>(m_critter->getObject()->getItem(0));
    ASSERT_TRUE(chubby);
    QSignalSpy repaint(skin, &HxSkinLayer::changed);
    chubby->getValueChannel()->setValue(1.0f);
    EXPECT_GE(repaint.count(), 1) << "the viewport hears of morph changes";
    EXPECT_GT(skinPixels(view()), skinPixels(bare) * 21 / 20);
    chubby->getValueChannel()->setValue(0.0f);
    hxScene->setTime(10 * 160);
    EXPECT_NE(view(), bare);

    // The camera frames the skin, not only the bones: the whole figure fits.
    HxVec3 low, high;
    ASSERT_TRUE(skin->bounds(m_critter, low, high));
    EXPECT_GT(high.y, 108.0f);
    EXPECT_FALSE(skin->bounds(m_figure, low, high));
}

// Importing figures from interchange files and exporting their animation.
#include "hxhosttest.h"

#include "hxanimationexporter.h"
#include "hxfigureimporter.h"
#include "hxsamplefigurebuilder.h"
#include "hxskinnedmesh.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfigurereader.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxskeleton.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cmath>

namespace {

constexpr int kStep = 160;

// Real-world files from other tools, kept outside the repository: in the
// shared folder beside the checkout, or the workplace's. Tests that need
// them skip when neither is there.
QString realFile(const QString& relative)
{
    for (const QString& folder : {QStringLiteral(HX_SOURCE_DIR "/../shared/testdata/real/"),
                                  QStringLiteral("/work/shared/testdata/real/")})
        if (QFileInfo::exists(folder))
            return QDir::cleanPath(folder + relative);
    return QStringLiteral("/work/shared/testdata/real/") + relative;
}

#define SKIP_WITHOUT(path)                                                                                   \
    if (!QFile::exists(path))                                                                                \
    GTEST_SKIP() << "real-world test file not present: " << qPrintable(path)

HxFloatProperty* morphChannel(const HxSkeleton* figure, const QString& name)
{
    for (HxMorph* morph : HxAnimationExporter::morphsOf(figure))
        if (morph->objectName() == name)
            return morph->getValueChannel();
    return nullptr;
}

// Same rotation whatever the Euler angles and quaternion sign.
::testing::AssertionResult sameRotation(const HxQuat& a, const HxQuat& b, double tolerance)
{
    const double dot = std::fabs(a.x() * b.x() + a.y() * b.y() + a.z() * b.z() + a.w() * b.w());
    if (1.0 - dot <= tolerance * tolerance || std::sqrt(std::max(0.0, 2.0 * (1.0 - dot))) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << a.toString().toStdString() << " vs " << b.toString().toStdString();
}

// Every bone's rotation and every morph value of `copy` at its frames 0..n-1
// against `original` over `range`.
void expectSameTake(const HxSkeleton* original, const HxSkeleton* copy, const HxTimeRange& range, bool morphs)
{
    QList<HxBone*> bones;
    original->getAllBones(bones);
    const int frames = (range.end - range.start) / kStep + 1;
    for (HxBone* bone : bones) {
        HxBone* other = copy->findBone(bone->objectName());
        ASSERT_TRUE(other) << qPrintable(bone->objectName());
        for (int f = 0; f < frames; ++f) {
            const HxQuat expected = HxAnimationExporter::rotationAt(bone, range.start + f * kStep);
            const HxQuat actual = HxAnimationExporter::rotationAt(other, f * kStep);
            EXPECT_TRUE(sameRotation(expected, actual, 1e-4))
                << qPrintable(bone->objectName()) << " frame " << f;
        }
    }
    if (!morphs)
        return;
    for (HxMorph* morph : HxAnimationExporter::morphsOf(original)) {
        HxFloatProperty* other = morphChannel(copy, morph->objectName());
        ASSERT_TRUE(other) << qPrintable(morph->objectName());
        for (int f = 0; f < frames; ++f)
            EXPECT_NEAR(other->getValue(f * kStep),
                        morph->getValueChannel()->getValue(range.start + f * kStep), 1e-4)
                << qPrintable(morph->objectName()) << " frame " << f;
    }
}

class FigureImportTest : public HxAppTest
{
protected:
    std::unique_ptr<HxSkeleton> import(const QString& path)
    {
        m_error.clear();
        return HxFigureImporter::read(path, kStep, &m_error);
    }
    QString write(const QString& name, const QByteArray& content)
    {
        return writeFile(m_scratch, name, content);
    }
    void expectRefused(const QString& path, const QString& fragment)
    {
        EXPECT_FALSE(import(path)) << qPrintable(path);
        EXPECT_TRUE(m_error.startsWith(path + QStringLiteral(": "))) << qPrintable(m_error);
        EXPECT_TRUE(m_error.contains(fragment, Qt::CaseInsensitive)) << qPrintable(m_error);
    }
    QString m_error;
};

} // namespace

TEST_F(FigureImportTest, GeneratedSampleGivesItsBoneTreeRestPoseMorphsSkinAndTake)
{
    std::unique_ptr<HxSkeleton> figure = import(sourcePath(QStringLiteral("samples/figures/critter.gltf")));
    ASSERT_TRUE(figure) << qPrintable(m_error);
    EXPECT_EQ(figure->objectName(), QStringLiteral("critter"));

    const std::unique_ptr<HxSkeleton> made = HxSampleFigureBuilder::critter();
    ASSERT_EQ(figure->getNumBones(), made->getNumBones());
    for (int b = 0; b < made->getNumBones(); ++b) {
        const HxBone* expected = made->getBone(b);
        const HxBone* bone = figure->getBone(b);
        EXPECT_EQ(bone->objectName(), expected->objectName());
        EXPECT_EQ(bone->getParentBone() ? bone->getParentBone()->objectName() : QString(),
                  expected->getParentBone() ? expected->getParentBone()->objectName() : QString());
        EXPECT_TRUE(bone->getOrigin().equals(expected->getOrigin(), 1e-3f)) << qPrintable(bone->objectName());
    }
    // A bone with one child reaches to it.
    EXPECT_TRUE(figure->findBone(QStringLiteral("lArm"))->getEndPoint().equals(HxVec3(28, 84, 0), 1e-3f));

    QStringList morphs;
    for (HxMorph* morph : HxAnimationExporter::morphsOf(figure.get()))
        morphs << morph->objectName();
    EXPECT_EQ(morphs, (QStringList{"Chubby", "BigHead", "StrongArms"}));

    const HxSkinnedMesh* skin = HxSkinnedMesh::of(figure.get());
    const HxSkinnedMesh* madeSkin = HxSkinnedMesh::of(made.get());
    ASSERT_TRUE(skin);
    EXPECT_EQ(skin->validate(figure->getNumBones()), QString());
    ASSERT_EQ(skin->vertexCount(), madeSkin->vertexCount());
    ASSERT_EQ(skin->morphs.size(), size_t(3));
    for (int v = 0; v < skin->vertexCount(); v += 37) {
        EXPECT_TRUE(skin->positions[size_t(v)].equals(madeSkin->positions[size_t(v)], 1e-3f)) << v;
        EXPECT_TRUE(skin->morphs[1].deltas[size_t(v)].equals(madeSkin->morphs[1].deltas[size_t(v)], 1e-3f))
            << v;
    }

    // The take's known values, keyed a frame at a time.
    HxBone* lArm = figure->findBone(QStringLiteral("lArm"));
    EXPECT_EQ(lArm->getZRotControl()->getNumKeys(), 31);
    EXPECT_NEAR(lArm->getZRotControl()->getValue(10 * kStep), 60.0f, 1e-3);
    EXPECT_NEAR(figure->findBone(QStringLiteral("head"))->getXRotControl()->getValue(15 * kStep), 20.0f,
                1e-3);
    EXPECT_NEAR(figure->findBone(QStringLiteral("hips"))->getZPosControl()->getValue(30 * kStep), 10.0f,
                1e-3);
    EXPECT_EQ(figure->findBone(QStringLiteral("lShin"))->getXRotControl()->getNumKeys(), 0);
    EXPECT_NEAR(morphChannel(figure.get(), QStringLiteral("BigHead"))->getValue(15 * kStep), 1.0f, 1e-5);
}

TEST_F(FigureImportTest, BvhKeepsChannelOrderOffsetsAndKeysAndResamplesToTheSceneRate)
{
    // 60 frames a second into a 30 frames a second scene: every other frame.
    const QString path = write(QStringLiteral("walk.bvh"), R"(HIERARCHY
ROOT Hips
{
  OFFSET 1 90 2
  CHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation
  JOINT Knee
  {
    OFFSET 0 -40 0
    CHANNELS 3 Xrotation Yrotation Zrotation
    End Site
    {
      OFFSET 0 -45 0
    }
  }
}
MOTION
Frames: 5
Frame Time: 0.0166666667
1 90 2 0 0 0 10 0 0
2 90 2 10 5 0 20 0 0
3 91 2 20 10 0 30 0 5
4 90 2 30 15 0 40 0 10
5 90 2 40 20 -30 50 0 15
)");
    std::unique_ptr<HxSkeleton> figure = import(path);
    ASSERT_TRUE(figure) << qPrintable(m_error);
    ASSERT_EQ(figure->getNumBones(), 2);
    HxBone* hips = figure->findBone(QStringLiteral("Hips"));
    HxBone* knee = figure->findBone(QStringLiteral("Knee"));
    ASSERT_TRUE(hips && knee);
    EXPECT_EQ(knee->getParentBone(), hips);
    EXPECT_EQ(hips->getRotationOrder(), HxRotationOrder::YXZ);
    EXPECT_EQ(knee->getRotationOrder(), HxRotationOrder::ZYX);
    EXPECT_TRUE(hips->getOrigin().equals(HxVec3(1, 90, 2), 1e-4f));
    EXPECT_TRUE(knee->getOrigin().equals(HxVec3(1, 50, 2), 1e-4f));
    EXPECT_TRUE(knee->getEndPoint().equals(HxVec3(1, 5, 2), 1e-4f));

    // Frames 0, 2, 4 of the file.
    EXPECT_EQ(hips->getZRotControl()->getNumKeys(), 3);
    const float hipsZ[] = {0, 20, 40}, hipsX[] = {0, 10, 20}, hipsY[] = {0, 0, -30};
    const float kneeX[] = {10, 30, 50}, kneeZ[] = {0, 5, 15}, hipsTx[] = {0, 2, 4};
    for (int f = 0; f < 3; ++f) {
        EXPECT_NEAR(hips->getZRotControl()->getValue(f * kStep), hipsZ[f], 1e-3) << f;
        EXPECT_NEAR(hips->getXRotControl()->getValue(f * kStep), hipsX[f], 1e-3) << f;
        EXPECT_NEAR(hips->getYRotControl()->getValue(f * kStep), hipsY[f], 1e-3) << f;
        EXPECT_NEAR(knee->getXRotControl()->getValue(f * kStep), kneeX[f], 1e-3) << f;
        EXPECT_NEAR(knee->getZRotControl()->getValue(f * kStep), kneeZ[f], 1e-3) << f;
        EXPECT_NEAR(hips->getXPosControl()->getValue(f * kStep), hipsTx[f], 1e-3) << f;
    }
    EXPECT_NEAR(hips->getYPosControl()->getValue(kStep), 1.0f, 1e-3);
    EXPECT_EQ(knee->getXPosControl()->getNumKeys(), 0);
}

TEST_F(FigureImportTest, MalformedAndUnsupportedFilesAreRefusedWithOneMessage)
{
    expectRefused(m_scratch.filePath(QStringLiteral("missing.gltf")), QStringLiteral("no such file"));
    QByteArray sample;
    {
        QFile file(sourcePath(QStringLiteral("samples/figures/critter.gltf")));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        sample = file.readAll();
    }
    expectRefused(write(QStringLiteral("cut.gltf"), sample.left(sample.size() / 2)), QStringLiteral("GLTF"));
    expectRefused(write(QStringLiteral("noise.glb"), QByteArray("glTF\x02\0\0\0\xff\xff\0\0garbage", 20)),
                  QStringLiteral("GLB"));
    expectRefused(write(QStringLiteral("broken.dae"),
                        "<?xml version=\"1.0\"?><COLLADA version=\"1.4.1\"><library_geometries><geometry>"),
                  QStringLiteral("DAE"));
    expectRefused(write(QStringLiteral("broken.bvh"), "HIERARCHY\nROOT Hips\n{\n OFFSET 0 0\n"),
                  QStringLiteral("BVH"));
    expectRefused(write(QStringLiteral("noise.fbx"), QByteArray(200, '\x7f')), QStringLiteral("FBX"));

    // A well-formed glTF whose mesh is bound to no joints is no figure.
    QString unskinned = QString::fromUtf8(sample);
    ASSERT_GT(unskinned.remove(QRegularExpression(QStringLiteral(",\\s*\"skin\"\\s*:\\s*0"))).size(), 0);
    ASSERT_NE(unskinned.toUtf8(), sample);
    expectRefused(write(QStringLiteral("unskinned.gltf"), unskinned.toUtf8()), QStringLiteral("no skin"));
}

TEST_F(FigureImportTest, ExportedTakesReadBackFrameForFrame)
{
    // The take written to the named file, read back and compared; BVH holds no morphs.
    const auto readBack = [&](const HxSkeleton* figure, const HxTimeRange& range, const char* name) {
        SCOPED_TRACE(name);
        const QString path = m_scratch.filePath(QString::fromLatin1(name));
        QString error;
        EXPECT_TRUE(HxAnimationExporter::write(figure, range, kStep, path, &error)) << qPrintable(error);
        std::unique_ptr<HxSkeleton> back = import(path);
        EXPECT_TRUE(back) << qPrintable(m_error);
        if (back)
            expectSameTake(figure, back.get(), range, !path.endsWith(QLatin1String(".bvh")));
        return back;
    };
    const HxTimeRange range(0, 30 * kStep);
    const std::unique_ptr<HxSkeleton> critter = HxSampleFigureBuilder::critter();
    for (const char* name : {"critter.bvh", "critter.gltf", "critter.glb"}) {
        SCOPED_TRACE(name);
        std::unique_ptr<HxSkeleton> back = readBack(critter.get(), range, name);
        ASSERT_TRUE(back);
        EXPECT_NEAR(back->findBone(QStringLiteral("hips"))->getZPosControl()->getValue(30 * kStep), 10.0f,
                    1e-3);
    }

    // A figure without a skin, with mixed rotation orders, two root bones
    // and morphs on its bones, over a range that starts late.
    std::unique_ptr<HxSkeleton> mannequin =
        HxFigureReader::read(sourcePath(QStringLiteral("samples/figures/mannequin.json")));
    ASSERT_TRUE(mannequin);
    QList<HxBone*> bones;
    mannequin->getAllBones(bones);
    ASSERT_GE(bones.size(), 4);
    const HxRotationOrder orders[] = {HxRotationOrder::ZXY, HxRotationOrder::YZX, HxRotationOrder::XZY};
    for (int b = 0; b < bones.size(); ++b) {
        bones[b]->setRotationOrder(orders[b % 3]);
        bones[b]->getXRotControl()->setValue(20 * kStep, float(10 + b));
        bones[b]->getXRotControl()->setValue(40 * kStep, float(-70 + b));
        bones[b]->getYRotControl()->setValue(40 * kStep, float(30 - 3 * b));
        bones[b]->getZRotControl()->setValue(30 * kStep, float(120 - b));
    }
    const QList<HxMorph*> morphs = HxAnimationExporter::morphsOf(mannequin.get());
    ASSERT_FALSE(morphs.isEmpty());
    for (int m = 0; m < morphs.size(); ++m) {
        morphs[m]->getValueChannel()->setValue(20 * kStep, 0.0f);
        morphs[m]->getValueChannel()->setValue(40 * kStep, float(m + 1) / float(morphs.size()));
    }
    const HxTimeRange late(20 * kStep, 40 * kStep);
    readBack(mannequin.get(), late, "mannequin.gltf");
    std::unique_ptr<HxSkeleton> bvh = readBack(mannequin.get(), late, "mannequin.bvh");
    ASSERT_TRUE(bvh);
    for (HxBone* bone : std::as_const(bones))
        EXPECT_EQ(bvh->findBone(bone->objectName())->getRotationOrder(), bone->getRotationOrder());

    QString error;
    EXPECT_FALSE(
        HxAnimationExporter::write(critter.get(), range, kStep, m_scratch.filePath("take.txt"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("unknown format"))) << qPrintable(error);
    EXPECT_FALSE(HxAnimationExporter::write(nullptr, range, kStep, m_scratch.filePath("take.bvh"), &error));
}

TEST_F(FigureImportTest, RealWorldFiles)
{
    const QString simple = realFile(QStringLiteral("gltf/RiggedSimple.gltf"));
    SKIP_WITHOUT(simple);
    for (const QString& path : {simple, realFile(QStringLiteral("dae/RiggedSimple.dae"))}) {
        std::unique_ptr<HxSkeleton> figure = import(path);
        ASSERT_TRUE(figure) << qPrintable(m_error);
        EXPECT_EQ(figure->getNumBones(), 2) << qPrintable(path);
        const HxSkinnedMesh* skin = HxSkinnedMesh::of(figure.get());
        ASSERT_TRUE(skin);
        EXPECT_EQ(skin->vertexCount(), 96);
        EXPECT_GT(figure->getBone(1)->getXRotControl()->getNumKeys() +
                      figure->getBone(1)->getYRotControl()->getNumKeys() +
                      figure->getBone(1)->getZRotControl()->getNumKeys(),
                  0);
    }

    // Weights that do not add up to one are evened out.
    std::unique_ptr<HxSkeleton> cesium = import(realFile(QStringLiteral("gltf_flawed/CesiumMan.gltf")));
    ASSERT_TRUE(cesium) << qPrintable(m_error);
    const HxSkinnedMesh* skin = HxSkinnedMesh::of(cesium.get());
    ASSERT_TRUE(skin);
    for (const auto& w : skin->weights)
        ASSERT_NEAR(w[0] + w[1] + w[2] + w[3], 1.0f, 1e-4);

    std::unique_ptr<HxSkeleton> fox = import(realFile(QStringLiteral("gltf/Fox.glb")));
    ASSERT_TRUE(fox) << qPrintable(m_error);
    EXPECT_GT(fox->getNumBones(), 10);

    std::unique_ptr<HxSkeleton> walk = import(realFile(QStringLiteral("bvh/cmu_131_01.bvh")));
    ASSERT_TRUE(walk) << qPrintable(m_error);
    EXPECT_GT(walk->getNumBones(), 20);
    EXPECT_GT(walk->getBone(0)->getXPosControl()->getNumKeys(), 10);

    // Morphs without a skeleton are not a figure.
    expectRefused(realFile(QStringLiteral("gltf/SimpleMorph.gltf")), QStringLiteral("no skin"));
}

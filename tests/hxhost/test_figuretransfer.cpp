// Importing and exporting figures through the host window and its command line.
#include "hxhosttest.h"

#include "hxfigureimporter.h"
#include "hxhostwindow.h"
#include "hxscenedocument.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"

#include <QFile>

namespace {
class FigureTransferTest : public HxHostTest
{
protected:
    void SetUp() override
    {
        HxHostTest::SetUp();
        m_window->setErrorReporter(
            [this](const QString&, const QString& message) { m_errors.append(message); });
    }
    QStringList m_errors;
};
} // namespace

TEST_F(FigureTransferTest, ImportAddsTheFigureAndItsTakeOrLeavesTheSceneAlone)
{
    const int before = hxScene->getNumNodes();
    const QString broken = writeFile(m_scratch, QStringLiteral("broken.dae"), "<COLLADA><library_nodes>");
    EXPECT_FALSE(m_window->loadFigure(broken));
    ASSERT_EQ(m_errors.size(), 1);
    EXPECT_TRUE(m_errors.first().startsWith(broken)) << qPrintable(m_errors.first());
    EXPECT_EQ(hxScene->getNumNodes(), before);

    hxScene->setPlayRange(HxTimeRange(0, 10 * 160));
    ASSERT_TRUE(m_window->loadFigure(sourcePath(QStringLiteral("samples/figures/critter.gltf"))));
    EXPECT_EQ(hxScene->getNumNodes(), before + 1 + 12);
    // The imported take is 30 frames long and plays whole.
    EXPECT_EQ(hxScene->getPlayRange().end, 30 * 160);
    EXPECT_GE(hxScene->getAnimRange().end, 30 * 160);

    // A scene holding an imported figure saves and opens again: its bones,
    // keys and morphs come back (the skin itself is not part of scene files).
    m_window->document()->setReporter(
        [this](const QString&, const QString& message) { m_errors.append(message); });
    const QString scene = m_scratch.filePath(QStringLiteral("critter.hxs"));
    ASSERT_TRUE(m_window->document()->saveAs(scene)) << qPrintable(m_errors.join('\n'));
    ASSERT_TRUE(m_window->document()->open(scene)) << qPrintable(m_errors.join('\n'));
    auto* critter = qobject_cast<HxSkeleton*>(hxScene->findNode(QStringLiteral("critter")));
    ASSERT_TRUE(critter);
    EXPECT_EQ(critter->getNumBones(), 12);
    EXPECT_NEAR(critter->findBone(QStringLiteral("lArm"))->getZRotControl()->getValue(10 * 160), 60.0f, 1e-3);
}

TEST_F(FigureTransferTest, ExportWritesTheSelectedFiguresPlayRange)
{
    const QString path = m_scratch.filePath(QStringLiteral("take.bvh"));
    hxScene->setPrimarySelection(nullptr);
    EXPECT_FALSE(m_window->exportAnimation(path));
    ASSERT_EQ(m_errors.size(), 1);
    EXPECT_TRUE(m_errors.first().contains(QStringLiteral("no figure is selected")))
        << qPrintable(m_errors.first());
    EXPECT_FALSE(QFile::exists(path));

    bone("forearm")->getZRotControl()->setValue(0, 0.0f);
    bone("forearm")->getZRotControl()->setValue(160 * 6, 45.0f);
    hxScene->setPlayRange(HxTimeRange(0, 160 * 6));
    hxScene->setPrimarySelection(bone("chest"));
    ASSERT_TRUE(m_window->exportAnimation(path));
    std::unique_ptr<HxSkeleton> back = HxFigureImporter::read(path, 160);
    ASSERT_TRUE(back);
    // Two root bones (the figure and the sleeve): BVH's one root is the figure.
    EXPECT_EQ(back->getNumBones(), m_figure->getNumBones() + 1);
    EXPECT_EQ(back->getBone(0)->objectName(), QStringLiteral("Stick"));
    EXPECT_NEAR(back->findBone(QStringLiteral("forearm"))->getZRotControl()->getValue(160 * 3), 22.5f, 1e-3);
}

TEST_F(FigureTransferTest, CommandLineExportsWithoutAWindow)
{
    QString errors;
    const QString out = m_scratch.filePath(QStringLiteral("critter.glb"));
    ASSERT_EQ(
        runHost({"--figure", sourcePath(QStringLiteral("samples/figures/critter.gltf")), "--export", out},
                &errors),
        0)
        << qPrintable(errors);
    std::unique_ptr<HxSkeleton> back = HxFigureImporter::read(out, 160);
    ASSERT_TRUE(back);
    EXPECT_NEAR(back->findBone(QStringLiteral("lArm"))->getZRotControl()->getValue(10 * 160), 60.0f, 1e-3);

    const QString broken = writeFile(m_scratch, QStringLiteral("broken.bvh"), "HIERARCHY\nROOT");
    const QString never = m_scratch.filePath(QStringLiteral("never.bvh"));
    EXPECT_EQ(runHost({"--figure", broken, "--export", never}, &errors), 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("broken.bvh"))) << qPrintable(errors);
    EXPECT_FALSE(QFile::exists(never));
}

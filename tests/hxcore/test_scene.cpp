#include "hxapptest.h"

#include "hxcore/hxaudioclip.h"
#include "hxcore/hxbone.h"
#include "hxcore/hxfigurereader.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"

#include <QSet>
#include <QSignalSpy>
#include <QStringList>

namespace {

class HxSceneTest : public HxAppTest
{
protected:
    HxSkeleton* addMannequin()
    {
        QString error;
        HxSkeleton* figure =
            HxFigureReader::addToScene(sourcePath("samples/figures/mannequin.json"), hxScene, &error);
        EXPECT_NE(figure, nullptr) << error.toStdString();
        return figure;
    }

    // The order in which the scene reports its changes, as one list.
    void record()
    {
        QObject::connect(hxScene, &HxScene::nodeAdded, hxScene,
                         [this](HxNode* node) { m_events << "added " + node->objectName(); });
        QObject::connect(hxScene, &HxScene::nodeRemoved, hxScene,
                         [this](HxNode* node) { m_events << "removed " + node->objectName(); });
        QObject::connect(hxScene, &HxScene::sceneCleared, hxScene, [this] { m_events << "cleared"; });
    }

    QStringList m_events;
};

class SilentClip : public HxAudioClip
{
public:
    explicit SilentClip(int* alive) : m_alive(alive) { ++*m_alive; }
    ~SilentClip() override { --*m_alive; }
    HxTime getEndTime() const override { return 4800; }
    void seek(HxTime) override {}
    int getRate() const override { return 44100; }
    void play() override {}
    void stop() override {}

private:
    int* m_alive;
};

} // namespace

TEST_F(HxSceneTest, AddingAFigureAddsItThenEachBoneInOrder)
{
    QSignalSpy added(hxScene, &HxScene::nodeAdded);
    HxSkeleton* figure = addMannequin();
    ASSERT_NE(figure, nullptr);
    QList<HxBone*> bones;
    figure->getAllBones(bones);
    ASSERT_GE(bones.size(), 20);

    ASSERT_EQ(added.count(), 1 + bones.size());
    EXPECT_EQ(added.at(0).at(0).value<HxNode*>(), figure);
    for (qsizetype i = 0; i < bones.size(); ++i)
        EXPECT_EQ(added.at(i + 1).at(0).value<HxNode*>(), bones.at(i)) << i;

    ASSERT_EQ(hxScene->getNumNodes(), 1 + bones.size());
    QListIterator<HxNode*> it = hxScene->nodeListIterator();
    EXPECT_EQ(it.next(), figure);
    for (HxBone* bone : bones)
        EXPECT_EQ(it.next(), bone);
    EXPECT_FALSE(it.hasNext());
    EXPECT_EQ(hxScene->findNode("leftHand"), figure->findBone("leftHand"));

    // Adding the same figure again changes nothing.
    hxScene->addNode(figure);
    EXPECT_EQ(added.count(), 1 + bones.size());

    // A second figure follows the first with its own bones.
    HxSkeleton* second = addMannequin();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(hxScene->getNumNodes(), 2 * (1 + bones.size()));
    EXPECT_EQ(hxScene->nodes().at(1 + bones.size()), second);
}

TEST_F(HxSceneTest, SelectionAndTimeSignalOncePerChange)
{
    HxSkeleton* figure = addMannequin();
    ASSERT_NE(figure, nullptr);
    HxBone* head = figure->findBone("head");

    QSignalSpy selection(hxScene, &HxScene::primarySelectionChanged);
    hxScene->setPrimarySelection(head);
    hxScene->setPrimarySelection(head);
    ASSERT_EQ(selection.count(), 1);
    EXPECT_EQ(selection.at(0).at(0).value<HxNode*>(), head);
    EXPECT_EQ(hxScene->getPrimarySelection(), head);

    // A node that is not in the scene cannot be selected.
    HxNode stranger("Stranger");
    hxScene->setPrimarySelection(&stranger);
    EXPECT_EQ(selection.count(), 1);
    EXPECT_EQ(hxScene->getPrimarySelection(), head);

    hxScene->setPrimarySelection(figure);
    hxScene->setPrimarySelection(nullptr);
    hxScene->setPrimarySelection(nullptr);
    EXPECT_EQ(selection.count(), 3);
    EXPECT_EQ(hxScene->getPrimarySelection(), nullptr);

    QSignalSpy time(hxScene, &HxScene::timeChanged);
    EXPECT_EQ(hxScene->getTimeStep(), 160);
    hxScene->setTime(480);
    hxScene->setTime(480);
    hxScene->setTime(-160);
    ASSERT_EQ(time.count(), 2);
    EXPECT_EQ(time.at(0).at(0).toInt(), 480);
    EXPECT_EQ(time.at(1).at(0).toInt(), -160);
    EXPECT_EQ(hxScene->getTime(), -160);

    QSignalSpy step(hxScene, &HxScene::timeStepChanged);
    hxScene->setTimeStep(0); // would make frame arithmetic divide by zero
    hxScene->setTimeStep(-4);
    hxScene->setTimeStep(160);
    hxScene->setTimeStep(200);
    EXPECT_EQ(step.count(), 1);
    EXPECT_EQ(hxScene->getTimeStep(), 200);

    QSignalSpy ranges(hxScene, &HxScene::rangesChanged);
    hxScene->setPlayRange(HxTimeRange(960, 0));
    hxScene->setPlayRange(HxTimeRange(0, 960));
    EXPECT_EQ(ranges.count(), 1);
    EXPECT_EQ(hxScene->getPlayRange(), HxTimeRange(0, 960));
}

TEST_F(HxSceneTest, ClearRemovesEveryNodeThenSaysSo)
{
    HxSkeleton* figure = addMannequin();
    ASSERT_NE(figure, nullptr);
    const QList<HxNode*> before = hxScene->nodes();
    hxScene->setPrimarySelection(figure->findBone("chest"));

    QSignalSpy removed(hxScene, &HxScene::nodeRemoved);
    QSignalSpy selection(hxScene, &HxScene::primarySelectionChanged);
    record();
    hxScene->clear();

    EXPECT_EQ(hxScene->getNumNodes(), 0);
    EXPECT_EQ(hxScene->getPrimarySelection(), nullptr);
    EXPECT_EQ(selection.count(), 1);
    ASSERT_EQ(removed.count(), before.size());
    QSet<HxNode*> gone;
    for (const QList<QVariant>& args : removed)
        gone.insert(args.at(0).value<HxNode*>());
    EXPECT_EQ(gone, QSet<HxNode*>(before.begin(), before.end()));
    ASSERT_EQ(m_events.size(), before.size() + 1);
    EXPECT_EQ(m_events.last(), "cleared");
    for (qsizetype i = 0; i + 1 < m_events.size(); ++i)
        EXPECT_TRUE(m_events.at(i).startsWith("removed ")) << m_events.at(i).toStdString();

    // Clearing an empty scene still tells the views it is empty.
    m_events.clear();
    hxScene->clear();
    EXPECT_EQ(m_events, QStringList{"cleared"});
}

TEST_F(HxSceneTest, RemovingAFigureTakesItsBonesAlong)
{
    HxSkeleton* first = addMannequin();
    HxSkeleton* second = addMannequin();
    ASSERT_TRUE(first && second);
    const int perFigure = 1 + first->getNumBones();
    hxScene->setPrimarySelection(second->findBone("head"));

    record();
    // A bone is not a top-level node: removing it alone is ignored.
    hxScene->removeNode(first->findBone("head"));
    EXPECT_TRUE(m_events.isEmpty());

    hxScene->removeNode(first);
    ASSERT_EQ(m_events.size(), perFigure);
    EXPECT_EQ(m_events.last(), "removed Mannequin");
    EXPECT_EQ(hxScene->getNumNodes(), perFigure);
    EXPECT_EQ(hxScene->nodes().first(), second);
    // The other figure's selected bone is untouched.
    EXPECT_EQ(hxScene->getPrimarySelection(), second->findBone("head"));
}

TEST_F(HxSceneTest, AudioClipIsOwnedAndReplaced)
{
    int alive = 0;
    QSignalSpy audio(hxScene, &HxScene::audioChanged);
    hxScene->setAudio(new SilentClip(&alive));
    EXPECT_EQ(alive, 1);
    EXPECT_EQ(hxScene->getAudio()->getEndTime(), 4800);
    hxScene->setAudio(new SilentClip(&alive));
    EXPECT_EQ(alive, 1);
    hxScene->setAudio(nullptr);
    EXPECT_EQ(alive, 0);
    EXPECT_EQ(audio.count(), 3);

    hxScene->setAudio(new SilentClip(&alive));
    m_app.reset();
    EXPECT_EQ(alive, 0);
}

#include "hxapptest.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfigurereader.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxundostack.h"
#include "hxcore/hxundostackhold.h"

#include <QFile>
#include <QSet>
#include <QSignalSpy>
#include <QStringList>
#include <QUndoStack>

#include <memory>

namespace {

class HxSceneTest : public HxAppTest
{
protected:
    void SetUp() override
    {
        HxAppTest::SetUp();
        // The order in which the scene reports its changes, as one list.
        QObject::connect(hxScene, &HxScene::nodeAdded, hxScene,
                         [this](HxNode* n) { m_events << n->objectName(); });
        QObject::connect(hxScene, &HxScene::nodeRemoved, hxScene,
                         [this](HxNode* n) { m_events << "removed " + n->objectName(); });
        QObject::connect(hxScene, &HxScene::sceneCleared, hxScene, [this] { m_events << "cleared"; });
    }

    QStringList m_events;
};

} // namespace

TEST_F(HxSceneTest, AddingAFigureAddsItThenEachBoneInOrder)
{
    HxSkeleton* figure = addMannequin();
    ASSERT_NE(figure, nullptr);
    ASSERT_GE(figure->getNumBones(), 20);
    QStringList expected{figure->objectName()};
    for (int i = 0; i < figure->getNumBones(); ++i)
        expected << figure->getBone(i)->objectName();
    EXPECT_EQ(m_events, expected);
    EXPECT_EQ(hxScene->getNumNodes(), expected.size());
    EXPECT_EQ(hxScene->nodes().at(2), figure->getBone(1));

    hxScene->addNode(figure); // already there: nothing happens
    EXPECT_EQ(m_events.size(), expected.size());
    HxSkeleton* second = addMannequin();
    EXPECT_EQ(hxScene->getNumNodes(), 2 * expected.size());
    EXPECT_EQ(hxScene->nodes().at(expected.size()), second);
}

TEST_F(HxSceneTest, SelectionTimeAndRangesSignalOncePerChange)
{
    HxSkeleton* figure = addMannequin();
    ASSERT_NE(figure, nullptr);
    HxBone* head = figure->findBone("head");
    HxNode stranger("Stranger");
    QSignalSpy selection(hxScene, &HxScene::primarySelectionChanged);
    for (HxNode* node : QList<HxNode*>{head, head, &stranger, figure, nullptr, nullptr})
        hxScene->setPrimarySelection(node);
    ASSERT_EQ(selection.count(), 3); // the stranger is not in the scene and cannot be selected
    EXPECT_EQ(selection.at(0).at(0).value<HxNode*>(), head);
    EXPECT_EQ(selection.at(1).at(0).value<HxNode*>(), figure);
    EXPECT_EQ(hxScene->getPrimarySelection(), nullptr);

    QSignalSpy time(hxScene, &HxScene::timeChanged);
    for (HxTime t : {480, 480, -160})
        hxScene->setTime(t);
    ASSERT_EQ(time.count(), 2);
    EXPECT_EQ(time.at(1).at(0).toInt(), -160);

    QSignalSpy step(hxScene, &HxScene::timeStepChanged);
    EXPECT_EQ(hxScene->getTimeStep(), 160);
    for (int s : {0, -4, 160, 200}) // zero or less would make frame arithmetic divide by zero
        hxScene->setTimeStep(s);
    EXPECT_EQ(step.count(), 1);
    EXPECT_EQ(hxScene->getTimeStep(), 200);

    QSignalSpy ranges(hxScene, &HxScene::rangesChanged);
    hxScene->setPlayRange(HxTimeRange(960, 0));
    hxScene->setPlayRange(HxTimeRange(0, 960));
    EXPECT_EQ(ranges.count(), 1);
    EXPECT_EQ(hxScene->getPlayRange(), HxTimeRange(0, 960));
}

TEST_F(HxSceneTest, RemovingAFigureTakesItsBonesAndClearRemovesEveryNodeThenSaysSo)
{
    HxSkeleton* first = addMannequin();
    HxSkeleton* second = addMannequin();
    ASSERT_TRUE(first && second);
    const int perFigure = 1 + second->getNumBones();
    hxScene->setPrimarySelection(second->findBone("head"));
    m_events.clear();
    hxScene->removeNode(first->findBone("head")); // a bone alone is not a top-level node
    EXPECT_TRUE(m_events.isEmpty());
    hxScene->removeNode(first);
    ASSERT_EQ(m_events.size(), perFigure);
    EXPECT_EQ(m_events.last(), "removed Mannequin");
    EXPECT_EQ(hxScene->getNumNodes(), perFigure);
    EXPECT_EQ(hxScene->getPrimarySelection(), second->findBone("head"));

    QStringList expected;
    for (HxNode* node : hxScene->nodes())
        expected << "removed " + node->objectName();
    expected.sort();
    QSignalSpy selection(hxScene, &HxScene::primarySelectionChanged);
    m_events.clear();
    hxScene->clear();
    EXPECT_EQ(hxScene->getNumNodes(), 0);
    EXPECT_EQ(selection.count(), 1);
    EXPECT_EQ(hxScene->getPrimarySelection(), nullptr);
    ASSERT_FALSE(m_events.isEmpty());
    EXPECT_EQ(m_events.takeLast(), "cleared");
    m_events.sort();
    EXPECT_EQ(m_events, expected);
    m_events.clear();
    hxScene->clear(); // an empty scene still tells the views it is empty
    EXPECT_EQ(m_events, QStringList{"cleared"});
}

TEST_F(HxSceneTest, AudioClipIsOwnedAndReplaced)
{
    int alive = 0;
    QSignalSpy audio(hxScene, &HxScene::audioChanged);
    hxScene->setAudio(new HxSilentClip(&alive));
    hxScene->setAudio(new HxSilentClip(&alive));
    EXPECT_EQ(alive, 1);
    hxScene->setAudio(nullptr);
    EXPECT_EQ(alive, 0);
    EXPECT_EQ(audio.count(), 3);
    hxScene->setAudio(new HxSilentClip(&alive));
    m_app.reset();
    EXPECT_EQ(alive, 0);
}

namespace {

HxFloatProperty* morphChannel(const HxObject* object, const QString& name)
{
    for (int i = 0; i < object->getNumItems(); ++i)
        if (auto* morph = qobject_cast<HxMorph*>(object->getItem(i)); morph && morph->objectName() == name)
            return morph->getValueChannel();
    return nullptr;
}

// A small valid figure; each bad case below breaks one thing in a copy of it.
const char* const kGood = R"({
  "name": "Stick",
  "object": {"morphs": [{"name": "Smile"}]},
  "properties": [{"name": "Glow", "value": 0.5, "min": 0, "max": 1}],
  "bones": [
    {"name": "root", "origin": [0, 0, 0], "end": [0, 10, 0]},
    {"name": "mid", "parent": "root", "rotationOrder": "ZYX", "origin": [0, 10, 0], "end": [0, 20, 0]},
    {"name": "tip", "parent": "mid", "follow": "root", "hidden": true, "origin": [0, 20, 0], "end": [0, 30, 0]}
  ]
})";

QByteArray variant(const char* from, const char* to)
{
    QByteArray json(kGood);
    const qsizetype at = json.indexOf(from);
    EXPECT_GE(at, 0) << from;
    return json.replace(at, qstrlen(from), to);
}

// Each bad file with the pieces its message must hold.
QList<QPair<QByteArray, QStringList>> badFigures()
{
    return {
        {variant(R"("parent": "root",)", R"("parent": "root")"), {"line 7, column", "not valid JSON"}},
        {variant(R"("parent": "mid")", R"("parent": "mdi")"), {"bones[2].parent", "unknown bone \"mdi\""}},
        {variant(R"({"name": "root", )", R"({"name": "root", "parent": "tip", )"),
         {"bones[0].parent", "cycle of parents: root -> tip -> mid -> root"}},
        {variant(R"({"name": "tip")", R"({"name": "root")"),
         {"bones[2].name", "duplicate bone name \"root\"", "bones[0]"}},
        {variant(R"("ZYX")", R"("ZYY")"), {"bones[1].rotationOrder", "\"ZYY\"", "XYZ"}},
        {variant(R"([0, 10, 0], "end")", R"([0, "10", 0], "end")"),
         {"bones[1].origin[1]", "expected a number"}},
        {variant(R"("parent": "mid")", R"("parnet": "mid")"), {"bones[2]", "unknown key \"parnet\""}},
        {variant(R"({"name": "Smile"})", R"({"name": "Smile", "min": 1, "max": 0})"),
         {"object.morphs[0]", "min 1 is greater than max 0"}},
        {variant(R"("name": "Glow")", R"("name": "XTranslate")"),
         {"properties[0].name", "already has a property named \"XTranslate\""}},
    };
}

} // namespace

using HxFigureReaderTest = HxAppTest;

TEST_F(HxFigureReaderTest, SampleLoadsWithBonesMorphsAndFollowBones)
{
    QString error;
    auto figure = HxFigureReader::read(sourcePath("samples/figures/mannequin.json"), &error);
    ASSERT_NE(figure, nullptr) << error.toStdString();
    EXPECT_EQ(figure->objectName(), "Mannequin");
    ASSERT_GE(figure->getNumBones(), 20);
    // Only the jacket's bones follow, each sitting exactly on the bone it copies.
    const QMap<QString, QString> follows = {{"jacketChest", "chest"},
                                            {"jacketLeftCollar", "leftCollar"},
                                            {"jacketRightCollar", "rightCollar"},
                                            {"jacketLeftUpperArm", "leftUpperArm"},
                                            {"jacketRightUpperArm", "rightUpperArm"}};
    QSet<HxBone*> seen; // parents come before their children
    for (int i = 0; i < figure->getNumBones(); ++i) {
        HxBone* bone = figure->getBone(i);
        SCOPED_TRACE(bone->objectName().toStdString());
        EXPECT_EQ(bone->getSkeleton(), figure.get());
        EXPECT_TRUE(bone->getParentBone() ? seen.contains(bone->getParentBone())
                                          : bone->getParentNode() == figure.get());
        EXPECT_GT((bone->getEndPoint() - bone->getOrigin()).length(), 0.5f);
        ASSERT_EQ(bone->getFollowBone(), figure->findBone(follows.value(bone->objectName(), "-")));
        if (bone->getFollowBone()) {
            EXPECT_EQ(bone->getEndPoint(), bone->getFollowBone()->getEndPoint());
        }
        seen.insert(bone);
    }
    QStringList chain;
    for (HxBone* bone = figure->findBone("leftHand"); bone; bone = bone->getParentBone())
        chain << bone->objectName();
    EXPECT_EQ(chain, QStringList({"leftHand", "leftForearm", "leftUpperArm", "leftCollar", "chest", "abdomen",
                                  "hip"}));
    EXPECT_NEAR(figure->findBone("head")->getEndPoint().y, 180.0f, 10.0f); // standing, about 180 tall
    EXPECT_EQ(figure->findBone("leftForearm")->getOrigin(), figure->findBone("leftUpperArm")->getEndPoint());

    HxObject* body = figure->getObject();
    ASSERT_NE(body, nullptr);
    for (const char* name : {"Smile", "Blink", "BrowsUp", "BrowsDown", "Frown"})
        EXPECT_NE(morphChannel(body, name), nullptr) << name;
    HxFloatProperty* mouth = morphChannel(body, "MouthOpen");
    ASSERT_NE(mouth, nullptr);
    EXPECT_EQ(mouth->getLabel(), "Mouth Open");
    mouth->setValue(3.0f);
    EXPECT_EQ(mouth->getValue(), 1.0f);
    auto* own = qobject_cast<HxFloatProperty*>(figure->getProperty(HxNode::NumTransformControls));
    ASSERT_NE(own, nullptr); // own properties follow the ten transform controls
    EXPECT_TRUE(own->canAnimate());
    HxObject* jacket = figure->findBone("jacketChest")->getObject();
    ASSERT_NE(jacket, nullptr);
    EXPECT_NE(morphChannel(jacket, "Wrinkles"), nullptr);
}

TEST_F(HxFigureReaderTest, MalformedFilesSayWhatAndWhereAndAddNothing)
{
    ASSERT_NE(addMannequin(), nullptr);
    const QList<HxNode*> before = hxScene->nodes();
    QSignalSpy added(hxScene, &HxScene::nodeAdded);
    const QString path = m_scratch.filePath("bad.json");
    for (const auto& [json, pieces] : badFigures()) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(json);
        file.close();
        QString error;
        EXPECT_EQ(HxFigureReader::addToScene(path, hxScene, &error), nullptr);
        EXPECT_TRUE(error.startsWith(path + ": ")) << error.toStdString();
        for (const QString& piece : pieces)
            EXPECT_TRUE(error.contains(piece)) << piece.toStdString() << " not in: " << error.toStdString();
    }
    QString error;
    EXPECT_EQ(HxFigureReader::addToScene(m_scratch.filePath("missing.json"), hxScene, &error), nullptr);
    EXPECT_TRUE(error.contains("missing.json") && error.contains("cannot open")) << error.toStdString();
    EXPECT_EQ(hxScene->nodes(), before);
    {
        HxUndoStackHold hold;                                     // reading, even in an open hold, is no edit
        auto good = HxFigureReader::fromJson(kGood, "good.json"); // each case is one change from this
        ASSERT_NE(good, nullptr);
        EXPECT_EQ(good->getRotationOrder(), HxRotationOrder::XYZ); // by default
        EXPECT_EQ(good->findBone("mid")->getRotationOrder(), HxRotationOrder::ZYX);
        EXPECT_TRUE(good->findBone("tip")->isHidden() && !good->findBone("mid")->isHidden());
        EXPECT_EQ(good->findBone("tip")->getFollowBone(), good->findBone("root"));
        hold.accept("Read");
    }
    EXPECT_EQ(hxUndoStack->undoStack()->count(), 0);
    EXPECT_EQ(added.count(), 0);
}

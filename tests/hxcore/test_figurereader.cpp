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
#include <QUndoStack>

#include <memory>

namespace {

class HxFigureReaderTest : public HxAppTest
{
protected:
    std::unique_ptr<HxSkeleton> readMannequin()
    {
        QString error;
        auto figure = HxFigureReader::read(sourcePath("samples/figures/mannequin.json"), &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return figure;
    }

    QString writeScratch(const QString& name, const QByteArray& text)
    {
        const QString path = m_scratch.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }
};

HxMorph* findMorph(const HxObject* object, const QString& name)
{
    for (int i = 0; i < object->getNumItems(); ++i)
        if (auto* morph = qobject_cast<HxMorph*>(object->getItem(i)); morph && morph->objectName() == name)
            return morph;
    return nullptr;
}

HxFloatProperty* extraProperty(const HxNode* node, const QString& name)
{
    return qobject_cast<HxFloatProperty*>(node->findProperty(name));
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

struct BadFigure
{
    const char* description;
    QByteArray json;
    QStringList expected; // every piece must appear in the message
};

QByteArray variant(const char* from, const char* to)
{
    QByteArray json(kGood);
    const qsizetype at = json.indexOf(from);
    EXPECT_GE(at, 0) << from;
    return json.replace(at, qstrlen(from), to);
}

QList<BadFigure> badFigures()
{
    return {
        {"not JSON",
         variant(R"("parent": "root",)", R"("parent": "root")"),
         {"line 7, column", "not valid JSON"}},
        {"not an object", "[1, 2]", {"top level", "expected a JSON object"}},
        {"unknown parent",
         variant(R"("parent": "mid")", R"("parent": "mdi")"),
         {"bones[2].parent", "unknown bone \"mdi\""}},
        {"cycle of parents",
         variant(R"({"name": "root", )", R"({"name": "root", "parent": "tip", )"),
         {"bones[0].parent", "cycle of parents: root -> tip -> mid -> root"}},
        {"own parent",
         variant(R"("parent": "mid")", R"("parent": "tip")"),
         {"bones[2].parent", "its own parent"}},
        {"parent defined later",
         variant(R"({"name": "root", )", R"({"name": "root", "parent": "tip2", )")
             .replace("]\n}", ",\n {\"name\": \"tip2\", \"origin\": [0,0,0], \"end\": [0,1,0]}]\n}"),
         {"bones[0].parent", "\"tip2\" is defined later"}},
        {"duplicate bone",
         variant(R"({"name": "tip")", R"({"name": "root")"),
         {"bones[2].name", "duplicate bone name \"root\"", "bones[0]"}},
        {"unknown follow bone",
         variant(R"("follow": "root")", R"("follow": "hip")"),
         {"bones[2].follow", "unknown bone \"hip\""}},
        {"bad rotation order", variant(R"("ZYX")", R"("ZYY")"), {"bones[1].rotationOrder", "\"ZYY\"", "XYZ"}},
        {"rotation order of the wrong type",
         variant(R"("ZYX")", "3"),
         {"bones[1].rotationOrder", "number 3"}},
        {"number as a string",
         variant(R"([0, 10, 0], "end")", R"([0, "10", 0], "end")"),
         {"bones[1].origin[1]", "expected a number", "\"10\""}},
        {"number too large for a float",
         variant(R"([0, 30, 0])", R"([0, 3e39, 0])"),
         {"bones[2].end[1]", "out of range"}},
        {"point of two numbers",
         variant(R"([0, 30, 0])", R"([0, 30])"),
         {"bones[2].end", "3 numbers", "found 2"}},
        {"missing rest geometry",
         variant(R"("origin": [0, 20, 0], )", ""),
         {"bones[2]", "missing key \"origin\""}},
        {"missing bone name", variant(R"({"name": "mid", )", "{"), {"bones[1]", "missing key \"name\""}},
        {"empty figure name", variant(R"("name": "Stick")", R"("name": "  ")"), {"name", "empty"}},
        {"name of the wrong type",
         variant(R"("name": "Stick")", R"("name": ["Stick"])"),
         {"name", "an array"}},
        {"bones not an array",
         variant(R"("bones": [)", R"("bones": {"x": [)").replace("]\n}", "]}\n}"),
         {"bones", "expected an array"}},
        {"hidden not a boolean",
         variant(R"("hidden": true)", R"("hidden": "yes")"),
         {"bones[2].hidden", "true or false"}},
        {"misspelt key",
         variant(R"("parent": "mid")", R"("parnet": "mid")"),
         {"bones[2]", "unknown key \"parnet\""}},
        {"morph limits reversed",
         variant(R"({"name": "Smile"})", R"({"name": "Smile", "min": 1, "max": 0})"),
         {"object.morphs[0]", "min 1 is greater than max 0"}},
        {"morph value outside its limits",
         variant(R"({"name": "Smile"})", R"({"name": "Smile", "value": 2})"),
         {"object.morphs[0].value", "outside the limits"}},
        {"duplicate morph",
         variant(R"([{"name": "Smile"}])", R"([{"name": "Smile"}, {"name": "Smile"}])"),
         {"object.morphs[1].name", "duplicate morph name"}},
        {"property named like a transform control",
         variant(R"("name": "Glow")", R"("name": "XTranslate")"),
         {"properties[0].name", "already has a property named \"XTranslate\""}},
        {"property with half its limits",
         variant(R"("min": 0, "max": 1}])", R"("min": 0}])"),
         {"properties[0]", "both \"min\" and \"max\""}},
        {"unsupported version",
         QByteArray(kGood).replace("{\n", "{\n  \"version\": 2,\n"),
         {"version", "unsupported version 2"}},
    };
}

} // namespace

TEST_F(HxFigureReaderTest, MannequinHasAHumanoidSkeleton)
{
    auto figure = readMannequin();
    ASSERT_NE(figure, nullptr);
    EXPECT_EQ(figure->objectName(), "Mannequin");
    EXPECT_EQ(figure->getSkeleton(), figure.get());
    ASSERT_GE(figure->getNumBones(), 20);

    for (const char* name :
         {"hip", "abdomen", "chest", "neck", "head", "leftCollar", "rightCollar", "leftUpperArm",
          "rightUpperArm", "leftForearm", "rightForearm", "leftHand", "rightHand", "leftThigh", "rightThigh",
          "leftShin", "rightShin", "leftFoot", "rightFoot"})
        EXPECT_NE(figure->findBone(name), nullptr) << name;

    // Every bone belongs to the figure, and parents come before their children.
    QSet<HxBone*> seen;
    for (int i = 0; i < figure->getNumBones(); ++i) {
        HxBone* bone = figure->getBone(i);
        EXPECT_EQ(bone->getSkeleton(), figure.get());
        if (bone->getParentBone()) {
            EXPECT_TRUE(seen.contains(bone->getParentBone())) << bone->objectName().toStdString();
            EXPECT_EQ(bone->getParentNode(), bone->getParentBone());
        } else {
            EXPECT_EQ(bone->getParentNode(), figure.get());
        }
        // Rest geometry is finite and every bone has a length.
        EXPECT_TRUE(bone->getOrigin().isFinite() && bone->getEndPoint().isFinite());
        EXPECT_GT((bone->getEndPoint() - bone->getOrigin()).length(), 0.5f)
            << bone->objectName().toStdString();
        seen.insert(bone);
    }

    // The arm chain reaches down the spine to the hip, the root.
    QStringList chain;
    for (HxBone* bone = figure->findBone("leftHand"); bone; bone = bone->getParentBone())
        chain << bone->objectName();
    EXPECT_EQ(chain, QStringList({"leftHand", "leftForearm", "leftUpperArm", "leftCollar", "chest", "abdomen",
                                  "hip"}));
    EXPECT_EQ(figure->findBone("rightFoot")->getParentBone(), figure->findBone("rightShin"));

    // A standing figure about 180 cm tall: the head ends on top, the feet at the ground.
    EXPECT_NEAR(figure->findBone("head")->getEndPoint().y, 180.0f, 10.0f);
    EXPECT_NEAR(figure->findBone("leftFoot")->getOrigin().y, 9.0f, 9.0f);
    EXPECT_GT(figure->findBone("leftHand")->getOrigin().x, 0.0f);
    EXPECT_LT(figure->findBone("rightHand")->getOrigin().x, 0.0f);
    // Bones connect: each starts where its parent ends along the spine.
    EXPECT_EQ(figure->findBone("chest")->getOrigin(), figure->findBone("abdomen")->getEndPoint());
    EXPECT_EQ(figure->findBone("leftForearm")->getOrigin(), figure->findBone("leftUpperArm")->getEndPoint());

    EXPECT_EQ(figure->findBone("chest")->getRotationOrder(), HxRotationOrder::YZX);
    EXPECT_EQ(figure->findBone("leftForearm")->getRotationOrder(), HxRotationOrder::XYZ);
    EXPECT_EQ(figure->findBone("leftFoot")->getRotationOrder(), HxRotationOrder::ZYX);
}

TEST_F(HxFigureReaderTest, MannequinHasFaceMorphsAndOwnProperties)
{
    auto figure = readMannequin();
    ASSERT_NE(figure, nullptr);
    HxObject* body = figure->getObject();
    ASSERT_NE(body, nullptr);
    ASSERT_GE(body->getNumItems(), 6);
    for (const char* label : {"Smile", "Blink", "Mouth Open", "Brows Up", "Brows Down", "Frown"}) {
        bool found = false;
        for (int i = 0; i < body->getNumItems(); ++i) {
            auto* morph = qobject_cast<HxMorph*>(body->getItem(i));
            ASSERT_NE(morph, nullptr);
            HxFloatProperty* channel = morph->getValueChannel();
            ASSERT_EQ(morph->getNumProperties(), 1);
            EXPECT_EQ(channel->getOwner(), morph);
            found = found || channel->getLabel() == label;
        }
        EXPECT_TRUE(found) << label;
    }
    HxFloatProperty* mouth = findMorph(body, "MouthOpen")->getValueChannel();
    EXPECT_EQ(mouth->getLabel(), "Mouth Open");
    EXPECT_EQ(mouth->getMin(), 0.0f);
    EXPECT_EQ(mouth->getMax(), 1.0f);
    EXPECT_TRUE(mouth->isClamped());
    HxFloatProperty* jaw = findMorph(body, "JawSide")->getValueChannel();
    EXPECT_EQ(jaw->getMin(), -1.0f);
    jaw->setValue(-3.0f);
    EXPECT_EQ(jaw->getValue(), -1.0f);

    // Own properties follow the ten transform controls.
    ASSERT_GT(figure->getNumProperties(), HxNode::NumTransformControls);
    EXPECT_EQ(figure->getProperty(0)->getLabel(), "X Translate");
    EXPECT_EQ(figure->getProperty(9)->getLabel(), "Scale");
    auto* breathing = qobject_cast<HxFloatProperty*>(figure->getProperty(HxNode::NumTransformControls));
    ASSERT_NE(breathing, nullptr);
    EXPECT_EQ(breathing->objectName(), "Breathing");
    EXPECT_TRUE(breathing->canAnimate());
    EXPECT_FALSE(breathing->isHidden());
    EXPECT_EQ(breathing->getOwner(), figure.get());

    HxFloatProperty* tension = extraProperty(figure.get(), "MuscleTension");
    ASSERT_NE(tension, nullptr);
    EXPECT_EQ(tension->getLabel(), "Muscle Tension");
    EXPECT_FLOAT_EQ(tension->getValue(), 0.2f);

    int hidden = 0, fixed = 0;
    for (int i = HxNode::NumTransformControls; i < figure->getNumProperties(); ++i) {
        hidden += figure->getProperty(i)->isHidden();
        fixed += !figure->getProperty(i)->canAnimate();
    }
    EXPECT_GE(hidden, 1);
    EXPECT_GE(fixed, 1);
    EXPECT_EQ(extraProperty(figure.get(), "Height")->getValue(), 180.0f);

    // Bones may carry their own properties.
    HxFloatProperty* grasp = extraProperty(figure->findBone("rightHand"), "Grasp");
    ASSERT_NE(grasp, nullptr);
    EXPECT_EQ(grasp->getOwner(), figure->findBone("rightHand"));
    EXPECT_EQ(figure->findBone("rightHand")->getObject(), nullptr);
}

TEST_F(HxFigureReaderTest, JacketBonesFollowTheFigure)
{
    auto figure = readMannequin();
    ASSERT_NE(figure, nullptr);
    const QList<QPair<QString, QString>> expected = {{"jacketChest", "chest"},
                                                     {"jacketLeftCollar", "leftCollar"},
                                                     {"jacketRightCollar", "rightCollar"},
                                                     {"jacketLeftUpperArm", "leftUpperArm"},
                                                     {"jacketRightUpperArm", "rightUpperArm"}};
    for (const auto& [name, followed] : expected) {
        HxBone* bone = figure->findBone(name);
        ASSERT_NE(bone, nullptr) << name.toStdString();
        ASSERT_EQ(bone->getFollowBone(), figure->findBone(followed)) << name.toStdString();
        // A fitted bone sits exactly on the bone it copies.
        EXPECT_EQ(bone->getOrigin(), bone->getFollowBone()->getOrigin());
        EXPECT_EQ(bone->getEndPoint(), bone->getFollowBone()->getEndPoint());
        EXPECT_EQ(bone->getRotationOrder(), bone->getFollowBone()->getRotationOrder());
    }
    EXPECT_EQ(figure->findBone("jacketLeftUpperArm")->getParentBone(), figure->findBone("jacketLeftCollar"));
    EXPECT_EQ(figure->findBone("jacketChest")->getParentBone(), nullptr);

    // Only the jacket's bones follow anything.
    int following = 0;
    for (int i = 0; i < figure->getNumBones(); ++i)
        following += figure->getBone(i)->getFollowBone() != nullptr;
    EXPECT_EQ(following, expected.size());

    HxObject* jacket = figure->findBone("jacketChest")->getObject();
    ASSERT_NE(jacket, nullptr);
    EXPECT_EQ(jacket->objectName(), "Jacket");
    ASSERT_NE(findMorph(jacket, "Wrinkles"), nullptr);
    EXPECT_FLOAT_EQ(findMorph(jacket, "Wrinkles")->getValueChannel()->getValue(), 0.25f);
}

TEST_F(HxFigureReaderTest, DefaultsApplyAndReadingIsNotAnEdit)
{
    QSignalSpy added(hxScene, &HxScene::nodeAdded);
    std::unique_ptr<HxSkeleton> figure;
    {
        // Even inside an open hold, reading a figure leaves no undo step.
        HxUndoStackHold hold;
        QString error;
        figure = HxFigureReader::fromJson(kGood, "stick.json", &error);
        ASSERT_NE(figure, nullptr) << error.toStdString();
        hold.accept("Read");
    }
    EXPECT_EQ(hxUndoStack->undoStack()->count(), 0);
    EXPECT_EQ(added.count(), 0);

    EXPECT_EQ(figure->getRotationOrder(), HxRotationOrder::XYZ);
    EXPECT_FALSE(figure->isHidden());
    EXPECT_EQ(figure->getObject()->objectName(), "Stick");
    HxFloatProperty* smile = findMorph(figure->getObject(), "Smile")->getValueChannel();
    EXPECT_EQ(smile->getLabel(), "Smile");
    EXPECT_EQ(smile->getValue(), 0.0f);
    EXPECT_EQ(smile->getMax(), 1.0f);
    HxFloatProperty* glow = extraProperty(figure.get(), "Glow");
    EXPECT_EQ(glow->getLabel(), "Glow");
    EXPECT_TRUE(glow->isClamped());
    EXPECT_EQ(glow->getValue(), 0.5f);

    HxBone* tip = figure->findBone("tip");
    EXPECT_TRUE(tip->isHidden());
    EXPECT_FALSE(figure->findBone("mid")->isHidden());
    EXPECT_EQ(tip->getFollowBone(), figure->findBone("root"));
    EXPECT_EQ(figure->findBone("mid")->getRotationOrder(), HxRotationOrder::ZYX);
    EXPECT_EQ(tip->getOrigin(), HxVec3(0, 20, 0));

    // An explicit null parent and an empty bone list are both fine.
    QByteArray bare =
        R"({"name": "Bare", "bones": [{"name": "b", "parent": null, "origin": [0,0,0], "end": [1,0,0]}]})";
    EXPECT_NE(HxFigureReader::fromJson(bare, "bare.json"), nullptr);
    EXPECT_NE(HxFigureReader::fromJson(R"({"name": "Empty", "bones": []})", "empty.json"), nullptr);
}

TEST_F(HxFigureReaderTest, MalformedFilesSayWhatAndWhereAndAddNothing)
{
    ASSERT_NE(HxFigureReader::addToScene(sourcePath("samples/figures/mannequin.json")), nullptr);
    const QList<HxNode*> before = hxScene->nodes();
    QSignalSpy added(hxScene, &HxScene::nodeAdded);

    for (const BadFigure& bad : badFigures()) {
        SCOPED_TRACE(bad.description);
        QString error;
        EXPECT_EQ(HxFigureReader::fromJson(bad.json, "bad.json", &error), nullptr);
        EXPECT_TRUE(error.startsWith("bad.json: ")) << error.toStdString();
        for (const QString& piece : bad.expected)
            EXPECT_TRUE(error.contains(piece))
                << "missing '" << piece.toStdString() << "' in: " << error.toStdString();

        const QString path = writeScratch("bad.json", bad.json);
        QString sceneError;
        EXPECT_EQ(HxFigureReader::addToScene(path, hxScene, &sceneError), nullptr);
        EXPECT_EQ(sceneError, QString(error).replace("bad.json: ", path + ": "));
    }
    EXPECT_EQ(added.count(), 0);
    EXPECT_EQ(hxScene->nodes(), before);

    // The cases above really are one change away from a figure that loads.
    EXPECT_NE(HxFigureReader::fromJson(kGood, "good.json"), nullptr);

    QString error;
    const QString missing = m_scratch.filePath("missing.json");
    EXPECT_EQ(HxFigureReader::addToScene(missing, hxScene, &error), nullptr);
    EXPECT_TRUE(error.contains(missing) && error.contains("cannot open")) << error.toStdString();
    EXPECT_EQ(hxScene->nodes(), before);
}

TEST_F(HxFigureReaderTest, ParseErrorsGiveLineAndColumn)
{
    const QByteArray json =
        "{\n  \"name\": \"X\",\n  \"bones\": [\n    {\"name\": \"a\" \"origin\": [0, 0, 0]}\n  ]\n}\n";
    QString error;
    EXPECT_EQ(HxFigureReader::fromJson(json, "lines.json", &error), nullptr);
    EXPECT_TRUE(error.startsWith("lines.json: line 4, column ")) << error.toStdString();

    EXPECT_EQ(HxFigureReader::fromJson("", "empty.json", &error), nullptr);
    EXPECT_TRUE(error.startsWith("empty.json: line 1, column 1")) << error.toStdString();
    EXPECT_EQ(HxFigureReader::fromJson("{\"name\": NaN, \"bones\": []}", "nan.json", &error), nullptr);
    EXPECT_TRUE(error.contains("not valid JSON")) << error.toStdString();
}

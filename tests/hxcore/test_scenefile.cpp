#include "hxapptest.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxclassfactory.h"
#include "hxcore/hxelementdata.h"
#include "hxcore/hxfigurereader.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxinfile.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxoutfile.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxscenefile.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxundostack.h"
#include "hxcore/hxundostackhold.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QUndoStack>
#include <QtEndian>
#include <unistd.h>

namespace {

// A data item that checks, while it is read, what the section reader does
// at a section's end, and that can be told to throw.
class ProbeData : public HxElementData
{
    Q_OBJECT
public:
    ProbeData() : HxElementData(nullptr, "Probe") {}

    enum : short
    {
        Fields = 0x10,
        Unknown = 0x11,
        Throws = 0x12,
        Dangling = 0x13,
    };

    void loadSection(HxInFile* file, short id) override
    {
        if (id == Fields) {
            file->readInt(value);
            int untouchedInt = -5;
            double untouchedDouble = 2.5;
            QString untouchedText = QStringLiteral("keep");
            double four[4] = {1, 2, 3, 4};
            statuses = {file->readInt(untouchedInt), file->readDouble(untouchedDouble),
                        file->readString(untouchedText), file->readDoubles(four, 4), file->readPointer()};
            untouched = untouchedInt == -5 && untouchedDouble == 2.5 && untouchedText == "keep" &&
                        four[0] == 1 && four[3] == 4;
        } else if (id == Throws) {
            throw QStringLiteral("Out of Memory");
        } else if (id == Dangling) {
            file->readPointer();
        } else {
            HxElementData::loadSection(file, id);
        }
    }
    void save(HxOutFile* file) const override
    {
        file->writeIntSection(Fields, value);
        file->writeBoolSection(Unknown, true);
        if (throwOnLoad)
            file->writeBoolSection(Throws, true);
        if (dangling) {
            // Six bytes shaped like a pointer to an object nobody stores.
            file->startSection(Dangling);
            file->writeInt(987654);
            file->writeBool(false);
            file->writeBool(false);
            file->endSection();
        }
    }

    int value = 0;
    bool throwOnLoad = false;
    bool dangling = false;
    std::vector<unsigned> statuses;
    bool untouched = false;
};

class ProbeFactory : public HxClassFactory
{
public:
    ProbeFactory()
        : HxClassFactory(&ProbeData::staticMetaObject,
                         HxGUID::fromString(QStringLiteral("0B6E4C5D-1A2B-4C3D-8E9F-A0B1C2D3E4F5")))
    {}
    QObject* create() override { return new ProbeData; }
};

class HxSceneFileTest : public HxAppTest
{
protected:
    void SetUp() override
    {
        HxAppTest::SetUp();
        m_app->registerFactory(&m_probeFactory);
    }

    // A small scene: a figure of two bones with a morph and a keyed
    // control, and a prop with a probe item.
    void buildSmallScene(ProbeData** probe = nullptr)
    {
        auto* figure = new HxSkeleton(QStringLiteral("Doll"));
        auto* hip = new HxBone(QStringLiteral("hip"));
        auto* head = new HxBone(QStringLiteral("head"));
        head->setParentBone(hip);
        figure->addBone(hip);
        figure->addBone(head);
        auto* geometry = new HxObject(QStringLiteral("DollMesh"));
        geometry->addItem(new HxMorph(QStringLiteral("Smile"), QStringLiteral("Smile")));
        figure->setObject(geometry);
        hip->getXRotControl()->setValue(0, 10.0f);
        hip->getXRotControl()->setValue(480, 30.0f);
        hxScene->addNode(figure);
        auto* prop = new HxNode(QStringLiteral("Prop"));
        auto* item = new ProbeData;
        item->value = 42;
        prop->addDataItem(item);
        hxScene->addNode(prop);
        if (probe)
            *probe = item;
    }

    ProbeFactory m_probeFactory;
};

HxFloatProperty* control(HxNode* node, const char* name)
{
    return qobject_cast<HxFloatProperty*>(node->findProperty(QString::fromLatin1(name)));
}

TEST_F(HxSceneFileTest, SceneRoundTripsEveryNodePropertyKeyMorphAndSetting)
{
    HxSkeleton* figure = addMannequin();
    ASSERT_TRUE(figure);
    HxBone* forearm = figure->findBone(QStringLiteral("leftForearm"));
    ASSERT_TRUE(forearm);
    forearm->setRotationOrder(HxRotationOrder::ZYX);
    forearm->setHidden(true);
    for (int frame = 0; frame < 40; ++frame)
        forearm->getYRotControl()->setValue(frame * 160, float(frame) * 1.25f - 7.0f);
    auto* smile = qobject_cast<HxMorph*>(figure->getObject()->getItem(0));
    ASSERT_TRUE(smile);
    smile->getValueChannel()->restoreState({0.75f, {}});
    control(figure, "Breathing")->setValue(960, 0.5f);
    auto* prop = new HxNode(QStringLiteral("Lamp"));
    prop->setParentNode(figure);
    prop->getZPosControl()->setValue(12.5f);
    hxScene->addNode(prop);
    hxScene->setTimeStep(200);
    hxScene->setPlayRange({480, 9600});
    hxScene->setAnimRange({0, 12000});
    hxScene->setTime(1200);
    hxScene->setPrimarySelection(forearm);
    hxScene->setAudio(new HxSilentClip(nullptr, QStringLiteral("/sounds/take.wav")));
    hxScene->setAudioStartFrame(12);

    const QByteArray saved = HxSceneFile::toBytes();
    hxScene->clear();
    hxScene->setTimeStep(160);
    HxSceneFile file;
    ASSERT_TRUE(file.loadBytes(saved, QStringLiteral("round.hxs"))) << file.errorString().toStdString();

    ASSERT_EQ(hxScene->getNumNodes(), 1 + 28 + 1);
    auto* loaded = qobject_cast<HxSkeleton*>(hxScene->findNode(QStringLiteral("Mannequin")));
    ASSERT_TRUE(loaded) << "figures come back as figures";
    EXPECT_EQ(loaded->getNumBones(), 28);
    HxBone* arm = loaded->findBone(QStringLiteral("leftForearm"));
    ASSERT_TRUE(arm);
    EXPECT_EQ(arm->getRotationOrder(), HxRotationOrder::ZYX);
    EXPECT_TRUE(arm->isHidden());
    EXPECT_EQ(arm->getParentBone(), loaded->findBone(QStringLiteral("leftUpperArm")));
    EXPECT_EQ(arm->getSkeleton(), loaded);
    std::vector<HxFloatKey> keys;
    for (int frame = 0; frame < 40; ++frame)
        keys.push_back({frame * 160, float(frame) * 1.25f - 7.0f});
    EXPECT_EQ(arm->getYRotControl()->getKeys(), keys);
    HxBone* follower = nullptr;
    for (int i = 0; i < loaded->getNumBones() && !follower; ++i)
        if (loaded->getBone(i)->getFollowBone())
            follower = loaded->getBone(i);
    ASSERT_TRUE(follower) << "followed bones survive";
    EXPECT_EQ(follower->getFollowBone()->getSkeleton(), loaded);
    auto* loadedSmile = qobject_cast<HxMorph*>(loaded->getObject()->getItem(0));
    ASSERT_TRUE(loadedSmile);
    EXPECT_EQ(loadedSmile->getValueChannel()->getLabel(), "Smile");
    EXPECT_FLOAT_EQ(loadedSmile->getValueChannel()->getValue(), 0.75f);
    EXPECT_TRUE(loadedSmile->getValueChannel()->isClamped());
    EXPECT_EQ(control(loaded, "Breathing")->getKeys(), std::vector<HxFloatKey>({{960, 0.5f}}));
    HxNode* lamp = hxScene->findNode(QStringLiteral("Lamp"));
    ASSERT_TRUE(lamp);
    EXPECT_EQ(lamp->getParentNode(), loaded);
    EXPECT_FLOAT_EQ(lamp->getZPosControl()->getValue(), 12.5f);
    EXPECT_EQ(hxScene->getTimeStep(), 200);
    EXPECT_EQ(hxScene->getPlayRange(), HxTimeRange(480, 9600));
    EXPECT_EQ(hxScene->getAnimRange(), HxTimeRange(0, 12000));
    EXPECT_EQ(hxScene->getTime(), 1200);
    EXPECT_EQ(hxScene->getPrimarySelection(), arm);
    EXPECT_EQ(hxScene->getAudioStartFrame(), 12);
    EXPECT_EQ(file.audioFileName(), "/sounds/take.wav");
    EXPECT_EQ(hxScene->getAudio(), nullptr) << "the host loads the clip the file names";

    // Everything that was written came back: writing again gives the same
    // bytes (object ids follow the scene's order, so they are stable).
    hxScene->setAudio(new HxSilentClip(nullptr, QStringLiteral("/sounds/take.wav")));
    EXPECT_EQ(HxSceneFile::toBytes(), saved);
}

TEST_F(HxSceneFileTest, SectionReadsStopAtTheSectionEndAndLeaveTheirOutputAlone)
{
    ProbeData* probe = nullptr;
    buildSmallScene(&probe);
    const QByteArray saved = HxSceneFile::toBytes();
    HxSceneFile file;
    ASSERT_TRUE(file.loadBytes(saved, QStringLiteral("probe.hxs"))) << file.errorString().toStdString();
    auto* loaded = qobject_cast<ProbeData*>(
        hxScene->findNode(QStringLiteral("Prop"))->findDataItem(QStringLiteral("Probe")));
    ASSERT_TRUE(loaded) << "a registered data item class is stored and reattached";
    EXPECT_EQ(loaded->value, 42);
    EXPECT_TRUE(loaded->untouched);
    ASSERT_EQ(loaded->statuses.size(), 5u);
    for (unsigned status : loaded->statuses)
        EXPECT_NE(status, 0u);
    ASSERT_EQ(file.warnings().size(), 1) << file.warnings().join('\n').toStdString();
    EXPECT_TRUE(file.warnings().at(0).contains("unknown section 0x0011 of a ProbeData"));

    // Without its factory the item is skipped, and the link to it is null.
    m_app->unregisterFactory(&m_probeFactory);
    ASSERT_TRUE(file.loadBytes(saved, QStringLiteral("probe.hxs"))) << file.errorString().toStdString();
    EXPECT_TRUE(hxScene->findNode(QStringLiteral("Prop"))->dataItems().isEmpty());
    EXPECT_TRUE(file.warnings().join('\n').contains("unknown class 0B6E4C5D"));
}

TEST_F(HxSceneFileTest, EveryCutAndEveryDamagedByteFailsAndLeavesTheOpenSceneAlone)
{
    buildSmallScene();
    const QByteArray small = HxSceneFile::toBytes();
    ASSERT_LT(small.size(), 6000) << "keep the exhaustive loops quick";
    hxScene->clear();
    addMannequin();
    hxScene->setTime(320);
    const QByteArray open = HxSceneFile::toBytes();
    const int nodes = hxScene->getNumNodes();
    HxSceneFile file;

    for (qsizetype length = 0; length < small.size(); ++length) {
        ASSERT_FALSE(file.loadBytes(small.left(length), QStringLiteral("cut.hxs"))) << "cut at " << length;
        ASSERT_TRUE(file.errorString().startsWith("cut.hxs: byte ")) << file.errorString().toStdString();
    }
    for (qsizetype at = 0; at < small.size(); ++at) {
        for (char change : {char(0x01), char(0x80)}) {
            QByteArray damaged = small;
            damaged[at] = char(damaged[at] ^ change);
            ASSERT_FALSE(file.loadBytes(damaged, QStringLiteral("damaged.hxs"))) << "byte " << at;
        }
    }
    EXPECT_EQ(hxScene->getNumNodes(), nodes);
    EXPECT_EQ(HxSceneFile::toBytes(), open) << "the open scene is exactly as it was";
}

TEST_F(HxSceneFileTest, BadFilesAreNamedWithTheirOffsetAndReason)
{
    ProbeData* probe = nullptr;
    buildSmallScene(&probe);
    const QByteArray good = HxSceneFile::toBytes();
    const auto errorFor = [](const QByteArray& bytes) {
        HxSceneFile file;
        EXPECT_FALSE(file.loadBytes(bytes, QStringLiteral("bad.hxs")));
        return file.errorString();
    };

    QByteArray newer = good;
    qToLittleEndian<quint32>(HxSceneFile::FormatVersion + 1, newer.data() + 8);
    EXPECT_EQ(errorFor(newer),
              "bad.hxs: byte 8: written in format version 2, newer than the version 1 this host "
              "reads");
    EXPECT_EQ(errorFor("PK\x03\x04 a zip file"),
              "bad.hxs: byte 0: not a scene file (it does not start with \"HXSCENE\")");
    EXPECT_TRUE(errorFor(good.left(good.size() - 32)).contains("the file ends before its end record"));
    EXPECT_TRUE(errorFor(good + "x").contains("1 bytes follow the end record"));

    probe->dangling = true;
    EXPECT_TRUE(errorFor(HxSceneFile::toBytes())
                    .contains("a ProbeData points at object 987654, which the file "
                              "does not hold"));
    probe->dangling = false;
    probe->throwOnLoad = true;
    const QString thrown = errorFor(HxSceneFile::toBytes());
    EXPECT_TRUE(
        thrown.contains(QRegularExpression("^bad\\.hxs: byte \\d+: a ProbeData threw \"Out of Memory\" "
                                           "while reading section 0x0012 of object \\d+$")))
        << thrown.toStdString();
    EXPECT_EQ(hxScene->getNumNodes(), 4) << "none of it reached the open scene";
}

TEST_F(HxSceneFileTest, LoadingClearsTheHistoryAndFailedSavesKeepTheOldFile)
{
    buildSmallScene();
    const QString path = m_scratch.filePath(QStringLiteral("scene.hxs"));
    HxSceneFile file;
    ASSERT_TRUE(file.save(path)) << file.errorString().toStdString();
    {
        HxUndoStackHold hold;
        hxScene->findNode(QStringLiteral("Prop"))->getXPosControl()->setValue(3.0f);
        hold.accept(QStringLiteral("Move"));
    }
    ASSERT_EQ(hxUndoStack->undoStack()->count(), 1);
    ASSERT_TRUE(file.load(path)) << file.errorString().toStdString();
    EXPECT_EQ(hxUndoStack->undoStack()->count(), 0);
    EXPECT_TRUE(hxUndoStack->undoStack()->isClean());
    EXPECT_FLOAT_EQ(hxScene->findNode(QStringLiteral("Prop"))->getXPosControl()->getValue(), 0.0f);

    // A folder that cannot be made: its parent is a file.
    const QString blocked = QDir(path).filePath(QStringLiteral("inside.hxs"));
    EXPECT_FALSE(file.save(blocked));
    EXPECT_TRUE(file.errorString().startsWith(blocked + ": cannot write the scene: "))
        << file.errorString().toStdString();

    // A read-only folder holding an older save.
    const QString folder = m_scratch.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString old = QDir(folder).filePath(QStringLiteral("old.hxs"));
    ASSERT_TRUE(file.save(old));
    const QByteArray before = [&] {
        QFile f(old);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool stillWritable = ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
    if (!stillWritable) {
        hxScene->findNode(QStringLiteral("Prop"))->setObjectName(QStringLiteral("Renamed"));
        EXPECT_FALSE(file.save(old));
        EXPECT_TRUE(file.errorString().startsWith(old + ": ")) << file.errorString().toStdString();
        QFile f(old);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before);
    }
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (stillWritable)
        GTEST_SKIP() << "running as root: a read-only folder is still writable here";
}

} // namespace

#include "test_scenefile.moc"

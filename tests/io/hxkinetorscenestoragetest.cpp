#include "hxapptest.h"
#include "hxkinetorscenebuilder.h"
#include "scenefilewalker.h"

#include "io/hxkinetorelementdata.h"
#include "io/hxkinetorsections.h"
#include "layer/hxkinetorlayer.h"
#include "model/hxkinetornodedata.h"
#include "model/hxkinetorpose.h"
#include "ui/hxkinetorlayergroup.h"
#include "ui/hxkinetorlayerview.h"
#include "ui/hxkinetorpane.h"

#include "hxcore/hxclassfactory.h"
#include "hxcore/hxelementdata.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxscenefile.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

QString number(double value)
{
    return QString::number(value, 'g', 17);
}

// Everything a person would expect back: layers with their view, dots and
// records (rotations at float precision), the pane's options, and every
// property of every node with its keys.
QStringList describeScene(HxKinetorPane* pane)
{
    QStringList lines;
    lines << QStringLiteral("options %1 %2 %3")
                 .arg(pane->playAudio())
                 .arg(pane->fillFrames())
                 .arg(pane->extendFrames());
    for (HxNode* node : hxScene->nodes()) {
        QList<HxFloatProperty*> properties;
        for (int i = 0; i < node->getNumProperties(); ++i)
            properties << qobject_cast<HxFloatProperty*>(node->getProperty(i));
        if (HxObject* geometry = node->getObject())
            for (int i = 0; i < geometry->getNumItems(); ++i)
                if (auto* morph = qobject_cast<HxMorph*>(geometry->getItem(i)))
                    properties << morph->getValueChannel();
        for (HxFloatProperty* property : properties) {
            QString line =
                QStringLiteral("%1/%2 static %3 keys")
                    .arg(node->objectName(), property->objectName(), number(property->getStaticValue()));
            for (const HxFloatKey& key : property->keyList())
                line += QStringLiteral(" %1=%2").arg(key.time).arg(number(key.value));
            lines << line;
        }
        HxKinetorLayerGroup* group = pane->getLayerGroupByNode(node);
        if (!group)
            continue;
        lines << QStringLiteral("group of %1: %2 tabs, current %3")
                     .arg(node->objectName())
                     .arg(group->count())
                     .arg(group->currentIndex());
        for (int t = 0; t < group->count(); ++t) {
            HxKinetorLayer* layer = group->layerAt(t);
            HxKinetorLayerView* view = layer->getView();
            lines << QStringLiteral("layer %1 tab %2 node %3 view %4 %5 %6")
                         .arg(layer->getName(), group->tabText(t), layer->getNode()->objectName(),
                              number(view->getZoom()), number(view->getOriginX()),
                              number(view->getOriginY()));
            QList<HxNode*> poseNodes;
            for (HxKinetorPose* pose : layer->getPoses()) {
                lines << QStringLiteral(" dot %1 %2").arg(number(pose->getX()), number(pose->getY()));
                for (size_t r = 0; r < pose->getNodeData().size(); ++r) {
                    const HxKinetorNodeData* record = pose->getNodeData()[r].get();
                    QString line = QStringLiteral("  record %1 pos %2 %3 %4 scale %5 %6 %7 %8 rot")
                                       .arg(r)
                                       .arg(number(record->getPos().x), number(record->getPos().y),
                                            number(record->getPos().z), number(record->getScale().x),
                                            number(record->getScale().y), number(record->getScale().z),
                                            number(record->getGenScale()));
                    for (int q = 0; q < 4; ++q)
                        line += QLatin1Char(' ') + number(float(record->getRot()[q]));
                    QStringList values;
                    for (auto it = record->getPropValues().cbegin(); it != record->getPropValues().cend();
                         ++it)
                        values << QStringLiteral("%1.%2=%3")
                                      .arg(it.key()->getOwner()->objectName(), it.key()->objectName(),
                                           number(it.value()));
                    values.sort();
                    lines << line + QLatin1Char(' ') + values.join(QLatin1Char(' '));
                }
            }
        }
    }
    return lines;
}

// Stands for another plug-in's item that a Kinetor scene replaces.
class SpatialData : public HxElementData
{
    Q_OBJECT
public:
    SpatialData() : HxElementData(nullptr, "Spatial Data") {}
};

class SpatialDataFactory : public HxClassFactory
{
public:
    SpatialDataFactory()
        : HxClassFactory(&SpatialData::staticMetaObject,
                         HxGUID::fromString(QStringLiteral("5A7E0B1C-2D3E-4F50-8A61-7B8C9D0E1F2A")))
    {}
    QObject* create() override { return new SpatialData; }
};

class HxKinetorSceneStorageTest : public HxAppTest
{
protected:
    void SetUp() override
    {
        HxAppTest::SetUp();
        m_builder = std::make_unique<HxKinetorSceneBuilder>();
    }
    void TearDown() override
    {
        m_builder.reset();
        HxAppTest::TearDown();
    }
    HxKinetorPane* pane() const { return m_builder->pane(); }
    bool load(const QByteArray& bytes)
    {
        HxSceneFile file;
        const bool ok = file.loadBytes(bytes, QStringLiteral("test.hxs"));
        m_error = file.errorString();
        m_warnings = file.warnings();
        return ok;
    }

    std::unique_ptr<HxKinetorSceneBuilder> m_builder;
    QString m_error;
    QStringList m_warnings;
};

TEST_F(HxKinetorSceneStorageTest, MannequinWithTwoLayersAndATakeReopensAsSaved)
{
    HxSkeleton* figure = m_builder->addFigure(sourcePath("samples/figures/mannequin.json"));
    ASSERT_TRUE(figure);
    HxKinetorLayer* walk =
        m_builder->addLayer(figure, QStringLiteral("Walk"), {{-40, 10}, {35, 25}, {0, -30}});
    HxKinetorLayer* wave =
        m_builder->addLayer(figure, QStringLiteral("Wave"), {{-10, 0}, {60, 60}, {15, -45}});
    m_builder->recordTake(walk, 90);
    wave->getView()->setViewState(2.5f, -13.25f, 7.5f);
    pane()->getLayerGroupByNode(figure)->setCurrentIndex(0);
    pane()->setFillFrames(false);
    pane()->setPlayAudio(false);
    ASSERT_GT(figure->findBone(QStringLiteral("leftForearm"))->getXRotControl()->getNumKeys(), 80)
        << "the take keyed the arm";
    const QStringList before = describeScene(pane());
    const QByteArray saved = HxSceneFile::toBytes();

    hxScene->clear();
    pane()->setFillFrames(true);
    pane()->setPlayAudio(true);
    ASSERT_TRUE(load(saved)) << m_error.toStdString();
    EXPECT_TRUE(m_warnings.isEmpty()) << m_warnings.join('\n').toStdString();

    QStringList after = describeScene(pane());
    // The stored layers in stored order, the last one current.
    const int currentLine = int(before.indexOf(QRegularExpression("^group of Mannequin: .*")));
    ASSERT_GE(currentLine, 0);
    EXPECT_EQ(after.value(currentLine), "group of Mannequin: 2 tabs, current 1");
    after[currentLine] = before[currentLine];
    EXPECT_EQ(after, before);
    EXPECT_FALSE(pane()->fillFrames()) << "the state script ran";
}

TEST_F(HxKinetorSceneStorageTest, TwoLayersOfThreeDotsOnATwentyBoneFigureWriteTheObjectsTheyOwn)
{
    HxSkeleton* figure = HxKinetorSceneBuilder::addChain(QStringLiteral("Chain"), 20);
    m_builder->addLayer(figure, QStringLiteral("A"), {{0, 0}, {50, 0}, {0, 50}});
    m_builder->addLayer(figure, QStringLiteral("B"), {{10, 10}, {60, 10}, {10, 60}});
    const SceneFileWalker file(HxSceneFile::toBytes());

    EXPECT_EQ(file.count(HxGUID::fromLegacyClassID(0x10000014)), 1);
    EXPECT_EQ(file.count(HxGUID::fromLegacyClassID(0x10000015)), 2);
    EXPECT_EQ(file.count(HxGUID::fromLegacyClassID(0x10000016)), 6);
    EXPECT_EQ(file.count(HxGUID::fromLegacyClassID(0x10000017)), 6 * 21);
    for (const SceneFileWalker::Record& record : file.records) {
        if (record.guid != HxGUID::fromLegacyClassID(0x10000014))
            continue;
        ASSERT_EQ(record.sections.size(), 2);
        EXPECT_EQ(record.sections[0].id, 0x200);
        EXPECT_EQ(record.sections[1].id, 0x201);
        EXPECT_EQ(record.sections[1].payload.size(), 2 * 6) << "two layer pointers and no count";
    }
}

// A recorded value whose property the file cannot name (it belonged to nothing the scene holds)
// is read back under a null key, which matches no property, and is written out again as it came.
TEST_F(HxKinetorSceneStorageTest, AValueOfAPropertyTheFileCannotNameKeepsANullKey)
{
    HxSkeleton* figure = HxKinetorSceneBuilder::addChain(QStringLiteral("Chain"), 2);
    HxKinetorLayer* layer = m_builder->addLayer(figure, QStringLiteral("A"), {{0, 0}, {50, 0}});
    HxFloatProperty stray(nullptr, QStringLiteral("Stray"), QStringLiteral("Stray"));
    layer->getPoses().first()->getNodeDataAt(0)->getPropValues()[&stray] = 0.75;

    for (int trip = 0; trip < 2; ++trip) {
        const QByteArray bytes = HxSceneFile::toBytes();
        hxScene->clear();
        ASSERT_TRUE(load(bytes)) << m_error.toStdString();
        HxKinetorLayer* loaded = pane()->getLayerGroupByNode(hxScene->nodes().first())->layerAt(0);
        const HxKinetorNodeData::PropertyValues& values =
            loaded->getPoses().first()->getNodeDataAt(0)->getPropValues();
        ASSERT_EQ(values.size(), 1) << "trip " << trip;
        EXPECT_EQ(values.firstKey(), nullptr);
        EXPECT_EQ(values.first(), 0.75);
    }
}

TEST_F(HxKinetorSceneStorageTest, PosesOfTheOlderFormAreConvertedAndTheirNodeTakesThem)
{
    HxSkeleton* figure = HxKinetorSceneBuilder::addChain(QStringLiteral("Chain"), 3);
    HxKinetorLayer* layer = m_builder->addLayer(figure, QStringLiteral("Old"), {{0, 0}, {40, 0}});
    ASSERT_EQ(layer->getNumPoses(), 2);
    figure->findBone(QStringLiteral("bone0"))->getXRotControl()->setValue(77.0f);
    const QByteArray current = HxSceneFile::toBytes();

    ASSERT_TRUE(load(current)) << m_error.toStdString();
    HxSkeleton* loaded = qobject_cast<HxSkeleton*>(hxScene->findNode(QStringLiteral("Chain")));
    ASSERT_TRUE(loaded);
    EXPECT_FLOAT_EQ(loaded->findBone(QStringLiteral("bone0"))->getXRotControl()->getValue(), 77.0f)
        << "poses of the current form leave the figure alone";
    for (HxKinetorPose* pose : pane()->getLayerGroupByNode(loaded)->layerAt(0)->getPoses())
        EXPECT_FALSE(pose->isBackwardCompatible());

    SceneFileWalker old(current);
    for (SceneFileWalker::Record& record : old.records)
        record.sections.removeIf(
            [](const SceneFileWalker::Section& s) { return s.id == HxKinetorSections::PoseForm; });
    ASSERT_TRUE(load(old.write())) << m_error.toStdString();
    loaded = qobject_cast<HxSkeleton*>(hxScene->findNode(QStringLiteral("Chain")));
    HxKinetorLayer* converted = pane()->getLayerGroupByNode(loaded)->layerAt(0);
    ASSERT_EQ(converted->getNumPoses(), 2);
    for (HxKinetorPose* pose : converted->getPoses())
        EXPECT_TRUE(pose->isBackwardCompatible());
    // The figure took the poses in turn through its local transform: it
    // shows one of them now, and that pose's records hold the control
    // values the transform gave.
    HxBone* bone0 = loaded->findBone(QStringLiteral("bone0"));
    const float shownAngle = bone0->getXRotControl()->getValue();
    EXPECT_NE(shownAngle, 77.0f);
    const HxQuat shownRotation = bone0->getLocalRotation();
    int matching = 0;
    for (HxKinetorPose* pose : converted->getPoses())
        matching += pose->getNodeData()[0]->getRot().equals(shownRotation, 1e-5f);
    EXPECT_EQ(matching, 1);
    EXPECT_TRUE(std::fabs(shownAngle) < 1e-3f || std::fabs(shownAngle - float(std::sin(0.4) * 40.0)) < 1e-3f)
        << shownAngle;
}

TEST_F(HxKinetorSceneStorageTest, ReadingKinetorDataDropsTheNodesSpatialDataAndReplacesItsLayers)
{
    SpatialDataFactory spatialFactory;
    hxApp->registerFactory(&spatialFactory);
    HxSkeleton* figure = HxKinetorSceneBuilder::addChain(QStringLiteral("Chain"), 2);
    figure->addDataItem(new SpatialData);
    m_builder->addLayer(figure, QStringLiteral("Kept"), {{0, 0}});
    const QByteArray saved = HxSceneFile::toBytes();

    ASSERT_TRUE(load(saved)) << m_error.toStdString();
    HxNode* loaded = hxScene->findNode(QStringLiteral("Chain"));
    EXPECT_EQ(loaded->findDataItem(QStringLiteral("Spatial Data")), nullptr);
    ASSERT_NE(loaded->findDataItem(QStringLiteral("KinetorData")), nullptr);
    HxKinetorLayerGroup* group = pane()->getLayerGroupByNode(loaded);
    ASSERT_EQ(group->count(), 1) << "the group's own Layer 1 is gone";
    EXPECT_EQ(group->tabText(0), "Kept");
    EXPECT_EQ(group->layerAt(0)->getNumPoses(), 1);
    hxApp->unregisterFactory(&spatialFactory);
}

TEST_F(HxKinetorSceneStorageTest, CutOrMislengthedLayerFilesFailAndKeepTheOpenLayers)
{
    HxSkeleton* figure = HxKinetorSceneBuilder::addChain(QStringLiteral("Small"), 1);
    m_builder->addLayer(figure, QStringLiteral("Tiny"), {{0, 0}, {20, 5}});
    const QByteArray small = HxSceneFile::toBytes();
    hxScene->clear();
    HxSkeleton* open = HxKinetorSceneBuilder::addChain(QStringLiteral("Open"), 2);
    m_builder->addLayer(open, QStringLiteral("Mine"), {{3, 4}, {30, 40}});
    const QByteArray openBytes = HxSceneFile::toBytes();
    const QStringList openState = describeScene(pane());

    for (qsizetype length = 0; length < small.size(); ++length)
        ASSERT_FALSE(load(small.left(length))) << "cut at " << length;
    QList<qsizetype> lengthBytes;
    for (qsizetype at = 0; at < 16; ++at)
        lengthBytes << at;
    for (const SceneFileWalker::Record& record : SceneFileWalker(small).records) {
        for (qsizetype b = 0; b < 4; ++b)
            lengthBytes << record.lengthOffset + b;
        for (const SceneFileWalker::Section& section : record.sections)
            for (qsizetype b = 0; b < 4; ++b)
                lengthBytes << section.lengthOffset + b;
    }
    for (qsizetype at : lengthBytes) {
        for (int change : {1, 2, 0x10, 0x80, 0xFF}) {
            QByteArray damaged = small;
            damaged[at] = char(quint8(damaged[at]) ^ change);
            ASSERT_FALSE(load(damaged)) << "byte " << at;
        }
    }
    EXPECT_EQ(describeScene(pane()), openState);
    EXPECT_EQ(HxSceneFile::toBytes(), openBytes);
}

} // namespace

#include "hxkinetorscenestoragetest.moc"

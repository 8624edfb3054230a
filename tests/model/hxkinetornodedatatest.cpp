#include "model/hxkinetornodedata.h"

#include "hxapptest.h"
#include "modeltestsupport.h"

using HxKinetorNodeDataTest = HxAppTest;
using Values = HxKinetorNodeData::PropertyValues;

TEST_F(HxKinetorNodeDataTest, StartsAtRestAndTakesScriptValuesUnchanged)
{
    HxKinetorNodeData record;
    EXPECT_EQ(record.getPos(), HxVec3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(record.getScale(), HxVec3(1.0f, 1.0f, 1.0f));
    EXPECT_EQ(record.getGenScale(), 1.0);
    EXPECT_EQ(record.getRot(), HxQuat(0.0, 0.0, 0.0, 1.0));
    EXPECT_TRUE(record.getPropValues().isEmpty());
    EXPECT_TRUE(record.objectName().isEmpty());

    const QMetaObject* meta = record.metaObject();
    EXPECT_STREQ(meta->className(), "HxKinetorNodeData");
    EXPECT_EQ(ownMethodSignatures(meta),
              (QStringList{"setPos(HxVec3)", "setScale(HxVec3,double)", "setRot(HxQuat)",
                           "addPropVal(HxNode*,QString,double)"}));

    // Scripts call by name; a quaternion that is not unit length is kept
    // as it is.
    ASSERT_TRUE(QMetaObject::invokeMethod(&record, "setPos", Q_ARG(HxVec3, HxVec3(1.5f, -2.0f, 3.25f))));
    ASSERT_TRUE(QMetaObject::invokeMethod(&record, "setScale", Q_ARG(HxVec3, HxVec3(2.0f, 0.5f, 4.0f)),
                                          Q_ARG(double, 0.1)));
    ASSERT_TRUE(QMetaObject::invokeMethod(&record, "setRot", Q_ARG(HxQuat, HxQuat(1.0, 2.0, -3.0, 0.25))));
    EXPECT_EQ(record.getPos(), HxVec3(1.5f, -2.0f, 3.25f));
    EXPECT_EQ(record.getScale(), HxVec3(2.0f, 0.5f, 4.0f));
    EXPECT_EQ(record.getGenScale(), 0.1);
    EXPECT_EQ(record.getRot(), HxQuat(1.0, 2.0, -3.0, 0.25));
}

TEST_F(HxKinetorNodeDataTest, AddPropValStoresOnlyCollectedPropertiesNamedExactly)
{
    auto* node = new HxNode(QStringLiteral("Head"));
    hxScene->addNode(node);
    HxFloatProperty* smile =
        addMorph(node, QStringLiteral("Smile"), QStringLiteral("Happy"))->getValueChannel();
    HxFloatProperty* blink = addOwnProperty(node, QStringLiteral("Blink"), QStringLiteral("Eyes Closed"));
    addOwnProperty(node, QStringLiteral("Hidden"), QStringLiteral("Hidden"))->setHidden(true);
    addOwnProperty(node, QStringLiteral("HeadScale"), QStringLiteral("Head Scale"));

    HxKinetorNodeData record;
    QMetaObject::invokeMethod(&record, "addPropVal", Q_ARG(HxNode*, node),
                              Q_ARG(QString, QStringLiteral("Smile")), Q_ARG(double, 0.25));
    record.addPropVal(node, QStringLiteral("Blink"), 0.5);
    record.addPropVal(node, QStringLiteral("Blink"), 0.75);
    EXPECT_EQ(record.getPropValues(), (Values{{smile, 0.25}, {blink, 0.75}}));

    // Labels, other case, uncollected properties and no node match nothing.
    for (const char* name : {"Happy", "blink", "Hidden", "HeadScale", "XTranslate", "Scale"})
        record.addPropVal(node, QString::fromLatin1(name), 9.0);
    record.addPropVal(nullptr, QStringLiteral("Blink"), 9.0);
    EXPECT_EQ(record.getPropValues(), (Values{{smile, 0.25}, {blink, 0.75}}));
}

TEST_F(HxKinetorNodeDataTest, AddPropValSetsEveryPropertyThatMatches)
{
    auto* node = new HxNode(QStringLiteral("Body"));
    hxScene->addNode(node);
    HxFloatProperty* bulk = addOwnProperty(node, QStringLiteral("Bulk"), QStringLiteral("Bulk"));
    HxFloatProperty* lean = addOwnProperty(node, QStringLiteral("Lean"), QStringLiteral("Lean"));
    HxFloatProperty* muscle =
        addMorph(node, QStringLiteral("Bulk"), QStringLiteral("Muscle"))->getValueChannel();
    addMorph(node, QStringLiteral("Thin"), QStringLiteral("Thin"));

    HxKinetorNodeData record;
    // The node owns both of its own properties.
    record.addPropVal(node, QStringLiteral("Body"), 0.5);
    EXPECT_EQ(record.getPropValues(), (Values{{bulk, 0.5}, {lean, 0.5}}));
    // A morph and a property of the same name are both meant.
    record.addPropVal(node, QStringLiteral("Bulk"), 2.0);
    EXPECT_EQ(record.getPropValues(), (Values{{bulk, 2.0}, {lean, 0.5}, {muscle, 2.0}}));
}

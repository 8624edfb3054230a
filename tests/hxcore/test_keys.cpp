#include "hxapptest.h"

#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxnode.h"
#include "hxcore/hxscene.h"

#include <QSignalSpy>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

class HxFloatKeys : public HxAppTest
{
protected:
    void SetUp() override
    {
        HxAppTest::SetUp();
        m_property = std::make_unique<HxFloatProperty>(nullptr, "Value", "Value", 7.0f);
    }

    std::vector<HxTime> keyTimes() const
    {
        std::vector<HxTime> times;
        for (const HxFloatKey& key : m_property->getKeys())
            times.push_back(key.time);
        return times;
    }

    std::unique_ptr<HxFloatProperty> m_property;
};

} // namespace

TEST_F(HxFloatKeys, ValueIsHeldBeforeAndAfterKeysAndLinearBetween)
{
    EXPECT_EQ(m_property->getValue(-5000), 7.0f);
    m_property->setValue(100, 10.0f);
    m_property->setValue(200, 30.0f);
    m_property->setValue(400, -10.0f);

    // The static value no longer counts once there are keys.
    EXPECT_EQ(m_property->getStaticValue(), 7.0f);
    EXPECT_EQ(m_property->getValue(std::numeric_limits<HxTime>::min()), 10.0f);
    EXPECT_EQ(m_property->getValue(99), 10.0f);
    EXPECT_EQ(m_property->getValue(100), 10.0f);
    EXPECT_FLOAT_EQ(m_property->getValue(125), 15.0f);
    EXPECT_FLOAT_EQ(m_property->getValue(150), 20.0f);
    EXPECT_EQ(m_property->getValue(200), 30.0f);
    EXPECT_FLOAT_EQ(m_property->getValue(300), 10.0f);
    EXPECT_FLOAT_EQ(m_property->getValue(399), -9.8f);
    EXPECT_EQ(m_property->getValue(400), -10.0f);
    EXPECT_EQ(m_property->getValue(std::numeric_limits<HxTime>::max()), -10.0f);

    // The untimed getter reads at the scene's time.
    hxScene->setTime(150);
    EXPECT_FLOAT_EQ(m_property->getValue(), 20.0f);

    // A single key holds everywhere.
    HxFloatProperty single(nullptr, "Single", "Single");
    single.setValue(4800, 2.5f);
    EXPECT_EQ(single.getValue(0), 2.5f);
    EXPECT_EQ(single.getValue(9600), 2.5f);
}

TEST_F(HxFloatKeys, KeysStaySortedAndAKeyedTimeIsReplaced)
{
    m_property->setValue(300, 3.0f);
    m_property->setValue(100, 1.0f);
    m_property->setValue(200, 2.0f);
    m_property->setValue(-50, -1.0f);
    EXPECT_EQ(keyTimes(), (std::vector<HxTime>{-50, 100, 200, 300}));

    QSignalSpy keys(m_property.get(), &HxFloatProperty::keysChanged);
    m_property->setValue(200, 20.0f);
    m_property->setValue(-50, -5.0f);
    m_property->setValue(300, 30.0f);
    EXPECT_EQ(keys.count(), 3);
    EXPECT_EQ(m_property->getNumKeys(), 4);
    EXPECT_EQ(m_property->getKeys(),
              (std::vector<HxFloatKey>{{-50, -5.0f}, {100, 1.0f}, {200, 20.0f}, {300, 30.0f}}));
    EXPECT_TRUE(m_property->hasKeyAt(100));
    EXPECT_FALSE(m_property->hasKeyAt(101));
    EXPECT_FALSE(m_property->hasKeyAt(1000));
}

TEST_F(HxFloatKeys, DeleteKeysIncludesBothEndsOfTheRange)
{
    for (HxTime t : {50, 99, 100, 150, 200, 201, 300})
        m_property->setValue(t, float(t));

    m_property->deleteKeys(HxTimeRange(100, 200));
    EXPECT_EQ(keyTimes(), (std::vector<HxTime>{50, 99, 201, 300}));
    // Interpolation now bridges the gap between the neighbours.
    EXPECT_FLOAT_EQ(m_property->getValue(150), 99.0f + (201.0f - 99.0f) * 51.0f / 102.0f);

    QSignalSpy keys(m_property.get(), &HxFloatProperty::keysChanged);
    QSignalSpy values(m_property.get(), &HxFloatProperty::valueChanged);
    // Ranges holding no key, and reversed ranges, change nothing and say nothing.
    m_property->deleteKeys(HxTimeRange(100, 200));
    m_property->deleteKeys(HxTimeRange(202, 299));
    m_property->deleteKeys(HxTimeRange(300, 50));
    EXPECT_EQ(keys.count(), 0);
    EXPECT_EQ(values.count(), 0);
    EXPECT_EQ(keyTimes(), (std::vector<HxTime>{50, 99, 201, 300}));

    // A one-tick range takes exactly the key on it; a wide one takes them all.
    m_property->deleteKeys(HxTimeRange(300, 300));
    EXPECT_EQ(keyTimes(), (std::vector<HxTime>{50, 99, 201}));
    m_property->deleteKeys(
        HxTimeRange(std::numeric_limits<HxTime>::min(), std::numeric_limits<HxTime>::max()));
    EXPECT_EQ(m_property->getNumKeys(), 0);
    EXPECT_EQ(keys.count(), 2);
    // Without keys the static value is back.
    EXPECT_EQ(m_property->getValue(150), 7.0f);
}

TEST_F(HxFloatKeys, UntimedSetValueSetsTheStaticValueOrKeysTheSceneTime)
{
    QSignalSpy values(m_property.get(), &HxFloatProperty::valueChanged);
    QSignalSpy keys(m_property.get(), &HxFloatProperty::keysChanged);
    hxScene->setTime(480);
    m_property->setValue(4.0f);
    EXPECT_EQ(m_property->getStaticValue(), 4.0f);
    EXPECT_EQ(m_property->getNumKeys(), 0);
    EXPECT_EQ(m_property->getValue(123456), 4.0f);
    EXPECT_EQ(values.count(), 1);
    EXPECT_EQ(keys.count(), 0);

    m_property->setValue(0, 1.0f);
    m_property->setValue(960, 3.0f);
    m_property->setValue(5.0f); // lands on 480, the scene time
    EXPECT_EQ(m_property->getStaticValue(), 4.0f);
    EXPECT_EQ(m_property->getKeys(), (std::vector<HxFloatKey>{{0, 1.0f}, {480, 5.0f}, {960, 3.0f}}));

    // On a keyed time it replaces that key rather than adding one.
    hxScene->setTime(960);
    m_property->setValue(6.0f);
    EXPECT_EQ(m_property->getKeys(), (std::vector<HxFloatKey>{{0, 1.0f}, {480, 5.0f}, {960, 6.0f}}));
    EXPECT_EQ(m_property->getValue(), 6.0f);
}

TEST_F(HxFloatKeys, LimitsClampAndNonFiniteValuesAreRefused)
{
    m_property->setLimits(10.0f, -10.0f, true); // reversed on purpose
    EXPECT_EQ(m_property->getMin(), -10.0f);
    EXPECT_EQ(m_property->getMax(), 10.0f);
    m_property->setValue(25.0f);
    EXPECT_EQ(m_property->getStaticValue(), 10.0f);
    m_property->setValue(100, -25.0f);
    EXPECT_EQ(m_property->getValue(100), -10.0f);

    QSignalSpy values(m_property.get(), &HxFloatProperty::valueChanged);
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                      -std::numeric_limits<float>::infinity()}) {
        m_property->setValue(100, bad);
        m_property->setValue(200, bad);
        m_property->setValue(bad);
    }
    EXPECT_EQ(values.count(), 0);
    EXPECT_EQ(m_property->getKeys(), (std::vector<HxFloatKey>{{100, -10.0f}}));
    EXPECT_EQ(m_property->getStaticValue(), 10.0f);

    // Without the clamp flag the limits are advisory.
    HxFloatProperty loose(nullptr, "Loose", "Loose");
    loose.setLimits(0.0f, 1.0f, false);
    loose.setValue(3.0f);
    EXPECT_EQ(loose.getValue(), 3.0f);
}

TEST_F(HxFloatKeys, NodeClearAnimDataOnlyTouchesTheTransformControls)
{
    HxNode node("Node");
    auto* extra = new HxFloatProperty(&node, "Extra", "Extra");
    node.addProperty(extra);
    ASSERT_EQ(node.getNumProperties(), HxNode::NumTransformControls + 1);
    EXPECT_EQ(node.getProperty(HxNode::NumTransformControls), extra);

    for (int i = 0; i < HxNode::NumTransformControls; ++i)
        for (HxTime t : {0, 100, 200})
            node.getTransformControl(i)->setValue(t, float(i + t));
    for (HxTime t : {0, 100, 200})
        extra->setValue(t, 1.0f);

    node.clearAnimData(HxTimeRange(50, 200));
    for (int i = 0; i < HxNode::NumTransformControls; ++i) {
        ASSERT_EQ(node.getTransformControl(i)->getNumKeys(), 1) << i;
        EXPECT_TRUE(node.getTransformControl(i)->hasKeyAt(0)) << i;
    }
    EXPECT_EQ(extra->getNumKeys(), 3);
}

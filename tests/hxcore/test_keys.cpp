#include "hxapptest.h"

#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxnode.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxundostack.h"
#include "hxcore/hxundostackhold.h"

#include <QSignalSpy>
#include <QUndoStack>

#include <limits>
#include <memory>
#include <utility>
#include <vector>

namespace {

constexpr HxTime kMin = std::numeric_limits<HxTime>::min(), kMax = std::numeric_limits<HxTime>::max();

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

TEST_F(HxFloatKeys, HeldBeforeAndAfterKeysLinearBetweenAndAKeyedTimeIsReplaced)
{
    const std::pair<HxTime, float> keys[] = {{400, -10}, {100, 10}, {200, 30}};
    for (auto [time, value] : keys)
        m_property->setValue(time, value);
    EXPECT_EQ(keyTimes(), (std::vector<HxTime>{100, 200, 400}));
    const std::pair<HxTime, float> expected[] = {{kMin, 10}, {99, 10},     {100, 10},  {125, 15},  {200, 30},
                                                 {300, 10},  {399, -9.8f}, {400, -10}, {kMax, -10}};
    for (auto [time, value] : expected)
        EXPECT_FLOAT_EQ(m_property->getValue(time), value) << time;
    EXPECT_EQ(m_property->getStaticValue(), 7.0f); // kept but unused while keys exist
    hxScene->setTime(150);
    EXPECT_FLOAT_EQ(m_property->getValue(), 20.0f);

    QSignalSpy changed(m_property.get(), &HxFloatProperty::keysChanged);
    m_property->setValue(200, 20.0f);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(m_property->getKeys(), (std::vector<HxFloatKey>{{100, 10.0f}, {200, 20.0f}, {400, -10.0f}}));
    EXPECT_FALSE(m_property->hasKeyAt(101));
}

TEST_F(HxFloatKeys, DeleteKeysIncludesBothEndsOfTheRange)
{
    for (HxTime t : {50, 99, 100, 150, 200, 201, 300})
        m_property->setValue(t, float(t));
    m_property->deleteKeys(HxTimeRange(100, 200));
    EXPECT_EQ(keyTimes(), (std::vector<HxTime>{50, 99, 201, 300}));
    EXPECT_FLOAT_EQ(m_property->getValue(150), 99.0f + 102.0f * 51.0f / 102.0f);

    // Ranges holding no key, and reversed ranges, change nothing and say nothing.
    QSignalSpy keys(m_property.get(), &HxFloatProperty::keysChanged);
    QSignalSpy values(m_property.get(), &HxFloatProperty::valueChanged);
    m_property->deleteKeys(HxTimeRange(202, 299));
    m_property->deleteKeys(HxTimeRange(300, 50));
    EXPECT_EQ(keys.count() + values.count(), 0);
    m_property->deleteKeys(HxTimeRange(300, 300));
    EXPECT_EQ(keyTimes(), (std::vector<HxTime>{50, 99, 201}));
    m_property->deleteKeys(HxTimeRange(kMin, kMax));
    EXPECT_EQ(keys.count(), 2);
    EXPECT_EQ(m_property->getValue(150), 7.0f); // the static value is back
}

TEST_F(HxFloatKeys, UntimedSetValueSetsTheStaticValueOrKeysTheSceneTime)
{
    QSignalSpy values(m_property.get(), &HxFloatProperty::valueChanged);
    QSignalSpy keys(m_property.get(), &HxFloatProperty::keysChanged);
    hxScene->setTime(480);
    m_property->setValue(4.0f);
    EXPECT_EQ(m_property->getValue(123456), 4.0f);
    EXPECT_EQ(values.count(), 1);
    EXPECT_EQ(keys.count(), 0);

    m_property->setValue(0, 1.0f);
    m_property->setValue(960, 3.0f);
    m_property->setValue(5.0f); // lands on 480, the scene time
    hxScene->setTime(960);
    m_property->setValue(6.0f); // replaces the key there
    EXPECT_EQ(m_property->getStaticValue(), 4.0f);
    EXPECT_EQ(m_property->getKeys(), (std::vector<HxFloatKey>{{0, 1.0f}, {480, 5.0f}, {960, 6.0f}}));
}

TEST_F(HxFloatKeys, LimitsClampAndNonFiniteValuesAreRefused)
{
    m_property->setLimits(10.0f, -10.0f, true); // reversed on purpose
    EXPECT_EQ(m_property->getMin(), -10.0f);
    m_property->setValue(25.0f);
    m_property->setValue(100, -25.0f);
    EXPECT_EQ(m_property->getStaticValue(), 10.0f);
    EXPECT_EQ(m_property->getValue(100), -10.0f);

    QSignalSpy values(m_property.get(), &HxFloatProperty::valueChanged);
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        m_property->setValue(100, bad);
        m_property->setValue(200, -bad);
        m_property->setValue(bad);
    }
    EXPECT_EQ(values.count(), 0);
    EXPECT_EQ(m_property->getKeys(), (std::vector<HxFloatKey>{{100, -10.0f}}));
    EXPECT_EQ(m_property->getStaticValue(), 10.0f);
    m_property->setLimits(0.0f, 1.0f, false); // without the clamp flag limits are advisory
    m_property->setValue(0, 3.0f);
    EXPECT_EQ(m_property->getValue(0), 3.0f);
}

TEST_F(HxFloatKeys, NodeClearAnimDataOnlyTouchesTheTransformControls)
{
    HxNode node("Node");
    auto* extra = new HxFloatProperty(&node, "Extra", "Extra");
    node.addProperty(extra);
    ASSERT_EQ(node.getProperty(HxNode::NumTransformControls), extra);
    for (HxTime t : {0, 100, 200}) {
        extra->setValue(t, 1.0f);
        for (int i = 0; i < HxNode::NumTransformControls; ++i)
            node.getTransformControl(i)->setValue(t, float(i + t));
    }
    node.clearAnimData(HxTimeRange(50, 200));
    for (int i = 0; i < HxNode::NumTransformControls; ++i)
        EXPECT_EQ(node.getTransformControl(i)->getKeys(), (std::vector<HxFloatKey>{{0, float(i)}})) << i;
    EXPECT_EQ(extra->getNumKeys(), 3);
}

// A set inside an edit bracket takes the short way only while nothing else is owed: a watcher
// connected or limits set in the middle of a bracket are honoured from then on, and once the bracket
// closes each set is its own undo step again.
TEST_F(HxFloatKeys, ASetInsideABracketHonoursWatchersLimitsAndTheBracketsEnd)
{
    HxFloatProperty& p = *m_property;
    p.beginEdit();
    p.setValue(480, 5.0f);
    QSignalSpy told(&p, &HxFloatProperty::keysChanged);
    p.setValue(480, 6.0f);
    EXPECT_EQ(told.count(), 1);
    p.setLimits(-1.0f, 1.0f, true);
    p.setValue(480, 6.0f);
    EXPECT_EQ(p.getValue(480), 1.0f);
    p.finishEdit();
    const int steps = hxUndoStack->undoStack()->count();

    HxFloatProperty q(nullptr, "Q", "Q");
    q.beginEdit();
    q.finishEdit();
    HxUndoStackHold hold;
    q.setValue(480, 2.0f);
    hold.accept(QStringLiteral("Set"));
    EXPECT_EQ(hxUndoStack->undoStack()->count(), steps + 1) << "outside a bracket, a set is its own step";
}

// Setting many properties at once does what setting them one by one does, in an edit bracket and
// out of one: keys inserted or replaced, limits applied, non-finite values and null entries passed
// over, watchers told. Forty properties, so the look-ahead runs past both ends of the list, with a
// null entry where it looks ahead and one in the stretch where it does not.
TEST_F(HxFloatKeys, SettingManyAtOnceMatchesSettingThemOneByOne)
{
    constexpr int kCount = 40;
    std::vector<std::unique_ptr<HxFloatProperty>> batch, single;
    for (int i = 0; i < kCount; ++i) {
        for (auto* list : {&batch, &single}) {
            list->push_back(std::make_unique<HxFloatProperty>(nullptr, "P", "P"));
            if (i % 5 == 0)
                list->back()->setLimits(-1.0f, 1.0f, true);
            // Some keyed at the time already, some before it, some not at all.
            if (i % 3 == 1)
                list->back()->setValue(480, 9.0f);
            if (i % 3 == 2)
                list->back()->setValue(160, 9.0f);
        }
    }
    QSignalSpy watched(batch[20].get(), &HxFloatProperty::keysChanged);
    std::vector<HxFloatProperty*> targets;
    for (int i = 0; i < kCount; ++i)
        targets.push_back(i == 7 || i == 33 ? nullptr : batch[std::size_t(i)].get());

    for (bool bracketed : {true, false}) {
        std::vector<float> values;
        for (int i = 0; i < kCount; ++i)
            values.push_back(i == 11 ? std::numeric_limits<float>::quiet_NaN() : float(i) * 0.25f - (bracketed ? 2 : 3));
        for (auto* list : {&batch, &single})
            for (auto& property : *list)
                if (bracketed)
                    property->beginEdit();
        HxFloatProperty::setValues(480, targets.data(), values.data(), kCount);
        for (int i = 0; i < kCount; ++i)
            if (targets[std::size_t(i)])
                single[std::size_t(i)]->setValue(480, values[std::size_t(i)]);
        for (auto* list : {&batch, &single})
            for (auto& property : *list)
                if (bracketed)
                    property->finishEdit();
        for (int i = 0; i < kCount; ++i)
            ASSERT_EQ(batch[std::size_t(i)]->getKeys(), single[std::size_t(i)]->getKeys()) << i << ", " << bracketed;
    }
    EXPECT_EQ(batch[7]->getKeys(), (std::vector<HxFloatKey>{{480, 9.0f}})); // the null entries kept their keys
    EXPECT_EQ(batch[33]->getNumKeys(), 0);
    EXPECT_EQ(batch[0]->getValue(480), -1.0f);
    EXPECT_EQ(watched.count(), 2);
}

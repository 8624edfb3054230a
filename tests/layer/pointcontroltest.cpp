#include "hxapptest.h"

#include "layer/hxcontrolinsertkeyundoitem.h"
#include "layer/hxcontrolremovekeyundoitem.h"
#include "layer/hxpointcontrol.h"

#include "hxcore/hxundostack.h"
#include "hxcore/hxundostackhold.h"

#include <QUndoStack>

namespace {

class PointControlTest : public HxAppTest
{
protected:
    void key(int time, float x, float y)
    {
        m_control.setPosition(x, y);
        m_control.setKey(time);
    }
    // The keys as (time, x, y) triples, in list order.
    std::vector<std::tuple<int, float, float>> keys() const
    {
        std::vector<std::tuple<int, float, float>> out;
        for (int i = 0; i < m_control.keys().count(); ++i) {
            const HxPointKey* k = m_control.keys().at(i);
            out.emplace_back(k->time, k->x, k->y);
        }
        return out;
    }
    HxPointControl m_control;
};

using Keys = std::vector<std::tuple<int, float, float>>;

TEST_F(PointControlTest, KeysStaySortedWithOnePerTimeAndReportTheirRange)
{
    EXPECT_EQ(m_control.getKeyRange(), HxTimeRange(0, 0));
    key(480, 1, 1);
    EXPECT_EQ(m_control.getKeyRange(), HxTimeRange(480, 480));
    key(160, 2, 2);
    key(960, 3, 3);
    key(320, 4, 4);
    key(480, 5, 5);
    EXPECT_EQ(keys(), (Keys{{160, 2, 2}, {320, 4, 4}, {480, 5, 5}, {960, 3, 3}}));
    EXPECT_EQ(m_control.getKeyRange(), HxTimeRange(160, 960));
    EXPECT_EQ(m_control.findKey(320)->x, 4.0f);
    EXPECT_EQ(m_control.findKey(321), nullptr);

    HxPointKey a{0, 0, 10};
    HxPointKey b{9, 9, 20};
    EXPECT_EQ(HxPointKeyList::compareItems(a, b), -1);
    EXPECT_EQ(HxPointKeyList::compareItems(b, a), 1);
    EXPECT_EQ(HxPointKeyList::compareItems(a, HxPointKey{5, 5, 10}), 0);
}

TEST_F(PointControlTest, RemoveKeysTakesTheBoundsAndNothingOutside)
{
    for (int t : {99, 100, 150, 200, 201})
        key(t, float(t), 0);
    m_control.removeKeys(HxTimeRange(100, 200));
    EXPECT_EQ(keys(), (Keys{{99, 99, 0}, {201, 201, 0}}));
    m_control.removeKeys(HxTimeRange(300, 250));
    m_control.removeKeyAt(5);
    EXPECT_EQ(m_control.keys().count(), 2);
}

TEST_F(PointControlTest, EvaluateInterpolatesAndHoldsOutsideTheKeys)
{
    m_control.setPosition(7, 7);
    m_control.evaluateAt(100);
    EXPECT_EQ(m_control.x(), 7.0f);

    key(0, 0, 0);
    key(480, 10, 20);
    m_control.evaluateAt(240);
    EXPECT_FLOAT_EQ(m_control.x(), 5.0f);
    EXPECT_FLOAT_EQ(m_control.y(), 10.0f);
    m_control.evaluateAt(600);
    EXPECT_FLOAT_EQ(m_control.x(), 5.0f);
    EXPECT_FLOAT_EQ(m_control.y(), 10.0f);
    m_control.evaluateAt(480);
    EXPECT_EQ(m_control.x(), 10.0f);
    m_control.evaluateAt(-100);
    EXPECT_EQ(m_control.x(), 0.0f);
    EXPECT_EQ(m_control.y(), 0.0f);
}

TEST_F(PointControlTest, ReplacingAKeyIsUndoneAsOneStep)
{
    {
        HxUndoStackHold hold;
        key(100, 1, 2);
        hold.accept(QStringLiteral("first"));
    }
    {
        HxUndoStackHold hold;
        key(100, 3, 4);
        hold.accept(QStringLiteral("replace"));
    }
    EXPECT_EQ(keys(), (Keys{{100, 3, 4}}));
    // The step must hold both the removal of the old key and the insertion
    // of the new one, or undo could not bring the old key back.
    hxUndoStack->undo();
    EXPECT_EQ(keys(), (Keys{{100, 1, 2}}));
    hxUndoStack->undo();
    EXPECT_TRUE(keys().empty());
    hxUndoStack->redo();
    hxUndoStack->redo();
    EXPECT_EQ(keys(), (Keys{{100, 3, 4}}));
}

TEST_F(PointControlTest, UndoItemsActOnTheirControlUntilItIsGone)
{
    HxControlInsertKeyUndoItem insert(&m_control, 1, 2, 50);
    HxControlRemoveKeyUndoItem remove(&m_control, 3, 4, 70);
    key(50, 1, 2);
    insert.undo();
    EXPECT_TRUE(keys().empty());
    insert.redo();
    remove.undo();
    EXPECT_EQ(keys(), (Keys{{50, 1, 2}, {70, 3, 4}}));
    remove.redo();
    EXPECT_EQ(keys(), (Keys{{50, 1, 2}}));

    auto* doomed = new HxPointControl;
    {
        HxUndoStackHold hold;
        doomed->setKey(10);
        doomed->removeKeyAt(10);
        doomed->setKey(20);
        hold.accept(QStringLiteral("doomed"));
    }
    HxControlInsertKeyUndoItem orphan(doomed, 0, 0, 20);
    delete doomed;
    orphan.undo();
    orphan.redo();
    hxUndoStack->undo();
    hxUndoStack->redo();
    EXPECT_EQ(orphan.control(), nullptr);
    EXPECT_EQ(hxUndoStack->undoStack()->count(), 1);
}

} // namespace

#include "hxapptest.h"

#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxnode.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxundoitem.h"
#include "hxcore/hxundostack.h"
#include "hxcore/hxundostackhold.h"

#include <QSignalSpy>
#include <QUndoStack>

#include <memory>
#include <vector>

namespace {

// Records what happens to it so tests can see who owns it and when.
class CountingItem : public HxUndoItem
{
public:
    struct Counts
    {
        int undone = 0;
        int redone = 0;
        int destroyed = 0;
    };
    explicit CountingItem(Counts* counts) : m_counts(counts) {}
    ~CountingItem() override { ++m_counts->destroyed; }
    void undo() override { ++m_counts->undone; }
    void redo() override { ++m_counts->redone; }

private:
    Counts* m_counts;
};

class HxUndo : public HxAppTest
{
protected:
    void SetUp() override
    {
        HxAppTest::SetUp();
        m_a = std::make_unique<HxFloatProperty>(nullptr, "A", "A", 1.0f);
        m_b = std::make_unique<HxFloatProperty>(nullptr, "B", "B", 2.0f);
        m_c = std::make_unique<HxFloatProperty>(nullptr, "C", "C", 3.0f);
        // B starts animated so undo has keys to restore as well as values.
        m_b->setValue(0, 10.0f);
        m_b->setValue(100, 20.0f);
        m_b->setValue(200, 30.0f);
    }

    using State = HxFloatProperty::State;
    struct Snapshot
    {
        State a, b, c;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot() const
    {
        auto state = [](const HxFloatProperty& p) {
            return State{p.getStaticValue(), p.getKeys()};
        };
        return {state(*m_a), state(*m_b), state(*m_c)};
    }

    // One change of each kind: a static value, a new key, removed keys.
    void changeAll()
    {
        m_a->setValue(-4.0f);
        m_b->setValue(150, 99.0f);
        m_b->deleteKeys(HxTimeRange(0, 100));
        m_c->setValue(50, 5.0f);
    }

    QUndoStack* qStack() const { return hxUndoStack->undoStack(); }

    std::unique_ptr<HxFloatProperty> m_a, m_b, m_c;
};

} // namespace

TEST_F(HxUndo, AcceptedHoldIsOneStepThatUndoesAndRedoesExactly)
{
    const Snapshot before = snapshot();
    {
        HxUndoStackHold hold;
        EXPECT_TRUE(hxUndoStack->canPushItems());
        changeAll();
        hold.accept("Change three");
    }
    EXPECT_FALSE(hxUndoStack->canPushItems());
    const Snapshot after = snapshot();
    ASSERT_NE(before, after);

    ASSERT_EQ(qStack()->count(), 1);
    EXPECT_EQ(qStack()->undoText(), QString("Change three"));

    hxUndoStack->undo();
    EXPECT_EQ(snapshot(), before);
    hxUndoStack->redo();
    EXPECT_EQ(snapshot(), after);
    // Replaying must not have added steps of its own.
    hxUndoStack->undo();
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(qStack()->count(), 1);
    EXPECT_EQ(qStack()->index(), 0);

    // Undo tells the views, like any other change.
    QSignalSpy keys(m_b.get(), &HxFloatProperty::keysChanged);
    QSignalSpy values(m_a.get(), &HxFloatProperty::valueChanged);
    hxUndoStack->redo();
    EXPECT_GE(keys.count(), 1);
    EXPECT_GE(values.count(), 1);
}

TEST_F(HxUndo, HoldsThatAreNotAcceptedOrHoldNothingLeaveNoStep)
{
    const Snapshot before = snapshot();
    {
        HxUndoStackHold hold;
        changeAll();
        ASSERT_NE(snapshot(), before);
    }
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(qStack()->count(), 0);

    {
        HxUndoStackHold hold;
        hold.accept("Nothing");
    }
    EXPECT_EQ(qStack()->count(), 0);

    // Setting a value to what it already is changes nothing either.
    {
        HxUndoStackHold hold;
        m_a->setValue(1.0f);
        m_b->setValue(100, 20.0f);
        hold.accept("Same values");
    }
    EXPECT_EQ(qStack()->count(), 0);
    EXPECT_EQ(hxUndoStack->holdDepth(), 0);
}

TEST_F(HxUndo, NestedHoldsJoinTheOutermostStep)
{
    const Snapshot before = snapshot();
    {
        HxUndoStackHold outer;
        m_a->setValue(5.0f);
        {
            HxUndoStackHold inner;
            m_b->setValue(50, 7.0f);
            inner.accept("Inner");
        }
        {
            // A cancelled inner hold takes back only its own changes.
            HxUndoStackHold cancelled;
            m_c->setValue(8.0f);
        }
        EXPECT_EQ(m_c->getStaticValue(), 3.0f);
        EXPECT_EQ(hxUndoStack->holdDepth(), 1);
        outer.accept("Outer");
    }
    ASSERT_EQ(qStack()->count(), 1);
    EXPECT_EQ(qStack()->undoText(), QString("Outer"));
    hxUndoStack->undo();
    EXPECT_EQ(snapshot(), before);

    // An accepted inner hold is still reverted when the outer one is cancelled.
    {
        HxUndoStackHold outer;
        {
            HxUndoStackHold inner;
            m_a->setValue(9.0f);
            inner.accept("Inner");
        }
        EXPECT_EQ(m_a->getStaticValue(), 9.0f);
    }
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(qStack()->count(), 1);
}

TEST_F(HxUndo, PushedItemsAreOwnedByTheStackOrDeletedAtOnce)
{
    CountingItem::Counts loose;
    hxUndoStack->push(new CountingItem(&loose));
    EXPECT_EQ(loose.destroyed, 1);
    EXPECT_EQ(loose.undone, 0);

    CountingItem::Counts kept;
    {
        HxUndoStackHold hold;
        hxUndoStack->push(new CountingItem(&kept));
        hxUndoStack->push(new CountingItem(&kept));
        hold.accept("Two items");
    }
    // The changes were made live: accepting must not redo them.
    EXPECT_EQ(kept.redone, 0);
    EXPECT_EQ(kept.destroyed, 0);
    hxUndoStack->undo();
    EXPECT_EQ(kept.undone, 2);
    hxUndoStack->redo();
    EXPECT_EQ(kept.redone, 2);
    hxUndoStack->clear();
    EXPECT_EQ(kept.destroyed, 2);

    CountingItem::Counts cancelled;
    {
        HxUndoStackHold hold;
        hxUndoStack->push(new CountingItem(&cancelled));
    }
    EXPECT_EQ(cancelled.undone, 1);
    EXPECT_EQ(cancelled.destroyed, 1);

    // Items on the stack go with the application.
    CountingItem::Counts owned;
    {
        HxUndoStackHold hold;
        hxUndoStack->push(new CountingItem(&owned));
        hold.accept("Owned");
    }
    m_app.reset();
    EXPECT_EQ(owned.destroyed, 1);
}

TEST_F(HxUndo, EditBracketMakesOneItemHoweverManyChanges)
{
    const Snapshot before = snapshot();
    {
        HxUndoStackHold hold;
        m_b->beginEdit();
        m_b->beginEdit(); // brackets nest
        for (HxTime t = 300; t < 400; t += 10)
            m_b->setValue(t, float(t));
        m_b->finishEdit();
        m_b->deleteKeys(HxTimeRange(0, 0));
        m_b->finishEdit();
        EXPECT_FALSE(m_b->isEditing());
        hold.accept("Drag");
    }
    ASSERT_EQ(qStack()->count(), 1);
    const Snapshot after = snapshot();

    // One item restores the whole state at once: the views hear of it once.
    QSignalSpy values(m_b.get(), &HxFloatProperty::valueChanged);
    hxUndoStack->undo();
    EXPECT_EQ(values.count(), 1);
    EXPECT_EQ(snapshot(), before);
    hxUndoStack->redo();
    EXPECT_EQ(snapshot(), after);

    // A bracket that changes nothing leaves nothing.
    {
        HxUndoStackHold hold;
        m_a->beginEdit();
        m_a->setValue(11.0f);
        m_a->setValue(1.0f);
        m_a->finishEdit();
        hold.accept("Wiggle");
    }
    EXPECT_EQ(qStack()->count(), 1);
}

TEST_F(HxUndo, NodeTransformEditAndDeletedPropertiesAreSafe)
{
    auto node = std::make_unique<HxNode>("Node");
    {
        HxUndoStackHold hold;
        node->beginEdit();
        node->getXPosControl()->setValue(5.0f);
        node->getXPosControl()->setValue(6.0f);
        node->getYRotControl()->setValue(45.0f);
        node->finishEdit();
        hold.accept("Move");
    }
    ASSERT_EQ(qStack()->count(), 1);
    hxUndoStack->undo();
    EXPECT_EQ(node->getXPosControl()->getValue(), 0.0f);
    EXPECT_EQ(node->getYRotControl()->getValue(), 0.0f);
    hxUndoStack->redo();
    EXPECT_EQ(node->getXPosControl()->getValue(), 6.0f);
    EXPECT_EQ(node->getYRotControl()->getValue(), 45.0f);

    // The history may outlive what it changed; replaying it then does nothing.
    node.reset();
    hxUndoStack->undo();
    hxUndoStack->redo();
    EXPECT_EQ(qStack()->count(), 1);
}

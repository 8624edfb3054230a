#include "hxapptest.h"

#include "hxcore/hxaction.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxnode.h"
#include "hxcore/hxundoitem.h"
#include "hxcore/hxundostack.h"
#include "hxcore/hxundostackhold.h"

#include <QSignalSpy>
#include <QUndoStack>

#include <bit>
#include <cmath>
#include <functional>
#include <memory>

namespace {

// Logs what happens to it so tests can see who owns it and when.
class LoggingItem : public HxUndoItem
{
public:
    LoggingItem(QStringList* log, const QString& name) : m_log(log), m_name(name) {}
    ~LoggingItem() override { *m_log << "delete " + m_name; }
    void undo() override { *m_log << "undo " + m_name; }
    void redo() override { *m_log << "redo " + m_name; }

private:
    QStringList* m_log;
    QString m_name;
};

// An action whose work is to run a function.
class FunctionAction : public HxAction
{
public:
    FunctionAction(const QString& text, std::function<void()> work) : HxAction(text), m_work(std::move(work))
    {}

protected:
    void executeAction() override { m_work(); }

private:
    std::function<void()> m_work;
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
        for (HxTime t : {0, 100, 200}) // B starts animated so undo has keys to restore
            m_b->setValue(t, t / 10.0f + 10.0f);
    }

    using State = HxFloatProperty::State;
    std::vector<State> snapshot() const
    {
        std::vector<State> states;
        for (const auto* p : {m_a.get(), m_b.get(), m_c.get()})
            states.push_back({p->getStaticValue(), p->getKeys()});
        return states;
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
    const auto before = snapshot();
    {
        HxUndoStackHold hold;
        EXPECT_TRUE(hxUndoStack->canPushItems());
        changeAll();
        hold.accept("Change three");
    }
    EXPECT_FALSE(hxUndoStack->canPushItems());
    const auto after = snapshot();
    ASSERT_NE(before, after);
    ASSERT_EQ(qStack()->count(), 1);
    EXPECT_EQ(qStack()->undoText(), QString("Change three"));

    hxUndoStack->undo();
    EXPECT_EQ(snapshot(), before);
    QSignalSpy keys(m_b.get(), &HxFloatProperty::keysChanged);
    hxUndoStack->redo();
    EXPECT_EQ(snapshot(), after);
    EXPECT_GE(keys.count(), 1); // the views hear of it like any other change
    hxUndoStack->undo();
    EXPECT_EQ(snapshot(), before);
    {
        HxUndoStackHold empty;
        empty.accept("Nothing");
    }
    EXPECT_EQ(qStack()->count(), 1); // neither replaying nor an empty hold added a step
}

TEST_F(HxUndo, CancelledEmptyAndNestedHoldsMakeAtMostOneStep)
{
    const auto before = snapshot();
    {
        HxUndoStackHold cancelled;
        changeAll();
        ASSERT_NE(snapshot(), before);
    }
    EXPECT_EQ(snapshot(), before);
    {
        HxUndoStackHold same; // setting values to what they are is no change either
        m_a->setValue(1.0f);
        m_b->setValue(100, 20.0f);
        same.accept("Same values");
    }
    EXPECT_EQ(qStack()->count(), 0);
    {
        HxUndoStackHold outer;
        m_a->setValue(5.0f);
        {
            HxUndoStackHold inner;
            m_b->setValue(50, 7.0f);
            inner.accept("Inner");
        }
        {
            HxUndoStackHold cancelled; // takes back only its own change
            m_c->setValue(8.0f);
        }
        EXPECT_EQ(m_c->getStaticValue(), 3.0f);
        outer.accept("Outer");
    }
    ASSERT_EQ(qStack()->count(), 1);
    EXPECT_EQ(qStack()->undoText(), QString("Outer"));
    hxUndoStack->undo();
    EXPECT_EQ(snapshot(), before);
    {
        HxUndoStackHold outer; // cancelled: reverts the accepted inner hold too
        HxUndoStackHold inner;
        m_a->setValue(9.0f);
        inner.accept("Inner");
    }
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(qStack()->count(), 1);
    EXPECT_EQ(hxUndoStack->holdDepth(), 0);
}

TEST_F(HxUndo, PushedItemsAreOwnedByTheStackOrDeletedAtOnce)
{
    QStringList log;
    hxUndoStack->push(new LoggingItem(&log, "loose")); // no hold open: deleted at once, never run
    {
        HxUndoStackHold hold;
        hxUndoStack->push(new LoggingItem(&log, "a"));
        hxUndoStack->push(new LoggingItem(&log, "b"));
        hold.accept("Two items"); // the changes were made live: accepting must not redo them
    }
    hxUndoStack->undo();
    hxUndoStack->redo();
    {
        HxUndoStackHold cancelled;
        hxUndoStack->push(new LoggingItem(&log, "c"));
    }
    EXPECT_EQ(log,
              (QStringList{"delete loose", "undo b", "undo a", "redo a", "redo b", "undo c", "delete c"}));
    m_app.reset(); // items on the stack go with the application
    EXPECT_TRUE(log.contains("delete a") && log.contains("delete b"));
}

TEST_F(HxUndo, EditBracketMakesOneItemAndOutlivedHistoryIsHarmless)
{
    auto node = std::make_unique<HxNode>("Node");
    {
        HxUndoStackHold hold;
        node->beginEdit();
        node->beginEdit(); // brackets nest
        for (float x = 1.0f; x <= 6.0f; x += 1.0f)
            node->getXPosControl()->setValue(x);
        node->finishEdit();
        node->getYRotControl()->setValue(0, 45.0f);
        node->finishEdit();
        m_a->beginEdit(); // a bracket that changes nothing leaves nothing
        m_a->setValue(11.0f);
        m_a->setValue(1.0f);
        m_a->finishEdit();
        hold.accept("Move");
    }
    ASSERT_EQ(qStack()->count(), 1);
    QSignalSpy xValues(node->getXPosControl(), &HxFloatProperty::valueChanged);
    QSignalSpy aValues(m_a.get(), &HxFloatProperty::valueChanged);
    hxUndoStack->undo();
    EXPECT_EQ(xValues.count(), 1); // one item restores the whole state at once
    EXPECT_EQ(aValues.count(), 0);
    EXPECT_EQ(node->getXPosControl()->getValue(), 0.0f);
    EXPECT_EQ(node->getYRotControl()->getNumKeys(), 0);
    hxUndoStack->redo();
    EXPECT_EQ(node->getXPosControl()->getValue(), 6.0f);
    EXPECT_EQ(node->getYRotControl()->getValue(0), 45.0f);
    node.reset();
    hxUndoStack->undo();
    hxUndoStack->redo();
    EXPECT_EQ(qStack()->count(), 1);
}

TEST_F(HxUndo, UndoClosesAPendingGroupFirstAndWaitsWhileAChangeIsLive)
{
    const auto before = snapshot();
    std::unique_ptr<HxUndoStackHold> pending;
    const auto openPending = [&] {
        pending = std::make_unique<HxUndoStackHold>();
        pending->setCloser(
            [&] {
                pending->accept("Fills");
                pending.reset();
            },
            false);
    };
    openPending();
    changeAll();
    ASSERT_TRUE(hxUndoStack->undo()) << "the open group is accepted, then undone as one step";
    EXPECT_FALSE(pending);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(qStack()->count(), 1);
    EXPECT_EQ(qStack()->redoText(), QString("Fills"));
    ASSERT_TRUE(hxUndoStack->redo());

    openPending();
    m_a->setValue(7.0f);
    {
        HxUndoStackHold next; // a new change does not join a pending burst
        m_c->setValue(9.0f);
        next.accept("Next");
    }
    EXPECT_FALSE(pending);
    EXPECT_EQ(qStack()->count(), 3);
    EXPECT_EQ(qStack()->text(1), QString("Fills"));

    QSignalSpy refused(hxUndoStack, &HxUndoStack::refused);
    int closed = 0;
    auto live = std::make_unique<HxUndoStackHold>();
    live->setCloser(
        [&] {
            ++closed;
            live->accept("Drag");
            live.reset();
        },
        true);
    m_a->setValue(8.0f);
    const auto during = snapshot();
    EXPECT_FALSE(hxUndoStack->undo());
    EXPECT_FALSE(hxUndoStack->redo());
    EXPECT_FALSE(hxUndoStack->setIndex(0));
    EXPECT_EQ(refused.count(), 3);
    EXPECT_EQ(snapshot(), during) << "a refused Undo changes nothing";
    EXPECT_EQ(closed, 0);
    hxUndoStack->closeAllHolds(); // the window closes: the drag ends as its step
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(qStack()->undoText(), QString("Drag"));
    ASSERT_TRUE(hxUndoStack->setIndex(0));
    EXPECT_EQ(snapshot(), before);
    {
        HxUndoStackHold scoped; // a command still running makes Undo wait too
        EXPECT_FALSE(hxUndoStack->undo());
        scoped.accept("Nothing");
    }
}

TEST_F(HxUndo, ValuesComeBackBitForBitAndActionsAreNamedSteps)
{
    m_a->setValue(0.0f);
    m_b->setValue(100, 0.0f);
    FunctionAction negate(QStringLiteral("&Negate Zeros\u2026"), [&] {
        m_a->setValue(-0.0f);
        m_b->setValue(100, -0.0f);
    });
    negate.trigger();
    ASSERT_EQ(qStack()->count(), 1) << "0 to -0 is a change";
    EXPECT_EQ(qStack()->undoText(), QString("Negate Zeros"));
    EXPECT_TRUE(std::signbit(m_a->getStaticValue()));
    hxUndoStack->undo();
    EXPECT_FALSE(std::signbit(m_a->getStaticValue()));
    EXPECT_FALSE(std::signbit(m_b->getValue(100)));
    hxUndoStack->redo();
    EXPECT_TRUE(std::signbit(m_b->getValue(100)));
    FunctionAction idle(QStringLiteral("Idle"), [] {});
    idle.trigger();
    EXPECT_EQ(qStack()->count(), 1) << "an action that changes nothing leaves no step";
}

TEST_F(HxUndo, LooseChangesAreGatheredIntoOneStepWhenTheHostAsks)
{
    m_a->setValue(5.0f);
    EXPECT_EQ(hxUndoStack->holdDepth(), 0) << "off by default: a loose change is not undoable";
    hxUndoStack->setGatherLooseChanges(true);
    const auto before = snapshot();
    m_a->setValue(6.0f);
    m_c->setValue(7.0f);
    QCoreApplication::processEvents(); // back in the event loop: the step closes
    ASSERT_EQ(qStack()->count(), 1);
    EXPECT_EQ(qStack()->undoText(), QString("Change"));
    m_b->setValue(0, -1.0f);
    {
        HxUndoStackHold named; // a hold does not swallow the loose change before it
        m_c->setValue(8.0f);
        named.accept("Named");
    }
    EXPECT_EQ(qStack()->count(), 3);
    m_a->setValue(9.0f);
    ASSERT_TRUE(hxUndoStack->undo()) << "Undo closes the loose step first, then undoes it";
    EXPECT_EQ(m_a->getStaticValue(), 6.0f);
    while (qStack()->canUndo())
        hxUndoStack->undo();
    EXPECT_EQ(snapshot(), before);
    hxUndoStack->setGatherLooseChanges(false);
}

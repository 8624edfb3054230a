#include "hxcore/hxundostack.h"

#include "hxcore/hxundoitem.h"
#include "hxcore/hxundostackhold.h"

#include <QTimer>
#include <QUndoCommand>
#include <QUndoStack>

#include <algorithm>
#include <functional>

HxUndoStack* hxUndoStack = nullptr;

namespace {

// One undo step made of the items a hold collected. The changes were made
// live while the hold was open, so the first redo (QUndoStack::push) is skipped.
class HxUndoGroupCommand : public QUndoCommand
{
public:
    HxUndoGroupCommand(const QString& caption, std::vector<std::unique_ptr<HxUndoItem>> items,
                       bool* replaying)
        : QUndoCommand(caption), m_items(std::move(items)), m_replaying(replaying)
    {}

    void undo() override
    {
        Replay guard(m_replaying);
        for (auto it = m_items.rbegin(); it != m_items.rend(); ++it)
            (*it)->undo();
    }

    void redo() override
    {
        if (m_firstRedo) {
            m_firstRedo = false;
            return;
        }
        Replay guard(m_replaying);
        for (auto& item : m_items)
            item->redo();
    }

private:
    // Items replayed by undo or redo must not push new items of their own.
    struct Replay
    {
        explicit Replay(bool* flag) : m_flag(flag), m_old(*flag) { *m_flag = true; }
        ~Replay() { *m_flag = m_old; }
        bool* m_flag;
        bool m_old;
    };

    std::vector<std::unique_ptr<HxUndoItem>> m_items;
    bool* m_replaying;
    bool m_firstRedo = true;
};

bool s_replaying = false;

} // namespace

HxUndoStack::HxUndoStack(QObject* parent) : QObject(parent), m_stack(new QUndoStack(this)) {}

HxUndoStack::~HxUndoStack()
{
    // Kept, not reverted: the objects they touched may be going too.
    closeLooseChanges();
    if (hxUndoStack == this)
        hxUndoStack = nullptr;
}

bool HxUndoStack::canPushItems() const
{
    return (!m_holds.empty() || m_gather) && !s_replaying;
}

void HxUndoStack::push(HxUndoItem* item)
{
    std::unique_ptr<HxUndoItem> owned(item);
    if (!canPushItems())
        return;
    if (m_holds.empty()) {
        m_loose = std::make_unique<HxUndoStackHold>(this);
        m_loose->setCloser([this] { closeLooseChanges(); }, false);
        QTimer::singleShot(0, this, &HxUndoStack::closeLooseChanges);
    }
    m_pending.push_back(std::move(owned));
}

void HxUndoStack::setGatherLooseChanges(bool on)
{
    if (!on)
        closeLooseChanges();
    m_gather = on;
}

HxUndoStack::PauseGathering::PauseGathering(HxUndoStack* stack)
    : m_stack(stack), m_was(stack && stack->gathersLooseChanges())
{
    if (m_was)
        m_stack->setGatherLooseChanges(false);
}

HxUndoStack::PauseGathering::~PauseGathering()
{
    if (m_was)
        m_stack->setGatherLooseChanges(true);
}

void HxUndoStack::closeLooseChanges()
{
    if (std::unique_ptr<HxUndoStackHold> hold = std::move(m_loose))
        hold->accept(tr("Change"));
}

bool HxUndoStack::readyForHistory()
{
    if (closePendingHolds())
        return true;
    emit refused(tr("Undo and Redo wait until the change in progress ends"));
    return false;
}

bool HxUndoStack::undo()
{
    if (!readyForHistory())
        return false;
    m_stack->undo();
    return true;
}

bool HxUndoStack::redo()
{
    if (!readyForHistory())
        return false;
    m_stack->redo();
    return true;
}

bool HxUndoStack::setIndex(int index)
{
    if (!readyForHistory())
        return false;
    m_stack->setIndex(index);
    return true;
}

bool HxUndoStack::closeHolds(bool live)
{
    // Innermost first, so every hold still closes after the ones it holds.
    while (!m_holds.empty()) {
        HxUndoStackHold* hold = m_holds.back();
        if (!hold->m_closer || (hold->m_live && !live))
            return false;
        // The closer destroys the hold, and its function with it.
        const std::function<void()> closer = hold->m_closer;
        closer();
        if (!m_holds.empty() && m_holds.back() == hold)
            return false;
    }
    return true;
}

bool HxUndoStack::closePendingHolds()
{
    return closeHolds(false);
}

void HxUndoStack::closeAllHolds()
{
    closeHolds(true);
}

void HxUndoStack::clear()
{
    closeAllHolds();
    m_stack->clear();
}

size_t HxUndoStack::openHold(HxUndoStackHold* hold)
{
    // A new change does not belong to a burst still waiting for its timer.
    bool onlyPending = !m_holds.empty();
    for (const HxUndoStackHold* open : m_holds)
        onlyPending = onlyPending && !open->isLive();
    if (onlyPending)
        closePendingHolds();
    m_holds.push_back(hold);
    return m_pending.size();
}

void HxUndoStack::forgetHold(HxUndoStackHold* hold)
{
    auto found = std::find(m_holds.begin(), m_holds.end(), hold);
    if (found != m_holds.end())
        m_holds.erase(found);
}

void HxUndoStack::acceptHold(HxUndoStackHold* hold, const QString& caption)
{
    forgetHold(hold);
    // Items of an inner hold wait for the outermost one.
    if (!m_holds.empty() || m_pending.empty())
        return;
    auto items = std::move(m_pending);
    m_pending.clear();
    m_stack->push(new HxUndoGroupCommand(caption, std::move(items), &s_replaying));
}

void HxUndoStack::cancelHold(HxUndoStackHold* hold, size_t start)
{
    forgetHold(hold);
    bool old = s_replaying;
    s_replaying = true;
    while (m_pending.size() > start) {
        m_pending.back()->undo();
        m_pending.pop_back();
    }
    s_replaying = old;
}

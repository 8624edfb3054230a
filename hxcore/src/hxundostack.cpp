#include "hxcore/hxundostack.h"

#include "hxcore/hxundoitem.h"

#include <QUndoCommand>
#include <QUndoStack>

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
    if (hxUndoStack == this)
        hxUndoStack = nullptr;
}

bool HxUndoStack::canPushItems() const
{
    return m_depth > 0 && !s_replaying;
}

void HxUndoStack::push(HxUndoItem* item)
{
    std::unique_ptr<HxUndoItem> owned(item);
    if (canPushItems())
        m_pending.push_back(std::move(owned));
}

void HxUndoStack::undo()
{
    m_stack->undo();
}

void HxUndoStack::redo()
{
    m_stack->redo();
}

void HxUndoStack::clear()
{
    m_stack->clear();
}

size_t HxUndoStack::openHold()
{
    ++m_depth;
    return m_pending.size();
}

void HxUndoStack::acceptHold(size_t start, const QString& caption, bool outermost)
{
    Q_UNUSED(start);
    --m_depth;
    if (!outermost || m_pending.empty())
        return;
    auto items = std::move(m_pending);
    m_pending.clear();
    m_stack->push(new HxUndoGroupCommand(caption, std::move(items), &s_replaying));
}

void HxUndoStack::cancelHold(size_t start, bool outermost)
{
    Q_UNUSED(outermost);
    --m_depth;
    bool old = s_replaying;
    s_replaying = true;
    while (m_pending.size() > start) {
        m_pending.back()->undo();
        m_pending.pop_back();
    }
    s_replaying = old;
}

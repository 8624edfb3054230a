#pragma once

#include "hxcore/hxglobal.h"

#include <QObject>
#include <memory>
#include <vector>

class HxUndoItem;
class HxUndoStackHold;
class QUndoStack;

// The host's undo history. Changes are undoable only while a hold is open:
// the hold collects the items pushed meanwhile and turns them into one step.
//
// Undo and Redo never run while a hold is open. A pending group (a burst of
// frame fills waiting for its timer) is closed first, so it becomes its own
// step and is then undone as one; while a live hold is open (a drag still
// under the person's hand, or a command still running) they are refused and
// refused() says why: undoing under a drag would revert frames that the drag
// keys again at its next tick, and ending the drag for the person would cut
// the take short without being asked.
class HXCORE_EXPORT HxUndoStack : public QObject
{
    Q_OBJECT
public:
    explicit HxUndoStack(QObject* parent = nullptr);
    ~HxUndoStack() override;

    bool canPushItems() const;
    // Takes ownership; with no hold open the item is deleted at once.
    void push(HxUndoItem* item);

    QUndoStack* undoStack() const { return m_stack; }
    // False, with refused(), while a hold stays open.
    bool undo();
    bool redo();
    // Goes back or forward to the state after the index-th step (0: before
    // the first), as the history view does.
    bool setIndex(int index);
    // Closes every pending group; false, with refused(), while a hold that
    // cannot be closed from outside stays open.
    bool closePendingHolds();
    // Closes pending groups before the history moves; false, with
    // refused(), while a change is still being made. Undo, Redo and
    // setIndex ask this first; so must any other view that moves the history.
    bool readyForHistory();
    // Ends every edit in progress through its closer, live drags included:
    // for a window that closes or a scene that is thrown away.
    void closeAllHolds();
    // Ends what is in progress first, then forgets every step.
    void clear();

    // Changes made while no hold is open. Off (the default: headless tools
    // and tests), they are not undoable. On (the host application), they are
    // gathered into one step "Change" that closes when control is back in
    // the event loop, before Undo or Redo, or when a hold opens: a change
    // from a script or a plug-in never escapes the history, where a later
    // undo of an earlier step would silently overwrite it.
    void setGatherLooseChanges(bool on);
    bool gathersLooseChanges() const { return m_gather; }
    // Setting up (a figure or plug-in being loaded) is no edit: while one of
    // these lives, loose changes are not gathered.
    class PauseGathering
    {
    public:
        explicit PauseGathering(HxUndoStack* stack);
        ~PauseGathering();
        PauseGathering(const PauseGathering&) = delete;
        PauseGathering& operator=(const PauseGathering&) = delete;

    private:
        HxUndoStack* m_stack;
        bool m_was;
    };

    // Nesting depth of open holds; 0 when none is open.
    int holdDepth() const { return int(m_holds.size()); }

signals:
    // Undo or Redo was asked for while a change is still being made.
    void refused(const QString& message);

private:
    friend class HxUndoStackHold;
    size_t openHold(HxUndoStackHold* hold);
    void acceptHold(HxUndoStackHold* hold, const QString& caption);
    void cancelHold(HxUndoStackHold* hold, size_t start);
    void forgetHold(HxUndoStackHold* hold);
    bool closeHolds(bool live);
    void closeLooseChanges();

    QUndoStack* m_stack;
    // Open holds, outermost first.
    std::vector<HxUndoStackHold*> m_holds;
    std::vector<std::unique_ptr<HxUndoItem>> m_pending;
    bool m_gather = false;
    std::unique_ptr<HxUndoStackHold> m_loose;
};

extern HXCORE_EXPORT HxUndoStack* hxUndoStack;

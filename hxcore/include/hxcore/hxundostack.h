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
    void undo();
    void redo();
    void clear();

    // Nesting depth of open holds; 0 when none is open.
    int holdDepth() const { return m_depth; }

private:
    friend class HxUndoStackHold;
    size_t openHold();
    void acceptHold(size_t start, const QString& caption, bool outermost);
    void cancelHold(size_t start, bool outermost);

    QUndoStack* m_stack;
    int m_depth = 0;
    std::vector<std::unique_ptr<HxUndoItem>> m_pending;
};

extern HXCORE_EXPORT HxUndoStack* hxUndoStack;

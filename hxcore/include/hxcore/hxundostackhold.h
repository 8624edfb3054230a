#pragma once

#include "hxcore/hxglobal.h"

#include "hxcore/hxundostack.h"

#include <QPointer>
#include <QString>
#include <cstddef>
#include <functional>

// Opens an undo group for its lifetime. accept() turns what was pushed
// meanwhile into one undo step; a hold destroyed without accept() reverts
// and discards its changes. Holds nest: an inner hold's items join the
// outermost one's step. A hold opened while only pending groups are open
// closes them first, so that independent steps never merge.
class HXCORE_EXPORT HxUndoStackHold
{
public:
    explicit HxUndoStackHold(HxUndoStack* stack = nullptr);
    ~HxUndoStackHold();
    HxUndoStackHold(const HxUndoStackHold&) = delete;
    HxUndoStackHold& operator=(const HxUndoStackHold&) = delete;

    void accept(const QString& caption);
    bool isAccepted() const { return m_accepted; }

    // For a hold that stays open across events. The closer must accept or
    // destroy this hold. A pending hold (live false) is closed by Undo, Redo
    // and the next hold opened; a live one makes Undo and Redo wait and is
    // closed only when the host ends every edit (closing the window, a new
    // scene). A hold without a closer counts as live.
    void setCloser(std::function<void()> closer, bool live);
    bool isLive() const { return m_live || !m_closer; }

private:
    friend class HxUndoStack;
    QPointer<HxUndoStack> m_stack;
    std::size_t m_start = 0;
    bool m_accepted = false;
    bool m_live = true;
    std::function<void()> m_closer;
};

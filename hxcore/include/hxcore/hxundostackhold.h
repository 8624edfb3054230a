#pragma once

#include "hxcore/hxglobal.h"

#include "hxcore/hxundostack.h"

#include <QPointer>
#include <QString>
#include <cstddef>

// Opens an undo group for its lifetime. accept() turns what was pushed
// meanwhile into one undo step; a hold destroyed without accept() reverts
// and discards its changes. Holds nest: an inner hold's items join the
// outermost one's step.
class HXCORE_EXPORT HxUndoStackHold
{
public:
    explicit HxUndoStackHold(HxUndoStack* stack = nullptr);
    ~HxUndoStackHold();
    HxUndoStackHold(const HxUndoStackHold&) = delete;
    HxUndoStackHold& operator=(const HxUndoStackHold&) = delete;

    void accept(const QString& caption);
    bool isAccepted() const { return m_accepted; }

private:
    QPointer<HxUndoStack> m_stack;
    std::size_t m_start;
    bool m_outermost;
    bool m_accepted = false;
};

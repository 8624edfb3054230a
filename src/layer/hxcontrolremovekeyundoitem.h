#pragma once

#include "hxcore/hxundoitem.h"

#include <QPointer>

class HxPointControl;

// Undoes the removal of a cursor key. Like the insert item, it does nothing
// once its control has been deleted.
class HxControlRemoveKeyUndoItem : public HxUndoItem
{
public:
    HxControlRemoveKeyUndoItem(HxPointControl* control, float x, float y, int time);
    ~HxControlRemoveKeyUndoItem() override;

    void undo() override;
    void redo() override;

    HxPointControl* control() const { return m_control; }
    float x() const { return m_x; }
    float y() const { return m_y; }
    int time() const { return m_time; }

private:
    QPointer<HxPointControl> m_control;
    float m_x;
    float m_y;
    int m_time;
};

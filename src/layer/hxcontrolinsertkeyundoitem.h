#pragma once

#include "hxcore/hxundoitem.h"

#include <QPointer>

class HxPointControl;

// Undoes the insertion of a cursor key. It follows its control through a
// guarded pointer: once the layer and its cursor are gone it does nothing.
class HxControlInsertKeyUndoItem : public HxUndoItem
{
public:
    HxControlInsertKeyUndoItem(HxPointControl* control, float x, float y, int time);
    ~HxControlInsertKeyUndoItem() override;

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

#pragma once

#include "hxcore/hxundoitem.h"

#include <QPointer>

class HxPointControl;

// What the cursor's two key undo items share: the key (x, y, time) and a
// guarded pointer to its control, so that once the layer and its cursor are
// gone, undo and redo do nothing.
class HxControlKeyUndoItem : public HxUndoItem
{
public:
    HxControlKeyUndoItem(HxPointControl* control, float x, float y, int time);
    ~HxControlKeyUndoItem() override;

    HxPointControl* control() const;
    float x() const { return m_x; }
    float y() const { return m_y; }
    int time() const { return m_time; }

protected:
    void insertKey();
    void removeKey();

private:
    QPointer<HxPointControl> m_control;
    float m_x;
    float m_y;
    int m_time;
};

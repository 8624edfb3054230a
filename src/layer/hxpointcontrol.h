#pragma once

#include "layer/hxpointkey.h"
#include "layer/hxpointkeylist.h"

#include "hxcore/hxtimerange.h"

#include <QObject>
#include <memory>

// The blend cursor of a layer: its current canvas position and its keys over
// scene time. Inserting and removing keys is undoable. It is a QObject so that
// undo items can tell when it has gone with its layer.
class HxPointControl : public QObject
{
    Q_OBJECT
public:
    explicit HxPointControl(float x = 0.0f, float y = 0.0f, QObject* parent = nullptr);
    ~HxPointControl() override;

    float x() const { return m_x; }
    float y() const { return m_y; }
    void setX(float x) { m_x = x; }
    void setY(float y) { m_y = y; }
    void setPosition(float x, float y)
    {
        m_x = x;
        m_y = y;
    }

    const HxPointKeyList& keys() const { return *m_keys; }

    // Moves the cursor to where its keys put it at the time. Before the first
    // key it takes the first key's position; after the last key, or with no
    // keys, it stays where it is.
    void evaluateAt(int time);
    HxPointKey* findKey(int time) const;
    // First to last key time; (0, 0) without keys.
    HxTimeRange getKeyRange() const;

    // Keys the current position at the time, replacing a key already there.
    void setKey(int time);
    // Takes the key; a key already at its time is removed first.
    void insertKey(std::unique_ptr<HxPointKey> key);
    // Removes and deletes a key of this control's list.
    void removeKey(HxPointKey* key);
    void removeKeyAt(int time);
    // Removes every key within the range, bounds included.
    void removeKeys(const HxTimeRange& range);

private:
    float m_x;
    float m_y;
    std::unique_ptr<HxPointKeyList> m_keys;
};

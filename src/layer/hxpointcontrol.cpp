#include "layer/hxpointcontrol.h"

#include "layer/hxcontrolinsertkeyundoitem.h"
#include "layer/hxcontrolremovekeyundoitem.h"

#include "hxcore/hxundostack.h"

HxPointControl::HxPointControl(float x, float y, QObject* parent)
    : QObject(parent), m_x(x), m_y(y), m_keys(std::make_unique<HxPointKeyList>())
{}

HxPointControl::~HxPointControl() = default;

void HxPointControl::evaluateAt(int time)
{
    if (HxPointKey* key = m_keys->find(time)) {
        m_x = key->x;
        m_y = key->y;
        return;
    }
    int next = m_keys->upperBound(time);
    if (next >= m_keys->count())
        return;
    const HxPointKey* q = m_keys->at(next);
    if (next == 0) {
        // The span before the first key is empty; holding the first key's
        // position keeps the cursor on its recorded path.
        m_x = q->x;
        m_y = q->y;
        return;
    }
    const HxPointKey* p = m_keys->at(next - 1);
    double f = double(time - p->time) / double(q->time - p->time);
    m_x = float(p->x + (q->x - p->x) * f);
    m_y = float(p->y + (q->y - p->y) * f);
}

HxPointKey* HxPointControl::findKey(int time) const
{
    return m_keys->find(time);
}

HxTimeRange HxPointControl::getKeyRange() const
{
    if (m_keys->isEmpty())
        return HxTimeRange(0, 0);
    return HxTimeRange(m_keys->first()->time, m_keys->last()->time);
}

void HxPointControl::setKey(int time)
{
    insertKey(std::make_unique<HxPointKey>(HxPointKey{m_x, m_y, time}));
}

void HxPointControl::insertKey(std::unique_ptr<HxPointKey> key)
{
    if (!key)
        return;
    if (HxPointKey* old = m_keys->find(key->time))
        removeKey(old);
    if (hxUndoStack && hxUndoStack->canPushItems())
        hxUndoStack->push(new HxControlInsertKeyUndoItem(this, key->x, key->y, key->time));
    m_keys->insert(std::move(key));
}

void HxPointControl::removeKey(HxPointKey* key)
{
    if (!key || m_keys->find(key->time) != key)
        return;
    if (hxUndoStack && hxUndoStack->canPushItems())
        hxUndoStack->push(new HxControlRemoveKeyUndoItem(this, key->x, key->y, key->time));
    m_keys->take(key);
}

void HxPointControl::removeKeyAt(int time)
{
    removeKey(m_keys->find(time));
}

void HxPointControl::removeKeys(const HxTimeRange& range)
{
    // Keys are sorted, so the keys within the range form one run: each gets
    // its undo item in time order, then the run goes in one erase, which
    // keeps clearing a long stretch linear in the number of keys.
    int first = m_keys->lowerBound(range.start);
    int last = m_keys->upperBound(range.end);
    if (first >= last)
        return;
    if (hxUndoStack && hxUndoStack->canPushItems()) {
        for (int i = first; i < last; ++i) {
            const HxPointKey* key = m_keys->at(i);
            hxUndoStack->push(new HxControlRemoveKeyUndoItem(this, key->x, key->y, key->time));
        }
    }
    m_keys->removeRange(first, last);
}

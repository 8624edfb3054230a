#pragma once

#include "hxcore/hxpane.h"

class QUndoView;

// The undo history: every step by its caption; clicking a step goes back
// (or forward) to it.
class HxHistoryPane : public HxPane
{
    Q_OBJECT
public:
    explicit HxHistoryPane(QWidget* parent = nullptr);
    ~HxHistoryPane() override;

    QUndoView* view() const { return m_view; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QUndoView* m_view;
};

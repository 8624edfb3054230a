#pragma once

#include "hxcore/hxglobal.h"

#include <QObject>

// Tells the viewports when an interactive manipulation runs (a drag that
// changes the figure many times a second), so they can draw a lighter
// picture meanwhile. Starts and ends nest: the manipulation lasts until
// the last end.
class HXCORE_EXPORT HxViewportMgr : public QObject
{
    Q_OBJECT
public:
    explicit HxViewportMgr(QObject* parent = nullptr);
    ~HxViewportMgr() override;

    bool isManipulating() const { return m_depth > 0; }

public slots:
    void startManipulation();
    // An end without a start is ignored.
    void endManipulation();

signals:
    void manipulationChanged(bool manipulating);

private:
    int m_depth = 0;
};

#include "hxcore/hxviewportmgr.h"

HxViewportMgr::HxViewportMgr(QObject* parent) : QObject(parent) {}

HxViewportMgr::~HxViewportMgr() = default;

void HxViewportMgr::startManipulation()
{
    if (m_depth++ == 0)
        emit manipulationChanged(true);
}

void HxViewportMgr::endManipulation()
{
    if (m_depth == 0)
        return;
    if (--m_depth == 0)
        emit manipulationChanged(false);
}

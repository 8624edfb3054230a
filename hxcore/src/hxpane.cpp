#include "hxcore/hxpane.h"

HxPane::HxPane(const QString& title, QWidget* parent) : QWidget(parent), m_title(title)
{
    setWindowTitle(title);
}

HxPane::~HxPane() = default;

void HxPane::setTitle(const QString& title)
{
    if (title == m_title)
        return;
    m_title = title;
    setWindowTitle(title);
    emit titleChanged(title);
}

void HxPane::buildPaneMenu(HxActionMenu*) {}

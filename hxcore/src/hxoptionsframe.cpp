#include "hxcore/hxoptionsframe.h"

HxOptionsFrame::HxOptionsFrame(const QString& label, QWidget* parent, const char* name)
    : QFrame(parent), m_label(label)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
}

HxOptionsFrame::~HxOptionsFrame() = default;

void HxOptionsFrame::applyOptions() {}

void HxOptionsFrame::resetOptions() {}

void HxOptionsFrame::readSettings(QSettings& settings)
{
    Q_UNUSED(settings);
}

void HxOptionsFrame::writeSettings(QSettings& settings)
{
    Q_UNUSED(settings);
}

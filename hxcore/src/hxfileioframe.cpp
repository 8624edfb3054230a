#include "hxcore/hxfileioframe.h"

HxFileIOFrame::HxFileIOFrame(const QString& label, QWidget* parent, const char* name)
    : HxOptionsFrame(label, parent, name)
{}

HxFileIOFrame::~HxFileIOFrame() = default;

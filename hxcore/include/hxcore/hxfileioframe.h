#pragma once

#include "hxcore/hxglobal.h"
#include "hxcore/hxoptionsframe.h"

// The options frame of a file filter (HxFileIO::createOptionsFrame).
class HXCORE_EXPORT HxFileIOFrame : public HxOptionsFrame
{
    Q_OBJECT
public:
    explicit HxFileIOFrame(const QString& label, QWidget* parent = nullptr, const char* name = nullptr);
    ~HxFileIOFrame() override;
};

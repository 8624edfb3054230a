#include "hxcore/hxsavefilter.h"

HxSaveFilter::HxSaveFilter(const QString& description, const QString& extension, QObject* parent)
    : HxFileIO(description, extension, parent)
{}

HxSaveFilter::~HxSaveFilter() = default;

QString HxSaveFilter::getSaveError()
{
    return QString();
}

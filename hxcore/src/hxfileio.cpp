#include "hxcore/hxfileio.h"

#include "hxcore/hxfileioframe.h"

HxFileIO::HxFileIO(const QString& description, const QString& extension, QObject* parent)
    : HxBase(parent), m_description(description), m_extension(extension)
{}

HxFileIO::~HxFileIO() = default;

QString HxFileIO::getFileDialogFilter() const
{
    return QStringLiteral("%1 (*.%2)").arg(m_description, m_extension);
}

HxFileIOFrame* HxFileIO::createOptionsFrame()
{
    return nullptr;
}

void HxFileIO::getOptions(QVariantMap& options)
{
    Q_UNUSED(options);
}

#pragma once

#include "hxcore/hxfileio.h"
#include "hxcore/hxglobal.h"

#include <QString>
#include <QVariantMap>

// A filter that writes (part of) the scene to a file of its own type. The
// host lists every save filter under File > Export and runs it through
// HxSaveFilterMgr::exportWith: getSaveError(), the options frame,
// applyOptions(), a file name, writeToFile().
class HXCORE_EXPORT HxSaveFilter : public HxFileIO
{
    Q_OBJECT
public:
    // The mode the host passes when a person exports: the file may start
    // with a line naming its type.
    static constexpr int HostSaveMode = 1;

    explicit HxSaveFilter(const QString& description, const QString& extension = QStringLiteral("js"),
                          QObject* parent = nullptr);
    ~HxSaveFilter() override;

    // Why nothing can be saved now, for the person; a null string when
    // saving is possible.
    virtual QString getSaveError();
    // Writes the file; 0 on success, otherwise a status of the filter's own
    // (errorString() then says what went wrong when the filter knows).
    virtual unsigned int writeToFile(const QString& fileName, int mode, const QVariantMap& options) = 0;
};

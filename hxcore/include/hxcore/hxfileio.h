#pragma once

#include "hxcore/hxbase.h"
#include "hxcore/hxglobal.h"

#include <QString>
#include <QVariantMap>

class HxFileIOFrame;

// The common base of the host's file filters: a description that names the
// file type to the person ("Kinetor Preset"), the file extension it writes
// or reads, an optional options frame, and the text of its last failure.
class HXCORE_EXPORT HxFileIO : public HxBase
{
    Q_OBJECT
public:
    explicit HxFileIO(const QString& description, const QString& extension = QStringLiteral("js"),
                      QObject* parent = nullptr);
    ~HxFileIO() override;

    QString getDescription() const { return m_description; }
    // Without the dot.
    QString getFileExtension() const { return m_extension; }
    // For a file dialog: "Kinetor Preset (*.js)".
    QString getFileDialogFilter() const;

    // The frame the host shows before asking for the file; owned by the
    // caller. Null when the filter has no options.
    virtual HxFileIOFrame* createOptionsFrame();
    // Lets the filter add to the options that the host hands on with the
    // file name.
    virtual void getOptions(QVariantMap& options);

    // Why the last operation failed, in words; empty when it did not.
    QString errorString() const { return m_error; }

protected:
    void setErrorString(const QString& error) { m_error = error; }

private:
    QString m_description;
    QString m_extension;
    QString m_error;
};

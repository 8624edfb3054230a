#pragma once

#include "hxcore/hxglobal.h"

#include <QString>

// A script being written: lines and verbatim code collected in order, then
// saved in one go. The scene's state script and exported presets are built
// with it.
class HXCORE_EXPORT HxScript
{
public:
    // How saveToFile writes the text.
    enum SaveMode
    {
        PlainText = 0,  // the collected text only
        WithHeader = 1, // a comment line naming the description, then the text
    };

    // Status codes of saveToFile; 0 is success.
    enum SaveStatus
    {
        Saved = 0,
        BadFileName = 1,
        BadMode = 2,
        OpenFailed = 3,
        WriteFailed = 4,
        CommitFailed = 5,
    };

    explicit HxScript(const QString& name = QString());

    QString getName() const { return m_name; }

    // One line: a tab per indent level (negative levels count as none), the
    // text, then a line break.
    void addLine(const QString& text, int indent = 0);
    // The text exactly as given, with no indent and no added line break.
    void addCode(const QString& code);

    const QString& text() const { return m_text; }
    bool isEmpty() const { return m_text.isEmpty(); }
    void clear() { m_text.clear(); }

    // Writes the script as UTF-8. The file is replaced atomically, so a failed
    // save leaves any previous file as it was. Returns a SaveStatus (0 on
    // success); errorString() then says what went wrong.
    int saveToFile(const QString& fileName, int mode, const QString& description);
    QString errorString() const { return m_error; }

private:
    QString m_name;
    QString m_text;
    QString m_error;
};

#include "hxcore/hxscript.h"

#include <QSaveFile>

HxScript::HxScript(const QString& name) : m_name(name) {}

void HxScript::addLine(const QString& text, int indent)
{
    if (indent > 0)
        m_text += QString(indent, QLatin1Char('\t'));
    m_text += text;
    m_text += QLatin1Char('\n');
}

void HxScript::addCode(const QString& code)
{
    m_text += code;
}

int HxScript::saveToFile(const QString& fileName, int mode, const QString& description)
{
    m_error.clear();
    if (fileName.isEmpty()) {
        m_error = QStringLiteral("No file name given for the script");
        return BadFileName;
    }
    if (mode != PlainText && mode != WithHeader) {
        m_error = QStringLiteral("Unknown save mode %1 for script %2").arg(mode).arg(fileName);
        return BadMode;
    }

    QString content;
    if (mode == WithHeader) {
        // A description with line breaks would end the comment early and
        // leave the rest of it as code.
        QString oneLine = description;
        oneLine.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        content = QStringLiteral("// %1\n").arg(oneLine);
    }
    content += m_text;

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = QStringLiteral("Cannot write script %1: %2").arg(fileName, file.errorString());
        return OpenFailed;
    }
    const QByteArray bytes = content.toUtf8();
    if (file.write(bytes) != bytes.size()) {
        m_error = QStringLiteral("Cannot write script %1: %2").arg(fileName, file.errorString());
        file.cancelWriting();
        return WriteFailed;
    }
    if (!file.commit()) {
        m_error = QStringLiteral("Cannot save script %1: %2").arg(fileName, file.errorString());
        return CommitFailed;
    }
    return Saved;
}

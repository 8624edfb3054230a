#pragma once

#include <QFileInfo>
#include <QObject>
#include <QString>

// A file name as scripts see it ("new HxFile( getScriptFileName() )"): its
// parts and whether the file exists. Scripts own these objects.
class HxFile : public QObject
{
    Q_OBJECT
public:
    explicit HxFile(const QString& fileName, QObject* parent = nullptr);
    ~HxFile() override;

    // The name without folder and without the last extension:
    // "walk.preset" for "/tmp/walk.preset.js".
    Q_INVOKABLE QString baseName() const { return m_info.completeBaseName(); }
    // The last extension without its dot: "js".
    Q_INVOKABLE QString extension() const { return m_info.suffix(); }
    Q_INVOKABLE QString fileName() const { return m_info.fileName(); }
    Q_INVOKABLE QString path() const { return m_info.absolutePath(); }
    Q_INVOKABLE QString absoluteFilePath() const { return m_info.absoluteFilePath(); }
    Q_INVOKABLE bool exists() const { return m_info.exists(); }

private:
    QFileInfo m_info;
};

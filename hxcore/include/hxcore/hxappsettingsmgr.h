#pragma once

#include "hxcore/hxglobal.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QSettings;

// The application settings as scripts see them (App.getAppSettingsMgr()):
// values by name under a path that the script enters with pushPath and
// leaves with popPath, read with a default. Everything a script stores
// lives under the group "Scripts", so no script can overwrite the host's
// own settings.
class HXCORE_EXPORT HxAppSettingsMgr : public QObject
{
    Q_OBJECT
public:
    explicit HxAppSettingsMgr(QObject* parent = nullptr);
    ~HxAppSettingsMgr() override;

    // The full settings key of a name under the current path.
    QString keyFor(const QString& name) const;
    // Forgets every pushed path (a script that died between push and pop).
    void resetPath() { m_path.clear(); }

    // A path may hold several levels separated by "/"; empty levels are
    // dropped. Popping more than was pushed does nothing.
    Q_INVOKABLE void pushPath(const QString& path);
    Q_INVOKABLE void popPath();
    Q_INVOKABLE QString getPath() const;

    Q_INVOKABLE void setStringValue(const QString& name, const QString& value);
    Q_INVOKABLE QString getStringValue(const QString& name, const QString& defaultValue = QString()) const;
    Q_INVOKABLE void setBoolValue(const QString& name, bool value);
    Q_INVOKABLE bool getBoolValue(const QString& name, bool defaultValue = false) const;
    Q_INVOKABLE void setFloatValue(const QString& name, double value);
    Q_INVOKABLE double getFloatValue(const QString& name, double defaultValue = 0.0) const;
    Q_INVOKABLE bool hasValue(const QString& name) const;
    Q_INVOKABLE void removeValue(const QString& name);

private:
    QSettings* settings() const;

    QStringList m_path;
};

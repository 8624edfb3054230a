#pragma once

#include "hxcore/hxglobal.h"

#include <QList>
#include <QString>

class HxClassFactory;

// What a plug-in module hands the host: its name, author, version and the
// factories of the classes the host may create. The module owns the object
// and its factories; they live as long as the module is loaded.
class HXCORE_EXPORT HxPlugin
{
public:
    HxPlugin(const QString& name, const QString& description, const QString& helpFile, int flags);
    virtual ~HxPlugin();
    HxPlugin(const HxPlugin&) = delete;
    HxPlugin& operator=(const HxPlugin&) = delete;

    QString getName() const { return m_name; }
    QString getDescription() const { return m_description; }
    QString getAuthor() const { return m_author; }
    void setAuthor(const QString& author) { m_author = author; }
    quint32 getVersion() const { return m_version; }
    void setVersion(quint32 version) { m_version = version; }
    // "major.minor.patch.build", one byte each.
    QString getVersionString() const;

    // Not owned: factories are static objects of the module.
    void addClassFactory(HxClassFactory* factory);
    void removeClassFactory(HxClassFactory* factory);
    int getNumClassFactories() const { return int(m_factories.size()); }
    HxClassFactory* getClassFactory(int index) const { return m_factories.value(index); }
    int getFlags() const { return m_flags; }

private:
    QString m_name;
    QString m_description;
    QString m_helpFile;
    int m_flags;
    QString m_author;
    quint32 m_version = 0;
    QList<HxClassFactory*> m_factories;
};

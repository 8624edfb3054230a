#pragma once

#include "hxcore/hxglobal.h"
#include "hxcore/hxguid.h"

#include <QString>

class QObject;
struct QMetaObject;

// Makes instances of one class, named by its meta-object and its GUID, so the
// host can create plug-in classes by name or identifier.
class HXCORE_EXPORT HxClassFactory
{
public:
    HxClassFactory(const QMetaObject* metaObject, const HxGUID& guid);
    virtual ~HxClassFactory();

    // A new instance, owned by the caller.
    virtual QObject* create() = 0;
    // A creation hook with one argument; most classes have none.
    virtual QObject* create(QObject* argument);

    const QMetaObject* getMetaObject() const { return m_metaObject; }
    const HxGUID& getGUID() const { return m_guid; }
    QString getClassName() const;

protected:
    void setGUID(const HxGUID& guid) { m_guid = guid; }

private:
    const QMetaObject* m_metaObject;
    HxGUID m_guid;
};

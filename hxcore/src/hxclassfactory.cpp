#include "hxcore/hxclassfactory.h"

#include <QMetaObject>

HxClassFactory::HxClassFactory(const QMetaObject* metaObject, const HxGUID& guid)
    : m_metaObject(metaObject), m_guid(guid)
{}

HxClassFactory::~HxClassFactory() = default;

QObject* HxClassFactory::create(QObject*)
{
    return nullptr;
}

QString HxClassFactory::getClassName() const
{
    return m_metaObject ? QString::fromLatin1(m_metaObject->className()) : QString();
}

#include "hxcore/hxbase.h"

#include <QJSEngine>

HxBase::HxBase(QObject* parent, const char* name) : QObject(parent)
{
    if (name)
        setObjectName(QString::fromUtf8(name));
    QJSEngine::setObjectOwnership(this, QJSEngine::CppOwnership);
}

HxBase::~HxBase() = default;

bool HxBase::inherits(const QString& className) const
{
    return QObject::inherits(className.toUtf8().constData());
}

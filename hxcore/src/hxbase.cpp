#include "hxcore/hxbase.h"

#include "hxcore/hxinfile.h"

#include <QJSEngine>

HxBase::HxBase(QObject* parent, const char* name) : QObject(parent)
{
    if (name)
        setObjectName(QString::fromUtf8(name));
    QJSEngine::setObjectOwnership(this, QJSEngine::CppOwnership);
}

HxBase::~HxBase() = default;

namespace {
quint64 s_structureEdits = 0;
}

quint64 HxBase::structureEdits()
{
    return s_structureEdits;
}

void HxBase::noteStructureEdit()
{
    ++s_structureEdits;
}

void HxBase::loadSection(HxInFile* file, short id)
{
    if (file)
        file->warnUnknownSection(this, id);
}

void HxBase::setPointer(const HxInFile*, short, short, HxBase*) {}

void HxBase::save(HxOutFile*) const {}

void HxBase::postLoadFile(const HxInFile*) {}

HxBase* HxBase::assertCast(const char* className)
{
    if (QObject::inherits(className))
        return this;
    qWarning("HxBase::assertCast(): a %s is not a %s", metaObject()->className(), className);
    return nullptr;
}

bool HxBase::inherits(const QString& className) const
{
    return QObject::inherits(className.toUtf8().constData());
}

#pragma once

#include "hxcore/hxglobal.h"

#include <QObject>

// The storable base of every host object that scenes and scripts reach. Scripts
// never own one: the script engine would otherwise delete objects that a
// layer or a pose still holds.
class HXCORE_EXPORT HxBase : public QObject
{
    Q_OBJECT
public:
    explicit HxBase(QObject* parent = nullptr, const char* name = nullptr);
    ~HxBase() override;

    // Called on every object once a scene file has been read and its
    // pointers resolved.
    virtual void postLoadFile() {}

    using QObject::inherits;
    Q_INVOKABLE bool inherits(const QString& className) const;
};

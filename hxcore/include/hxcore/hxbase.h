#pragma once

#include "hxcore/hxglobal.h"

#include <QObject>

class HxInFile;
class HxOutFile;

// The storable base of every host object that scenes and scripts reach. Scripts
// never own one: the script engine would otherwise delete objects that a
// layer or a pose still holds.
//
// A storable writes itself as numbered sections through save() and is read
// back one section at a time: loadSection() is called once per section, in
// file order, with the file positioned at the section's start; every pointer
// it reads comes back through setPointer() once every object of the file
// exists; postLoadFile() runs when the whole file is read and linked.
class HXCORE_EXPORT HxBase : public QObject
{
    Q_OBJECT
public:
    explicit HxBase(QObject* parent = nullptr, const char* name = nullptr);
    ~HxBase() override;

    // The base has no sections of its own: an identifier no subclass took
    // is skipped with a warning naming the class.
    virtual void loadSection(HxInFile* file, short id);
    virtual void setPointer(const HxInFile* file, short id, short index, HxBase* object);
    virtual void save(HxOutFile* file) const;
    virtual void postLoadFile(const HxInFile* file);

    // This object when it is a className, else null. A non-null object of
    // another class is reported: a file pointed somewhere it should not.
    HxBase* assertCast(const char* className);

    using QObject::inherits;
    Q_INVOKABLE bool inherits(const QString& className) const;

    // How many times what scenes are made of has changed: bones added,
    // reparented or made to follow, objects and their items, properties
    // added, relabelled, hidden, made animatable or not, their axes,
    // rotation orders, and elements or properties destroyed. Whoever keeps
    // the result of a walk over a figure compares this count instead of
    // walking again. Values and keys are not structure.
    static quint64 structureEdits();

protected:
    static void noteStructureEdit();
};

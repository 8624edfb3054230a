#pragma once

#include "hxapptest.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"

#include <QMetaMethod>

// Small figures handed to the current scene, which owns them.

// A figure whose bones are chained in the order given.
inline HxSkeleton* addFigure(const QString& name, const QStringList& boneNames)
{
    auto* figure = new HxSkeleton(name);
    HxBone* parent = nullptr;
    for (const QString& boneName : boneNames) {
        auto* bone = new HxBone(boneName);
        if (parent)
            bone->setParentBone(parent);
        figure->addBone(bone);
        parent = bone;
    }
    hxScene->addNode(figure);
    return figure;
}

// A morph's value channel on the node's object, made when the node has none.
inline HxFloatProperty* addMorph(HxNode* node, const QString& name, const QString& label)
{
    if (!node->getObject())
        node->setObject(new HxObject(node->objectName() + QStringLiteral("Object")));
    auto* morph = new HxMorph(name, label);
    node->getObject()->addItem(morph);
    return morph->getValueChannel();
}

inline HxFloatProperty* addOwnProperty(HxNode* node, const QString& name, const QString& label,
                                       float value = 0)
{
    auto* property = new HxFloatProperty(node, name, label, value);
    node->addProperty(property);
    return property;
}

// The methods a class adds to its bases, in table order, joined by spaces; non-slots are marked.
inline QString ownMethods(const QMetaObject* meta)
{
    QStringList signatures;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i)
        signatures << QString::fromLatin1(meta->method(i).methodSignature()) +
                          (meta->method(i).methodType() == QMetaMethod::Slot ? "" : "!");
    return signatures.join(' ');
}

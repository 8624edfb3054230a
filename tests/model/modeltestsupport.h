#pragma once

#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"

#include <QMetaMethod>
#include <QMetaObject>
#include <QStringList>

// Small figures built for a case and handed to the current scene, which owns
// them from then on, and a look at what scripts can call.

// A figure with one bone per name, in that order, each the child of the one
// before. The figure itself carries no extra properties.
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

// A morph on the node's object, which is made when the node has none.
inline HxMorph* addMorph(HxNode* node, const QString& name, const QString& label)
{
    if (!node->getObject())
        node->setObject(new HxObject(node->objectName() + QStringLiteral("Object")));
    auto* morph = new HxMorph(name, label);
    node->getObject()->addItem(morph);
    return morph;
}

inline HxFloatProperty* addOwnProperty(HxNode* node, const QString& name, const QString& label,
                                       float value = 0.0f)
{
    auto* property = new HxFloatProperty(node, name, label, value);
    node->addProperty(property);
    return property;
}

// The signatures of the methods a class adds to its bases, in table order.
inline QStringList ownMethodSignatures(const QMetaObject* meta)
{
    QStringList signatures;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        signatures.append(
            QString::fromLatin1(method.methodSignature()) +
            (method.methodType() == QMetaMethod::Slot ? QString() : QStringLiteral(" (not a slot)")));
    }
    return signatures;
}

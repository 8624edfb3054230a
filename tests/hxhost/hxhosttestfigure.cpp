#include "hxhosttestfigure.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxskeleton.h"

HxSkeleton* makeTestFigure(const QString& name)
{
    auto* figure = new HxSkeleton(name);
    auto bone = [figure](const char* boneName, HxBone* parent, HxVec3 origin, HxVec3 end) {
        auto* b = new HxBone(QString::fromLatin1(boneName));
        if (parent)
            b->setParentBone(parent);
        b->setRestGeometry(origin, end);
        figure->addBone(b);
        return b;
    };
    HxBone* hip = bone("hip", nullptr, {0, 100, 0}, {0, 110, 0});
    HxBone* chest = bone("chest", hip, {0, 110, 0}, {0, 140, 0});
    HxBone* arm = bone("arm", chest, {0, 140, 0}, {40, 140, 0});
    bone("forearm", arm, {40, 140, 0}, {70, 140, 0});
    HxBone* sleeve = bone("sleeve", nullptr, {0, 140, 0}, {40, 140, 0});
    sleeve->setFollowBone(arm);

    auto* object = new HxObject(name + QStringLiteral("Body"));
    object->addItem(new HxMorph(QStringLiteral("Smile"), QStringLiteral("Smile")));
    auto* jaw = new HxMorph(QStringLiteral("JawSide"), QStringLiteral("Jaw Side"));
    jaw->getValueChannel()->setLimits(-1.0f, 1.0f, true);
    object->addItem(jaw);
    figure->setObject(object);

    figure->addProperty(
        new HxFloatProperty(figure, QStringLiteral("Breathing"), QStringLiteral("Breathing")));
    auto* secret = new HxFloatProperty(figure, QStringLiteral("Secret"), QStringLiteral("Secret"));
    secret->setHidden(true);
    figure->addProperty(secret);
    return figure;
}

QString testFigureJson(const QString& name)
{
    return QStringLiteral(R"({
  "name": "%1",
  "bones": [
    {"name": "hip", "origin": [0, 100, 0], "end": [0, 110, 0]},
    {"name": "chest", "parent": "hip", "origin": [0, 110, 0], "end": [0, 140, 0]},
    {"name": "arm", "parent": "chest", "origin": [0, 140, 0], "end": [40, 140, 0]},
    {"name": "forearm", "parent": "arm", "origin": [40, 140, 0], "end": [70, 140, 0]}
  ]
})")
        .arg(name);
}

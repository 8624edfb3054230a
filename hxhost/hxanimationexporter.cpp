#include "hxanimationexporter.h"

#include "hxbvhwriter.h"
#include "hxgltfwriter.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxskeleton.h"

#include <QFileInfo>

namespace {
constexpr double kDegToRad = 3.14159265358979323846 / 180.0;

void collectMorphs(const HxNode* node, QList<HxMorph*>& morphs)
{
    if (const HxObject* object = node->getObject())
        for (int i = 0; i < object->getNumItems(); ++i)
            if (auto* morph = qobject_cast<HxMorph*>(object->getItem(i)))
                morphs << morph;
}
} // namespace

QStringList HxAnimationExporter::filePatterns()
{
    return {QStringLiteral("*.bvh"), QStringLiteral("*.gltf"), QStringLiteral("*.glb")};
}

bool HxAnimationExporter::handles(const QString& path)
{
    return filePatterns().contains(QStringLiteral("*.") + QFileInfo(path).suffix().toLower());
}

bool HxAnimationExporter::write(const HxSkeleton* figure, const HxTimeRange& range, int ticksPerFrame,
                                const QString& path, QString* error)
{
    auto report = [&](const QString& what) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, what);
        return false;
    };
    if (!figure)
        return report(QStringLiteral("no figure is selected to export"));
    if (figure->getNumBones() == 0)
        return report(QStringLiteral("figure \"%1\" has no bones to export").arg(figure->objectName()));
    if (ticksPerFrame <= 0 || range.end < range.start)
        return report(QStringLiteral("the range to export is empty"));
    const QString suffix = QFileInfo(path).suffix().toLower();
    QString problem;
    bool ok = false;
    if (suffix == QLatin1String("bvh"))
        ok = HxBvhWriter::write(figure, range, ticksPerFrame, path, &problem);
    else if (suffix == QLatin1String("gltf") || suffix == QLatin1String("glb"))
        ok = HxGltfWriter::write(figure, range, ticksPerFrame, path, &problem);
    else
        problem = QStringLiteral("unknown format \"%1\" (expected .bvh, .gltf or .glb)").arg(suffix);
    return ok || report(problem);
}

HxQuat HxAnimationExporter::rotationAt(const HxBone* bone, int time)
{
    const HxVec3 radians(float(bone->getXRotControl()->getValue(time) * kDegToRad),
                         float(bone->getYRotControl()->getValue(time) * kDegToRad),
                         float(bone->getZRotControl()->getValue(time) * kDegToRad));
    return HxQuat(bone->getRotationOrder(), radians);
}

HxVec3 HxAnimationExporter::translationAt(const HxBone* bone, int time)
{
    return HxVec3(bone->getXPosControl()->getValue(time), bone->getYPosControl()->getValue(time),
                  bone->getZPosControl()->getValue(time));
}

QList<HxMorph*> HxAnimationExporter::morphsOf(const HxSkeleton* figure)
{
    QList<HxMorph*> morphs;
    collectMorphs(figure, morphs);
    QList<HxBone*> bones;
    figure->getAllBones(bones);
    for (const HxBone* bone : bones)
        collectMorphs(bone, morphs);
    return morphs;
}

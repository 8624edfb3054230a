#include "hxbvhwriter.h"

#include "hxanimationexporter.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxskeleton.h"
#include "hxcore/hxtime.h"

#include <QHash>
#include <QSaveFile>
#include <QTextStream>

namespace {

// Joint names are single words in BVH.
QString jointName(const QString& name)
{
    QString word = name.simplified();
    word.replace(QLatin1Char(' '), QLatin1Char('_'));
    return word.isEmpty() ? QStringLiteral("joint") : word;
}

QString number(double value)
{
    // Enough digits that a re-read file reproduces the angles well within
    // a ten-thousandth of a degree.
    return QString::number(value, 'g', 9);
}

bool translates(const HxBone* bone)
{
    for (const HxFloatProperty* control :
         {bone->getXPosControl(), bone->getYPosControl(), bone->getZPosControl()})
        if (control->getNumKeys() > 0 || control->getStaticValue() != 0.0f)
            return true;
    return false;
}

struct Writer
{
    const HxSkeleton* figure;
    QList<HxBone*> bones;
    QHash<const HxBone*, QList<HxBone*>> children;
    QList<const HxBone*> channelOrder;
    QHash<const HxBone*, bool> positions;
    QString text;

    void line(int depth, const QString& content)
    {
        text += QString(depth, QLatin1Char('\t')) + content + '\n';
    }

    void joint(const HxBone* bone, int depth, bool root)
    {
        const HxVec3 parentOrigin =
            bone->getParentBone() ? bone->getParentBone()->getOrigin() : HxVec3(0, 0, 0);
        const HxVec3 offset = bone->getOrigin() - parentOrigin;
        line(depth, (depth == 0 ? QStringLiteral("ROOT ") : QStringLiteral("JOINT ")) +
                        jointName(bone->objectName()));
        line(depth, QStringLiteral("{"));
        line(depth + 1,
             QStringLiteral("OFFSET %1 %2 %3").arg(number(offset.x), number(offset.y), number(offset.z)));
        // Our order ABC turns about A first; BVH lists the last turn first.
        QString order = hxRotationOrderName(bone->getRotationOrder());
        std::reverse(order.begin(), order.end());
        QStringList channels;
        const bool moves = root || translates(bone);
        positions.insert(bone, moves);
        if (moves)
            channels << QStringLiteral("Xposition") << QStringLiteral("Yposition")
                     << QStringLiteral("Zposition");
        for (QChar axis : order)
            channels << QString(axis) + QStringLiteral("rotation");
        line(depth + 1,
             QStringLiteral("CHANNELS %1 %2").arg(channels.size()).arg(channels.join(QLatin1Char(' '))));
        channelOrder << bone;
        const QList<HxBone*> kids = children.value(bone);
        for (const HxBone* child : kids)
            joint(child, depth + 1, false);
        if (kids.isEmpty()) {
            const HxVec3 tip = bone->getEndPoint() - bone->getOrigin();
            line(depth + 1, QStringLiteral("End Site"));
            line(depth + 1, QStringLiteral("{"));
            line(depth + 2,
                 QStringLiteral("OFFSET %1 %2 %3").arg(number(tip.x), number(tip.y), number(tip.z)));
            line(depth + 1, QStringLiteral("}"));
        }
        line(depth, QStringLiteral("}"));
    }
};

} // namespace

bool HxBvhWriter::write(const HxSkeleton* figure, const HxTimeRange& range, int ticksPerFrame,
                        const QString& path, QString* error)
{
    Writer w{figure, {}, {}, {}, {}, {}};
    figure->getAllBones(w.bones);
    QList<HxBone*> roots;
    for (HxBone* bone : std::as_const(w.bones)) {
        if (bone->getParentBone())
            w.children[bone->getParentBone()] << bone;
        else
            roots << bone;
    }
    w.text = QStringLiteral("HIERARCHY\n");
    if (roots.size() == 1) {
        w.joint(roots.first(), 0, true);
    } else {
        // BVH has one root: the figure stands in for it, unmoved.
        w.line(0, QStringLiteral("ROOT ") + jointName(figure->objectName()));
        w.line(0, QStringLiteral("{"));
        w.line(1, QStringLiteral("OFFSET 0 0 0"));
        w.line(1, QStringLiteral("CHANNELS 6 Xposition Yposition Zposition Zrotation Yrotation Xrotation"));
        for (const HxBone* root : std::as_const(roots))
            w.joint(root, 1, true);
        w.line(0, QStringLiteral("}"));
    }
    const int frames = (range.end - range.start) / ticksPerFrame + 1;
    w.text += QStringLiteral("MOTION\nFrames: %1\nFrame Time: %2\n")
                  .arg(frames)
                  .arg(number(double(ticksPerFrame) / HX_TICKS_PER_SECOND));
    for (int frame = 0; frame < frames; ++frame) {
        const int time = range.start + frame * ticksPerFrame;
        QStringList values;
        if (roots.size() != 1)
            values << QStringLiteral("0 0 0 0 0 0");
        for (const HxBone* bone : std::as_const(w.channelOrder)) {
            if (w.positions.value(bone)) {
                const HxVec3 parentOrigin =
                    bone->getParentBone() ? bone->getParentBone()->getOrigin() : HxVec3(0, 0, 0);
                const HxVec3 p =
                    bone->getOrigin() - parentOrigin + HxAnimationExporter::translationAt(bone, time);
                values << number(p.x) << number(p.y) << number(p.z);
            }
            // The controls are the channels' angles, in the same order.
            const float angles[3] = {bone->getXRotControl()->getValue(time),
                                     bone->getYRotControl()->getValue(time),
                                     bone->getZRotControl()->getValue(time)};
            const QString order = hxRotationOrderName(bone->getRotationOrder());
            for (int k = 2; k >= 0; --k)
                values << number(angles[order.at(k).unicode() - 'X']);
        }
        w.text += values.join(QLatin1Char(' ')) + '\n';
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        *error = QStringLiteral("cannot write the file: %1").arg(file.errorString());
        return false;
    }
    file.write(w.text.toUtf8());
    if (!file.commit()) {
        *error = QStringLiteral("cannot write the file: %1").arg(file.errorString());
        return false;
    }
    return true;
}

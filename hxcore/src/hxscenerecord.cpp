#include "hxscenerecord.h"

#include "hxcore/hxaudioclip.h"
#include "hxcore/hxinfile.h"
#include "hxcore/hxnode.h"
#include "hxcore/hxoutfile.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"

namespace {

enum Section : short
{
    TimeStep = 0x0001,
    Time = 0x0002,
    PlayRange = 0x0003,
    AnimRange = 0x0004,
    Selection = 0x0005,
    Audio = 0x0006,
    StateScript = 0x0007,
    Nodes = 0x0008,
};

bool readRange(HxInFile* file, HxTimeRange& range)
{
    int start = 0;
    int end = 0;
    if (file->readInt(start) || file->readInt(end))
        return false;
    range = HxTimeRange(start, end);
    return true;
}

} // namespace

HxSceneRecord::HxSceneRecord() : HxBase(nullptr, "Scene") {}

HxSceneRecord::~HxSceneRecord() = default;

void HxSceneRecord::capture(const HxScene* scene, const QString& script)
{
    timeStep = scene->getTimeStep();
    time = scene->getTime();
    playRange = scene->getPlayRange();
    animRange = scene->getAnimRange();
    selection = scene->getPrimarySelection();
    audioFileName = scene->getAudio() ? scene->getAudio()->getFileName() : QString();
    audioStartFrame = scene->getAudioStartFrame();
    stateScript = script;
    nodes.clear();
    for (HxNode* node : scene->nodes())
        if (!node->getSkeleton() || node->getSkeleton() == node)
            nodes.append(node);
}

void HxSceneRecord::loadSection(HxInFile* file, short id)
{
    switch (id) {
    case TimeStep:
        if (file->readInt(timeStep) || timeStep <= 0)
            file->fail(QStringLiteral("the scene's time step is missing or not positive"));
        break;
    case Time:
        file->readInt(time);
        break;
    case PlayRange:
        if (!readRange(file, playRange))
            file->fail(QStringLiteral("the scene's play range is cut short"));
        break;
    case AnimRange:
        if (!readRange(file, animRange))
            file->fail(QStringLiteral("the scene's animation range is cut short"));
        break;
    case Selection:
        file->readPointer();
        break;
    case Audio:
        file->readString(audioFileName);
        file->readInt(audioStartFrame);
        break;
    case StateScript:
        file->readString(stateScript);
        break;
    case Nodes:
        while (file->readPointer() == HxInFile::Ok) {
        }
        break;
    default:
        HxBase::loadSection(file, id);
    }
}

void HxSceneRecord::setPointer(const HxInFile*, short id, short, HxBase* object)
{
    auto* node = object ? qobject_cast<HxNode*>(object->assertCast("HxNode")) : nullptr;
    if (id == Selection)
        selection = node;
    else if (id == Nodes && node)
        nodes.append(node);
}

void HxSceneRecord::save(HxOutFile* file) const
{
    file->writeIntSection(TimeStep, timeStep);
    file->writeIntSection(Time, time);
    file->startSection(PlayRange);
    file->writeInt(playRange.start);
    file->writeInt(playRange.end);
    file->endSection();
    file->startSection(AnimRange);
    file->writeInt(animRange.start);
    file->writeInt(animRange.end);
    file->endSection();
    file->writePointerSection(Selection, selection, 0);
    file->startSection(Audio);
    file->writeString(audioFileName);
    file->writeInt(audioStartFrame);
    file->endSection();
    file->writeStringSection(StateScript, stateScript);
    file->startSection(Nodes);
    for (qsizetype i = 0; i < nodes.size(); ++i)
        file->writePointer(nodes.at(i), short(i));
    file->endSection();
}

// How a pose stores itself in a scene file.
#include "io/hxkinetorsections.h"
#include "model/hxkinetorpose.h"

#include "hxcore/hxinfile.h"
#include "hxcore/hxoutfile.h"

using namespace HxKinetorSections;

void HxKinetorPose::loadSection(HxInFile* file, short id)
{
    switch (id) {
    case PoseForm:
        file->readBool(m_backwardCompatible);
        break;
    case PosePosition: {
        float x = m_x;
        float y = m_y;
        file->readFloat(x);
        file->readFloat(y);
        setPosition(x, y);
        break;
    }
    case PoseNode:
        file->readPointer();
        break;
    case PoseRecords: {
        int count = 0;
        file->readInt(count);
        // Each record takes a pointer's six bytes; a larger count can only
        // come from a damaged file and would reserve gigabytes.
        if (count < 0 || qsizetype(count) > file->remaining() / 6) {
            file->fail(QStringLiteral("a pose claims %1 records, more than its section holds").arg(count));
            break;
        }
        m_nodeData.clear();
        m_nodeData.resize(size_t(count));
        while (file->readPointer() == HxInFile::Ok) {
        }
        break;
    }
    default:
        HxBase::loadSection(file, id);
    }
}

void HxKinetorPose::setPointer(const HxInFile* file, short id, short index, HxBase* object)
{
    if (id == PoseNode) {
        m_node = object ? qobject_cast<HxNode*>(object->assertCast("HxNode")) : nullptr;
    } else if (id == PoseRecords) {
        auto* record =
            object ? qobject_cast<HxKinetorNodeData*>(object->assertCast("HxKinetorNodeData")) : nullptr;
        // An index beyond the vector would write past its end.
        if (index < 0 || size_t(index) >= m_nodeData.size()) {
            file->warn(QStringLiteral("a pose record's index %1 lies outside its %2 records")
                           .arg(index)
                           .arg(m_nodeData.size()));
            return;
        }
        if (record && !file->claim(record))
            return;
        m_nodeData[size_t(index)].reset(record);
    } else {
        HxBase::setPointer(file, id, index, object);
    }
}

void HxKinetorPose::save(HxOutFile* file) const
{
    file->writeBoolSection(PoseForm, false);
    file->startSection(PosePosition);
    file->writeFloat(m_x);
    file->writeFloat(m_y);
    file->endSection();
    file->writePointerSection(PoseNode, m_node, 0);
    int count = 0;
    for (const auto& record : m_nodeData)
        count += record ? 1 : 0;
    file->startSection(PoseRecords);
    file->writeInt(count);
    for (int i = 0; i < count; ++i)
        file->writePointer(m_nodeData[size_t(i)].get(), short(i));
    file->endSection();
    HxBase::save(file);
}

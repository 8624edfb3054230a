// How a node data record stores itself in a scene file.
#include "io/hxkinetorsections.h"
#include "model/hxkinetornodedata.h"

#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxinfile.h"
#include "hxcore/hxoutfile.h"

using namespace HxKinetorSections;

void HxKinetorNodeData::loadSection(HxInFile* file, short id)
{
    switch (id) {
    case NodeDataPosition:
        file->readVec(m_pos);
        break;
    case NodeDataScale:
        file->readVec(m_scale);
        file->readDouble(m_genScale);
        break;
    case NodeDataRotation: {
        double q[4] = {m_rot[0], m_rot[1], m_rot[2], m_rot[3]};
        file->readDoubles(q, 4);
        // Stored as doubles, kept to float precision as they always were.
        m_rot.setValue(float(q[0]), float(q[1]), float(q[2]), float(q[3]), true);
        break;
    }
    case NodeDataValues: {
        m_loadBuffer.reset();
        int count = 0;
        file->readInt(count);
        // A read that fails ends the loop: a count that lies about the
        // section's length cannot spin through billions of empty reads.
        for (int i = 0; i < count; ++i) {
            double value = 0.0;
            if (file->readDouble(value) != HxInFile::Ok)
                break;
            m_loadBuffer.append(value);
            if (file->readPointer() != HxInFile::Ok)
                break;
        }
        HxBase::loadSection(file, id);
        break;
    }
    default:
        HxBase::loadSection(file, id);
    }
}

void HxKinetorNodeData::setPointer(const HxInFile* file, short id, short index, HxBase* object)
{
    if (id == NodeDataValues) {
        const double value = m_loadBuffer.at(index);
        auto* property =
            object ? qobject_cast<HxFloatProperty*>(object->assertCast("HxFloatProperty")) : nullptr;
        // A property the file cannot name keeps its value under a null key,
        // which no property matches, and goes back out as it came in.
        m_propValues.insert(property, value);
    }
    HxBase::setPointer(file, id, index, object);
}

void HxKinetorNodeData::save(HxOutFile* file) const
{
    file->writeVecSection(NodeDataPosition, m_pos);
    file->startSection(NodeDataScale);
    file->writeVec(m_scale);
    file->writeDouble(m_genScale);
    file->endSection();
    file->startSection(NodeDataRotation);
    for (int i = 0; i < 4; ++i)
        file->writeDouble(m_rot[i]);
    file->endSection();
    file->startSection(NodeDataValues);
    file->writeInt(int(m_propValues.size()));
    short index = 0;
    for (auto entry = m_propValues.constBegin(); entry != m_propValues.constEnd(); ++entry) {
        file->writeDouble(entry.value());
        file->writePointer(entry.key(), index++);
    }
    file->endSection();
}

void HxKinetorNodeData::postLoadFile(const HxInFile*) {}

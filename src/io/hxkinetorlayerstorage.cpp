// How a layer stores itself in a scene file.
#include "io/hxkinetorsections.h"
#include "layer/hxkinetorlayer.h"
#include "model/hxkinetorpose.h"
#include "ui/hxkinetorlayerview.h"

#include "hxcore/hxinfile.h"
#include "hxcore/hxoutfile.h"

#include <cmath>

using namespace HxKinetorSections;

void HxKinetorLayer::loadSection(HxInFile* file, short id)
{
    switch (id) {
    case LayerName:
        file->readString(m_name);
        break;
    case LayerView: {
        float view[3] = {1.0f, 0.0f, 0.0f};
        if (m_view)
            view[0] = m_view->getZoom(), view[1] = m_view->getOriginX(), view[2] = m_view->getOriginY();
        for (float& value : view)
            file->readFloat(value);
        // The view divides by its zoom and turns layer units into pixels; a
        // zoom of 0 or a NaN from a damaged file would make that undefined.
        if (!(view[0] > 0.0f) || !std::isfinite(view[0]) || !std::isfinite(view[1]) ||
            !std::isfinite(view[2])) {
            file->warn(
                QStringLiteral("layer \"%1\" has an impossible view; it keeps the default").arg(m_name));
            break;
        }
        if (m_view)
            m_view->setViewState(view[0], view[1], view[2]);
        break;
    }
    case LayerNode:
        file->readPointer();
        break;
    case LayerPoses:
        while (file->readPointer() == HxInFile::Ok) {
        }
        break;
    default:
        HxBase::loadSection(file, id);
    }
}

void HxKinetorLayer::setPointer(const HxInFile* file, short id, short index, HxBase* object)
{
    if (id == LayerNode) {
        setNode(object ? qobject_cast<HxNode*>(object->assertCast("HxNode")) : nullptr);
    } else if (id == LayerPoses) {
        auto* pose = object ? qobject_cast<HxKinetorPose*>(object->assertCast("HxKinetorPose")) : nullptr;
        if (pose && file->claim(pose))
            m_poses.append(pose);
    } else {
        HxBase::setPointer(file, id, index, object);
    }
}

void HxKinetorLayer::save(HxOutFile* file) const
{
    file->writeStringSection(LayerName, m_name);
    file->startSection(LayerView);
    file->writeFloat(m_view ? m_view->getZoom() : 1.0f);
    file->writeFloat(m_view ? m_view->getOriginX() : 0.0f);
    file->writeFloat(m_view ? m_view->getOriginY() : 0.0f);
    file->endSection();
    file->writePointerSection(LayerNode, m_node, 0);
    file->startSection(LayerPoses);
    for (qsizetype i = 0; i < m_poses.size(); ++i)
        file->writePointer(m_poses.at(i), short(i));
    file->endSection();
    HxBase::save(file);
}

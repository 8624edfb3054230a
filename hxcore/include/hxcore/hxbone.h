#pragma once

#include "hxcore/hxnode.h"

#include <QPointer>

class HxSkeleton;

// A bone of a figure. A bone of a fitted item may follow a bone of the
// figure it is fitted to: it copies that bone's transform.
class HXCORE_EXPORT HxBone : public HxNode
{
    Q_OBJECT
public:
    explicit HxBone(const QString& name = QString(), QObject* parent = nullptr);
    ~HxBone() override;

    HxSkeleton* getSkeleton() const override;
    void setSkeleton(HxSkeleton* skeleton) { m_skeleton = skeleton; }

    HxBone* getParentBone() const { return m_parentBone; }
    // Also makes the parent bone this bone's parent node.
    void setParentBone(HxBone* parent);

    HxBone* getFollowBone() const { return m_followBone; }
    void setFollowBone(HxBone* bone)
    {
        m_followBone = bone;
        noteStructureEdit();
    }

    // Rest geometry, in the parent's space, for drawing: where the bone starts
    // and where it ends when its controls are zero.
    HxVec3 getOrigin() const { return m_origin; }
    HxVec3 getEndPoint() const { return m_endPoint; }
    void setRestGeometry(const HxVec3& origin, const HxVec3& endPoint);

    // The node's sections, then parent bone, followed bone and rest geometry.
    void loadSection(HxInFile* file, short id) override;
    void setPointer(const HxInFile* file, short id, short index, HxBase* object) override;
    void save(HxOutFile* file) const override;

private:
    QPointer<HxSkeleton> m_skeleton;
    QPointer<HxBone> m_parentBone;
    QPointer<HxBone> m_followBone;
    HxVec3 m_origin;
    HxVec3 m_endPoint;
};

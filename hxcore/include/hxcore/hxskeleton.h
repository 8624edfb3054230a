#pragma once

#include "hxcore/hxnode.h"

#include <QList>

class HxBone;

// A figure: a node with an ordered list of bones, which it owns.
class HXCORE_EXPORT HxSkeleton : public HxNode
{
    Q_OBJECT
public:
    explicit HxSkeleton(const QString& name = QString(), QObject* parent = nullptr);
    ~HxSkeleton() override;

    HxSkeleton* getSkeleton() const override { return const_cast<HxSkeleton*>(this); }

    // Appends every bone, in the figure's own order.
    void getAllBones(QList<HxBone*>& bones) const;
    int getNumBones() const { return int(m_bones.size()); }
    HxBone* getBone(int index) const { return m_bones.value(index); }
    Q_INVOKABLE HxBone* findBone(const QString& name) const;
    // Takes ownership and makes this the bone's figure.
    void addBone(HxBone* bone);

    // The node's sections, then the bones in order.
    void loadSection(HxInFile* file, short id) override;
    void setPointer(const HxInFile* file, short id, short index, HxBase* object) override;
    void save(HxOutFile* file) const override;

private:
    QList<HxBone*> m_bones;
};

#pragma once

#include "hxcore/hxelement.h"
#include "hxcore/hxmatrix4.h"
#include "hxcore/hxquat.h"
#include "hxcore/hxrotationorder.h"
#include "hxcore/hxvec3.h"

#include <QPointer>
#include <array>
#include <memory>

class HxFloatProperty;
class HxMatrix3;
class HxObject;
class HxSkeleton;

// A scene node. Its first ten properties are its transform controls; the
// local transform of a node is exactly what those controls hold.
class HXCORE_EXPORT HxNode : public HxElement
{
    Q_OBJECT
public:
    explicit HxNode(const QString& name = QString(), QObject* parent = nullptr);
    ~HxNode() override;

    HxFloatProperty* getXPosControl() const { return m_controls[XPos]; }
    HxFloatProperty* getYPosControl() const { return m_controls[YPos]; }
    HxFloatProperty* getZPosControl() const { return m_controls[ZPos]; }
    HxFloatProperty* getXRotControl() const { return m_controls[XRot]; }
    HxFloatProperty* getYRotControl() const { return m_controls[YRot]; }
    HxFloatProperty* getZRotControl() const { return m_controls[ZRot]; }
    HxFloatProperty* getXScaleControl() const { return m_controls[XScale]; }
    HxFloatProperty* getYScaleControl() const { return m_controls[YScale]; }
    HxFloatProperty* getZScaleControl() const { return m_controls[ZScale]; }
    HxFloatProperty* getScaleControl() const { return m_controls[GeneralScale]; }
    static constexpr int NumTransformControls = 10;
    HxFloatProperty* getTransformControl(int index) const { return m_controls[index]; }

    HxRotationOrder getRotationOrder() const { return m_rotationOrder; }
    void setRotationOrder(HxRotationOrder order)
    {
        m_rotationOrder = order;
        noteStructureEdit();
    }
    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden) { m_hidden = hidden; }

    HxNode* getParentNode() const { return m_parentNode; }
    void setParentNode(HxNode* parent) { m_parentNode = parent; }

    HxObject* getObject() const { return m_object.get(); }
    // Takes ownership.
    void setObject(HxObject* object);

    // The figure a node belongs to: a figure is its own, a bone names its
    // figure, other nodes have none.
    Q_INVOKABLE virtual HxSkeleton* getSkeleton() const { return nullptr; }

    // Sets the translate controls to pos and the rotate controls to the Euler
    // angles of rot in the node's rotation order. Scale is left alone.
    void setLocalTransform(const HxVec3& pos, const HxQuat& rot, const HxMatrix3& scale, float);

    // The rotation the rotate controls describe, at the current time.
    HxQuat getLocalRotation() const;
    // Scale, then rotation, then translation (row vectors: v' = v * M).
    HxMatrix4 getLocalMatrix() const;
    HxMatrix4 getWorldMatrix() const;

    // Bracket a run of changes to the transform controls as one undo item each.
    void beginEdit();
    void finishEdit();

    // Removes the keys of the ten transform controls within the range.
    void clearAnimData(const HxTimeRange& range) override;

    // Name, flags, parent, every property with its keys, the object with
    // its morphs and the data items (see hxnodestorage.cpp).
    void loadSection(HxInFile* file, short id) override;
    void setPointer(const HxInFile* file, short id, short index, HxBase* object) override;
    void save(HxOutFile* file) const override;

private:
    enum
    {
        XPos,
        YPos,
        ZPos,
        XRot,
        YRot,
        ZRot,
        XScale,
        YScale,
        ZScale,
        GeneralScale
    };
    std::array<HxFloatProperty*, NumTransformControls> m_controls{};
    HxRotationOrder m_rotationOrder = HxRotationOrder::XYZ;
    bool m_hidden = false;
    QPointer<HxNode> m_parentNode;
    std::unique_ptr<HxObject> m_object;
};

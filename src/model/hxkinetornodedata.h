#pragma once

#include "model/hxtsimplearray.h"

#include "hxcore/hxbase.h"
#include "hxcore/hxnode.h"
#include "hxcore/hxquat.h"
#include "hxcore/hxvec3.h"

#include <QMap>
#include <QString>

class HxFloatProperty;

// What a pose holds for one of its pose nodes: the node's transform control
// values (rotation as a quaternion) and the values of its animatable
// properties. It names no node; its place in the pose's record vector says
// which node it belongs to. Scripts fill it through its slots.
class HxKinetorNodeData : public HxBase
{
    Q_OBJECT
public:
    using PropertyValues = QMap<HxFloatProperty*, double>;

    HxKinetorNodeData();
    ~HxKinetorNodeData() override;

    const HxVec3& getPos() const { return m_pos; }
    const HxVec3& getScale() const { return m_scale; }
    double getGenScale() const { return m_genScale; }
    const HxQuat& getRot() const { return m_rot; }
    // Keyed by the property object, ordered by its address; the properties
    // are not owned.
    const PropertyValues& getPropValues() const { return m_propValues; }
    PropertyValues& getPropValues() { return m_propValues; }

    // Scene storage (src/io/hxkinetornodedatastorage.cpp); property values
    // wait in the load buffer until their properties are linked.
    void loadSection(HxInFile* file, short id) override;
    void setPointer(const HxInFile* file, short id, short index, HxBase* object) override;
    void save(HxOutFile* file) const override;
    void postLoadFile(const HxInFile* file) override;

public slots:
    void setPos(HxVec3 pos);
    void setScale(HxVec3 scale, double genScale);
    void setRot(HxQuat rot);
    // Stores val for every animatable property of node that is named name
    // itself or whose owner (a morph) is named name.
    void addPropVal(HxNode* node, const QString& name, double val);

private:
    HxVec3 m_pos{0.0f, 0.0f, 0.0f};
    HxVec3 m_scale{1.0f, 1.0f, 1.0f};
    double m_genScale = 1.0;
    HxQuat m_rot;
    PropertyValues m_propValues;
    // Values read from a scene file before the properties they belong to
    // have been resolved.
    HxTSimpleArray<double> m_loadBuffer{16};
};

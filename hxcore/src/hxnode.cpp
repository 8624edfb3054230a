#include "hxcore/hxnode.h"

#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmatrix3.h"
#include "hxcore/hxobject.h"

#include <numbers>

namespace {
constexpr double kDegToRad = std::numbers::pi / 180.0;
constexpr double kRadToDeg = 180.0 / std::numbers::pi;
} // namespace

HxNode::HxNode(const QString& name, QObject* parent) : HxElement(parent)
{
    setObjectName(name);
    struct Control
    {
        const char* name;
        const char* label;
        float value;
        HxNumericProperty::XYZInterest interest;
    };
    static const Control controls[NumTransformControls] = {
        {"XTranslate", "X Translate", 0.0f, HxNumericProperty::XInterest},
        {"YTranslate", "Y Translate", 0.0f, HxNumericProperty::YInterest},
        {"ZTranslate", "Z Translate", 0.0f, HxNumericProperty::ZInterest},
        {"XRotate", "X Rotate", 0.0f, HxNumericProperty::XInterest},
        {"YRotate", "Y Rotate", 0.0f, HxNumericProperty::YInterest},
        {"ZRotate", "Z Rotate", 0.0f, HxNumericProperty::ZInterest},
        {"XScale", "X Scale", 1.0f, HxNumericProperty::XInterest},
        {"YScale", "Y Scale", 1.0f, HxNumericProperty::YInterest},
        {"ZScale", "Z Scale", 1.0f, HxNumericProperty::ZInterest},
        {"Scale", "Scale", 1.0f, HxNumericProperty::NoInterest},
    };
    for (int i = 0; i < NumTransformControls; ++i) {
        const Control& c = controls[i];
        m_controls[i] = new HxFloatProperty(this, QString::fromLatin1(c.name), QString::fromLatin1(c.label),
                                            c.value, c.interest);
        addProperty(m_controls[i]);
    }
}

HxNode::~HxNode() = default;

void HxNode::setObject(HxObject* object)
{
    m_object.reset(object);
    noteStructureEdit();
}

void HxNode::setLocalTransform(const HxVec3& pos, const HxQuat& rot, const HxMatrix3&, float)
{
    getXPosControl()->setValue(pos.x);
    getYPosControl()->setValue(pos.y);
    getZPosControl()->setValue(pos.z);
    HxVec3 angles;
    rot.getValue(m_rotationOrder, angles);
    getXRotControl()->setValue(float(angles.x * kRadToDeg));
    getYRotControl()->setValue(float(angles.y * kRadToDeg));
    getZRotControl()->setValue(float(angles.z * kRadToDeg));
}

HxQuat HxNode::getLocalRotation() const
{
    HxVec3 angles(float(getXRotControl()->getValue() * kDegToRad),
                  float(getYRotControl()->getValue() * kDegToRad),
                  float(getZRotControl()->getValue() * kDegToRad));
    HxQuat rotation;
    rotation.setValue(m_rotationOrder, angles);
    return rotation;
}

HxMatrix4 HxNode::getLocalMatrix() const
{
    HxMatrix4 m;
    getLocalRotation().getValue(m);
    const float general = getScaleControl()->getValue();
    const float scale[3] = {getXScaleControl()->getValue() * general,
                            getYScaleControl()->getValue() * general,
                            getZScaleControl()->getValue() * general};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            m(row, col) *= scale[row];
    m(3, 0) = getXPosControl()->getValue();
    m(3, 1) = getYPosControl()->getValue();
    m(3, 2) = getZPosControl()->getValue();
    return m;
}

HxMatrix4 HxNode::getWorldMatrix() const
{
    // A loop, not recursion: hierarchies can be many thousands deep. Row
    // vectors, so each parent's matrix multiplies from the right.
    HxMatrix4 world = getLocalMatrix();
    for (const HxNode* parent = m_parentNode; parent; parent = parent->m_parentNode)
        world = world * parent->getLocalMatrix();
    return world;
}

void HxNode::beginEdit()
{
    for (HxFloatProperty* control : m_controls)
        control->beginEdit();
}

void HxNode::finishEdit()
{
    for (HxFloatProperty* control : m_controls)
        control->finishEdit();
}

void HxNode::clearAnimData(const HxTimeRange& range)
{
    for (HxFloatProperty* control : m_controls)
        control->deleteKeys(range);
}

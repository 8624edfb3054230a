#include "model/hxkinetorpose.h"

#include "model/hxposecollection.h"

#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmatrix3.h"
#include "hxcore/hxscene.h"

namespace {

constexpr double kDegToRad = 0.017453292519943295;
constexpr double kRadToDeg = 57.29577951308232;

HxVec3 controlValues(HxFloatProperty* x, HxFloatProperty* y, HxFloatProperty* z)
{
    return HxVec3(x->getValue(), y->getValue(), z->getValue());
}

// The rotate controls hold degrees; the quaternion is built from radians
// stored as floats, as the host's Euler angles are.
HxQuat rotationFromControls(const HxNode* node)
{
    const HxVec3 radians(float(node->getXRotControl()->getValue() * kDegToRad),
                         float(node->getYRotControl()->getValue() * kDegToRad),
                         float(node->getZRotControl()->getValue() * kDegToRad));
    HxQuat rotation;
    rotation.setValue(node->getRotationOrder(), radians);
    return rotation;
}

void setRecordedProperties(HxNode* node, const HxKinetorNodeData& record)
{
    QList<HxFloatProperty*> properties;
    collectAnimatableProperties(properties, node);
    const auto& values = record.getPropValues();
    for (HxFloatProperty* property : std::as_const(properties)) {
        const auto entry = values.constFind(property);
        if (entry != values.constEnd())
            property->setValue(float(entry.value()));
    }
}

void setScaleControls(HxNode* node, const HxKinetorNodeData& record)
{
    node->getXScaleControl()->setValue(record.getScale().x);
    node->getYScaleControl()->setValue(record.getScale().y);
    node->getZScaleControl()->setValue(record.getScale().z);
    node->getScaleControl()->setValue(float(record.getGenScale()));
}

void updateScene()
{
    if (hxScene)
        hxScene->update();
}

} // namespace

HxKinetorPose::HxKinetorPose(float x, float y, HxNode* node, bool capture) : m_x(x), m_y(y), m_node(node)
{
    if (m_node) {
        if (capture) {
            captureFromNode();
        } else {
            QList<HxNode*> nodes;
            getNodeList(nodes);
            m_nodeData.clear();
            m_nodeData.resize(nodes.size());
            for (auto& record : m_nodeData)
                record = std::make_unique<HxKinetorNodeData>();
        }
    }
    m_backwardCompatible = true;
}

HxKinetorPose::~HxKinetorPose() = default;

void HxKinetorPose::setPosition(float x, float y)
{
    m_x = x;
    m_y = y;
}

HxKinetorNodeData* HxKinetorPose::getNodeDataAt(qsizetype index) const
{
    return index >= 0 && std::size_t(index) < m_nodeData.size() ? m_nodeData[std::size_t(index)].get()
                                                                : nullptr;
}

void HxKinetorPose::getNodeList(QList<HxNode*>& nodes) const
{
    collectPoseNodes(nodes, m_node);
}

void HxKinetorPose::captureFromNode()
{
    if (!m_node)
        return;
    QList<HxNode*> nodes;
    getNodeList(nodes);
    m_nodeData.clear();
    m_nodeData.resize(nodes.size());
    for (qsizetype i = 0; i < nodes.size(); ++i) {
        HxNode* node = nodes.at(i);
        auto record = std::make_unique<HxKinetorNodeData>();
        record->setPos(controlValues(node->getXPosControl(), node->getYPosControl(), node->getZPosControl()));
        record->setScale(
            controlValues(node->getXScaleControl(), node->getYScaleControl(), node->getZScaleControl()),
            double(node->getScaleControl()->getValue()));
        record->setRot(rotationFromControls(node));
        QList<HxFloatProperty*> properties;
        collectAnimatableProperties(properties, node);
        auto& values = record->getPropValues();
        for (HxFloatProperty* property : std::as_const(properties))
            values.insert(property, double(property->getValue()));
        m_nodeData[std::size_t(i)] = std::move(record);
    }
}

void HxKinetorPose::applyToNode()
{
    if (!m_node)
        return;
    QList<HxNode*> nodes;
    getNodeList(nodes);
    for (qsizetype i = 0; i < nodes.size(); ++i) {
        HxNode* node = nodes.at(i);
        const HxKinetorNodeData* record = getNodeDataAt(i);
        if (!record)
            continue;
        node->getXPosControl()->setValue(record->getPos().x);
        node->getYPosControl()->setValue(record->getPos().y);
        node->getZPosControl()->setValue(record->getPos().z);
        setScaleControls(node, *record);
        HxVec3 radians;
        record->getRot().getValue(node->getRotationOrder(), radians);
        node->getXRotControl()->setValue(float(radians.x * kRadToDeg));
        node->getYRotControl()->setValue(float(radians.y * kRadToDeg));
        node->getZRotControl()->setValue(float(radians.z * kRadToDeg));
        setRecordedProperties(node, *record);
    }
    updateScene();
}

void HxKinetorPose::applyBackwardCompatible()
{
    if (!m_node)
        return;
    QList<HxNode*> nodes;
    getNodeList(nodes);
    // Properties go first, over all nodes, as the older form applied them.
    for (qsizetype i = 0; i < nodes.size(); ++i)
        if (const HxKinetorNodeData* record = getNodeDataAt(i))
            setRecordedProperties(nodes.at(i), *record);
    for (qsizetype i = 0; i < nodes.size(); ++i) {
        HxNode* node = nodes.at(i);
        HxKinetorNodeData* record = getNodeDataAt(i);
        if (!record)
            continue;
        node->setLocalTransform(record->getPos(), record->getRot(), HxMatrix3(true), 1.0f);
        setScaleControls(node, *record);
        record->setPos(controlValues(node->getXPosControl(), node->getYPosControl(), node->getZPosControl()));
        record->setRot(rotationFromControls(node));
    }
    updateScene();
}

void HxKinetorPose::postLoadFile(const HxInFile*)
{
    if (m_backwardCompatible)
        applyBackwardCompatible();
}

void HxKinetorPose::setNodeData(const QString& nodeName, HxVec3 pos, HxVec3 scale, double genScale,
                                HxQuat rot)
{
    if (!m_node)
        return;
    QList<HxNode*> nodes;
    getNodeList(nodes);
    for (qsizetype i = 0; i < nodes.size(); ++i) {
        if (nodes.at(i)->objectName() != nodeName)
            continue;
        auto record = std::make_unique<HxKinetorNodeData>();
        record->setPos(pos);
        record->setScale(scale, genScale);
        record->setRot(rot);
        // A figure that gained bones since the pose was made has more pose
        // nodes than records; the record still belongs at the node's place.
        if (m_nodeData.size() <= std::size_t(i))
            m_nodeData.resize(std::size_t(i) + 1);
        m_nodeData[std::size_t(i)] = std::move(record);
        return;
    }
}

HxKinetorNodeData* HxKinetorPose::findNodeData(const QString& nodeName)
{
    return findNodeData(nodeName, false);
}

HxKinetorNodeData* HxKinetorPose::findNodeData(const QString& nodeName, bool isTopLevel)
{
    if (!m_node)
        return nullptr;
    QList<HxNode*> nodes;
    getNodeList(nodes);
    for (qsizetype i = 0; i < nodes.size(); ++i) {
        HxNode* node = nodes.at(i);
        if (node->objectName() == nodeName || (isTopLevel && !node->inherits("HxBone")))
            return getNodeDataAt(i);
    }
    return nullptr;
}

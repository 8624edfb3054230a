// How nodes, figures and bones store themselves in a scene file. Kept apart
// from the scene-graph code because it is all about the file's sections.
//
// Node sections:
//   0x0100 name                          0x0104 object name
//   0x0101 rotation order, hidden        0x0105 morph (a property block)
//   0x0102 parent node (plain nodes)     0x0106 data items (pointers)
//   0x0103 property (a property block)
// Figure: 0x0110 bones (pointers, in the figure's order).
// Bone:   0x0120 parent bone, 0x0121 followed bone, 0x0122 origin and end.
//
// A property block is the property's own object id (so pointers reach it),
// name, label, XYZ interest, hidden, can-animate, static value, min, max,
// clamp, the key count, then all key times and all key values.
#include "hxcore/hxbone.h"
#include "hxcore/hxelementdata.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxinfile.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxnode.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxoutfile.h"
#include "hxcore/hxrotationorder.h"
#include "hxcore/hxskeleton.h"

#include <cmath>
#include <vector>

namespace {

enum Section : short
{
    Name = 0x0100,
    Flags = 0x0101,
    Parent = 0x0102,
    Property = 0x0103,
    ObjectName = 0x0104,
    Morph = 0x0105,
    DataItems = 0x0106,
    Bones = 0x0110,
    ParentBone = 0x0120,
    FollowBone = 0x0121,
    RestGeometry = 0x0122,
};

void writePropertyBlock(HxOutFile* file, const HxFloatProperty* property)
{
    file->writeInt(int(file->embed(property)));
    file->writeString(property->objectName());
    file->writeString(property->getLabel());
    file->writeInt(int(property->getXYZInterest()));
    file->writeBool(property->isHidden());
    file->writeBool(property->canAnimate());
    file->writeFloat(property->getStaticValue());
    file->writeFloat(property->getMin());
    file->writeFloat(property->getMax());
    file->writeBool(property->isClamped());
    const HxFloatKeyList& keys = property->keyList();
    std::vector<int> times;
    std::vector<float> values;
    times.reserve(size_t(keys.size()));
    values.reserve(size_t(keys.size()));
    for (const HxFloatKey& key : keys) {
        times.push_back(key.time);
        values.push_back(key.value);
    }
    file->writeInt(keys.size());
    file->writeInts(times.data(), qsizetype(times.size()));
    file->writeFloats(values.data(), qsizetype(values.size()));
}

struct PropertyHead
{
    quint32 id = 0;
    QString name;
    QString label;
};

bool readPropertyHead(HxInFile* file, PropertyHead& head)
{
    int id = 0;
    if (file->readInt(id) || file->readString(head.name) || file->readString(head.label)) {
        file->fail(QStringLiteral("a property's name is cut short"));
        return false;
    }
    head.id = quint32(id);
    return true;
}

// Everything after the head, straight into the property's state: reading a
// file is not an edit, so no undo item may come of it.
void readPropertyBody(HxInFile* file, HxFloatProperty* property, const PropertyHead& head)
{
    const QString what = QStringLiteral("property \"%1\"").arg(head.name);
    int interest = 0;
    bool hidden = false;
    bool canAnimate = true;
    float staticValue = 0.0f;
    float minValue = 0.0f;
    float maxValue = 0.0f;
    bool clamp = false;
    int count = 0;
    if (file->readInt(interest) || file->readBool(hidden) || file->readBool(canAnimate) ||
        file->readFloat(staticValue) || file->readFloat(minValue) || file->readFloat(maxValue) ||
        file->readBool(clamp) || file->readInt(count)) {
        file->fail(QStringLiteral("%1 is cut short").arg(what));
        return;
    }
    if (interest < 0 || interest > 3 || !std::isfinite(staticValue) || !std::isfinite(minValue) ||
        !std::isfinite(maxValue)) {
        file->fail(QStringLiteral("%1 holds an impossible value").arg(what));
        return;
    }
    if (count < 0 || qsizetype(count) > file->remaining() / 8) {
        file->fail(QStringLiteral("%1 claims %2 keys, more than its section holds").arg(what).arg(count));
        return;
    }
    std::vector<int> times(static_cast<size_t>(count));
    std::vector<float> values(static_cast<size_t>(count));
    file->readInts(times.data(), count);
    file->readFloats(values.data(), count);
    std::vector<HxFloatKey> keys(static_cast<size_t>(count));
    for (size_t i = 0; i < size_t(count); ++i) {
        if ((i > 0 && times[i] <= times[i - 1]) || !std::isfinite(values[i])) {
            file->fail(QStringLiteral("key %1 of %2 is out of order or not a number").arg(i).arg(what));
            return;
        }
        keys[i] = HxFloatKey{times[i], values[i]};
    }
    property->setLabel(head.label);
    property->setXYZInterest(HxNumericProperty::XYZInterest(interest));
    property->setHidden(hidden);
    property->setCanAnimate(canAnimate);
    if (clamp || minValue != 0.0f || maxValue != 0.0f)
        property->setLimits(minValue, maxValue, clamp);
    property->restoreState(HxFloatProperty::State{staticValue, HxFloatKeyList(keys)});
    file->registerObject(head.id, property);
}

HxObject* objectOf(HxNode* node)
{
    if (!node->getObject())
        node->setObject(new HxObject(node->objectName()));
    return node->getObject();
}

template <class T> T* cast(HxBase* object, const char* className)
{
    return object ? qobject_cast<T*>(object->assertCast(className)) : nullptr;
}

bool isAncestor(const HxNode* candidate, const HxNode* node)
{
    for (const HxNode* at = candidate; at; at = at->getParentNode())
        if (at == node)
            return true;
    return false;
}

} // namespace

void HxNode::loadSection(HxInFile* file, short id)
{
    switch (id) {
    case Name: {
        QString name;
        if (file->readString(name))
            file->fail(QStringLiteral("a node's name is cut short"));
        setObjectName(name);
        break;
    }
    case Flags: {
        int order = 0;
        bool hidden = false;
        if (file->readInt(order) || file->readBool(hidden) || order < 0 || order > 5) {
            file->fail(QStringLiteral("node \"%1\" has no valid rotation order").arg(objectName()));
            break;
        }
        setRotationOrder(HxRotationOrder(order));
        setHidden(hidden);
        break;
    }
    case Parent:
        file->readPointer();
        break;
    case Property: {
        PropertyHead head;
        if (!readPropertyHead(file, head))
            break;
        auto* property = qobject_cast<HxFloatProperty*>(findProperty(head.name));
        if (!property) {
            property = new HxFloatProperty(this, head.name, head.label);
            addProperty(property);
        }
        readPropertyBody(file, property, head);
        break;
    }
    case ObjectName: {
        QString name;
        file->readString(name);
        objectOf(this)->setObjectName(name);
        break;
    }
    case Morph: {
        PropertyHead head;
        if (!readPropertyHead(file, head))
            break;
        auto* morph = new HxMorph(head.name, head.label);
        objectOf(this)->addItem(morph);
        readPropertyBody(file, morph->getValueChannel(), head);
        break;
    }
    case DataItems:
        while (file->readPointer() == HxInFile::Ok) {
        }
        break;
    default:
        HxElement::loadSection(file, id);
    }
}

void HxNode::setPointer(const HxInFile* file, short id, short index, HxBase* object)
{
    if (id == Parent) {
        auto* parent = cast<HxNode>(object, "HxNode");
        // A cycle of parents would never end a walk up the hierarchy.
        if (parent && isAncestor(parent, this))
            file->warn(QStringLiteral("node \"%1\" cannot be its own ancestor").arg(objectName()));
        else if (parent)
            setParentNode(parent);
    } else if (id == DataItems) {
        auto* item = cast<HxElementData>(object, "HxElementData");
        if (item && (item->getElement() || item->parent()))
            file->warn(QStringLiteral("a data item cannot belong to two nodes"));
        else if (item)
            addDataItem(item);
    } else {
        HxElement::setPointer(file, id, index, object);
    }
}

void HxNode::save(HxOutFile* file) const
{
    file->writeStringSection(Name, objectName());
    file->startSection(Flags);
    file->writeInt(int(getRotationOrder()));
    file->writeBool(isHidden());
    file->endSection();
    if (!qobject_cast<const HxBone*>(this) && getParentNode())
        file->writePointerSection(Parent, getParentNode(), 0);
    for (int i = 0; i < getNumProperties(); ++i) {
        if (auto* property = qobject_cast<const HxFloatProperty*>(getProperty(i))) {
            file->startSection(Property);
            writePropertyBlock(file, property);
            file->endSection();
        }
    }
    if (const HxObject* geometry = getObject()) {
        file->writeStringSection(ObjectName, geometry->objectName());
        for (int i = 0; i < geometry->getNumItems(); ++i) {
            if (auto* morph = qobject_cast<const HxMorph*>(geometry->getItem(i))) {
                file->startSection(Morph);
                writePropertyBlock(file, morph->getValueChannel());
                file->endSection();
            }
        }
    }
    if (!dataItems().isEmpty()) {
        file->startSection(DataItems);
        for (qsizetype i = 0; i < dataItems().size(); ++i)
            file->writePointer(dataItems().at(i), short(i));
        file->endSection();
    }
}

void HxSkeleton::loadSection(HxInFile* file, short id)
{
    if (id == Bones) {
        while (file->readPointer() == HxInFile::Ok) {
        }
        return;
    }
    HxNode::loadSection(file, id);
}

void HxSkeleton::setPointer(const HxInFile* file, short id, short index, HxBase* object)
{
    if (id != Bones) {
        HxNode::setPointer(file, id, index, object);
        return;
    }
    auto* bone = cast<HxBone>(object, "HxBone");
    if (bone && bone->getSkeleton())
        file->warn(QStringLiteral("bone \"%1\" cannot belong to two figures").arg(bone->objectName()));
    else if (bone)
        addBone(bone);
}

void HxSkeleton::save(HxOutFile* file) const
{
    HxNode::save(file);
    file->startSection(Bones);
    for (int i = 0; i < getNumBones(); ++i)
        file->writePointer(getBone(i), short(i));
    file->endSection();
}

void HxBone::loadSection(HxInFile* file, short id)
{
    switch (id) {
    case ParentBone:
    case FollowBone:
        file->readPointer();
        break;
    case RestGeometry: {
        HxVec3 origin;
        HxVec3 end;
        if (file->readVec(origin) || file->readVec(end) || !origin.isFinite() || !end.isFinite()) {
            file->fail(QStringLiteral("bone \"%1\" has no valid rest geometry").arg(objectName()));
            break;
        }
        setRestGeometry(origin, end);
        break;
    }
    default:
        HxNode::loadSection(file, id);
    }
}

void HxBone::setPointer(const HxInFile* file, short id, short index, HxBase* object)
{
    if (id == ParentBone) {
        auto* parent = cast<HxBone>(object, "HxBone");
        if (parent && isAncestor(parent, this))
            file->warn(QStringLiteral("bone \"%1\" cannot be its own ancestor").arg(objectName()));
        else if (parent)
            setParentBone(parent);
    } else if (id == FollowBone) {
        auto* followed = cast<HxBone>(object, "HxBone");
        if (followed && followed != this)
            setFollowBone(followed);
    } else {
        HxNode::setPointer(file, id, index, object);
    }
}

void HxBone::save(HxOutFile* file) const
{
    HxNode::save(file);
    if (getParentBone())
        file->writePointerSection(ParentBone, getParentBone(), 0);
    if (getFollowBone())
        file->writePointerSection(FollowBone, getFollowBone(), 0);
    file->startSection(RestGeometry);
    file->writeVec(getOrigin());
    file->writeVec(getEndPoint());
    file->endSection();
}

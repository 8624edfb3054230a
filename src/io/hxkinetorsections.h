#pragma once

// Section identifiers of the plug-in's four storable classes. They are in
// every scene file ever written; never renumber them. 518 to 520, 522 to
// 527 and 533 are unused.
namespace HxKinetorSections {

enum : short
{
    ElementDataNode = 0x200,   // pointer to the node
    ElementDataLayers = 0x201, // a pointer per layer, in tab order
    LayerName = 0x202,         // string
    LayerNode = 0x203,         // pointer to the node
    LayerPoses = 0x204,        // a pointer per pose, in list order
    LayerView = 0x205,         // zoom, origin x, origin y (floats)
    PoseForm = 0x209,          // bool, always false: the current form
    PosePosition = 0x210,      // x, y (floats)
    PoseNode = 0x211,          // pointer to the node
    PoseRecords = 0x212,       // int count, then a pointer per record
    NodeDataPosition = 0x213,  // vec
    NodeDataScale = 0x214,     // vec scale, double general scale
    NodeDataRotation = 0x216,  // four doubles, the quaternion's storage order
    NodeDataValues = 0x217,    // int count, then per value a double and a pointer
};

} // namespace HxKinetorSections

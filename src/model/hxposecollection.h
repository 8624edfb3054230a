#pragma once

#include <QList>

class HxFloatProperty;
class HxKinetorPose;
class HxNode;

// The lists a pose is built on. A pose stores neither nodes nor properties:
// record i of a pose belongs to node i of collectPoseNodes for the pose's
// node, so every reader and writer of poses rebuilds these lists from the
// live scene, in the same order, each time. None of the routines clears the
// list it is given.

// Appends the nodes whose transforms a pose records: the bones of a figure
// that follow no other bone, in the figure's order, then the node itself.
// A bone that follows another bone has no pose nodes.
void collectPoseNodes(QList<HxNode*>& nodes, HxNode* node);

// Appends the float properties whose values a pose records for one node: its
// morph channels, unconditionally, then its own visible, animatable plain
// values whose label does not mention scale.
void collectAnimatableProperties(QList<HxFloatProperty*>& properties, HxNode* node);

// Removes every property whose value is the same in all poses that record it
// at that node position, so that blending touches only what can change.
void pruneConstantProperties(QList<HxFloatProperty*>& properties, const QList<HxKinetorPose*>& poses,
                             unsigned nodeIndex);

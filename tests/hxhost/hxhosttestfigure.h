#pragma once

#include <QString>

class HxSkeleton;

// A small figure built in code, in centimetres, Y up:
//   hip      (0, 100, 0) -> (0, 110, 0)
//   chest    (0, 110, 0) -> (0, 140, 0), child of hip
//   arm      (0, 140, 0) -> (40, 140, 0), child of chest
//   forearm  (40, 140, 0) -> (70, 140, 0), child of arm
//   sleeve   (0, 140, 0) -> (40, 140, 0), no parent, follows arm
// The figure's object has the morphs "Smile" and "Jaw Side"; the figure has
// the extra properties "Breathing" and a hidden "Secret".
HxSkeleton* makeTestFigure(const QString& name = QStringLiteral("Stick"));

// The same figure as a figure file, for the loading paths.
QString testFigureJson(const QString& name = QStringLiteral("Stick"));

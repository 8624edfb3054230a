#pragma once

#include <QString>

// The fixed texts of a preset script (see HxKinetorFilter::writeToFile).

// Constants, the settings and interface classes, and the opening of the
// actions class up to its array of layer names.
QString kinetorPresetHead();
// Closes the array; the rest of the actions class and the entry line.
QString kinetorPresetMiddle();
// createLayers up to its layer blocks, inside the block that runs only with
// a selected figure and the pane.
QString kinetorPresetCreateLayersHead();

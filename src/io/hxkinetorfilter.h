#pragma once

#include "hxcore/hxsavefilter.h"

#include <QList>
#include <QString>

class HxFileIOFrame;
class HxKinetorLayer;
class HxKinetorLayerGroup;
class HxKinetorPose;
class HxNode;
class HxScript;

// The "Kinetor Preset" save filter: writes the layers of the selected
// figure, all of them or those picked in its options frame, as a script
// that rebuilds them through the pane's, layers', poses' and records' slots
// when it is run with a figure selected.
class HxKinetorFilter : public HxSaveFilter
{
    Q_OBJECT
public:
    // writeToFile's own statuses; others come from HxScript::saveToFile.
    enum Status : unsigned int
    {
        NoSelectionOrPane = 97,
        NoLayerGroup = 98,
    };

    HxKinetorFilter();
    ~HxKinetorFilter() override;

    // The keys of the layers to write, "name_tabIndex" ("Walk_0"). Only the
    // options frame changes it; it outlives every save, so a save without a
    // new apply writes the previous choice again.
    static QList<QString>& selectedLayers();
    static QString layerKey(const QString& name, int tabIndex);
    // The primary selection, a bone replaced by its figure; null when none.
    static HxNode* selectedNode();

    HxFileIOFrame* createOptionsFrame() override;
    QString getSaveError() override;
    unsigned int writeToFile(const QString& fileName, int mode, const QVariantMap& options) override;

    // The whole preset for the group's selected layers.
    static void writeScript(HxScript& script, HxKinetorLayerGroup* group);

private:
    static void writeLayer(HxScript& script, HxKinetorLayer* layer, int position);
    static void writePose(HxScript& script, HxKinetorPose* pose);
};

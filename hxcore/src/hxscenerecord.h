#pragma once

#include "hxcore/hxbase.h"
#include "hxcore/hxtimerange.h"

#include <QList>
#include <QPointer>
#include <QString>

class HxNode;
class HxScene;

// The scene's own object in a scene file: time step and time, the play and
// animation ranges, the selection, the sound track's file and start frame,
// the state script and the top-level nodes in scene order.
class HxSceneRecord : public HxBase
{
    Q_OBJECT
public:
    HxSceneRecord();
    ~HxSceneRecord() override;

    // Takes the scene's state, with the state script given.
    void capture(const HxScene* scene, const QString& stateScript);

    void loadSection(HxInFile* file, short id) override;
    void setPointer(const HxInFile* file, short id, short index, HxBase* object) override;
    void save(HxOutFile* file) const override;

    int timeStep = 160;
    int time = 0;
    HxTimeRange playRange{0, 4800 * 4};
    HxTimeRange animRange{0, 4800 * 4};
    QPointer<HxNode> selection;
    QString audioFileName;
    int audioStartFrame = 0;
    QString stateScript;
    QList<QPointer<HxNode>> nodes;
};

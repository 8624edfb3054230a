#pragma once

#include "layer/hxkinetorblend.h"
#include "ui/hxkinetorlayerview.h"
#include "ui/hxkinetorpane.h"

#include "hxcore/hxbase.h"
#include "hxcore/hxtime.h"
#include "hxcore/hxtimerange.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <memory>
#include <vector>

class HxFloatProperty;
class HxKinetorBlendPlan;
class HxKinetorClock;
class HxKinetorLiveBlend;
class HxKinetorPose;
class HxMatrix4;
class HxNode;
class HxPointControl;
class HxUndoStackHold;
class QTimer;
class QWidget;

// One layer of pose dots for a scene node: the dots, the blend cursor with
// its keys, which pose nodes and properties actually differ between the
// dots, and the machinery of a live blend (record and undo timers, clock,
// current and record time, the open undo group). Its slots are what scripts
// and actions call.
class HxKinetorLayer : public HxBase
{
    Q_OBJECT
public:
    // How applyBlend turns the dots' values into one value per channel: the
    // weights solved once per blend, or one elimination per channel (the
    // reference the weights are checked against).
    enum class BlendSolve
    {
        Weights,
        PerChannel
    };

    // For the class factory: finds the pane through the main window.
    HxKinetorLayer();
    HxKinetorLayer(HxKinetorPane* pane, QWidget* parent, const QString& name, const char* objectName);
    ~HxKinetorLayer() override;

    // After a scene load has filled name, node and poses.
    void postLoadFile(const HxInFile* file) override;
    // Scene storage (src/io/hxkinetorlayerstorage.cpp).
    void loadSection(HxInFile* file, short id) override;
    void setPointer(const HxInFile* file, short id, short index, HxBase* object) override;
    void save(HxOutFile* file) const override;

    QString getName() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    int getNumPoses() const { return int(m_poses.size()); }
    const QList<HxKinetorPose*>& getPoses() const { return m_poses; }
    HxKinetorPose* getActivePose() const { return m_activePose; }
    void setActivePose(HxKinetorPose* pose);
    HxNode* getNode() const { return m_node; }
    // A different node resets the change flags; the view repaints either way.
    void setNode(HxNode* node);
    HxKinetorPane* getPane() const { return m_pane; }
    HxPointControl* getCursor() const { return m_cursor.get(); }
    HxKinetorLayerView* getView() const { return m_view; }

    // Deletes every pose.
    void clearPoses();
    // For undo: puts back a pose taken out earlier (the layer takes it), and
    // takes one out without deleting it (its index, or -1 when it is not in
    // the layer).
    void insertPose(HxKinetorPose* pose, int index);
    int takePose(HxKinetorPose* pose);

    // One entry per pose node: whether the poses record different
    // transforms, or different property values, for that node.
    const std::vector<bool>& getTransformChanged() const { return m_transformChanged; }
    const std::vector<bool>& getPropertiesChanged() const { return m_propertiesChanged; }
    void resetChangeFlags();
    // Compares the reference (the first pose when null) with every other pose.
    void updateChangeFlags(HxKinetorPose* reference);

    // The live blend. A view starts it on a press (record timer, clock,
    // current and record time, beginEdit) and ends it on release.
    QTimer* getRecordTimer() const { return m_recordTimer; }
    QTimer* getUndoTimer() const { return m_undoTimer; }
    HxKinetorClock* getClock() const { return m_clock.get(); }
    // Replaces the wall clock (tests drive their own).
    void setClock(std::unique_ptr<HxKinetorClock> clock);
    HxTime getCurrentTime() const { return m_currentTime; }
    void setCurrentTime(HxTime time) { m_currentTime = time; }
    HxTime getRecordTime() const { return m_recordTime; }
    void setRecordTime(HxTime time) { m_recordTime = time; }
    // True while an undo group of a drag or a fill is open.
    bool isEditing() const { return m_undoHold != nullptr; }

    // A press in Preview or Record starts the live blend at the cursor
    // position; the release, or anything that ends it early, ends it. Ending
    // stops the timer, commits the group, ends the viewport manipulation and
    // stops the sound that the start began.
    void startLiveBlend(float x, float y);
    void endLiveBlend();
    bool isLiveBlending() const { return m_liveBlend != nullptr; }
    // Whether ending the live blend stops the scene's sound, which it does
    // when it started it.
    bool liveBlendStopsSound() const;

    // Brackets the edits of every pose node and varying property and opens an
    // undo group; finishEdit closes both, committing one step with the caption.
    void beginEdit();
    void finishEdit(const QString& caption);

    // Blends the poses at the cursor and sets the values at the record time.
    void applyBlend();
    // The weight of each pose, in list order, in a blend at the point: what
    // each dot's values count for there. A pose whose dot shares an integer
    // cell with an earlier one gets 0. False when the layer cannot blend
    // (fewer than two distinct dots, a point that is not finite).
    bool blendWeightsAt(float x, float y, std::vector<double>& weights) const;
    void setBlendSolve(BlendSolve solve) { m_blendSolve = solve; }
    BlendSolve getBlendSolve() const { return m_blendSolve; }

    // Moves the cursor along its keys to the time and, with Fill Skipped
    // Frames, blends a frame of the recorded stretch that has no cursor key.
    void updateForTime(HxTime time);
    // Removes, within the range, the keys of what the layer varies and the
    // cursor's keys.
    void clearAnimation(const HxTimeRange& range);

    // Makes the upper 3 x 3 of a blended rotation matrix orthonormal again.
    static void orthonormalizeRotation(HxMatrix4& matrix);

public slots:
    void timerUpdate();
    void undoTimeout();
    HxKinetorPose* newPose(int x, int y);
    HxKinetorPose* addPose(int x, int y);
    void addPose(HxKinetorPose* pose);
    void addPose(HxKinetorPose* pose, bool backwardCompatible);
    void removePose(HxKinetorPose* pose);
    void setPose(HxKinetorPose* pose);
    void zoomToFit();
    void centerView();
    void resetView();
    void zoomOutToFit();

private:
    void init(HxKinetorPane* pane, QWidget* parent, const QString& name);
    bool isRecording() const;
    void repaintView();
    // Pose nodes and, per node, the properties that differ between the
    // poses at that position.
    void collectVaryingProperties(QList<HxFloatProperty*>& properties, HxNode* node, int index,
                                  const QList<HxKinetorPose*>& poses) const;

    QPointer<HxKinetorLayerView> m_view;
    QString m_name;
    QPointer<HxKinetorPane> m_pane;
    QList<HxKinetorPose*> m_poses;
    std::vector<bool> m_transformChanged;
    std::vector<bool> m_propertiesChanged;
    std::unique_ptr<HxPointControl> m_cursor;
    HxKinetorPose* m_activePose = nullptr;
    QPointer<HxNode> m_node;
    QTimer* m_recordTimer = nullptr;
    std::unique_ptr<HxKinetorClock> m_clock;
    HxTime m_currentTime = 0;
    HxTime m_recordTime = 0;
    std::unique_ptr<HxUndoStackHold> m_undoHold;
    QTimer* m_undoTimer = nullptr;
    std::unique_ptr<HxKinetorLiveBlend> m_liveBlend;

    // What beginEdit bracketed (each node, then its varying properties), so
    // that finishEdit closes exactly those brackets, in the same order, even
    // if the poses changed in between.
    QList<QPointer<QObject>> m_editBrackets;
    QString m_editCaption;
    BlendSolve m_blendSolve = BlendSolve::Weights;
    // Built on demand from the poses, dropped when the change flags change;
    // it checks itself against moved dots and edited records.
    HxKinetorBlendPlan& blendPlan() const;
    mutable std::unique_ptr<HxKinetorBlendPlan> m_blendPlan;
};

#pragma once

#include "hxcore/hxnode.h"
#include "hxcore/hxpane.h"
#include "hxcore/hxscript.h"
#include "hxcore/hxtime.h"

#include <QPointer>
#include <QString>
#include <memory>
#include <unordered_map>

class HxActionMenu;
class HxKinetorLayer;
class HxKinetorLayerGroup;
class HxKinetorLayerView;
class HxNodeMenu;
class QButtonGroup;
class QGroupBox;
class QRadioButton;
class QStackedWidget;
class QWidget;

// The plug-in's dock pane and the hub that the layers, views, actions and
// scripts reach: a node menu, the mode buttons (Edit, Preview, Record) and a
// stack with one layer group per scene node, of which the current node's is
// shown. It follows the scene's nodes, selection and time, and owns the
// three recording options that the layers and views read.
class HxKinetorPane : public HxPane
{
    Q_OBJECT
public:
    enum Mode
    {
        EditMode = 0,
        PreviewMode = 1,
        RecordMode = 2
    };

    explicit HxKinetorPane(QWidget* parent = nullptr);
    ~HxKinetorPane() override;

    void buildPaneMenu(HxActionMenu* menu) override;
    bool hasPaneMenu() const override;

    // Null while no node is current (the default group is shown).
    HxNode* getCurrentNode() const { return m_currentNode; }
    HxNodeMenu* getNodeMenu() const { return m_nodeMenu; }
    QWidget* getLayoutBox() const { return m_layoutBox; }
    QButtonGroup* getModeGroup() const { return m_modeGroup; }
    QStackedWidget* getWidgetStack() const { return m_widgetStack; }
    // Every group, the default one included.
    int getNumLayerGroups() const { return int(m_layerGroups.size()); }

public slots:
    // Offers the scene's nodes that are neither bones nor hidden.
    void buildNodeList();
    void nodeAdded(HxNode* node);
    void nodeRemoved(HxNode* node);
    void primarySelectionChanged(HxNode* node);
    void timeChanged(HxTime time);
    // The default group for a null node; null for a node without a group.
    HxKinetorLayerGroup* getLayerGroupByNode(HxNode* node) const;
    // The group the stack shows, its current page and that page's layer.
    HxKinetorLayerGroup* getActiveLayerGroup() const;
    HxKinetorLayer* getActiveLayer() const;
    HxKinetorLayerView* getActiveLayerView() const;
    // Null, and nothing added, for a node without a group or an empty title.
    HxKinetorLayer* addLayer(HxNode* node, QString title);
    // Ask for a name first.
    void addLayer();
    void renameLayer();
    void deleteLayer();
    void deleteAllLayers(HxNode* node);
    void deleteEmptyDefaultLayer(HxNode* node);
    void clearLayer();
    // Over the scene's play range.
    void clearLayerAnimation();
    // The setters emit their signal even when the value does not change, so
    // every listener can resynchronise from a script.
    bool playAudio() const;
    void setPlayAudio(bool onOff);
    bool fillFrames() const;
    void setFillFrames(bool onOff);
    bool extendFrames() const;
    void setExtendFrames(bool onOff);
    // The id of the mode button that is on.
    int mode() const;
    // Turns on the button of that mode (an id without a button changes
    // nothing) and repaints the active view.
    void setMode(int mode);
    // Appends the block that restores the three options.
    void saveStateScript(HxScript& script);
    // Back to Edit; the options stay.
    void sceneCleared();

private slots:
    void selectNode(HxNode* node);
    void restoreFigure();

signals:
    void playAudioChanged(bool onOff);
    void fillFramesChanged(bool onOff);
    void extendFramesChanged(bool onOff);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Asks for a layer name; false when the person cancelled or left it empty.
    static bool askLayerName(const QString& proposal, QString& name);
    // A mode change or a cleared scene ends every drag in progress, so that
    // no timer, undo group, manipulation or sound outlives it.
    void endLiveBlends();

    HxNodeMenu* m_nodeMenu = nullptr;
    QWidget* m_layoutBox = nullptr;
    QGroupBox* m_modeGroupBox = nullptr;
    QButtonGroup* m_modeGroup = nullptr;
    QRadioButton* m_editButton = nullptr;
    QRadioButton* m_previewButton = nullptr;
    QRadioButton* m_recordButton = nullptr;
    bool m_playAudio = true;
    bool m_fillFrames = true;
    bool m_extendFrames = true;
    QPointer<HxNode> m_currentNode;
    QStackedWidget* m_widgetStack = nullptr;
    // Keyed by node; the null key holds the default group.
    std::unordered_map<HxNode*, std::unique_ptr<HxKinetorLayerGroup>> m_layerGroups;
};

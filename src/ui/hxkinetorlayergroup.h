#pragma once

#include <QPointer>
#include <QString>
#include <QTabWidget>

class HxKinetorLayer;
class HxKinetorLayerView;
class HxKinetorPane;
class HxNode;

// The layers of one scene node as tabs: each page is a layer's view, each
// label the layer's name. The group owns its layers; the current tab of the
// group that the pane shows is the layer that actions and scripts work on.
class HxKinetorLayerGroup : public QTabWidget
{
    Q_OBJECT
public:
    // Starts with one layer, named as uniqueLayerName() proposes.
    HxKinetorLayerGroup(HxKinetorPane* pane, HxNode* node, QWidget* parent = nullptr,
                        const char* name = nullptr);
    ~HxKinetorLayerGroup() override;

    HxKinetorPane* getPane() const;
    // Null for the pane's default group.
    HxNode* getNode() const;

    // "Layer n" with the smallest n that no tab carries yet.
    QString uniqueLayerName() const;
    // An empty name is replaced by uniqueLayerName(); names already in use
    // are accepted. The new layer's tab becomes current. Never null.
    HxKinetorLayer* addLayer(const QString& name);
    // Shows a layer made elsewhere (a loaded scene) as a new current tab.
    void addLayerTab(HxKinetorLayer* layer);
    // Removes the layer's tab and deletes its view and the layer.
    void removeLayer(HxKinetorLayer* layer);
    void deleteCurrentLayer();
    void deleteAllLayers();
    // Removes the layer that construction made, but only while it is the
    // single tab, still called "Layer 1" and without dots: layers are about
    // to come from a scene file or a preset.
    void deleteEmptyDefaultLayer();
    void renameCurrentLayer(const QString& name);
    // For undo: shows a layer taken out earlier at its old index again (the
    // group takes it back), and takes a layer's tab out without deleting the
    // layer or its view (its index, or -1 when the group does not show it).
    void insertLayerTab(HxKinetorLayer* layer, int index);
    int takeLayer(HxKinetorLayer* layer);

    HxKinetorLayerView* layerViewAt(int index) const;
    HxKinetorLayer* layerAt(int index) const;
    HxKinetorLayer* currentLayer() const;

private:
    void addShowButton();

    QPointer<HxKinetorPane> m_pane;
    QPointer<HxNode> m_node;
};

#pragma once

#include "hxcore/hxnode.h"
#include "hxcore/hxpane.h"
#include "hxcore/hxviewportmgr.h"

#include <QList>
#include <QPointer>

class HxFloatProperty;
class HxPropertySlider;
class QGroupBox;
class QLabel;
class QScrollArea;
class QVBoxLayout;

// The selected node's float properties, each as a slider with a spin box,
// in three groups: the transform controls, the morphs of its object, and
// the rest of its own properties.
class HxParametersPane : public HxPane
{
    Q_OBJECT
public:
    explicit HxParametersPane(HxViewportMgr* viewportMgr, QWidget* parent = nullptr);
    ~HxParametersPane() override;

    HxNode* node() const { return m_node; }
    // The editor of the property with this label, or null.
    HxPropertySlider* findSlider(const QString& label) const;
    // "Transforms", "Morphs" or "Other"; null when the node has none of them.
    QGroupBox* findGroup(const QString& title) const;
    QList<HxPropertySlider*> sliders() const { return m_sliders; }

    void refresh() override;

private:
    void showNode(HxNode* node);
    QGroupBox* addGroup(const QString& title, const QList<HxFloatProperty*>& properties);

    QPointer<HxViewportMgr> m_viewportMgr;
    QPointer<HxNode> m_node;
    QLabel* m_header;
    QScrollArea* m_scroll;
    QWidget* m_content = nullptr;
    QVBoxLayout* m_contentLayout = nullptr;
    QList<HxPropertySlider*> m_sliders;
    QList<QGroupBox*> m_groups;
};

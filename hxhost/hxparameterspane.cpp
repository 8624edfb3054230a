#include "hxparameterspane.h"

#include "hxpropertyslider.h"

#include "hxcore/hxbone.h"
#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxmorph.h"
#include "hxcore/hxobject.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxskeleton.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

HxParametersPane::HxParametersPane(HxViewportMgr* viewportMgr, QWidget* parent)
    : HxPane(tr("Parameters"), parent), m_viewportMgr(viewportMgr)
{
    m_header = new QLabel(this);
    m_header->setObjectName(QStringLiteral("parametersHeader"));
    m_header->setTextFormat(Qt::RichText);
    m_header->setContentsMargins(4, 2, 4, 2);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(m_header);
    layout->addWidget(m_scroll, 1);

    if (hxScene) {
        connect(hxScene, &HxScene::primarySelectionChanged, this, &HxParametersPane::showNode);
        connect(hxScene, &HxScene::nodeRemoved, this, [this](HxNode* node) {
            if (node == m_node)
                showNode(nullptr);
        });
    }
    refresh();
}

HxParametersPane::~HxParametersPane() = default;

void HxParametersPane::refresh()
{
    showNode(hxScene ? hxScene->getPrimarySelection() : nullptr);
}

HxPropertySlider* HxParametersPane::findSlider(const QString& label) const
{
    for (HxPropertySlider* slider : m_sliders)
        if (slider->property() && slider->property()->getLabel() == label)
            return slider;
    return nullptr;
}

QGroupBox* HxParametersPane::findGroup(const QString& title) const
{
    for (QGroupBox* group : m_groups)
        if (group->title() == title)
            return group;
    return nullptr;
}

void HxParametersPane::showNode(HxNode* node)
{
    m_node = node;
    m_sliders.clear();
    m_groups.clear();
    // The old editors go at once so no slot of theirs runs against the new
    // node; a drag in progress ends as its own undo step.
    delete m_scroll->takeWidget();
    m_content = new QWidget;
    m_contentLayout = new QVBoxLayout(m_content);
    m_contentLayout->setContentsMargins(0, 0, 0, 0);
    m_contentLayout->setSpacing(6);

    if (!node) {
        m_header->setText(tr("<i>Nothing selected</i>"));
        auto* hint =
            new QLabel(tr("Select a bone in the viewport or in the Scene pane to edit it."), m_content);
        hint->setWordWrap(true);
        hint->setEnabled(false);
        m_contentLayout->addWidget(hint);
        m_contentLayout->addStretch(1);
        m_scroll->setWidget(m_content);
        return;
    }

    const QString kind = qobject_cast<HxSkeleton*>(node) ? tr("Figure")
                         : qobject_cast<HxBone*>(node)   ? tr("Bone")
                                                         : tr("Node");
    m_header->setText(QStringLiteral("<b>%1</b> &nbsp;<span style='color:gray'>%2</span>")
                          .arg(node->objectName().toHtmlEscaped(), kind));

    QList<HxFloatProperty*> transforms;
    QList<HxFloatProperty*> morphs;
    QList<HxFloatProperty*> others;
    for (int i = 0; i < HxNode::NumTransformControls; ++i)
        if (HxFloatProperty* control = node->getTransformControl(i); control && !control->isHidden())
            transforms.append(control);
    if (HxObject* object = node->getObject()) {
        for (int i = 0; i < object->getNumItems(); ++i)
            if (auto* morph = qobject_cast<HxMorph*>(object->getItem(i)))
                if (HxFloatProperty* channel = morph->getValueChannel(); channel && !channel->isHidden())
                    morphs.append(channel);
    }
    for (int i = 0; i < node->getNumProperties(); ++i) {
        auto* property = qobject_cast<HxFloatProperty*>(node->getProperty(i));
        if (property && !property->isHidden() && !transforms.contains(property))
            others.append(property);
    }
    addGroup(tr("Transforms"), transforms);
    addGroup(tr("Morphs"), morphs);
    addGroup(tr("Other"), others);
    m_contentLayout->addStretch(1);
    m_scroll->setWidget(m_content);
}

QGroupBox* HxParametersPane::addGroup(const QString& title, const QList<HxFloatProperty*>& properties)
{
    if (properties.isEmpty())
        return nullptr;
    auto* group = new QGroupBox(title, m_content);
    auto* form = new QFormLayout(group);
    form->setContentsMargins(6, 6, 6, 6);
    form->setHorizontalSpacing(8);
    form->setVerticalSpacing(3);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    for (HxFloatProperty* property : properties) {
        auto* slider = new HxPropertySlider(property, m_viewportMgr, group);
        form->addRow(property->getLabel(), slider);
        m_sliders.append(slider);
    }
    m_contentLayout->addWidget(group);
    m_groups.append(group);
    return group;
}

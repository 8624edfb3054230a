#include "ui/hxkinetorpane.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

HxKinetorPane::HxKinetorPane(QWidget* parent) : HxPane(QStringLiteral("Kinetor"), parent)
{
    setObjectName(QStringLiteral("Kinetor"));

    m_layoutBox = new QWidget(this);
    auto* boxLayout = new QVBoxLayout(m_layoutBox);
    boxLayout->setContentsMargins(0, 0, 0, 0);

    m_modeGroupBox = new QGroupBox(tr("Mode"), m_layoutBox);
    m_modeGroupBox->setObjectName(QStringLiteral("KinetorModeGroupBox"));
    auto* modeLayout = new QHBoxLayout(m_modeGroupBox);
    modeLayout->setContentsMargins(5, 5, 5, 5);
    modeLayout->setSpacing(0);
    boxLayout->addWidget(m_modeGroupBox);

    m_modeGroup = new QButtonGroup(this);
    m_editButton = new QRadioButton(tr("Edit"), m_modeGroupBox);
    m_editButton->setObjectName(QStringLiteral("KinetorEditModeButton"));
    m_editButton->setChecked(true);
    m_modeGroup->addButton(m_editButton, EditMode);
    modeLayout->addWidget(m_editButton);
    m_previewButton = new QRadioButton(tr("Preview"), m_modeGroupBox);
    m_previewButton->setObjectName(QStringLiteral("KinetorPreviewModeButton"));
    m_modeGroup->addButton(m_previewButton, PreviewMode);
    modeLayout->addWidget(m_previewButton);
    m_recordButton = new QRadioButton(tr("Record"), m_modeGroupBox);
    m_recordButton->setObjectName(QStringLiteral("KinetorRecordModeButton"));
    m_modeGroup->addButton(m_recordButton, RecordMode);
    modeLayout->addWidget(m_recordButton);
    connect(m_modeGroup, &QButtonGroup::idClicked, this, &HxKinetorPane::setMode);

    setPlayAudio(true);
    setFillFrames(true);
    setExtendFrames(true);
}

HxKinetorPane::~HxKinetorPane() = default;

bool HxKinetorPane::playAudio() const
{
    return m_playAudio;
}

void HxKinetorPane::setPlayAudio(bool onOff)
{
    m_playAudio = onOff;
    emit playAudioChanged(onOff);
}

bool HxKinetorPane::fillFrames() const
{
    return m_fillFrames;
}

void HxKinetorPane::setFillFrames(bool onOff)
{
    m_fillFrames = onOff;
    emit fillFramesChanged(onOff);
}

bool HxKinetorPane::extendFrames() const
{
    return m_extendFrames;
}

void HxKinetorPane::setExtendFrames(bool onOff)
{
    m_extendFrames = onOff;
    emit extendFramesChanged(onOff);
}

int HxKinetorPane::mode() const
{
    return m_modeGroup->checkedId();
}

void HxKinetorPane::setMode(int mode)
{
    if (m_modeGroup->checkedId() != mode) {
        if (QAbstractButton* button = m_modeGroup->button(mode))
            button->setChecked(true);
    }
}

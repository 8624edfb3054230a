#pragma once

#include "hxcore/hxpane.h"

class QButtonGroup;
class QGroupBox;
class QRadioButton;
class QWidget;

// The plug-in's dock pane: the mode (Edit, Preview, Record) and the three
// recording options that the layers and their views read.
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

public slots:
    bool playAudio() const;
    void setPlayAudio(bool onOff);
    bool fillFrames() const;
    void setFillFrames(bool onOff);
    bool extendFrames() const;
    void setExtendFrames(bool onOff);
    // The id of the mode button that is on.
    int mode() const;
    // Turns on the button of that mode; an id without a button changes
    // nothing.
    void setMode(int mode);

signals:
    void playAudioChanged(bool onOff);
    void fillFramesChanged(bool onOff);
    void extendFramesChanged(bool onOff);

private:
    QWidget* m_layoutBox;
    QGroupBox* m_modeGroupBox;
    QButtonGroup* m_modeGroup;
    QRadioButton* m_editButton;
    QRadioButton* m_previewButton;
    QRadioButton* m_recordButton;
    bool m_playAudio = true;
    bool m_fillFrames = true;
    bool m_extendFrames = true;
};

#pragma once

#include "hxcore/hxglobal.h"

#include <QFrame>
#include <QString>

class QSettings;

// A frame of options that the host shows in a dialog under its label
// before an operation (an export, say). When the person accepts, the host
// calls applyOptions(), which takes the widgets' state.
class HXCORE_EXPORT HxOptionsFrame : public QFrame
{
    Q_OBJECT
public:
    explicit HxOptionsFrame(const QString& label, QWidget* parent = nullptr, const char* name = nullptr);
    ~HxOptionsFrame() override;

    QString getLabel() const { return m_label; }

    virtual void applyOptions();
    // Puts the widgets back to their defaults.
    virtual void resetOptions();
    // The host keeps each frame's settings in a group of the application
    // settings: read before the frame is shown, written after it was applied.
    virtual void readSettings(QSettings& settings);
    virtual void writeSettings(QSettings& settings);

private:
    QString m_label;
};

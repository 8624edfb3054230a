#pragma once

#include "ui/hxkinetorcanvasoverlay.h"

#include <QObject>
#include <QPointer>
#include <QString>

class HxKinetorLayerView;
class HxKinetorPane;
class QTabWidget;
class QPainter;

// Helps a person read and use a layer canvas: paints the overlays the view
// options ask for, tells in the status bar what a click and a drag do and
// when the blend extrapolates, lets the weights follow the hovering mouse in
// Edit mode, deletes the selected dot with Delete or Backspace, and keeps a
// dragged cursor inside the dots on request. It watches the view's events
// rather than taking part in its mouse handling.
class HxKinetorCanvasAssist : public QObject
{
    Q_OBJECT
public:
    explicit HxKinetorCanvasAssist(HxKinetorLayerView* view);
    ~HxKinetorCanvasAssist() override;

    HxKinetorCanvasOverlay& overlay() { return m_overlay; }

    // The view's painting hooks, see HxKinetorCanvasOverlay.
    void paintUnderDots(QPainter& painter, int dotSize);
    bool paintCursor(QPainter& painter, const QRect& rect);

    // With Keep Cursor Inside Dots on, moves a cursor position that lies
    // outside the covered area onto its edge.
    void clampCursor(float& x, float& y) const;

    // What the status bar says while the mouse is over the canvas in a mode.
    static QString modeHint(int mode);
    static QString extrapolatingMessage();
    // Tool tips of the pane's mode buttons and figure button, and of a
    // group's layer tabs.
    static void addToolTips(HxKinetorPane* pane);
    static void addToolTips(QTabWidget* layers);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followOptions();
    bool hoverWeights() const;
    void showStatus(const QString& message);
    void clearStatus();
    void deleteSelectedDot();

    QPointer<HxKinetorLayerView> m_view;
    HxKinetorCanvasOverlay m_overlay;
    bool m_optionsFollowed = false;
    bool m_mouseInside = false;
    bool m_warned = false;
    QString m_shown;
};

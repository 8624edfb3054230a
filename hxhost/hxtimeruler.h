#pragma once

#include <QList>
#include <QWidget>

// The time strip of the timeline: the animation range with its frame
// numbers, the play range shaded, the keys of the selected node as ticks and
// the current frame as a marker. Pressing or dragging on it moves the scene
// time to the frame under the mouse.
class HxTimeRuler : public QWidget
{
    Q_OBJECT
public:
    explicit HxTimeRuler(QWidget* parent = nullptr);
    ~HxTimeRuler() override;

    // Frames (not ticks) at which the selected node has keys.
    void setKeyFrames(const QList<int>& frames);
    QList<int> keyFrames() const { return m_keyFrames; }

    int frameAt(int x) const;
    int xForFrame(int frame) const;

    QSize sizeHint() const override { return QSize(600, 46); }
    QSize minimumSizeHint() const override { return QSize(120, 38); }

signals:
    void scrubStarted();
    void scrubFinished();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void firstLastFrame(int& first, int& last) const;
    void scrubTo(int x);

    QList<int> m_keyFrames;
    bool m_scrubbing = false;
};

#pragma once

#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxviewportmgr.h"

#include <QPointer>
#include <QWidget>
#include <memory>

class HxUndoStackHold;
class QDoubleSpinBox;
class QLabel;
class QSlider;

// Edits one float property with a slider and a spin box, with a mark that
// shows whether the property is keyed (and brighter when a key sits at the
// current time). A whole slider drag is one undo step; each other change
// (a typed value, a step of the keyboard or wheel) is one step of its own.
class HxPropertySlider : public QWidget
{
    Q_OBJECT
public:
    // The viewport manager, when given, hears of slider drags as
    // manipulations so the viewports draw lighter meanwhile.
    HxPropertySlider(HxFloatProperty* property, HxViewportMgr* viewportMgr, QWidget* parent = nullptr);
    ~HxPropertySlider() override;

    HxFloatProperty* property() const { return m_property; }
    QSlider* slider() const { return m_slider; }
    QDoubleSpinBox* spinBox() const { return m_spin; }
    QLabel* keyMark() const { return m_mark; }
    bool isDragging() const { return m_hold != nullptr; }
    // 0 no keys, 1 keyed, 2 a key at the current time.
    int keyState() const;

public slots:
    // Shows the property's value at the current time.
    void sync();

private:
    // A live blend changes the value on every tick, twice over (value and
    // key); the slider and its text follow once per event-loop turn.
    void scheduleSync();
    void beginDrag();
    void dragTo(int position);
    void endDrag();
    void sliderChanged(int position);
    void spinChanged(double value);
    void applyOnce(float value);
    void updateMark();
    float toValue(int position) const;
    int toPosition(float value) const;

    QPointer<HxFloatProperty> m_property;
    QPointer<HxViewportMgr> m_viewportMgr;
    QLabel* m_mark;
    QSlider* m_slider;
    QDoubleSpinBox* m_spin;
    float m_min = 0.0f;
    float m_max = 1.0f;
    float m_resolution = 0.01f;
    std::unique_ptr<HxUndoStackHold> m_hold;
    bool m_syncing = false;
    bool m_syncScheduled = false;
};

#include "hxpropertyslider.h"

#include "hxcore/hxfloatproperty.h"
#include "hxcore/hxscene.h"
#include "hxcore/hxundostack.h"
#include "hxcore/hxundostackhold.h"
#include "hxcore/hxviewportmgr.h"

#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace {
// A property without limits gets a slider range that suits what it drives;
// the spin box still takes any value.
void defaultRange(const HxFloatProperty* property, float& min, float& max)
{
    const QString name = property->objectName();
    if (name.endsWith(QLatin1String("Rotate"))) {
        min = -180.0f;
        max = 180.0f;
    } else if (name.endsWith(QLatin1String("Scale"))) {
        min = 0.0f;
        max = 3.0f;
    } else if (name.endsWith(QLatin1String("Translate"))) {
        min = -100.0f;
        max = 100.0f;
    } else {
        min = 0.0f;
        max = 1.0f;
    }
    const float value = property->getValue();
    if (std::isfinite(value)) {
        // Keep the current value on the slider.
        min = std::min(min, std::floor(value));
        max = std::max(max, std::ceil(value));
    }
}
} // namespace

HxPropertySlider::HxPropertySlider(HxFloatProperty* property, HxViewportMgr* viewportMgr, QWidget* parent)
    : QWidget(parent), m_property(property), m_viewportMgr(viewportMgr)
{
    setObjectName(property->getLabel());
    if (property->getMin() < property->getMax()) {
        m_min = property->getMin();
        m_max = property->getMax();
    } else {
        defaultRange(property, m_min, m_max);
    }
    const float span = m_max - m_min;
    m_resolution = span >= 100.0f ? 0.1f : (span >= 1.0f ? 0.01f : 0.001f);
    const int decimals = span >= 100.0f ? 1 : (span >= 1.0f ? 2 : 3);

    m_mark = new QLabel(this);
    m_mark->setObjectName(QStringLiteral("keyMark"));
    m_mark->setFixedWidth(14);
    m_mark->setAlignment(Qt::AlignCenter);

    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setRange(0, int(std::lround(span / m_resolution)));
    m_slider->setSingleStep(std::max(1, m_slider->maximum() / 200));
    m_slider->setPageStep(std::max(1, m_slider->maximum() / 20));
    m_slider->setMinimumWidth(90);

    m_spin = new QDoubleSpinBox(this);
    m_spin->setDecimals(decimals);
    m_spin->setSingleStep(span >= 100.0f ? 1.0 : (span >= 1.0f ? 0.1 : 0.01));
    if (property->isClamped())
        m_spin->setRange(m_min, m_max);
    else
        m_spin->setRange(-1e6, 1e6);
    // One change per typed value, not one per keystroke.
    m_spin->setKeyboardTracking(false);
    m_spin->setFixedWidth(78);
    m_spin->setAlignment(Qt::AlignRight);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(m_mark);
    layout->addWidget(m_slider, 1);
    layout->addWidget(m_spin);

    connect(m_slider, &QSlider::sliderPressed, this, &HxPropertySlider::beginDrag);
    connect(m_slider, &QSlider::sliderMoved, this, &HxPropertySlider::dragTo);
    connect(m_slider, &QSlider::sliderReleased, this, &HxPropertySlider::endDrag);
    connect(m_slider, &QSlider::valueChanged, this, &HxPropertySlider::sliderChanged);
    connect(m_spin, &QDoubleSpinBox::valueChanged, this, &HxPropertySlider::spinChanged);
    connect(property, &HxProperty::valueChanged, this, &HxPropertySlider::scheduleSync);
    connect(property, &HxProperty::keysChanged, this, &HxPropertySlider::scheduleSync);
    if (hxScene)
        connect(hxScene, &HxScene::timeChanged, this, &HxPropertySlider::sync);
    sync();
}

HxPropertySlider::~HxPropertySlider()
{
    // A drag cut short (the pane rebuilt under the mouse) still ends as one
    // step rather than being reverted.
    if (m_hold)
        endDrag();
}

float HxPropertySlider::toValue(int position) const
{
    return std::clamp(m_min + float(position) * m_resolution, m_min, m_max);
}

int HxPropertySlider::toPosition(float value) const
{
    if (!std::isfinite(value))
        return 0;
    return int(std::lround((std::clamp(value, m_min, m_max) - m_min) / m_resolution));
}

int HxPropertySlider::keyState() const
{
    if (!m_property || m_property->getNumKeys() == 0)
        return 0;
    return m_property->hasKeyAt(hxScene ? hxScene->getTime() : 0) ? 2 : 1;
}

void HxPropertySlider::scheduleSync()
{
    if (m_syncScheduled)
        return;
    m_syncScheduled = true;
    QTimer::singleShot(0, this, &HxPropertySlider::sync);
}

void HxPropertySlider::sync()
{
    m_syncScheduled = false;
    if (!m_property)
        return;
    m_syncing = true;
    const float value = m_property->getValue();
    // While dragging the slider owns its position; moving it under the
    // mouse would fight the drag.
    if (!m_slider->isSliderDown())
        m_slider->setValue(toPosition(value));
    m_spin->setValue(value);
    m_syncing = false;
    updateMark();
}

void HxPropertySlider::updateMark()
{
    const int state = keyState();
    static const QString kMarks[] = {QString(), QStringLiteral("\u25c7"), QStringLiteral("\u25c6")};
    m_mark->setText(kMarks[state]);
    m_mark->setStyleSheet(state == 2 ? QStringLiteral("color: #e8862a;") : QStringLiteral("color: #b07a40;"));
    m_mark->setToolTip(state == 0 ? QString()
                       : state == 1
                           ? tr("Animated: %n key(s)", nullptr, m_property->getNumKeys())
                           : tr("Key at this frame (%n key(s) in all)", nullptr, m_property->getNumKeys()));
}

void HxPropertySlider::beginDrag()
{
    if (!m_property || m_hold)
        return;
    m_hold = std::make_unique<HxUndoStackHold>(hxUndoStack);
    // A drag under the person's hand: Undo waits, and only the host ending
    // every edit (the window closing) ends it early.
    m_hold->setCloser([this] { endDrag(); }, true);
    m_property->beginEdit();
    if (m_viewportMgr)
        m_viewportMgr->startManipulation();
}

void HxPropertySlider::dragTo(int position)
{
    if (m_property && m_hold)
        m_property->setValue(toValue(position));
}

void HxPropertySlider::endDrag()
{
    if (!m_hold)
        return;
    if (m_property) {
        m_property->setValue(toValue(m_slider->sliderPosition()));
        m_property->finishEdit();
    }
    m_hold->accept(tr("Change %1").arg(m_property ? m_property->getLabel() : objectName()));
    m_hold.reset();
    if (m_viewportMgr)
        m_viewportMgr->endManipulation();
    sync();
}

void HxPropertySlider::sliderChanged(int position)
{
    // Drags are handled by the drag slots; this is the keyboard and wheel.
    if (m_syncing || m_slider->isSliderDown() || m_hold)
        return;
    applyOnce(toValue(position));
}

void HxPropertySlider::spinChanged(double value)
{
    if (m_syncing || m_hold)
        return;
    applyOnce(float(value));
}

void HxPropertySlider::applyOnce(float value)
{
    if (!m_property || !std::isfinite(value) || value == m_property->getValue())
        return;
    HxUndoStackHold hold(hxUndoStack);
    m_property->beginEdit();
    m_property->setValue(value);
    m_property->finishEdit();
    hold.accept(tr("Change %1").arg(m_property->getLabel()));
    sync();
}

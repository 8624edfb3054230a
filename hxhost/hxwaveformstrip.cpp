#include "hxwaveformstrip.h"

#include "hxmediaaudioclip.h"
#include "hxtimeruler.h"

#include "hxcore/hxscene.h"

#include <QPainter>
#include <QThread>
#include <algorithm>
#include <cmath>

HxWaveformStrip::HxWaveformStrip(HxTimeRuler* ruler, QWidget* parent) : QWidget(parent), m_ruler(ruler)
{
    setObjectName(QStringLiteral("waveformStrip"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setToolTip(tr("The scene's sound track, under the frames it plays at"));
    setVisible(false);
    if (hxScene) {
        connect(hxScene, &HxScene::audioChanged, this, &HxWaveformStrip::followScene);
        connect(hxScene, &HxScene::rangesChanged, this, qOverload<>(&QWidget::update));
        connect(hxScene, &HxScene::timeStepChanged, this, qOverload<>(&QWidget::update));
        connect(hxScene, &HxScene::timeChanged, this, qOverload<>(&QWidget::update));
    }
}

HxWaveformStrip::~HxWaveformStrip()
{
    if (m_cancel)
        m_cancel->store(true);
}

void HxWaveformStrip::followScene()
{
    auto* clip = hxScene ? dynamic_cast<HxMediaAudioClip*>(hxScene->getAudio()) : nullptr;
    setAudioFile(clip ? clip->fileName() : QString());
}

void HxWaveformStrip::setAudioFile(const QString& path)
{
    if (m_cancel)
        m_cancel->store(true);
    m_cancel.reset();
    m_path = path;
    m_peaks = HxAudioPeaks();
    m_error.clear();
    m_reading = !path.isEmpty();
    setVisible(m_reading);
    update();
    if (!m_reading)
        return;

    auto cancel = std::make_shared<std::atomic<bool>>(false);
    auto result = std::make_shared<HxAudioPeaks>();
    auto error = std::make_shared<QString>();
    m_cancel = cancel;
    QThread* worker = QThread::create([path, cancel, result, error]() {
        *result = HxAudioPeaks::read(path, HxAudioPeaks::DefaultSpansPerSecond, error.get(), cancel.get());
    });
    // The strip may be gone, or on another clip, when the peaks arrive.
    connect(worker, &QThread::finished, this, [this, cancel, result, error]() {
        if (cancel->load() || cancel != m_cancel)
            return;
        m_peaks = std::move(*result);
        m_error = *error;
        m_reading = false;
        update();
        emit peaksReady();
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start(QThread::LowPriority);
}

void HxWaveformStrip::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Base).darker(104));
    p.setPen(pal.color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (m_reading || m_peaks.isEmpty() || !hxScene || !m_ruler) {
        p.setPen(pal.color(QPalette::Disabled, QPalette::Text));
        p.drawText(rect(), Qt::AlignCenter, m_reading ? tr("Reading the sound\u2026") : m_error);
        return;
    }

    // The ruler's frames, continuous across the strip's pixels.
    const int f0 = m_ruler->frameAt(0);
    const int f1 = m_ruler->frameAt(width());
    const int x0 = m_ruler->xForFrame(f0);
    const int x1 = m_ruler->xForFrame(f1);
    if (x1 <= x0)
        return;
    const double framesPerPixel = double(f1 - f0) / double(x1 - x0);
    const double step = std::max(1, hxScene->getTimeStep());
    // Scene frame f plays the sound from the audio start frame on.
    const double offset = double(hxScene->getAudioStartFrame());
    const auto secondsAt = [&](double x) {
        return (f0 + (x - x0) * framesPerPixel + offset) * step / HX_TICKS_PER_SECOND;
    };
    const double middle = height() / 2.0;
    const double half = height() / 2.0 - 3.0;
    QColor wave = pal.color(QPalette::Highlight);
    wave.setAlpha(200);
    p.setPen(wave);
    for (int x = 1; x < width() - 1; ++x) {
        float low = 0.0f;
        float high = 0.0f;
        if (!m_peaks.range(secondsAt(x), secondsAt(x + 1), low, high))
            continue;
        p.drawLine(QPointF(x + 0.5, middle - high * half), QPointF(x + 0.5, middle - low * half));
    }
    const int now = m_ruler->xForFrame(hxScene->getTime() / int(step));
    p.setPen(QPen(QColor(220, 60, 50), 2.0));
    p.drawLine(now, 0, now, height());
}

#include "hxtimeruler.h"

#include "hxcore/hxscene.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
constexpr int kMargin = 12;
} // namespace

HxTimeRuler::HxTimeRuler(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("timeRuler"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::SizeHorCursor);
    if (hxScene) {
        connect(hxScene, &HxScene::timeChanged, this, qOverload<>(&QWidget::update));
        connect(hxScene, &HxScene::rangesChanged, this, qOverload<>(&QWidget::update));
        connect(hxScene, &HxScene::timeStepChanged, this, qOverload<>(&QWidget::update));
    }
}

HxTimeRuler::~HxTimeRuler() = default;

void HxTimeRuler::setKeyFrames(const QList<int>& frames)
{
    m_keyFrames = frames;
    update();
}

void HxTimeRuler::firstLastFrame(int& first, int& last) const
{
    first = 0;
    last = 100;
    if (!hxScene)
        return;
    const int step = std::max(1, hxScene->getTimeStep());
    const HxTimeRange anim = hxScene->getAnimRange();
    const HxTimeRange play = hxScene->getPlayRange();
    first = std::min(anim.start, play.start) / step;
    last = std::max(anim.end, play.end) / step;
    if (last <= first)
        last = first + 1;
}

int HxTimeRuler::xForFrame(int frame) const
{
    int first, last;
    firstLastFrame(first, last);
    const double usable = std::max(1, width() - 2 * kMargin);
    return kMargin + int(std::lround(double(frame - first) * usable / double(last - first)));
}

int HxTimeRuler::frameAt(int x) const
{
    int first, last;
    firstLastFrame(first, last);
    const double usable = std::max(1, width() - 2 * kMargin);
    const int frame = first + int(std::lround(double(x - kMargin) * double(last - first) / usable));
    return std::clamp(frame, first, last);
}

void HxTimeRuler::scrubTo(int x)
{
    if (hxScene)
        hxScene->setTime(frameAt(x) * std::max(1, hxScene->getTimeStep()));
}

void HxTimeRuler::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_scrubbing = true;
    emit scrubStarted();
    scrubTo(event->position().toPoint().x());
}

void HxTimeRuler::mouseMoveEvent(QMouseEvent* event)
{
    if (m_scrubbing)
        scrubTo(event->position().toPoint().x());
}

void HxTimeRuler::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_scrubbing || event->button() != Qt::LeftButton)
        return;
    m_scrubbing = false;
    emit scrubFinished();
}

void HxTimeRuler::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPalette pal = palette();
    const QRect strip = rect().adjusted(0, 0, -1, -1);
    p.fillRect(rect(), pal.color(QPalette::Base).darker(104));
    if (!hxScene)
        return;
    const int step = std::max(1, hxScene->getTimeStep());
    int first, last;
    firstLastFrame(first, last);

    // The animation range is the light band; the play range is tinted.
    const HxTimeRange anim = hxScene->getAnimRange();
    const HxTimeRange play = hxScene->getPlayRange();
    const QColor accent = pal.color(QPalette::Highlight);
    p.fillRect(QRect(QPoint(xForFrame(anim.start / step), 0), QPoint(xForFrame(anim.end / step), height())),
               pal.color(QPalette::Base));
    QColor playTint = accent;
    playTint.setAlpha(38);
    p.fillRect(QRect(QPoint(xForFrame(play.start / step), 0), QPoint(xForFrame(play.end / step), 7)), accent);
    p.fillRect(QRect(QPoint(xForFrame(play.start / step), 7), QPoint(xForFrame(play.end / step), height())),
               playTint);

    // Frame numbers at a round spacing that leaves room for the text.
    const int span = last - first;
    const double pixelsPerFrame = double(std::max(1, width() - 2 * kMargin)) / span;
    int labelEvery = 1;
    for (int candidate : {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 50000, 100000}) {
        labelEvery = candidate;
        if (candidate * pixelsPerFrame >= 46.0)
            break;
    }
    const int minorEvery = std::max(1, labelEvery / 5);
    p.setPen(pal.color(QPalette::Mid));
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    p.setFont(small);
    const int startTick = int(std::ceil(double(first) / minorEvery)) * minorEvery;
    for (int f = startTick; f <= last; f += minorEvery) {
        const int x = xForFrame(f);
        const bool major = f % labelEvery == 0;
        p.setPen(pal.color(major ? QPalette::Text : QPalette::Mid));
        p.drawLine(x, height() - (major ? 12 : 6), x, height() - 1);
        if (major)
            p.drawText(QRect(x - 30, 8, 60, 16), Qt::AlignCenter, QString::number(f));
    }

    // Keys of the selected node.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(232, 134, 42));
    for (int f : m_keyFrames) {
        if (f < first || f > last)
            continue;
        const QPointF c(xForFrame(f), height() - 17.0);
        QPolygonF diamond;
        diamond << c + QPointF(0, -4.5) << c + QPointF(4.5, 0) << c + QPointF(0, 4.5) << c + QPointF(-4.5, 0);
        p.drawPolygon(diamond);
    }

    // The current frame.
    const int x = xForFrame(hxScene->getTime() / step);
    p.setPen(QPen(QColor(220, 60, 50), 2.0));
    p.drawLine(x, 0, x, height());
    p.setPen(pal.color(QPalette::Mid));
    p.setBrush(Qt::NoBrush);
    p.drawRect(strip);
}

#include "hxcore/hxstyle.h"

#include <QImage>
#include <QPainter>
#include <QSet>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QColor Background(200, 200, 200);

QImage canvas()
{
    QImage image(40, 40, QImage::Format_ARGB32);
    image.fill(Background);
    return image;
}

void draw(HxStyle& style, QImage& image, QStyle::PrimitiveElement element, const QRect& rect,
          QStyle::State state = QStyle::State_None)
{
    QStyleOption option;
    option.rect = rect;
    option.state = state;
    QPainter painter(&image);
    style.drawPrimitive(element, &option, &painter);
}

QImage dot(HxStyle& style, QStyle::State state)
{
    QImage image = canvas();
    const int d = style.pixelMetric(HxStyle::PM_PoseDotSize);
    draw(style, image, HxStyle::PE_PoseDot, QRect(15, 15, d, d), state);
    return image;
}

// Every pixel outside the rectangle still shows the background.
bool untouchedOutside(const QImage& image, const QRect& rect)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!rect.contains(x, y) && image.pixelColor(x, y) != Background)
                return false;
    return true;
}

} // namespace

TEST(HxStyle, CustomMetricsKeepTheirNumbersAndOthersComeFromTheBase)
{
    HxStyle style;
    EXPECT_EQ(unsigned(HxStyle::PM_PoseDotSize), 0xF0000041u);
    EXPECT_EQ(unsigned(HxStyle::PM_BlendCursorSize), 0xF0000042u);
    EXPECT_EQ(unsigned(HxStyle::PE_PoseDot), 0x0F00003Du);
    EXPECT_EQ(unsigned(HxStyle::PE_BlendCursor), 0x0F00003Eu);

    // Callers ask with the raw numbers and without a widget.
    const int dotSize = style.pixelMetric(QStyle::PixelMetric(0xF0000041));
    const int cursorSize = style.pixelMetric(QStyle::PixelMetric(0xF0000042));
    EXPECT_EQ(dotSize, HxStyle::PoseDotSize);
    EXPECT_EQ(cursorSize, HxStyle::BlendCursorSize);
    EXPECT_GE(dotSize, 6);
    EXPECT_GT(cursorSize, dotSize);

    std::unique_ptr<QStyle> fusion(QStyleFactory::create("Fusion"));
    ASSERT_TRUE(fusion);
    for (auto metric : {QStyle::PM_ButtonMargin, QStyle::PM_DefaultFrameWidth, QStyle::PM_ScrollBarExtent})
        EXPECT_EQ(style.pixelMetric(metric), fusion->pixelMetric(metric)) << metric;

    // A widget given the style reports the metrics through its own style().
    QWidget widget;
    widget.setStyle(&style);
    EXPECT_EQ(widget.style()->pixelMetric(QStyle::PixelMetric(0xF0000041)), dotSize);
    widget.setStyle(nullptr);
}

TEST(HxStyle, DotStatesLookDifferentAndStayInsideTheirRectangle)
{
    HxStyle style;
    const int d = style.pixelMetric(HxStyle::PM_PoseDotSize);
    const QRect rect(15, 15, d, d);
    const QImage plain = dot(style, QStyle::State_None);
    const QImage selected = dot(style, QStyle::State_Selected);
    const QImage active = dot(style, QStyle::State_Active);

    EXPECT_NE(plain, canvas());
    EXPECT_NE(plain, selected);
    EXPECT_NE(plain, active);
    EXPECT_NE(selected, active);
    for (const QImage* image : {&plain, &selected, &active})
        EXPECT_TRUE(untouchedOutside(*image, rect));

    // The centres differ, not just an anti-aliased edge.
    const QPoint centre = rect.center();
    QSet<QRgb> centres{plain.pixel(centre), selected.pixel(centre), active.pixel(centre)};
    EXPECT_EQ(centres.size(), 3);
    EXPECT_NE(plain.pixelColor(centre), Background);

    // Other state flags that a canvas may pass along change nothing.
    EXPECT_EQ(dot(style, QStyle::State_Enabled), plain);
    EXPECT_EQ(dot(style, QStyle::State_Selected | QStyle::State_Enabled), selected);
}

TEST(HxStyle, CursorStandsOutOverDots)
{
    HxStyle style;
    const int d = style.pixelMetric(HxStyle::PM_PoseDotSize);
    const int c = style.pixelMetric(HxStyle::PM_BlendCursorSize);
    QRect dotRect(0, 0, d, d);
    QRect cursorRect(0, 0, c, c);
    dotRect.moveCenter(QPoint(20, 20));
    cursorRect.moveCenter(QPoint(20, 20));

    QImage dotsOnly = canvas();
    for (QStyle::State state : {QStyle::State_None, QStyle::State_Active})
        draw(style, dotsOnly, HxStyle::PE_PoseDot, dotRect, state);
    QImage withCursor = dotsOnly;
    draw(style, withCursor, HxStyle::PE_BlendCursor, cursorRect);

    EXPECT_TRUE(untouchedOutside(withCursor, cursorRect));
    // The cursor reaches past the dot, so a dot can never hide it.
    bool beyondDot = false;
    int changedOnDot = 0;
    QSet<QRgb> dotColours;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            if (dotRect.contains(x, y))
                dotColours.insert(dotsOnly.pixel(x, y));
            if (withCursor.pixel(x, y) == dotsOnly.pixel(x, y))
                continue;
            if (dotRect.contains(x, y))
                ++changedOnDot;
            else
                beyondDot = true;
        }
    EXPECT_TRUE(beyondDot);
    EXPECT_GE(changedOnDot, d);
    // Over the dot the cursor uses colours the dot does not have.
    EXPECT_FALSE(dotColours.contains(withCursor.pixel(dotRect.center())));
}

TEST(HxStyle, DegenerateRequestsDrawNothing)
{
    HxStyle style;
    QImage image = canvas();
    draw(style, image, HxStyle::PE_PoseDot, QRect(10, 10, 0, 0), QStyle::State_Selected);
    draw(style, image, HxStyle::PE_BlendCursor, QRect(10, 10, -4, 5));
    EXPECT_EQ(image, canvas());

    QPainter painter(&image);
    style.drawPrimitive(HxStyle::PE_PoseDot, nullptr, &painter);
    QStyleOption option;
    option.rect = QRect(0, 0, 10, 10);
    style.drawPrimitive(HxStyle::PE_BlendCursor, &option, nullptr);
    painter.end();
    EXPECT_EQ(image, canvas());
}

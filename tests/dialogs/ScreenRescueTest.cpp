#include "QtPrinters.h"
#include "platform/desktop/ScreenRescue.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace tb;

TEST(ScreenRescueTest, WindowsLeftOutsideEveryScreenComeToTheNearestFullyVisiblePlace)
{
    const QRect left(-1280, 0, 1280, 1024), main(0, 0, 1920, 1080);
    struct Case {
        QRect frame;
        QList<QRect> screens;
        std::optional<QPoint> to;
    } cases[] = {
        {{100, 100, 256, 128}, {main}, std::nullopt},               // on screen
        {{1900, 1060, 256, 128}, {main}, std::nullopt},             // partly visible: left alone
        {{-900, 300, 256, 128}, {main}, QPoint(0, 300)},            // the left monitor went away
        {{-900, 300, 256, 128}, {left, main}, std::nullopt},        // ... and came back: nothing moves
        {{2500, -400, 256, 128}, {main}, QPoint(1664, 0)},          // off the top right corner
        {{3000, 500, 256, 128}, {left, main}, QPoint(1664, 500)},   // the nearest of two screens
        {{-3000, 2000, 256, 128}, {left, main}, QPoint(-1280, 896)},
        // 301 px off the main screen's corner, 500 px beside another screen: the corner is nearer
        // (425 px), though its dx + dy (602) is not
        {{2220, 1380, 256, 128}, {main, QRect(2975, 1000, 1280, 1024)}, QPoint(1664, 952)},
        {{5000, 0, 2500, 1200}, {main}, QPoint(0, 0)},              // larger than the screen
        {{5000, 0, 256, 128}, {}, std::nullopt},                    // no screen at all
    };
    for (const Case& c : cases)
        EXPECT_EQ(rescuePosition(c.frame, c.screens), c.to) << c.frame.x() << "," << c.frame.y();
}

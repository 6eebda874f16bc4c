#pragma once

#include "render/GdipLog.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace tb::test {

// The error list as the drawing sees it: records every line it is handed.
class RecordingErrorList final : public ErrorListSink {
public:
    void showAndMaybeAppend(const QString& line) override { lines.push_back(line); }
    std::vector<QString> lines;
};

// The straight (not premultiplied) colour of a pixel.
inline QColor colourAt(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

// The smallest rectangle holding every pixel the predicate accepts (null when none does).
inline QRect boundsOf(const QImage& image, const std::function<bool(QColor)>& accept)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (accept(image.pixelColor(x, y)))
                r |= QRect(x, y, 1, 1);
    return r;
}

inline int countOf(const QImage& image, const std::function<bool(QColor)>& accept)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += accept(image.pixelColor(x, y)) ? 1 : 0;
    return n;
}

// Mostly one primary colour: that channel high, the other two low, and opaque enough.
inline bool mostlyRed(QColor c)
{
    return c.alpha() > 200 && c.red() > 200 && c.green() < 60 && c.blue() < 60;
}
inline bool mostlyGreen(QColor c)
{
    return c.alpha() > 200 && c.green() > 200 && c.red() < 60 && c.blue() < 60;
}
inline bool mostlyBlue(QColor c)
{
    return c.alpha() > 200 && c.blue() > 200 && c.red() < 60 && c.green() < 60;
}
inline bool mostlyWhite(QColor c)
{
    return c.alpha() > 200 && c.red() > 200 && c.green() > 200 && c.blue() > 200;
}

// A PNG file's bytes whose header claims the given size; the data that follows is a few rows
// of a valid stream, far too little for that size.
QByteArray pngHeaderClaiming(std::uint32_t width, std::uint32_t height);

} // namespace tb::test

#include "render/TrayDigits.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>

namespace tb {

// Quiet by default; refusals are warnings, so they reach the log without any rule switched on.
Q_LOGGING_CATEGORY(lcTray, "thermobadge.tray", QtWarningMsg)

namespace {

// The classic tray font is 8.25 point at 96 dots per inch, 11 pixels, on a 16-pixel picture.
constexpr int kBaseSize = 16;
constexpr int kBaseFontPixels = 11;

// Liberation Sans has Arial's metrics, the nearest to the classic sans-serif tray font of the
// families every installation has; DejaVu Sans stands in where it is missing.
QFont trayFont(int size, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(std::max(1, qRound(double(kBaseFontPixels) * size / kBaseSize)));
    font.setBold(bold);
    // Whole pixels only: an edge pixel blended with the background would miss the colour key.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// Each refused colour is logged once, not on every reading.
bool firstRefusal(quint32 colour)
{
    static std::mutex lock;
    static QSet<quint32> seen;
    const std::lock_guard guard(lock);
    if (seen.contains(colour) || seen.size() >= 64)
        return false;
    seen.insert(colour);
    return true;
}

} // namespace

QRgb trayColour(qint32 bgr)
{
    const auto bits = static_cast<quint32>(bgr);
    if (bits > 0xFFFFFFu && firstRefusal(bits))
        qCWarning(lcTray) << "tray colour" << bgr << "is not a 24-bit colour: its low 24 bits are used";
    // The stored order is blue, green, red from the high byte down.
    return ((bits & 0xFFu) << 16) | (bits & 0xFF00u) | ((bits >> 16) & 0xFFu);
}

QString trayIconText(double temperature, bool bold)
{
    // Logged when such a temperature comes, not again for each update while it lasts.
    static std::atomic<bool> refusing {false};
    QString digits;
    if (std::isfinite(temperature)) {
        refusing = false;
        // std::round takes halves away from zero, as the "0" pattern does, for any magnitude.
        digits = QString::number(std::round(std::fabs(temperature)), 'f', 0);
    } else {
        if (!refusing.exchange(true))
            qCWarning(lcTray) << "the tray icon got a temperature that is not a number:" << temperature << "- it shows \"?\"";
        digits = QStringLiteral("?");
    }
    // The suffix test sees the digits alone; the space for a single digit comes after it.
    const QString suffix = digits.size() > 1 && bold ? QString() : QStringLiteral("°");
    if (digits.size() < 2)
        digits.prepend(QLatin1Char(' '));
    return digits + suffix;
}

QImage TextToIcon(const QString& text, qint32 textColor, qint32 backColor, bool bold, bool transparent, int size)
{
    if (size <= 0)
        return {};
    QImage printed(size, size, QImage::Format_RGB32);
    printed.fill(trayColour(backColor));
    {
        QPainter painter(&printed);
        const QFont font = trayFont(size, bold);
        painter.setFont(font);
        painter.setPen(QColor(trayColour(textColor)));
        // The print position is the top of the text line, one pixel (in proportion) below the
        // top edge; text wider than the picture runs off its right edge.
        const int top = qRound(double(size) / kBaseSize);
        painter.drawText(QPoint(0, top + QFontMetrics(font).ascent()), text);
    }
    return DCToIcon(printed, transparent ? -1 : 0);
}

QImage DCToIcon(const QImage& printed, qint32 maskColor)
{
    if (printed.isNull())
        return {};
    const QImage colour = printed.convertToFormat(QImage::Format_RGB32);
    const QRgb key = maskColor == -1 ? colour.pixel(0, 0) & RGB_MASK : trayColour(maskColor);
    QImage icon(colour.size(), QImage::Format_ARGB32);
    for (int y = 0; y < colour.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(colour.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(icon.scanLine(y));
        for (int x = 0; x < colour.width(); ++x) {
            const QRgb rgb = in[x] & RGB_MASK;
            // A masked pixel is transparent and its colour cleared, as the icon's AND mask and
            // XOR picture would show it.
            out[x] = rgb == key ? 0u : (0xFF000000u | rgb);
        }
    }
    return icon;
}

namespace {

// The digits drawn at a size only when someone asks for it, then kept: an XEmbed tray asks for
// its one size, a StatusNotifier host for every size the icon offers. Sizes between the drawn
// ones are served as a set of pictures would serve them: the next larger size drawn and
// brought down.
class TrayDigitsEngine final : public QIconEngine {
public:
    TrayDigitsEngine(QString text, qint32 textColor, qint32 backColor, bool bold, bool transparent)
        : text_(std::move(text))
        , textColor_(textColor)
        , backColor_(backColor)
        , bold_(bold)
        , transparent_(transparent)
    {
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = drawnSide(size);
        return QSize(side, side).scaled(size.boundedTo(QSize(side, side)), Qt::KeepAspectRatio);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        if (size.isEmpty())
            return {};
        const int side = drawnSide(size);
        QPixmap& drawn = drawn_[side];
        if (drawn.isNull())
            drawn = QPixmap::fromImage(TextToIcon(text_, textColor_, backColor_, bold_, transparent_, side));
        const QSize wanted = actualSize(size, mode, state);
        return wanted == drawn.size() ? drawn : drawn.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size() * painter->device()->devicePixelRatio(), mode, state));
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (int side : kTrayIconSizes)
            sizes.append(QSize(side, side));
        return sizes;
    }
    QString key() const override { return QStringLiteral("thermobadge-tray-digits"); }
    QIconEngine* clone() const override { return new TrayDigitsEngine(*this); }

private:
    // The smallest drawn size that covers the request, else the largest.
    static int drawnSide(const QSize& size)
    {
        const int wanted = std::max(size.width(), size.height());
        for (int side : kTrayIconSizes)
            if (side >= wanted)
                return side;
        return kTrayIconSizes.back();
    }

    QString text_;
    qint32 textColor_;
    qint32 backColor_;
    bool bold_;
    bool transparent_;
    QHash<int, QPixmap> drawn_;
};

} // namespace

QIcon trayDigitsIcon(double temperature, const TrayLook& look)
{
    // Exactly zero, and a reading that is not a number, count as not below zero.
    const bool below = temperature < 0;
    return QIcon(new TrayDigitsEngine(trayIconText(temperature, look.TrBold), look.TrCol[below ? 2 : 0],
                                      look.TrCol[below ? 3 : 1], look.TrBold, look.TrTrans));
}

} // namespace tb

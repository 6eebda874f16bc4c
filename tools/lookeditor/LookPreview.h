#pragma once

#include "Look.h"
#include "platform/Clock.h"
#include "render/GdipLog.h"
#include "render/OverlayRenderer.h"

#include <QImage>
#include <QWidget>

#include <functional>

namespace tb {

// The look drawn here by the indicator's own renderer, with the indicator's temperature text,
// on a chequered ground that shows what is transparent. It also shows the look when the
// indicator cannot be reached.
class LookPreview final : public QWidget {
public:
    LookPreview(QString temperature, Regional regional, QWidget* parent = nullptr);

    // Draws the look; `pictureFile` is the picture on this computer.
    void render(const Look& look, const QString& pictureFile);

    // The last drawing, for tests; null when nothing could be drawn.
    const QImage& canvas() const { return canvas_; }
    // Why nothing is drawn; empty when the canvas shows the look.
    const QString& problem() const { return problem_; }
    // The look's font is not installed here and was drawn as "Arial".
    std::function<void()> fontReplaced;

    QSize sizeHint() const override { return {300, 150}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString temperature_;
    Regional regional_;
    SystemClock clock_;
    GdipLog log_;
    OverlayRenderer renderer_;
    QString loadedFile_;
    QImage canvas_;
    QString problem_;
};

} // namespace tb

#include "LookPreview.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPainter>

namespace tb {

LookPreview::LookPreview(QString temperature, Regional regional, QWidget* parent)
    : QWidget(parent)
    , temperature_(temperature.isEmpty() ? QStringLiteral("+20°") : std::move(temperature))
    , regional_(std::move(regional))
    , log_(clock_)
    , renderer_(log_)
{
    setMinimumSize(200, 100);
}

void LookPreview::render(const Look& look, const QString& pictureFile)
{
    OverlayStyle style;
    PicAdjust adjust;
    lookToStyle(look, regional_, style, adjust);
    style.sText = temperature_;
    style.fScaleOn = false; // the picture at its own size; the preview fits it into the pane
    style.nTrans = 0;

    problem_.clear();
    QString file;
    if (pictureFile != loadedFile_) {
        if (!QFileInfo(pictureFile).isFile()) {
            problem_ = QCoreApplication::translate("LookPreview", "Нет файла картинки:\n%1").arg(pictureFile);
            canvas_ = QImage();
            update();
            return;
        }
        file = pictureFile;
    }
    const OverlayResult r = renderer_.RenderOverlay(file, style, adjust, StaleMark {}, devicePixelRatioF());
    if (!file.isEmpty())
        loadedFile_ = file;
    canvas_ = r.drawn ? r.canvas : QImage();
    if (!r.drawn)
        problem_ = QCoreApplication::translate("LookPreview", "Картинку не удалось нарисовать.");
    if (r.fontReplaced && fontReplaced)
        fontReplaced();
    update();
}

void LookPreview::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int cell = 8;
    for (int y = 0; y < height(); y += cell)
        for (int x = 0; x < width(); x += cell)
            p.fillRect(x, y, cell, cell, (x / cell + y / cell) % 2 ? QColor(204, 204, 204) : QColor(240, 240, 240));
    if (canvas_.isNull()) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, problem_);
        return;
    }
    const QSizeF logical = canvas_.deviceIndependentSize();
    QSizeF shown = logical;
    if (shown.width() > width() || shown.height() > height())
        shown.scale(size(), Qt::KeepAspectRatio);
    const QRectF target(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(target, canvas_);
}

} // namespace tb

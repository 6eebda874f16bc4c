#include "dialogs/frmErr.h"

#include "dialogs/ControlTable.h"

#include <QCoreApplication>
#include <QCheckBox>
#include <QEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace tb {

namespace {

using C = ErrControls;
using K = ControlKind;

constexpr ControlRow<ErrControls> kRows[] = {
    {held<&C::txtErr>, K::TextList, nullptr, "txtErr", nullptr, QT_TRANSLATE_NOOP("frmErr", "DublClick-ClearList"), 45, 45, 5715, 2115, {}},
    {held<&C::chkAddErr>, K::Check, nullptr, "chkAddErr", QT_TRANSLATE_NOOP("frmErr", "Логировать ошибки"), nullptr, 3855, 2280, 1905, 255, {}},
    {held<&C::cmdClose>, K::Button, nullptr, "cmdClose", QT_TRANSLATE_NOOP("frmErr", "Close (Error List)"), nullptr, 1920, 2190, 1470, 390, {}},
};

} // namespace

frmErr::frmErr()
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QCoreApplication::translate("frmErr", "Error GDI+"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(dialogFont());
    setFixedSize(px(5820, this), px(2610, this));
    buildControls(this, kRows, c_, "frmErr");
    c_.txtErr->setReadOnly(true);
    c_.txtErr->setLineWrapMode(QPlainTextEdit::NoWrap);
    c_.txtErr->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    c_.txtErr->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    c_.txtErr->viewport()->installEventFilter(this);
    c_.chkAddErr->setChecked(true);
    connect(c_.cmdClose, &QPushButton::clicked, this, &QWidget::close);
}

bool frmErr::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == c_.txtErr->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        c_.txtErr->clear();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

ErrorListWindow::~ErrorListWindow()
{
    delete window_.data();
}

void ErrorListWindow::showAndMaybeAppend(const QString& line)
{
    if (!window_)
        window_ = new frmErr;
    if (!window_->isVisible())
        window_->show();
    if (window_->chkAddErr()->isChecked()) {
        // The line ends in CR LF; the list shows one line per entry.
        QString text = line;
        while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
            text.chop(1);
        window_->txtErr()->appendPlainText(text);
    }
}

} // namespace tb

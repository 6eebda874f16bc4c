#include "frmErr.h"

#include "Twips.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace tb {

frmErr::frmErr()
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QCoreApplication::translate("frmErr", "Error GDI+"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(dialogFont());
    txtErr_ = new QPlainTextEdit(this);
    txtErr_->setObjectName(QStringLiteral("txtErr"));
    txtErr_->setReadOnly(true);
    txtErr_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtErr_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtErr_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtErr_->setToolTip(QCoreApplication::translate("frmErr", "DublClick-ClearList"));
    txtErr_->viewport()->installEventFilter(this);
    chkAddErr_ = new QCheckBox(QCoreApplication::translate("frmErr", "Логировать ошибки"), this);
    chkAddErr_->setObjectName(QStringLiteral("chkAddErr"));
    chkAddErr_->setChecked(true);
    cmdClose_ = new QPushButton(QCoreApplication::translate("frmErr", "Close (Error List)"), this);
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));
    connect(cmdClose_, &QPushButton::clicked, this, &QWidget::close);
    setTabOrder(txtErr_, chkAddErr_);
    setTabOrder(chkAddErr_, cmdClose_);

    setFixedSize(px(5820, this), px(2610, this));
    txtErr_->setGeometry(px(45, this), px(45, this), px(5715, this), px(2115, this));
    cmdClose_->setGeometry(px(1920, this), px(2190, this), px(1470, this), px(390, this));
    chkAddErr_->setGeometry(px(3855, this), px(2280, this), px(1905, this), px(255, this));
}

bool frmErr::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtErr_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        txtErr_->clear();
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

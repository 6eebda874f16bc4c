#include "platform/linux/QtMessageBoxes.h"

#include <QLoggingCategory>
#include <QMessageBox>
#include <QScopeGuard>

namespace tb {

Q_LOGGING_CATEGORY(lcMessages, "thermobadge.messages", QtInfoMsg)

namespace {

QMessageBox::Icon boxIcon(MessageBoxes::Icon icon)
{
    switch (icon) {
    case MessageBoxes::Icon::Critical: return QMessageBox::Critical;
    case MessageBoxes::Icon::Warning: return QMessageBox::Warning;
    case MessageBoxes::Icon::Information: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void QtMessageBoxes::show(Icon icon, const QString& title, const QString& text)
{
    // The same message already on screen is not stacked again: commands that each fail the same
    // way would otherwise pile up a box apiece, each waiting for its own click.
    const QString key = QString::number(static_cast<int>(icon)) + QChar(0) + title + QChar(0) + text;
    if (showing_.contains(key)) {
        qCInfo(lcMessages).noquote() << "the message" << title << "is on screen already - not shown again";
        return;
    }
    showing_.insert(key);
    const auto shown = qScopeGuard([this, key] { showing_.remove(key); });
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(boxIcon(icon), title, plain, QMessageBox::Ok, parent_.data());
    // Plain text always: a message that happens to look like HTML must show as written.
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    // The indicator stays on top of everything; its messages must not open behind it.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

} // namespace tb

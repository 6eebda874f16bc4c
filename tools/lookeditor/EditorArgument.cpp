#include "EditorArgument.h"

#include <QCoreApplication>

#include <algorithm>

namespace tb {

namespace {

// Refused arguments are shown at most this long, so a huge one cannot flood the terminal.
constexpr qsizetype kShownLength = 40;

QString shown(const QString& text)
{
    return text.size() <= kShownLength ? text : text.left(kShownLength) + QStringLiteral("…");
}

} // namespace

EditorArgument parseEditorArgument(const QStringList& arguments)
{
    EditorArgument a;
    if (arguments.isEmpty()) {
        a.problem = EditorArgument::Problem::Missing;
        return a;
    }
    if (arguments.size() > 1) {
        a.problem = EditorArgument::Problem::Extra;
        a.offending = arguments.mid(1).join(QLatin1Char(' '));
        return a;
    }
    const QString& whole = arguments.front();
    const qsizetype bar = whole.indexOf(QLatin1Char('|'));
    const QString handle = bar < 0 ? whole : whole.left(bar);
    a.temperature = bar < 0 ? QString() : whole.mid(bar + 1);
    a.offending = handle;
    if (handle.startsWith(QLatin1Char('-')) && handle.size() > 1) {
        a.problem = EditorArgument::Problem::Negative;
        return a;
    }
    if (handle.isEmpty() || !std::all_of(handle.begin(), handle.end(), [](QChar c) { return c >= u'0' && c <= u'9'; })) {
        a.problem = EditorArgument::Problem::NotANumber;
        return a;
    }
    bool ok = false;
    const qulonglong value = handle.toULongLong(&ok);
    if (!ok || value > 0x7FFFFFFFULL) {
        a.problem = EditorArgument::Problem::TooLarge;
        return a;
    }
    if (value == 0) {
        a.problem = EditorArgument::Problem::Zero;
        return a;
    }
    a.handle = static_cast<qint32>(value);
    a.offending.clear();
    return a;
}

QString argumentErrorText(const EditorArgument& argument)
{
    QString why;
    switch (argument.problem) {
    case EditorArgument::Problem::None:
        return {};
    case EditorArgument::Problem::Missing:
        why = QCoreApplication::translate("EditorArgument", "Не указан номер окна индикатора.");
        break;
    case EditorArgument::Problem::Extra:
        why = QCoreApplication::translate("EditorArgument", "Лишние аргументы: «%1».").arg(shown(argument.offending));
        break;
    case EditorArgument::Problem::NotANumber:
        why = QCoreApplication::translate("EditorArgument", "Номер окна индикатора не число: «%1».")
                  .arg(shown(argument.offending));
        break;
    case EditorArgument::Problem::Negative:
        why = QCoreApplication::translate("EditorArgument", "Номер окна индикатора отрицательный: «%1».")
                  .arg(shown(argument.offending));
        break;
    case EditorArgument::Problem::Zero:
        why = QCoreApplication::translate("EditorArgument", "Номер окна индикатора не может быть нулём.");
        break;
    case EditorArgument::Problem::TooLarge:
        why = QCoreApplication::translate("EditorArgument", "Номер окна индикатора больше 2147483647: «%1».")
                  .arg(shown(argument.offending));
        break;
    }
    return why
        + QCoreApplication::translate("EditorArgument",
            "\n\nИспользование: ThermoBadgeOpt.dll <номер окна>|<температура>\n"
            "Программу запускает индикатор (двойной щелчок или пункт меню «Вид»), "
            "например: ThermoBadgeOpt.dll 596|+7°");
}

} // namespace tb

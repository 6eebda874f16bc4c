#include "NoticeTexts.h"

#include <QCoreApplication>

namespace tbvershow {

namespace {

// Arguments are shown at most this long, so a huge one cannot blow up the message box.
constexpr qsizetype kShownLength = 40;

QString shown(const QString& argument)
{
    if (argument.size() <= kShownLength)
        return argument;
    return argument.left(kShownLength) + QStringLiteral("…");
}

} // namespace

QString noticeText(const QString& newVersion, const QString& installedVersion)
{
    return QCoreApplication::translate("VerShow", "Доступна новая версия программы: %1\n\nУстановлена версия: %2")
        .arg(newVersion, installedVersion);
}

QString argumentErrorText(const VersionArgument& argument)
{
    QString why;
    switch (argument.problem) {
    case VersionArgument::Problem::None:
        return {};
    case VersionArgument::Problem::Missing:
        why = QCoreApplication::translate("VerShow", "Не указана версия программы.");
        break;
    case VersionArgument::Problem::Extra:
        why = QCoreApplication::translate("VerShow", "Лишние аргументы: «%1».").arg(shown(argument.offending));
        break;
    case VersionArgument::Problem::TooLong:
        why = QCoreApplication::translate("VerShow", "Слишком длинный аргумент: «%1».").arg(shown(argument.offending));
        break;
    case VersionArgument::Problem::Malformed:
        why = QCoreApplication::translate("VerShow", "Неверный аргумент: «%1».").arg(shown(argument.offending));
        break;
    }
    return why
        + QCoreApplication::translate("VerShow",
            "\n\nИспользование: VerShow.dll /v<версия>\n"
            "Версия: целое число или два числа через точку, например: VerShow.dll /v1.5");
}

} // namespace tbvershow

// VerShow.dll: tells the user that a newer version of the program is available.
//   VerShow.dll /v1.5
// Exit codes: 0 the notice was shown and closed; 2 the command line was wrong (a message says
// so); 3 there is no display to show anything on (the text goes to standard error instead); 4 a
// notice of this user is on screen already, so none is shown (one notice at a time, however many
// newer-version replies arrive).
// THERMOBADGE_VERSHOW_AUTOCLOSE_MS=N closes the box by itself after N milliseconds and prints its
// text on standard output, so tests and scripts can run the real program without a person.

#include "NoticeTexts.h"
#include "VersionArgument.h"
#include "platform/IniSettingsStore.h"
#include "platform/UniqueFd.h"
#include "platform/linux/PrivateFolder.h"
#include "platform/linux/QtTranslations.h"
#include "settings/InterfaceLanguage.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace tbvershow;

namespace {

constexpr int kExitBadArguments = 2;
constexpr int kExitNoDisplay = 3;
constexpr int kExitAlreadyShown = 4;

void print(std::FILE* to, const QString& text)
{
    std::fputs(text.toUtf8().constData(), to);
    std::fputc('\n', to);
    std::fflush(to);
}

// Without a platform plugin that can start, QApplication aborts; say so politely instead.
bool displayAvailable(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0)
            return true;
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
           || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

std::optional<int> autoCloseMs()
{
    const QString text = qEnvironmentVariable("THERMOBADGE_VERSHOW_AUTOCLOSE_MS");
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    const int ms = text.toInt(&ok);
    if (!ok || ms < 0 || ms > 600000) {
        print(stderr, QStringLiteral("VerShow.dll: THERMOBADGE_VERSHOW_AUTOCLOSE_MS=%1 is not 0 to 600000; ignored")
                          .arg(text));
        return std::nullopt;
    }
    return ms;
}

// Held while the notice is on screen: a lock in the user's private runtime folder, which the
// system lets go of however the program ends. False when another notice holds it; where there is
// no usable folder the notice is shown anyway.
bool onlyNotice()
{
    const QString folder = tb::commandChannelFolder();
    if (tb::privateFolderProblem(folder))
        return true;
    tb::UniqueFd lock(::open(QFile::encodeName(folder + QStringLiteral("/vershow.lock")).constData(),
                             O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600));
    if (!lock.valid())
        return true;
    if (::flock(lock.get(), LOCK_EX | LOCK_NB) != 0)
        return false;
    lock.release(); // kept open (and locked) until the program ends
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    if (!displayAvailable(argc, argv)) {
        // No windows, but the texts in the interface language all the same.
        QCoreApplication core(argc, argv);
        tb::installQtTranslations(core, tb::interfaceLanguage(tb::IniSettingsStore()));
        // The arguments as given (there are no Qt options to strip).
        QStringList arguments;
        for (int i = 1; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
        const VersionArgument argument = parseVersionArgument(arguments);
        if (argument.problem != VersionArgument::Problem::None) {
            print(stderr, argumentErrorText(argument));
            return kExitBadArguments;
        }
        print(stderr, QStringLiteral("VerShow.dll: ") + QCoreApplication::translate("VerShow", "нет дисплея для окна сообщения.") + u'\n'
                          + noticeText(argument.version, QStringLiteral(THERMOBADGE_VERSHOW_CURRENT_VERSION)));
        return kExitNoDisplay;
    }

    QApplication app(argc, argv);
    // The language the indicator speaks, decided the same way from the same settings.
    tb::installQtTranslations(app, tb::interfaceLanguage(tb::IniSettingsStore()));
    // QApplication has taken out its own options (-platform and the like); the rest are ours.
    const VersionArgument argument = parseVersionArgument(QCoreApplication::arguments().mid(1));
    const bool ok = argument.problem == VersionArgument::Problem::None;
    if (ok && !onlyNotice()) {
        print(stderr, QStringLiteral("VerShow.dll: a notice is on screen already; version %1 is not shown again").arg(argument.version));
        return kExitAlreadyShown;
    }
    const QString text = ok ? noticeText(argument.version, QStringLiteral(THERMOBADGE_VERSHOW_CURRENT_VERSION))
                            : argumentErrorText(argument);
    if (!ok)
        print(stderr, text);

    QMessageBox box(ok ? QMessageBox::Information : QMessageBox::Warning, QString::fromLatin1(kNoticeTitle), text,
                    QMessageBox::Ok);
    // The indicator stays on top of other windows; its notice must not open behind it.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    if (const auto ms = autoCloseMs()) {
        print(stdout, text);
        QTimer::singleShot(*ms, &box, [&box] { box.done(QMessageBox::Ok); });
    }
    box.exec();
    return ok ? 0 : kExitBadArguments;
}

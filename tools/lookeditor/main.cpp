// ThermoBadgeOpt.dll: the look editor the indicator starts from its menu item "Вид" or a
// double-click, as
//   ThermoBadgeOpt.dll <handle of the indicator's command box>|<temperature>
// Exit codes: 0 closed normally; 1 there is no display to show the window on; 2 the command
// line was wrong (the message says why and how the program is called).

#include "Draft.h"
#include "EditorArgument.h"
#include "EditorWindow.h"
#include "platform/IniSettingsStore.h"
#include "platform/desktop/DisplayCheck.h"
#include "platform/linux/QtTranslations.h"
#include "platform/linux/UnixCommandChannel.h"
#include "platform/linux/UnixSignals.h"
#include "settings/InterfaceLanguage.h"
#include "skinfiles/AppPaths.h"

#include <QApplication>

#include <cstdio>

using namespace tb;

namespace {

constexpr int kExitNoDisplay = 1;
constexpr int kExitBadArgument = 2;

void print(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

} // namespace

int main(int argc, char* argv[])
{
    const QString missing = missingDisplay();
    if (!missing.isEmpty()) {
        // No windows, but the texts in the interface language all the same.
        QCoreApplication core(argc, argv);
        installQtTranslations(core, interfaceLanguage(IniSettingsStore()));
        // The arguments as given (there are no Qt options to strip).
        QStringList arguments;
        for (int i = 1; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
        const EditorArgument argument = parseEditorArgument(arguments);
        if (argument.problem != EditorArgument::Problem::None) {
            print(QStringLiteral("ThermoBadgeOpt.dll: ") + argumentErrorText(argument));
            return kExitBadArgument;
        }
        print(QStringLiteral("ThermoBadgeOpt.dll: %1; the look editor needs a display (set DISPLAY or WAYLAND_DISPLAY)")
                  .arg(missing));
        return kExitNoDisplay;
    }

    QApplication app(argc, argv);
    // The language the indicator speaks, decided the same way from the same settings.
    installQtTranslations(app, interfaceLanguage(IniSettingsStore()));
    // QApplication has taken out its own options (-platform and the like); the rest are ours.
    const EditorArgument argument = parseEditorArgument(QCoreApplication::arguments().mid(1));
    if (argument.problem != EditorArgument::Problem::None) {
        print(QStringLiteral("ThermoBadgeOpt.dll: ") + argumentErrorText(argument));
        return kExitBadArgument;
    }

    UnixCommandChannel channel;
    EditorWindow window({channel, argument.handle, argument.temperature, InitPaths(QCoreApplication::applicationDirPath()),
        defaultDraftFile(), Regional::system()});
    // Stopped from outside (the desktop session ends): unsaved changes become a draft.
    UnixSignals stopSignals([&window](int) { window.closeKeepingDraft(); });
    stopSignals.install();
    window.show();
    window.start();
    return app.exec();
}

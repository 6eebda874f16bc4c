#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QStringList>

#include <optional>

namespace tb {

Q_DECLARE_LOGGING_CATEGORY(lcAutorun)

// The command the desktop runs at log-on: the program's full path and its arguments.
struct RunCommand {
    QString program;
    QStringList arguments;

    // The command as one text (`sRunCmd`): the program's path, then, when there are arguments,
    // one blank and the argument text, each argument quoted as an Exec line quotes it.
    QString text() const;
    // The value of the desktop entry's Exec key that starts exactly this program with exactly
    // these arguments.
    QString execLine() const;
    // The running program and the arguments it was started with.
    static RunCommand ofThisProgram();
};

// Quoting of one argument of a desktop entry's Exec value: in double quotes with `"`, `` ` ``,
// `$` and `\` escaped when it holds a reserved character (or is empty), "%" doubled always.
// The string escapes of the file itself (`\\`, `\n`, ...) are not applied here.
QString execQuote(const QString& argument);
// The arguments of an Exec value whose string escapes have been undone; nothing when it is
// malformed or holds field codes (which this program never writes).
std::optional<QStringList> execSplit(const QString& exec);
// A value as a desktop entry file writes it (`\\`, `\n`, `\t`, `\r`, blanks at either end as
// `\s`), and back.
QString desktopEscape(const QString& value);
QString desktopUnescape(const QString& value);

// The log-on autorun entry: a desktop entry in the user's autostart folder
// ($XDG_CONFIG_HOME/autostart/ThermoBadge.desktop) that starts the program. The exact command
// text is kept beside the Exec line (X-ThermoBadge-Command), so what is read back is exactly
// what was written. Neither call raises or shows anything; failures are logged.
class Autorun {
public:
    explicit Autorun(QString entryFile)
        : file_(std::move(entryFile))
    {
    }
    // $XDG_CONFIG_HOME/autostart/ThermoBadge.desktop (~/.config when the variable is unset).
    static QString userEntryFile();

    // The entry starts exactly `command`: its kept command text and its Exec line both say so,
    // and it is not switched off (Hidden, X-GNOME-Autostart-enabled). A missing, unreadable or
    // foreign entry counts as not installed.
    bool IsAutoRun(const RunCommand& command) const;
    // Installs the entry when `wanted` and not installed (over a foreign one), removes it when
    // not wanted and installed (a foreign one is left alone); nothing is written when the
    // wanted state is in place. Returns the state read back afterwards.
    bool SetAutoRun(bool wanted, const RunCommand& command);

    // The whole entry written for `command`.
    static QString entryText(const RunCommand& command);
    const QString& entryFile() const { return file_; }

private:
    bool write(const RunCommand& command);
    QString file_;
};

} // namespace tb

#pragma once

#include <QString>
#include <QStringList>

namespace tb {

// The editor's command line. The indicator passes exactly one argument: the handle of its
// command box, "|", and the temperature text in format 6, for example "596|+7°".
struct EditorArgument {
    enum class Problem { None, Missing, Extra, NotANumber, Negative, Zero, TooLarge };
    Problem problem = Problem::None;
    qint32 handle = 0; // the indicator's command box (Problem::None)
    QString temperature; // shown in the preview; may be empty
    QString offending; // the part that was refused, for the message
};

// Reads the arguments after the program name. The handle is decimal digits only, 1 to 2^31-1;
// the temperature is everything after the first "|" (none: an empty temperature).
EditorArgument parseEditorArgument(const QStringList& arguments);

// What was wrong and how the program is called; empty for a good argument.
QString argumentErrorText(const EditorArgument& argument);

} // namespace tb

#pragma once

#include <QString>

#include <optional>

namespace tb {

// Unsaved edits kept when the editor is closed by the indicator ("W=0"), offered at its next
// start: the look (an "A=" argument) and the skin list it was meant for.
struct Draft {
    QString iniFile;
    QString look;
};

// $XDG_CONFIG_HOME/ThermoBadge/editor-draft.ini (~/.config when the variable is unset).
QString defaultDraftFile();

// Writes the draft atomically; false (logged) when it could not be written.
bool saveDraft(const QString& draftFile, const Draft& draft);
// The draft, when one is stored and complete.
std::optional<Draft> loadDraft(const QString& draftFile);
// Removes the draft; removing none does nothing.
void clearDraft(const QString& draftFile);

} // namespace tb

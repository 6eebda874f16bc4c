#include "Draft.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>
#include <QStandardPaths>

namespace tb {

Q_LOGGING_CATEGORY(lcDraft, "thermobadge.editor.draft", QtInfoMsg)

namespace {

// The editor's own file, read and written only by QSettings (which escapes "\" and "|" safely).
const QString kIni = QStringLiteral("Draft/Ini");
const QString kLook = QStringLiteral("Draft/Look");

} // namespace

QString defaultDraftFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/ThermoBadge/editor-draft.ini");
}

bool saveDraft(const QString& draftFile, const Draft& draft)
{
    QDir().mkpath(QFileInfo(draftFile).absolutePath());
    QSettings s(draftFile, QSettings::IniFormat);
    s.setValue(kIni, draft.iniFile);
    s.setValue(kLook, draft.look);
    s.sync();
    if (s.status() != QSettings::NoError) {
        qCWarning(lcDraft) << "the unsaved look could not be kept in" << draftFile;
        return false;
    }
    qCInfo(lcDraft) << "unsaved look kept in" << draftFile;
    return true;
}

std::optional<Draft> loadDraft(const QString& draftFile)
{
    if (!QFileInfo(draftFile).isFile())
        return std::nullopt;
    QSettings s(draftFile, QSettings::IniFormat);
    Draft d {s.value(kIni).toString(), s.value(kLook).toString()};
    if (s.status() != QSettings::NoError || d.iniFile.isEmpty() || d.look.isEmpty()) {
        qCWarning(lcDraft) << "the draft" << draftFile << "is damaged; ignored";
        return std::nullopt;
    }
    return d;
}

void clearDraft(const QString& draftFile)
{
    if (QFileInfo::exists(draftFile) && !QFile::remove(draftFile))
        qCWarning(lcDraft) << "the draft" << draftFile << "could not be removed";
}

} // namespace tb

#pragma once

#include "platform/SettingsStore.h"

#include <QLocale>
#include <QString>

namespace tb {

// The language the program's windows speak, for the indicator, its dialogs and the programs it
// starts: "ru" (the texts as they are written) or "en" (their English translation). The setting
// "Lang" decides when it says "ru" or "en". Empty or absent, the locale decides: the first of its
// interface languages that is Russian, English or the C/POSIX locale wins (C gives "ru"); a
// locale with none of them (German, Spanish, ...) gets "en". Any other setting is logged and the
// locale decides.
QString interfaceLanguage(const SettingsStore& settings, const QLocale& locale = QLocale::system());

} // namespace tb

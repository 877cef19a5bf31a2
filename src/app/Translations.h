// The interface's language: Japanese is the source and the default; an English desktop
// gets the English translation. Qt's own translation of its standard dialogs (OK, Cancel,
// the file dialogs) comes in the same language. Settings, Log.txt lines and the command
// lines sent to libraries stay as they are in every language.
#pragma once

#include <QStringList>

class QCoreApplication;

namespace qvr {

// True when the desktop's first interface language is English (LANGUAGE, LC_ALL,
// LC_MESSAGES, LANG as QLocale reads them); "C" and every other language keep Japanese.
bool UsesEnglish(const QStringList& uiLanguages);
// Installs the translators for QLocale::system()'s interface languages.
void LoadTranslations(QCoreApplication& app);

}  // namespace qvr

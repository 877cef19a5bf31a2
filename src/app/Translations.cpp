#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "Translate.h"

namespace qvr {

bool UsesEnglish(const QStringList& uiLanguages) {
  return !uiLanguages.isEmpty() && (uiLanguages.first() == QStringLiteral("en") ||
                                    uiLanguages.first().startsWith(QStringLiteral("en-")) ||
                                    uiLanguages.first().startsWith(QStringLiteral("en_")));
}

namespace {

std::string Translated(const char* context, const char* text) {
  return QCoreApplication::translate(context, text).toStdString();
}

}  // namespace

void LoadTranslations(QCoreApplication& app) {
  SetTranslator(Translated);
  // English: ours (Qt's own texts are English already); any other: Qt's Japanese.
  auto* translator = new QTranslator(&app);
  const bool loaded = UsesEnglish(QLocale::system().uiLanguages())
                          ? translator->load(QStringLiteral(":/i18n/QuiverArchiver_en.qm"))
                          : translator->load(QStringLiteral("qtbase_ja"),
                                             QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  if (loaded) app.installTranslator(translator);
}

}  // namespace qvr

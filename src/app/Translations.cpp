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
  auto* ours = new QTranslator(&app);
  auto* qts = new QTranslator(&app);
  if (UsesEnglish(QLocale::system().uiLanguages())) {
    if (ours->load(QStringLiteral(":/i18n/QuiverArchiver_en.qm"))) app.installTranslator(ours);
    return;  // Qt's own texts are English already
  }
  if (qts->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    app.installTranslator(qts);
}

}  // namespace qvr

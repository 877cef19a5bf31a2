// The interface's language from the desktop's: run three times by CTest, under
// LANG=en_US.UTF-8 (English), ja_JP.UTF-8 and C.UTF-8 (Japanese); QVR_EXPECT names the
// language the run must show. What leaves the program for scripts stays as it is.
#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "AppFolder.h"
#include "Completion.h"
#include "Form1.h"
#include "Settings.h"
#include "TempDir.h"
#include "Translate.h"
#include "Translations.h"

using qvr::Form1;

class TestTranslations : public QObject {
  Q_OBJECT

  bool english_ = false;
  qvr::test::TempDir app_;

  template <typename T>
  static T* child(Form1& form, const char* name) {
    T* found = form.findChild<T*>(name);
    if (!found) qFatal("no child %s", name);
    return found;
  }
  // The text of the run's language: English or the Japanese source.
  QString expect(const char* english, const char* japanese) const {
    return QString::fromUtf8(english_ ? english : japanese);
  }

 private slots:
  void initTestCase() {
    english_ = qgetenv("QVR_EXPECT") == "en";
    QCOMPARE(qvr::UsesEnglish(QLocale::system().uiLanguages()), english_);
    qvr::LoadTranslations(*qApp);
    qvr::SetAppFolder(app_.path());
  }

  void theWindowSpeaksTheDesktopsLanguage() {
    Form1 form;
    QCOMPARE(child<QMenu>(form, "FileMenu")->title(), expect("&File", "ファイル(&F)"));
    QCOMPARE(child<QAction>(form, "MnuModeExtract")->text(),
             expect("&Extract Mode", "解凍モード(&E)"));
    QCOMPARE(child<QAction>(form, "MnuTest")->text(), expect("&Test", "検査(&T)"));
    form.ModeChange(qvr::WorkMode::Extract);
    QCOMPARE(child<QPushButton>(form, "Btn_Start")->text(), expect("Extract(&S)", "解凍(&S)"));
    QCOMPARE(child<QPushButton>(form, "Btn_Close")->text(), expect("Quit(&X)", "終了(&X)"));
    // The archiving method shows in the language, and QvrArc.ini keeps the design's word.
    auto* method = child<QComboBox>(form, "cmbArcMethod");
    QCOMPARE(method->itemText(1), expect("All in one", "一括"));
    method->setCurrentIndex(1);
    form.Unload();
    QCOMPARE(qvr::GetIniStringDef(qvr::kQvrArcIni, "ARCHIVE_NORMAL", "ArchiveMethod", ""),
             std::string("一括"));
  }

  void boxesPanelsAndQtsOwnButtons() {
    QCOMPARE(QString::fromStdString(qvr::DoneText(qvr::WorkMode::Extract, 3, 1)),
             expect("3 file(s) extracted! (1 failed)", "3個のファイルを解凍完了！（1個失敗）"));
    // Qt's standard buttons come from Qt's own translation.
    QMessageBox box(QMessageBox::Question, "t", "x", QMessageBox::Yes | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), expect("Cancel", "キャンセル"));
    // The manual opens at the start page of the language, which the build puts beside it.
    const std::string page = qvr::Tr("HelpMenu", "index.html");
    QCOMPARE(QString::fromStdString(page), expect("index.en.html", "index.html"));
    QVERIFY(
        QFileInfo::exists(QStringLiteral(QVR_BIN_DIR "/manual/") + QString::fromStdString(page)));
  }
};

QTEST_MAIN(TestTranslations)
#include "test_Translations.moc"

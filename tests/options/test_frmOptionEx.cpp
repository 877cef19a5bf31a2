#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>
#include <vector>

#include "ArchiverDLLStatus.h"
#include "CommonDialogs.h"
#include "Form1.h"
#include "OptionDialogTest.h"
#include "Registry_Link.h"
#include "frmOptionEx.h"

using qvr::ExRow;
using qvr::frmOptionEx;
using qvr::kOptionExRows;
using qvr::LibraryStatus;
using qvr::OptionExFollowUps;
using qvr::test::ReadFile;
using qvr::test::text;
using qvr::test::WriteFile;

namespace {

// Each key's control(s) and a value that is not the default; option groups name their
// buttons in index order.
struct ControlRow {
  ExRow row;
  std::vector<const char*> controls;
  const char* sample;
};
const std::vector<ControlRow> kControls = {
    {ExRow::Directory, {"chkDirectory"}, "1"},
    {ExRow::ErrorSkip, {"chkErrorSkip"}, "1"},
    {ExRow::PreScan, {"chkPreScan"}, "1"},
    {ExRow::Use7ZIP, {"chkUseSevenZip"}, "1"},
    {ExRow::UseYZ2DEC, {"chkUseYZ2DEC"}, "1"},
    {ExRow::OpenFolder, {"chkOpenFolder"}, "1"},
    {ExRow::ShowListViewer, {"chkShowListViewer"}, "1"},
    {ExRow::AlwaysPath, {"txtAlwaysFolder"}, "/data/いつも の"},
    {ExRow::NormalOverWrite, {"chkOverWriteNormal"}, "1"},
    {ExRow::NormalFileNameFolder,
     {"ExNormal_FileNameFolder_Auto", "ExNormal_FileNameFolder_Use",
      "ExNormal_FileNameFolder_NoUse"},
     "2"},
    {ExRow::NormalDeleteArchive, {"chkDeleteArchiveNormal"}, "1"},
    {ExRow::NormalNameCodePage, {"cmbNameCodePage"}, "CP866"},
    {ExRow::DDModeUseDesktop, {"chkUseDesktop"}, "1"},
    {ExRow::DDModeTargetPath, {"txtDDMODE_SelfDecide"}, "/tmp/dd"},
    {ExRow::DDModeExtractMode,
     {"optDDMODE_ExtDesktop", "optDDMODE_ExtFileExist", "optDDMODE_ExtSelfDecide"},
     "2"},
    {ExRow::DDModeOverWrite, {"chkOverWriteDDMODE"}, "1"},
    {ExRow::DDModeFileNameFolder,
     {"ExDDMODE_FileNameFolder_Auto", "ExDDMODE_FileNameFolder_Use",
      "ExDDMODE_FileNameFolder_NoUse"},
     "1"},
    {ExRow::DDModeDeleteArchive, {"chkDeleteArchiveDDMODE"}, "1"},
    {ExRow::ArcViewOverWrite, {"chkOverWriteArcView"}, "1"},
    {ExRow::MakeFolder4ListView, {"chkMakeFolder4ListView"}, "1"},
    {ExRow::ArcViewAction, {"optArcViewAction_Open", "optArcViewAction_Extract"}, "1"},
    {ExRow::ArcViewTargetPlace,
     {"optArcViewPlace_OpenOnly", "optArcViewPlace_OnDemand", "optArcViewPlace_Always",
      "optArcViewPlace_Template"},
     "3"},
    {ExRow::ArcViewAlwaysFolder, {"txtArcViewPlace_AlwaysFolder"}, "/srv/view"},
    {ExRow::ArcViewTemplate, {"cmbArcViewPlace_Template"}, "システムフォルダ"},
};

// What a control shows, as the key's value.
std::string Shown(QWidget& dialog, const ControlRow& row) {
  return qvr::test::ShownValue(dialog, row.controls);
}

}  // namespace

class TestFrmOptionEx : public QObject, qvr::test::OptionDialogTest {
  Q_OBJECT

  LibraryStatus status;
  std::vector<std::string> steps;  // the follow-ups in the order OK took them

  OptionExFollowUps recorded() {
    // Each step notes which keys it finds in the file: the ones before it, not after.
    return {[this](bool use) {
              steps.push_back(std::string("yz2dec=") + (use ? "1" : "0") +
                              (ini("GENERAL", "UseYZ2DEC") ? " after" : "") +
                              (ini("GENERAL", "OpenFolder") ? " early" : ""));
            },
            [this](bool use) {
              steps.push_back(std::string("desktop=") + (use ? "1" : "0") +
                              (ini("DDMODE", "ExtractMode") ? " after" : "") +
                              (ini("DDMODE", "OverWrite") ? " early" : ""));
            },
            [this] {
              steps.push_back(std::string("pictures") +
                              (ini("EXTRACT_ARCVIEW", "Template") ? " after" : ""));
            }};
  }
  std::string sampleFile() const {
    std::string content = "; kept as it is\r\n[OTHER]\r\nx = 1\r\n";
    const char* section = "";
    for (const ControlRow& c : kControls) {
      const qvr::OptionRow& row = kOptionExRows[size_t(c.row)];
      if (std::string(section) != row.section) {
        section = row.section;
        content += std::string("[") + section + "]\r\n";
      }
      content += std::string(row.key) + "=" + c.sample + "\r\n";
    }
    return content;
  }

 private slots:
  void init() {
    Fresh();
    status = LibraryStatus();
    status.SEVENZIP32 = true;
    status.YZ2DEC = true;
    steps.clear();
  }

  void pagesTabsAndCaptions() {
    frmOptionEx dialog(status, {}, false);
    QCOMPARE(dialog.windowTitle(), text("Option-Extract-"));
    auto* tabs = child<QTabWidget>(dialog, "TabStrip1");
    const char* captions[] = {"解凍", "通常解凍", "簡易解凍", "書庫閲覧"};
    const char* tips[] = {"通常解凍・簡易解凍共通の設定を行います。", "通常解凍の設定を行います。",
                          "簡易解凍モードの設定を行います。",
                          "書庫閲覧ウィンドウ上での解凍設定を行います。"};
    QCOMPARE(tabs->count(), 4);
    for (int i = 0; i < 4; ++i) {
      QCOMPARE(tabs->tabText(i), text(captions[i]));
      QCOMPARE(tabs->tabToolTip(i), text(tips[i]));
      QCOMPARE(dialog.page(i)->isEnabled(), i == 0);
    }
    tabs->setCurrentIndex(2);
    for (int i = 0; i < 4; ++i) QCOMPARE(dialog.page(i)->isEnabled(), i == 2);
    QCOMPARE(child<QCheckBox>(dialog, "chkDirectory")->toolTip(),
             text("書庫内のディレクトリを無視して解凍します。"));
    QCOMPARE(child<QRadioButton>(dialog, "optDDMODE_ExtFileExist")->text(),
             text("ファイルの元あった場所"));
    QCOMPARE(child<QPushButton>(dialog, "Btn_ARCVIEW_SelfDecideOpen")->toolTip(),
             text("いつもの解凍先フォルダを指定します。"));
    auto* templates = child<QComboBox>(dialog, "cmbArcViewPlace_Template");
    QCOMPARE(templates->count(), 4);
    QCOMPARE(templates->itemText(0), text("マイ ドキュメント"));
  }

  void noFileShowsDefaultsAndOkCreatesEveryKey() {
    frmOptionEx dialog(status, recorded(), false);
    for (const ControlRow& c : kControls) {
      const qvr::OptionRow& row = kOptionExRows[size_t(c.row)];
      std::string expected = row.kind == qvr::OptionKind::Text ? "" : "0";
      QCOMPARE(Shown(dialog, c), expected);
    }
    QVERIFY(!QFile::exists(QString::fromStdString(iniPath())));
    child<QPushButton>(dialog, "Btn_OK")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    for (const qvr::OptionRow& row : kOptionExRows) {
      auto stored = ini(row.section, row.key);
      QVERIFY2(stored.has_value(), row.key);
      QCOMPARE(*stored, std::string(row.kind == qvr::OptionKind::Text ? "" : "0"));
    }
    // The key written as "Use7ZIP" is the one the rest of the program reads as "Use7Zip".
    QCOMPARE(*ini("GENERAL", "Use7Zip"), std::string("0"));
    QCOMPARE(steps,
             (std::vector<std::string>{"yz2dec=0 after", "desktop=0 after", "pictures after"}));
  }

  void loadedFileShowsItsValuesAndOkWritesThemBackByteForByte() {
    WriteFile(iniPath(), sampleFile());
    frmOptionEx dialog(status, recorded(), true);
    for (const ControlRow& c : kControls) QCOMPARE(Shown(dialog, c), std::string(c.sample));
    child<QPushButton>(dialog, "Btn_OK")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(ReadFile(iniPath()), sampleFile());
    QCOMPARE(steps.front(), std::string("yz2dec=1 after early"));
  }

  void cancelLeavesTheFileUntouched() {
    WriteFile(iniPath(), sampleFile());
    frmOptionEx dialog(status, recorded(), false);
    child<QCheckBox>(dialog, "chkDirectory")->setChecked(false);
    child<QLineEdit>(dialog, "txtAlwaysFolder")->setText("/elsewhere");
    child<QRadioButton>(dialog, "optDDMODE_ExtDesktop")->setChecked(true);
    child<QPushButton>(dialog, "Btn_Cancel")->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(ReadFile(iniPath()), sampleFile());
    QVERIFY(steps.empty());
  }

  void anOutOfRangePlaceSelectsNoButtonAndOkRefusesIt() {
    WriteFile(iniPath(), "[EXTRACT_ARCVIEW]\r\nAction=0\r\nTargetPlace=4\r\n");
    frmOptionEx dialog(status, recorded(), false);
    const ControlRow& place = kControls[size_t(ExRow::ArcViewTargetPlace)];
    QCOMPARE(Shown(dialog, place), std::string());
    auto seen = closeNextBox();
    child<QPushButton>(dialog, "Btn_OK")->click();
    QVERIFY(seen->contains(text("「場所」")));
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(dialog.isVisible() || dialog.result() == 0);
    QCOMPARE(ReadFile(iniPath()),
             std::string("[EXTRACT_ARCVIEW]\r\nAction=0\r\nTargetPlace=4\r\n"));
  }

  void outOfRangeFolderModesAreWrittenBackAsTheyWere() {
    WriteFile(iniPath(), "[EXTRACT_NORMAL]\r\nFileNameFolder=7\r\n");
    frmOptionEx dialog(status, {}, false);
    QCOMPARE(Shown(dialog, kControls[size_t(ExRow::NormalFileNameFolder)]), std::string());
    child<QPushButton>(dialog, "Btn_OK")->click();
    QCOMPARE(*ini("EXTRACT_NORMAL", "FileNameFolder"), std::string("7"));
  }

  void theViewerActionKeepsAPlaceItAllows() {
    frmOptionEx dialog(status, {}, false);
    auto* open = child<QRadioButton>(dialog, "optArcViewAction_Open");
    auto* extract = child<QRadioButton>(dialog, "optArcViewAction_Extract");
    auto* openOnly = child<QRadioButton>(dialog, "optArcViewPlace_OpenOnly");
    auto* onDemand = child<QRadioButton>(dialog, "optArcViewPlace_OnDemand");
    auto* templ = child<QRadioButton>(dialog, "optArcViewPlace_Template");
    dialog.SelectPage(3);
    QVERIFY(open->isChecked() && openOnly->isChecked());
    QVERIFY(openOnly->isEnabled() && !templ->isEnabled());
    // "開く動作のみ" then "解凍": the place the extraction cannot use gives way.
    extract->click();
    QVERIFY(!openOnly->isChecked() && !openOnly->isEnabled());
    QVERIFY(onDemand->isChecked());
    QVERIFY(templ->isEnabled());
    templ->click();
    open->click();
    QVERIFY(!templ->isChecked() && !templ->isEnabled());
    QVERIFY(openOnly->isChecked());
    // A stored extraction to "open only" loads with a place the extraction allows.
    WriteFile(iniPath(), "[EXTRACT_ARCVIEW]\r\nAction=1\r\nTargetPlace=0\r\n");
    frmOptionEx stored(status, {}, false);
    stored.SelectPage(3);
    QVERIFY(child<QRadioButton>(stored, "optArcViewAction_Extract")->isChecked());
    QVERIFY(child<QRadioButton>(stored, "optArcViewPlace_OnDemand")->isChecked());
    QVERIFY(!child<QRadioButton>(stored, "optArcViewPlace_OpenOnly")->isEnabled());
  }

  void theDeleteWarningShowsOnAClickNotOnLoad() {
    WriteFile(iniPath(), "[EXTRACT_NORMAL]\r\nDeleteArchive=1\r\n");
    auto onLoad = closeNextBox(5);
    frmOptionEx dialog(status, {}, false);
    QTRY_COMPARE(*onLoad, kNoBox);  // loading the stored 1 showed nothing
    QVERIFY(child<QCheckBox>(dialog, "chkDeleteArchiveNormal")->isChecked());
    dialog.show();
    const std::pair<const char*, int> boxes[] = {{"chkDeleteArchiveNormal", 1},
                                                 {"chkDeleteArchiveDDMODE", 2}};
    for (auto [name, page] : boxes) {
      dialog.SelectPage(page);
      auto* box = child<QCheckBox>(dialog, name);
      box->setChecked(false);
      auto seen = closeNextBox();
      box->click();
      QCOMPARE(*seen,
               text("このオプション有効時、解凍後の書庫(圧縮ファイル)はごみ箱へ移動されます。\n"
                    "ごみ箱のない場所にある書庫は、確認のうえ完全に削除されます。"));
      QVERIFY(box->isChecked());  // the box does not change the check
    }
  }

  void availabilityEnablesTheLibraryBoxes() {
    const std::pair<bool, bool> cases[] = {{false, false}, {true, false}, {false, true}};
    for (auto [sevenZip, yz2dec] : cases) {
      status.SEVENZIP32 = sevenZip;
      status.YZ2DEC = yz2dec;
      frmOptionEx dialog(status, {}, false);
      dialog.SelectPage(0);
      QCOMPARE(child<QCheckBox>(dialog, "chkUseSevenZip")->isEnabled(), sevenZip);
      QCOMPARE(child<QCheckBox>(dialog, "chkUseYZ2DEC")->isEnabled(), yz2dec);
    }
  }

  void okRefusesDestinationsARunCouldNotUse() {
    struct Case {
      const char* file;
      bool alwaysPathInUse;
      const char* refusal;  // part of the message; "" when OK writes
    };
    const Case cases[] = {
        {"[DDMODE]\r\nExtractMode=2\r\nTargetPath=\r\n", false, "自分であらかじめ決めた場所"},
        {"[DDMODE]\r\nExtractMode=1\r\nTargetPath=\r\n", false, ""},
        {"[EXTRACT_ARCVIEW]\r\nTargetPlace=2\r\nAlwaysFolder= \r\n", false, "いつものところへ"},
        {"[EXTRACT_ARCVIEW]\r\nAction=1\r\nTargetPlace=3\r\nTemplate=Temp\r\n", false,
         "テンプレート指定"},
        {"[EXTRACT_ARCVIEW]\r\nAction=1\r\nTargetPlace=3\r\nTemplate=Windows\r\n", false, ""},
        {"[EXTRACT_ARCVIEW]\r\nAction=2\r\nTargetPlace=1\r\n", false, "アクション"},
        {"[GENERAL]\r\nAlwaysPath=\r\n", true, "いつもの解凍先"},
        {"[GENERAL]\r\nAlwaysPath=\r\n", false, ""},
    };
    for (const Case& c : cases) {
      Fresh();
      WriteFile(iniPath(), c.file);
      frmOptionEx dialog(status, {}, c.alwaysPathInUse);
      auto seen = *c.refusal ? closeNextBox() : std::make_shared<QString>();
      child<QPushButton>(dialog, "Btn_OK")->click();
      if (*c.refusal) {
        QVERIFY2(seen->contains(text(c.refusal)), c.file);
        QCOMPARE(ReadFile(iniPath()), std::string(c.file));
      } else {
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(ini("EXTRACT_ARCVIEW", "Template").has_value());
      }
    }
  }

  void folderButtonsFillTheirBoxes() {
    frmOptionEx dialog(status, {}, false);
    std::string chosen = home->path(), caption;
    qvr::SetFileDialogStandIn(
        [&](const std::string& c, const std::vector<std::string>&, const std::string&) {
          caption = c;
          return chosen;
        });
    dialog.SelectPage(2);
    child<QPushButton>(dialog, "Btn_DDMODE_SelfDecideOpen")->click();
    QCOMPARE(child<QLineEdit>(dialog, "txtDDMODE_SelfDecide")->text().toStdString(), chosen);
    QCOMPARE(caption, std::string("フォルダの選択"));
    // A cancelled browse leaves the box as it was.
    chosen.clear();
    child<QPushButton>(dialog, "Btn_DDMODE_SelfDecideOpen")->click();
    qvr::SetFileDialogStandIn({});
    QCOMPARE(child<QLineEdit>(dialog, "txtDDMODE_SelfDecide")->text().toStdString(), home->path());
  }

  void theMainWindowOpensItAndTakesItsFollowUps() {
    qvr::Form1 form;
    form.Load({qvr::kModeNormal, ""});
    auto* folderPicture = child<QLabel>(form, "Panel4");
    auto* dirPicture = child<QLabel>(form, "Panel5");
    QCOMPARE(folderPicture->toolTip(), text("自動モード"));
    onNextModal<frmOptionEx>([](frmOptionEx* dialog) {
      child<QCheckBox>(*dialog, "chkUseYZ2DEC")->setChecked(true);
      child<QCheckBox>(*dialog, "chkDirectory")->setChecked(true);
      child<QRadioButton>(*dialog, "ExNormal_FileNameFolder_NoUse")->setChecked(true);
      child<QCheckBox>(*dialog, "chkUseDesktop")->setChecked(true);
      child<QPushButton>(*dialog, "Btn_OK")->click();
    });
    child<QAction>(form, "MnuOptExtract")->trigger();
    QVERIFY(form.useYZ2DEC());
    // The easy-extraction launcher on the desktop of this test's HOME.
    std::string launcher = qvr::SpecialFolderPath(qvr::kCsidlDesktop) + "/QVEasyExtract.desktop";
    QVERIFY2(ReadFile(launcher).find("/DDMODE") != std::string::npos, launcher.c_str());
    QCOMPARE(folderPicture->toolTip(), text("ファイル名でフォルダを作成しない"));
    QCOMPARE(dirPicture->toolTip(), text("書庫ファイル内のディレクトリを無視する"));
    // Ctrl+O on the list opens it in extract mode.
    form.ModeChange(qvr::WorkMode::Extract);
    QString opened;
    onNextModal<QDialog>([&opened](QDialog* dialog) {
      opened = dialog->objectName();
      dialog->reject();
    });
    QTest::keyClick(child<QWidget>(form, "List1"), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(opened, QString("frmOptionEx"));
  }
};

QTEST_MAIN(TestFrmOptionEx)
#include "test_frmOptionEx.moc"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>
#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "AppFolder.h"
#include "ArchiverDLLStatus.h"
#include "CommonDialogs.h"
#include "Form1.h"
#include "OptionDialogTest.h"
#include "QtSoundPlayer.h"
#include "Registry_Link.h"
#include "frmOption.h"

using qvr::frmOption;
using qvr::GenRow;
using qvr::kAssociationBoxes;
using qvr::kOptionRows;
using qvr::LibraryStatus;
using qvr::OptionSteps;
using qvr::test::ReadFile;
using qvr::test::text;
using qvr::test::WriteFile;

namespace {

struct ControlRow {
  GenRow row;
  std::vector<const char*> controls;
  const char* shownByDefault;
  const char* sample;  // as the dialog shows it
};
const std::vector<ControlRow> kControls = {
    {GenRow::ExtensionMode, {"optExtMODE_Normal", "optExtMODE_Easy"}, "0", "1"},
    {GenRow::UseSendTo, {"chkUseSendTo"}, "0", "1"},
    {GenRow::UseDeskTopNormal, {"chkUseDeskTopNormal"}, "0", "1"},
    {GenRow::FontSize, {"optFontSize_Normal", "optFontSize_Large"}, "0", "1"},
    {GenRow::UseSound, {"chkUseSound"}, "0", "1"},
    {GenRow::SoundFilePath, {"txtSoundFilePath"}, "", "/snd/終わり.wav"},
    {GenRow::EndNotice, {"chkEndNotice"}, "0", "1"},
    {GenRow::DesktopNotice, {"chkDesktopNotice"}, "1", "0"},
    {GenRow::Sort, {"optSort_FullPath", "optSort_Path", "optSort_FileName"}, "0", "2"},
    {GenRow::MailUse, {"chkUseEMail"}, "0", "1"},
    {GenRow::SMTPServer, {"txtSMTPServer"}, "", "smtp.example.jp"},
    {GenRow::Port, {"txtPort"}, "25", "587"},
    {GenRow::TimeOut, {"txtTimeOut"}, "120", "30"},
    {GenRow::UseSMTPAUTH, {"chkSMTPAUTHUse"}, "0", "1"},
    {GenRow::SMTPAUTH, {"optSMTPA_LOGIN", "optSMTPA_PLAIN", "optSMTPA_CRAM"}, "0", "2"},
    {GenRow::SMTPUserName, {"txtSMTPUserName"}, "", "user"},
    {GenRow::SMTPPassword, {"txtSMTPPassword"}, "", "abc"},
    {GenRow::MailTo, {"txtMailTo"}, "", "to@example.jp"},
    {GenRow::MailFrom, {"txtMailFrom"}, "", "from@example.jp"},
    {GenRow::Subject, {"txtSubject"}, "", "終了"},
    {GenRow::UsePOPBSMTP, {"chkPOPBSMTPUse"}, "0", "1"},
    {GenRow::POPServer, {"txtPOPServer"}, "", "pop.example.jp"},
    {GenRow::POPUserName, {"txtPOPUserName"}, "", "popper"},
    {GenRow::POPPassword, {"txtPOPPassword"}, "", "xyz"},
    {GenRow::UseFolderQvrAdd, {"chkUseRCFolderQvrAdd"}, "0", "1"},
};

std::string Shown(QWidget& dialog, const ControlRow& row) {
  return qvr::test::ShownValue(dialog, row.controls);
}

// The stored form of the tests' passwords: each character one higher, then reversed.
std::string Encode(const std::string& text) {
  std::string out(text.rbegin(), text.rend());
  for (char& c : out) c = char(c + 1);
  return out;
}
std::string Decode(const std::string& stored) {
  std::string out(stored.rbegin(), stored.rend());
  for (char& c : out) c = char(c - 1);
  return out;
}

}  // namespace

class TestFrmOption : public QObject, qvr::test::OptionDialogTest {
  Q_OBJECT

  LibraryStatus status;
  std::set<std::string> associated;
  std::vector<std::string> steps;
  std::map<std::string, bool> applied;

  OptionSteps recorded() {
    OptionSteps s;
    s.isAssociated = [this](const std::string& f) { return associated.count(f) > 0; };
    s.applyAssociations = [this](const std::function<bool(const std::string&)>& checked) {
      steps.push_back(std::string("associations") + (ini("EXTENSION", "Mode") ? " after" : "") +
                      (ini("GENERAL", "UseSendTo") ? " early" : ""));
      for (const auto& box : kAssociationBoxes) applied[box.format] = checked(box.format);
    };
    s.updateSendTo = [this](bool use) {
      steps.push_back(std::string("sendto=") + (use ? "1" : "0") +
                      (ini("GENERAL", "UseSendTo") ? " after" : ""));
    };
    s.updateDesktopNormal = [this](bool use) {
      steps.push_back(std::string("desktop=") + (use ? "1" : "0") +
                      (ini("GENERAL", "UseDeskTopNormal") ? " after" : "") +
                      (ini("GENERAL", "FONTSIZE") ? " early" : ""));
    };
    s.setFolderRightClick = [this](bool use) {
      steps.push_back(std::string("rightclick=") + (use ? "1" : "0") +
                      (ini("RightClick", "UseFolderQvrAdd") ? " after" : ""));
    };
    s.storePassword = [](const std::string&, const std::string& text) { return Encode(text); };
    s.loadPassword = [](const std::string&, const std::string& stored) { return Decode(stored); };
    return s;
  }
  std::string sampleFile() const {
    std::string content = "[OTHER]\r\nkeep=this\r\n";
    const char* section = "";
    for (const ControlRow& c : kControls) {
      const qvr::OptionRow& row = kOptionRows[size_t(c.row)];
      if (std::string(section) != row.section) {
        section = row.section;
        content += std::string("[") + section + "]\r\n";
      }
      bool password = c.row == GenRow::SMTPPassword || c.row == GenRow::POPPassword;
      content += std::string(row.key) + "=" + (password ? Encode(c.sample) : c.sample) + "\r\n";
    }
    return content;
  }

 private slots:
  void init() {
    Fresh();
    status = LibraryStatus();
    associated.clear();
    steps.clear();
    applied.clear();
  }

  void pagesTabsCaptionsAndTips() {
    frmOption dialog(status, recorded(), "");
    QCOMPARE(dialog.windowTitle(), text("Option"));
    auto* tabs = child<QTabWidget>(dialog, "TabStrip1");
    QCOMPARE(tabs->count(), 3);
    const char* captions[] = {"関連づけ", "その他", "メール通知"};
    const char* tips[] = {"関連づけの設定を行います。", "その他の設定を行います。",
                          "メール通知の設定を行います。"};
    for (int i = 0; i < 3; ++i) {
      QCOMPARE(tabs->tabText(i), text(captions[i]));
      QCOMPARE(tabs->tabToolTip(i), text(tips[i]));
    }
    tabs->setCurrentIndex(1);
    QVERIFY(!dialog.page(0)->isEnabled() && dialog.page(1)->isEnabled());
    // Each font-size button describes itself.
    QCOMPARE(child<QRadioButton>(dialog, "optFontSize_Normal")->toolTip(),
             text("通常のサイズ、96DPI"));
    QCOMPARE(child<QRadioButton>(dialog, "optFontSize_Large")->toolTip(),
             text("大きなサイズ、120DPI"));
    QCOMPARE(child<QCheckBox>(dialog, "Link_7ZIP")->text(), QString("7Z"));
    QCOMPARE(child<QCheckBox>(dialog, "Link_YZ2A6")->text(), QString("YZ2A6"));
    QCOMPARE(child<QPushButton>(dialog, "Btn_Ext_All_Add")->text(), text("すべて選択"));
    QCOMPARE(child<QCheckBox>(dialog, "chkUseRCFolderQvrAdd")->text(),
             text("フォルダメニューに登録"));
    QVERIFY(child<QLineEdit>(dialog, "txtSMTPPassword")->echoMode() == QLineEdit::Password);
  }

  void noFileShowsDefaultsAndOkCreatesEveryKey() {
    frmOption dialog(status, recorded(), "");
    for (const ControlRow& c : kControls) QCOMPARE(Shown(dialog, c), std::string(c.shownByDefault));
    child<QPushButton>(dialog, "Btn_OK")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    for (const ControlRow& c : kControls) {
      const qvr::OptionRow& row = kOptionRows[size_t(c.row)];
      QVERIFY2(ini(row.section, row.key).has_value(), row.key);
      QCOMPARE(*ini(row.section, row.key), std::string(c.shownByDefault));
    }
    QCOMPARE(steps, (std::vector<std::string>{"associations after", "sendto=0 after",
                                              "desktop=0 after", "rightclick=0 after"}));
  }

  void loadedFileShowsItsValuesAndOkWritesThemBackByteForByte() {
    WriteFile(iniPath(), sampleFile());
    frmOption dialog(status, recorded(), "");
    for (const ControlRow& c : kControls) QCOMPARE(Shown(dialog, c), std::string(c.sample));
    child<QPushButton>(dialog, "Btn_OK")->click();
    QCOMPARE(ReadFile(iniPath()), sampleFile());
    QCOMPARE(steps, (std::vector<std::string>{"associations after early", "sendto=1 after",
                                              "desktop=1 after early", "rightclick=1 after"}));
  }

  void cancelWritesNothingAndTakesNoStep() {
    WriteFile(iniPath(), sampleFile());
    frmOption dialog(status, recorded(), "");
    child<QCheckBox>(dialog, "chkUseSound")->setChecked(false);
    child<QLineEdit>(dialog, "txtSubject")->setText("changed");
    child<QPushButton>(dialog, "Btn_Cancel")->click();
    QCOMPARE(ReadFile(iniPath()), sampleFile());
    QVERIFY(steps.empty());
  }

  void aPortOfZeroShowsAndWrites25() {
    WriteFile(iniPath(), "[E-Mail]\r\nPort=0\r\nTimeOut=0\r\n");
    frmOption dialog(status, recorded(), "");
    QCOMPARE(child<QLineEdit>(dialog, "txtPort")->text(), QString("25"));
    QCOMPARE(child<QLineEdit>(dialog, "txtTimeOut")->text(), QString("120"));
    child<QPushButton>(dialog, "Btn_OK")->click();
    QCOMPARE(*ini("E-Mail", "Port"), std::string("25"));
    QCOMPARE(*ini("E-Mail", "TimeOut"), std::string("120"));
  }

  void theNumberCheckSpeaksOnEachWrongChange() {
    frmOption dialog(status, recorded(), "");
    dialog.SelectPage(2);
    auto* port = child<QLineEdit>(dialog, "txtPort");
    auto seen = closeNextBox();
    port->setText("25a");
    QCOMPARE(*seen, text("不正な値が入力されています。"));
    QCOMPARE(port->text(), QString("25a"));  // left as typed
    auto none = closeNextBox(10);
    port->setText("");
    QTRY_COMPARE(*none, kNoBox);
  }

  void okRefusesNumbersThatAreNone() {
    const std::pair<const char*, const char*> cases[] = {
        {"txtPort", ""}, {"txtPort", "2 5"}, {"txtTimeOut", "-1"}, {"txtTimeOut", "1e3"}};
    for (auto [name, value] : cases) {
      Fresh();
      frmOption dialog(status, recorded(), "");
      // The change's own box comes first for a value that is not empty.
      if (*value) closeNextBox();
      child<QLineEdit>(dialog, name)->setText(value);
      auto seen = closeNextBox();
      child<QPushButton>(dialog, "Btn_OK")->click();
      QString field = QString(name).mid(3);
      QVERIFY2(seen->contains(field) && seen->contains(text("数字")), value);
      QCOMPARE(dialog.result(), int(QDialog::Rejected));
      QVERIFY(!QFile::exists(QString::fromStdString(iniPath())));
      QVERIFY(steps.empty());
    }
  }

  void associationBoxesFollowTheStoreAndTheLibraries() {
    status.TAR32 = true;    // TAR, GZ, BZ2 and Z
    status.BGA32 = true;    // BZA and GZA
    status.YZ2DEC = true;   // YZ2 and YZ2A6
    status.UNACEV2 = true;  // ACE
    status.UNLHA32 = true;
    associated = {"LZH", "ZIP"};  // ZIP's library is missing: its box stays checked, disabled
    frmOption dialog(status, recorded(), "");
    const std::set<std::string> enabled = {"TAR", "GZ",  "BZ2",   "Z",   "BZA",
                                           "GZA", "YZ2", "YZ2A6", "ACE", "LZH"};
    for (const auto& box : kAssociationBoxes) {
      auto* link = child<QCheckBox>(dialog, box.control);
      QCOMPARE(link->isEnabled(), enabled.count(box.format) > 0);
      QCOMPARE(link->isChecked(), associated.count(box.format) > 0);
    }
    child<QPushButton>(dialog, "Btn_Ext_All_Add")->click();
    for (const auto& box : kAssociationBoxes) {
      bool expected = enabled.count(box.format) > 0 || box.format == std::string("ZIP");
      QCOMPARE(child<QCheckBox>(dialog, box.control)->isChecked(), expected);
    }
    child<QPushButton>(dialog, "Btn_OK")->click();
    for (const auto& box : kAssociationBoxes)
      QCOMPARE(applied[box.format],
               enabled.count(box.format) > 0 || box.format == std::string("ZIP"));
    // "すべて解除" clears every box, the disabled ones too.
    frmOption again(status, recorded(), "");
    child<QPushButton>(again, "Btn_Ext_All_Delete")->click();
    for (const auto& box : kAssociationBoxes)
      QVERIFY(!child<QCheckBox>(again, box.control)->isChecked());
  }

  void theSoundFilterOffersWhatCanBePlayed() {
    std::vector<std::string> filter = qvr::SoundFileFilter();
    QVERIFY(filter.size() >= 6 && filter.size() % 2 == 0);
    QVERIFY(QString::fromStdString(filter[0]).startsWith("Music Files("));
    QVERIFY(filter[1].find("*.wav") != std::string::npos);
    QCOMPARE(filter[filter.size() - 2], std::string("ALL Files(*.*)"));
    for (const std::string& part : filter) QVERIFY(part.find(".mid") == std::string::npos);

    WriteFile(home->file("bell.wav"), "RIFF");
    frmOption dialog(status, recorded(), "");
    dialog.SelectPage(1);
    std::string chosen = home->file("bell.wav"), caption, folder;
    std::vector<std::string> offered;
    qvr::SetFileDialogStandIn(
        [&](const std::string& c, const std::vector<std::string>& f, const std::string& initial) {
          caption = c, offered = f, folder = initial;
          return chosen;
        });
    child<QPushButton>(dialog, "BtnOpenSoundFile")->click();
    qvr::SetFileDialogStandIn({});
    QCOMPARE(caption, std::string("ファイルを開く"));
    QVERIFY(offered == filter);
    QCOMPARE(folder, qvr::AppFolder());
    QCOMPARE(child<QLineEdit>(dialog, "txtSoundFilePath")->text().toStdString(), chosen);
  }

  void theMainWindowOpensItFromTheMenu() {
    qvr::Form1 form;
    form.Load({qvr::kModeNormal, ""});
    QString opened;
    onNextModal<QDialog>([&opened](QDialog* dialog) {
      opened = dialog->objectName();
      child<QCheckBox>(*dialog, "chkUseSendTo")->setChecked(true);
      child<QLineEdit>(*dialog, "txtSMTPPassword")->setText("abc");
      child<QPushButton>(*dialog, "Btn_OK")->click();
    });
    child<QAction>(form, "MnuOptGeneral")->trigger();
    QCOMPARE(opened, QString("frmOption"));
    QCOMPARE(*ini("GENERAL", "FONTSIZE"), std::string("0"));
    // The real steps: the SendTo launcher, the password in its stored form.
    QVERIFY(QFile::exists(QString::fromStdString(qvr::SpecialFolderPath(qvr::kCsidlSendTo) +
                                                 "/QuiverArchiver.desktop")));
    QCOMPARE(*ini("E-Mail", "SMTPPassword"), std::string("dcb"));
  }

  void ddmodeSettingEndsWithOkToo() {
    qvr::Form1 form;
    form.Load({qvr::kModeDDModeSetting, ""});
    auto* dialog = form.findChild<frmOption*>("frmOption");
    QVERIFY(dialog && dialog->isVisible() && !dialog->isModal());
    QCOMPARE(dialog->openingMode(), std::string("DDMODE_SETTING"));
    child<QRadioButton>(*dialog, "optExtMODE_Easy")->setChecked(true);
    child<QPushButton>(*dialog, "Btn_OK")->click();
    QCoreApplication::processEvents();
    QCOMPARE(*ini("EXTENSION", "Mode"), std::string("1"));
    // The main window has unloaded: its choices are saved.
    QVERIFY(ini("EXTRACT_NORMAL", "TargetPlace").has_value());
  }
};

QTEST_MAIN(TestFrmOption)
#include "test_frmOption.moc"

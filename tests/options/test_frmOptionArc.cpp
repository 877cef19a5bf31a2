#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>
#include <vector>

#include "ArchiveCommand.h"
#include "ArchiveSwitches.h"
#include "ArchiverDLLStatus.h"
#include "Form1.h"
#include "OptionDialogTest.h"
#include "frmOptionArc.h"

using qvr::ArchiveKey;
using qvr::ArchiveSettingOf;
using qvr::frmOptionArc;
using qvr::test::ReadFile;
using qvr::test::text;
using qvr::test::WriteFile;

namespace {

// Each key's control, in the order OK writes them, with a value that is not the
// default.
struct ControlRow {
  ArchiveKey key;
  const char* control;
  const char* sample;
};
const std::vector<ControlRow> kControls = {
    {ArchiveKey::Use7Zip, "GENARC_chkUse7zip", "1"},
    {ArchiveKey::LzhArchiveLevel, "LZH_cmbArchiveLevel", "Auto"},
    {ArchiveKey::LzhHuffmanBufferSize, "LZH_txtHuffmanBufferSize", "8192"},
    {ArchiveKey::ZipArchiveLevel, "ZIP_cmbArchiveLevel", "9"},
    {ArchiveKey::ZipArchiveLevel7z, "ZIP_7z_cmbArchiveLevel", "7"},
    {ArchiveKey::ZipArchiveMethod7z, "ZIP_7z_cmbArchiveMethod", "BZip2"},
    {ArchiveKey::ZipDeflateMem7z, "ZIP_7z_txtDeflateMem", "64"},
    {ArchiveKey::ZipDeflatePass7z, "ZIP_7z_txtDeflatePass", "3"},
    {ArchiveKey::ZipEncrypt, "ZIP_chkEncrypt", "1"},
    {ArchiveKey::ZipVolumeSize, "ZIP_txtVolumeSize", "100"},
    {ArchiveKey::CabArchiveType, "CAB_cmbArchiveType", "LZX"},
    {ArchiveKey::CabLZXArchiveLevel, "CAB_cmbLZXArchiveLevel", "21"},
    {ArchiveKey::SevenZArchiveLevel, "SevenZIP_cmbArchiveLevel", "9"},
    {ArchiveKey::SevenZSolidMode, "SevenZIP_chkSolid", "0"},
    {ArchiveKey::SevenZFilter, "SevenZIP_cmbFilter", "0"},
    {ArchiveKey::SevenZHeaderComp, "SevenZIP_HeaderComp", "0"},
    {ArchiveKey::SevenZCompleteHeaderComp, "SevenZIP_CompleteHeaderComp", "0"},
    {ArchiveKey::SevenZEncrypt, "SevenZIP_chkEncrypt", "1"},
    {ArchiveKey::SevenZVolumeSize, "SevenZIP_txtVolumeSize", "650"},
    {ArchiveKey::GzArchiveLevel, "GZ_cmbArchiveLevel", "1"},
    {ArchiveKey::Bz2ArchiveLevel, "BZ2_cmbArchiveLevel", "2"},
    {ArchiveKey::BzaArchiveLevel, "BZA_cmbArchiveLevel", "3"},
    {ArchiveKey::GzaArchiveLevel, "GZA_cmbArchiveLevel", "4"},
    {ArchiveKey::RkArchiveLevel, "RK_cmbArchiveLevel", "mx3"},
    {ArchiveKey::RkWAVArchiveLevel, "RK_cmbWAVArchiveLevel", "mwx"},
    {ArchiveKey::BhArchiveLevel, "BH_cmbArchiveLevel", "store"},
    {ArchiveKey::Yz2BufferSize, "YZ2_txtBufferSize", "255"},
    {ArchiveKey::Yz2PPM, "YZ2_chkPPM", "1"},
    {ArchiveKey::PaqarArchiveLevel, "PAQAR_cmbArchiveLevel", "9"},
};

std::string Shown(QWidget& dialog, const char* name) {
  return qvr::test::ShownValue(dialog, {name});
}

void Set(QWidget& dialog, const char* name, const char* value) {
  QWidget* control = dialog.findChild<QWidget*>(name);
  if (auto* box = qobject_cast<QCheckBox*>(control)) {
    box->setChecked(std::string(value) == "1");
  } else if (auto* line = qobject_cast<QLineEdit*>(control)) {
    line->setText(value);
  } else {
    auto* combo = qobject_cast<QComboBox*>(control);
    combo->setCurrentIndex(combo->findText(text(value)));
  }
}

}  // namespace

class TestFrmOptionArc : public QObject, qvr::test::OptionDialogTest {
  Q_OBJECT

  std::string sampleFile() const {
    std::string content = "[ARCHIVE_NORMAL]\r\nArchiveType=ZIP\r\n";
    std::string section;
    for (const ControlRow& c : kControls) {
      const qvr::ArchiveSetting& s = ArchiveSettingOf(c.key);
      if (section != s.section) {
        section = s.section;
        content += "[" + section + "]\r\n";
      }
      content += std::string(s.key) + "=" + c.sample + "\r\n";
    }
    return content;
  }

 private slots:
  void init() { Fresh(); }

  void fourteenPagesInTheirOrder() {
    frmOptionArc dialog;
    QCOMPARE(dialog.windowTitle(), text("Option-Archive-"));
    auto* tabs = child<QTabWidget>(dialog, "TabStrip1");
    const char* captions[] = {"圧縮", "LZH", "ZIP", "ZIP(7zip.dll)", "CAB",
                              "7ZIP", "GZ",  "BZ2", "BZA",           "GZA",
                              "BH",   "RK",  "YZ2", "PAQAR"};
    QCOMPARE(tabs->count(), 14);
    for (int i = 0; i < 14; ++i) {
      QCOMPARE(tabs->tabText(i), text(captions[i]));
      QCOMPARE(dialog.page(i)->isEnabled(), i == 0);
    }
    QCOMPARE(tabs->tabToolTip(0), text("圧縮の設定を行います。"));
    tabs->setCurrentIndex(13);
    QVERIFY(!dialog.page(0)->isEnabled() && dialog.page(13)->isEnabled());
    auto* method = child<QComboBox>(dialog, "ZIP_7z_cmbArchiveMethod");
    QCOMPARE(method->count(), 4);
    QCOMPARE(method->itemText(3), QString("BZip2"));
    QCOMPARE(child<QComboBox>(dialog, "CAB_cmbLZXArchiveLevel")->itemText(6), QString("21"));
    QCOMPARE(child<QComboBox>(dialog, "GZ_cmbArchiveLevel")->count(), 9);
    QCOMPARE(child<QComboBox>(dialog, "BH_cmbArchiveLevel")->itemText(3), QString("fuse"));
    QVERIFY(dialog.findChildren<QLabel*>().size() > 40);  // the hint lines
    bool hint = false;
    for (QLabel* label : dialog.findChildren<QLabel*>())
      hint = hint || label->text() == text(
                                          "Auto...Very "
                                          "Slow(lh0-7を総当たりで一番圧縮率が高いものにする)");
    QVERIFY(hint);
  }

  void noFileShowsTheTableDefaultsAndOkCreatesEveryKey() {
    QCOMPARE(kControls.size(), size_t(ArchiveKey::Count));
    frmOptionArc dialog;
    for (const ControlRow& c : kControls)
      QCOMPARE(Shown(dialog, c.control), std::string(ArchiveSettingOf(c.key).defaultValue));
    child<QPushButton>(dialog, "Btn_OK")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    for (const ControlRow& c : kControls) {
      const qvr::ArchiveSetting& s = ArchiveSettingOf(c.key);
      QCOMPARE(ini(s.section, s.key).value_or("(missing)"), std::string(s.defaultValue));
    }
  }

  void loadedFileShowsItsValuesAndOkWritesThemBackByteForByte() {
    WriteFile(iniPath(), sampleFile());
    frmOptionArc dialog;
    for (const ControlRow& c : kControls) QCOMPARE(Shown(dialog, c.control), std::string(c.sample));
    child<QPushButton>(dialog, "Btn_OK")->click();
    QCOMPARE(ReadFile(iniPath()), sampleFile());
  }

  void cancelLeavesTheFileUntouched() {
    WriteFile(iniPath(), sampleFile());
    frmOptionArc dialog;
    for (const ControlRow& c : kControls)
      Set(dialog, c.control, ArchiveSettingOf(c.key).defaultValue);
    child<QPushButton>(dialog, "Btn_Cancel")->click();
    QCOMPARE(ReadFile(iniPath()), sampleFile());
  }

  void storedValuesOutsideTheListsAreShownAsTheyAre() {
    WriteFile(iniPath(), "[ARCHIVE_LZH]\r\nArchiveLevel=lh4\r\n");
    frmOptionArc dialog;
    QCOMPARE(Shown(dialog, "LZH_cmbArchiveLevel"), std::string("lh4"));
    child<QPushButton>(dialog, "Btn_OK")->click();
    QCOMPARE(*ini("ARCHIVE_LZH", "ArchiveLevel"), std::string("lh4"));
  }

  void okRefusesValuesThatWouldChangeACommandLine() {
    struct Case {
      const char* file;
      const char* control;  // a box typed into after loading, or null
      const char* typed;
      const char* field;  // part of the refusal
    };
    const Case cases[] = {
        {"[ARCHIVE_ZIP]\r\nDeflateMem_7z=32\r\n", "ZIP_7z_txtDeflateMem", "", "[mfb]"},
        {"[ARCHIVE_ZIP]\r\nDeflatePass_7z=1\r\n", "ZIP_7z_txtDeflatePass", "1 -x", "[mpass]"},
        {"[ARCHIVE_LZH]\r\nHuffmanBufferSize=16384 -x\r\n", nullptr, "", "[je]"},
        {"[ARCHIVE_YZ2]\r\nBufferSize=8\r\n", "YZ2_txtBufferSize", "8a", "[--buffer-size]"},
        {"[ARCHIVE_RK]\r\nArchiveLevel=mn1 -q\r\n", nullptr, "", "RK"},
        {"[ARCHIVE_ZIP]\r\nArchiveMethod_7z=\"Deflate\"x\r\n", nullptr, "", "[mm]"},
        {"[ARCHIVE_CAB]\r\nArchiveType=\r\n", nullptr, "", "[m]"},
    };
    for (const Case& c : cases) {
      Fresh();
      WriteFile(iniPath(), c.file);
      frmOptionArc dialog;
      if (c.control) child<QLineEdit>(dialog, c.control)->setText(c.typed);
      auto seen = closeNextBox();
      child<QPushButton>(dialog, "Btn_OK")->click();
      QVERIFY2(seen->contains(text(c.field)), c.file);
      QCOMPARE(dialog.result(), int(QDialog::Rejected));
      QCOMPARE(ReadFile(iniPath()), std::string(c.file));
    }
  }

  void bzip2WithUse7ZipReachesThePerFileCommand() {
    frmOptionArc dialog;
    Set(dialog, "GENARC_chkUse7zip", "1");
    Set(dialog, "ZIP_7z_cmbArchiveMethod", "BZip2");
    child<QPushButton>(dialog, "Btn_OK")->click();
    qvr::ArchiveSwitches switches = qvr::ReadArchiveSwitches();
    QVERIFY(switches.use7Zip);
    qvr::LibraryStatus status;
    status.SEVENZIP32 = true;
    qvr::ArchiveCommand command =
        qvr::BuildEachFileCommand("zip", switches, "/out/a.zip", "/in/a.txt", status);
    QVERIFY2(command.commandLine.find("-mm=BZip2") != std::string::npos,
             command.commandLine.c_str());
  }

  void theMainWindowOpensItInArchiveMode() {
    qvr::Form1 form;
    form.Load({qvr::kModeNormal, ""});
    QString opened;
    onNextModal<QDialog>([&opened](QDialog* dialog) {
      opened = dialog->objectName();
      child<QPushButton>(*dialog, "Btn_OK")->click();
    });
    child<QAction>(form, "MnuOptArchive")->trigger();
    QCOMPARE(opened, QString("frmOptionArc"));
    QVERIFY(ini("ARCHIVE_PAQAR", "ArchiveLevel").has_value());
    form.ModeChange(qvr::WorkMode::Archive);
    opened.clear();
    onNextModal<QDialog>([&opened](QDialog* dialog) {
      opened = dialog->objectName();
      dialog->reject();
    });
    QTest::keyClick(child<QWidget>(form, "List1"), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(opened, QString("frmOptionArc"));
  }
};

QTEST_MAIN(TestFrmOptionArc)
#include "test_frmOptionArc.moc"

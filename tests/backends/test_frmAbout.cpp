#include "ArchiverCatalogue.h"
#include "frmAbout.h"

#include <sys/stat.h>

#include <QDesktopServices>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

#include "ArchiverDLL.h"
#include "ArchiverDLLStatus.h"
#include "FakeMainWindow.h"
#include "MnuDLLDown.h"
#include "RecordingPlugin.h"
#include "TempDir.h"
#include "Version.h"

using qvr::LibraryStatus;
using qvr::test::RecordingPlugin;
using qvr::test::TempDir;
using Rows = std::vector<std::pair<std::string, std::string>>;

// Receives the addresses the desktop would open.
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;

 public slots:
  void open(const QUrl& url) { opened.append(url); }
};

class TestFrmAbout : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TempDir> temp;
  std::unique_ptr<RecordingPlugin> plugin;

  LibraryStatus AllInstalled() {
    LibraryStatus status;
    for (const qvr::LibRow& row : qvr::kLibRows) status.*row.flag = true;
    status.YZ2DECPath = status.YZ2ENCPath = status.RKEXEPath = plugin->folder();
    return status;
  }

  void InstallTool(const std::string& name, const std::string& mode, const std::string& text) {
    std::filesystem::copy_file(QVR_STUB_TOOL, plugin->folder() + name,
                               std::filesystem::copy_options::overwrite_existing);
    qvr::test::WriteFile(plugin->folder() + name + ".prints-" + mode, text);
  }

  static Rows ListRows(const qvr::frmAbout& box) {
    Rows rows;
    for (int i = 0; i < box.LVDllList->topLevelItemCount(); ++i) {
      QTreeWidgetItem* item = box.LVDllList->topLevelItem(i);
      rows.emplace_back(item->text(0).toStdString(), item->text(1).toStdString());
      if (item->data(0, Qt::UserRole).toString() != item->text(0)) rows.back().first += " (key?)";
    }
    return rows;
  }

 private slots:
  void init() {
    temp = std::make_unique<TempDir>();
    plugin = std::make_unique<RecordingPlugin>(temp->file("app dir"));
    std::filesystem::create_directories(plugin->folder());
  }

  void cleanup() {
    plugin.reset();
    temp.reset();
  }

  void captionVersionAndColumns() {
    qvr::frmAbout box{LibraryStatus{}};
    QCOMPARE(box.windowTitle(), QString::fromUtf8("QuiverArchiverのﾊﾞｰｼﾞｮﾝ情報"));
    QCOMPARE(box.lblVersion->text(), QString("Version %1.%2.%3")
                                         .arg(qvr::kVersionMajor)
                                         .arg(qvr::kVersionMinor)
                                         .arg(qvr::kVersionRevision));
    QCOMPARE(box.LVDllList->columnCount(), 2);
    QCOMPARE(box.LVDllList->headerItem()->text(0), QString("DLL File"));
    QCOMPARE(box.LVDllList->headerItem()->text(1), QString("Version"));
    QCOMPARE(box.LVDllList->headerItem()->data(0, Qt::UserRole).toString(), QString("DLLFile"));
    QCOMPARE(box.LVDllList->headerItem()->data(1, Qt::UserRole).toString(), QString("Version"));
  }

  void missingComponentsReadNotInstalledAndAreNeverCalled() {
    // Every library file is there, but the status says none is installed.
    plugin->InstallAll();
    qvr::frmAbout box{LibraryStatus{}};
    const Rows expected{
        {"UNLHA32.DLL", "Not Installed"}, {"UNZIP32.DLL", "Not Installed"},
        {"ZIP32J.DLL", "Not Installed"},  {"ZIP32.DLL", "Not Installed"},
        {"CAB32.DLL", "Not Installed"},   {"UNGCA32.DLL", "Not Installed"},
        {"UNRAR32.DLL", "Not Installed"}, {"7-ZIP32.DLL", "Not Installed"},
        {"YZ1.DLL", "Not Installed"},     {"UNARJ32.DLL", "Not Installed"},
        {"TAR32.DLL", "Not Installed"},   {"BGA32.DLL", "Not Installed"},
        {"UNBEL32.DLL", "Not Installed"}, {"UNIMP32.DLL", "Not Installed"},
        {"UNHKI32.DLL", "Not Installed"}, {"KTY32.DLL", "Not Installed"},
        {"PAQAR32.DLL", "Not Installed"}, {"UNACE32.DLL", "Not Installed"},
        {"UNACEV2.DLL", "Not Installed"}, {"YZ2DEC.EXE", "Not Installed"},
        {"YZ2ENC.EXE", "Not Installed"},  {"RK.EXE", "Not Installed"},
    };
    QVERIFY(ListRows(box) == expected);
    QVERIFY(plugin->Calls().empty());
    QVERIFY(!std::filesystem::exists(plugin->folder() + "yz2dec.args"));
  }

  void installedComponentsShowTheirVersions() {
    plugin->InstallAll();
    plugin->Version("*", 100, 0)
        .Version("Unlha", 280, 5)
        .Version("UnZip", 590, 77)
        .Version("SevenZip", 1602, 12)
        .Version("Kty", 9, 125)
        .Version("UnHki", 7, 0);
    InstallTool("yz2dec", "banner", "yz2dec\nCopyright\nyz2dec : 0.30 beta (2006)\n");
    InstallTool("rk", "banner", std::string(30, '.') + "1.04 (alpha).\n");
    qvr::frmAbout box{AllInstalled()};
    const Rows expected{
        {"UNLHA32.DLL", "2.80.0.05"}, {"UNZIP32.DLL", "5.90"},       {"ZIP32J.DLL", "1.00"},
        {"ZIP32.DLL", "Installed"},   {"CAB32.DLL", "1.00"},         {"UNGCA32.DLL", "1.00"},
        {"UNRAR32.DLL", "1.00"},      {"7-ZIP32.DLL", "16.02.0.12"}, {"YZ1.DLL", "1.00"},
        {"UNARJ32.DLL", "1.00.0.00"}, {"TAR32.DLL", "1.00"},         {"BGA32.DLL", "1.00"},
        {"UNBEL32.DLL", "1.00"},      {"UNIMP32.DLL", "1.00.0.00"},  {"UNHKI32.DLL", "0.07.0.00"},
        {"KTY32.DLL", "1.3"},         {"PAQAR32.DLL", "1.00.0.00"},  {"UNACE32.DLL", "1.00.0.00"},
        {"UNACEV2.DLL", "Installed"}, {"YZ2DEC.EXE", "0.30b"},       {"YZ2ENC.EXE", "Installed"},
        {"RK.EXE", "1.04a"},
    };
    Rows rows = ListRows(box);
    for (size_t i = 0; i < std::min(rows.size(), expected.size()); ++i)
      QCOMPARE(rows[i].first + " " + rows[i].second, expected[i].first + " " + expected[i].second);
    QCOMPARE(rows.size(), expected.size());
    // The presence-only components are never called.
    for (const auto& call : plugin->Calls()) {
      QVERIFY(call.library != "zip32.so");
      QVERIFY(call.library != "unacev2.so");
    }
    if (const char* dir = std::getenv("QVR_SCREENSHOT_DIR")) {
      box.show();
      QVERIFY(QTest::qWaitForWindowExposed(&box));
      QVERIFY(box.grab().save(QString::fromUtf8(dir) + "/frmAbout.png"));
    }
  }

  // With the libraries built beside the program: ours show a version, the rest are missing.
  void ourOwnLibrariesShowTheirVersions() {
    qvr::SetSearchExecutableFolder(QVR_BIN_DIR);
    qvr::ArchiverDLL::ForgetAll();
    qvr::test::FakeMainWindow window;
    LibraryStatus status;
    QVERIFY(qvr::LoadArchiverDLLStatus(status, window));
    const std::map<std::string, std::string> files{
        {"UNLHA32.DLL", "unlha32.so"}, {"UNZIP32.DLL", "unzip32.so"},
        {"ZIP32J.DLL", "zip32j.so"},   {"ZIP32.DLL", "zip32.so"},
        {"CAB32.DLL", "cab32.so"},     {"7-ZIP32.DLL", "7-zip32.so"},
        {"TAR32.DLL", "tar32.so"},     {"UNRAR32.DLL", "unrar32.so"},
        {"UNARJ32.DLL", "unarj32j.so"}};
    qvr::frmAbout box{status};
    for (const auto& [name, version] : ListRows(box)) {
      auto ours = files.find(name);
      bool built = ours != files.end() &&
                   std::filesystem::exists(std::string(QVR_BIN_DIR) + "/" + ours->second);
      if (!built) {
        QCOMPARE(name + " " + version, name + " Not Installed");
      } else if (name == "ZIP32.DLL") {
        QCOMPARE(version, std::string("Installed"));
      } else {
        QVERIFY2(QRegularExpression("^\\d+\\.\\d\\d(\\.\\d+\\.\\d\\d)?$")
                     .match(QString::fromStdString(version))
                     .hasMatch(),
                 (name + " " + version).c_str());
      }
    }
    if (const char* dir = std::getenv("QVR_SCREENSHOT_DIR")) {
      box.show();
      QVERIFY(QTest::qWaitForWindowExposed(&box));
      QVERIFY(box.grab().save(QString::fromUtf8(dir) + "/frmAbout-built.png"));
    }
  }

  void versionFormats() {
    QCOMPARE(qvr::VersionNumberText(280), std::string("2.80"));
    QCOMPARE(qvr::VersionNumberText(5), std::string("0.05"));
    QCOMPARE(qvr::VersionNumberText(0), std::string("0.00"));
    QCOMPARE(qvr::VersionNumberText(65535), std::string("655.35"));
    QCOMPARE(qvr::KtyVersionText(123), std::string("1.2"));
    QCOMPARE(qvr::KtyVersionText(125), std::string("1.3"));
    QCOMPARE(qvr::KtyVersionText(100), std::string("1.0"));
    QCOMPARE(qvr::KtyVersionText(4), std::string("0.0"));
    QCOMPARE(qvr::KtyVersionText(65535), std::string("655.4"));
  }

  void urlLabelOpensTheFixedAddress() {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("https", &recorder, "open");
    qvr::frmAbout box{LibraryStatus{}};
    box.show();
    QTest::mouseClick(box.lblURL, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("https");
    QCOMPARE(recorder.opened.size(), 1);
    QCOMPARE(recorder.opened[0], QUrl(qvr::kAboutUrl));
  }

  void okClosesTheBox() {
    qvr::frmAbout box{LibraryStatus{}};
    box.show();
    QTest::mouseClick(box.cmdOK, Qt::LeftButton);
    QVERIFY(!box.isVisible());
    QCOMPARE(box.result(), int(QDialog::Accepted));
  }

  void installerRunsWithTheWindowDisabled() {
    // caldix reports that it ran, then takes a while.
    std::string caldix = plugin->folder() + "caldix";
    qvr::test::WriteFile(caldix, "#!/bin/sh\ntouch \"$(dirname \"$0\")/ran\"\nsleep 0.5\n");
    chmod(caldix.c_str(), 0755);
    QWidget window;
    window.show();
    bool disabledMeanwhile = false;
    QTimer probe;
    connect(&probe, &QTimer::timeout, [&] { disabledMeanwhile |= !window.isEnabled(); });
    probe.start(20);
    QVERIFY(qvr::MnuDLLDown(&window));
    QVERIFY(disabledMeanwhile);
    QVERIFY(window.isEnabled());
    QVERIFY(std::filesystem::exists(plugin->folder() + "ran"));
  }

  void installerMissingLeavesTheWindowEnabled() {
    QWidget window;
    QVERIFY(!qvr::MnuDLLDown(&window));
    QVERIFY(window.isEnabled());
  }
};

QTEST_MAIN(TestFrmAbout)
#include "test_frmAbout.moc"

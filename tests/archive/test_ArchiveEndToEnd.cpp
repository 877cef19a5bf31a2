// The main window in archive mode with our real libraries: files with Japanese names, blanks,
// an empty file and binary data, every format our libraries write and both methods; each
// archive is read back by an outside tool to exactly the sources.
#include <QComboBox>
#include <QInputDialog>
#include <QMessageBox>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <memory>

#include "AppFolder.h"
#include "Form1.h"
#include "PeerTools.h"
#include "Settings.h"
#include "TempDir.h"

using qvr::Form1;
using qvr::test::Tree;

namespace {

namespace fs = std::filesystem;

struct Format {
  const char* type;  // cmbArcType's text
  bool use7Zip;
  const char* tool;  // the outside reader; "gzip" / "bzip2" for a single compressed file
};

const Format kFormats[] = {
    {"LZH", false, "unar"}, {"ZIP", false, "unzip"},      {"ZIP", true, "7zz"},
    {"7Z", false, "7zz"},   {"CAB", false, "cabextract"}, {"TAR", false, "bsdtar"},
    {"GZ", false, "gzip"},  {"BZ2", false, "bzip2"},
};

std::string Binary(size_t size) {
  std::string data(size, '\0');
  uint32_t x = 12345;
  for (char& c : data) {
    x = x * 1103515245 + 12345;
    c = char(x >> 24);
  }
  return data;
}

}  // namespace

class TestArchiveEndToEnd : public QObject {
  Q_OBJECT

  std::unique_ptr<qvr::test::TempDir> app;
  Tree sources;  // file name -> content, all in app/in

  static QString text(const char* s) { return QString::fromUtf8(s); }

  // Answers the archive-name prompt as soon as it shows.
  static void answerNamePrompt(const QString& name, int triesLeft = 250) {
    QTimer::singleShot(20, [name, triesLeft] {
      if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
        dialog->setTextValue(name);
        dialog->accept();
      } else if (triesLeft > 0) {
        answerNamePrompt(name, triesLeft - 1);
      }
    });
  }

  // One run of the window: the settings, the choice boxes, the list, Start.
  void run(const Format& f, const char* method) {
    qvr::WriteIniString(qvr::kQvrArcIni, "GENERAL", "AlwaysPath", app->file("out"));
    qvr::WriteIniString(qvr::kQvrArcIni, "GENERAL", "EndNotice", "1");
    qvr::WriteIniString(qvr::kQvrArcIni, "GENERAL_ARC", "Use7Zip", f.use7Zip ? "1" : "0");
    Form1 form;
    form.Load({qvr::kModeNormal, ""});
    form.ModeChange("Archive");
    form.findChild<QComboBox*>("cmbTargetPlace")->setCurrentIndex(2);
    form.findChild<QComboBox*>("cmbArcMethod")->setCurrentText(text(method));
    form.findChild<QComboBox*>("cmbArcType")->setCurrentText(f.type);
    for (const auto& [name, content] : sources) form.listAdd(app->file("in/" + name));
    if (std::string(method) == "一括") answerNamePrompt("pack");
    form.Start();
    QVERIFY(!form.running());
  }

  // What the outside tool reads out of the archive, by file name.
  Tree readBack(const Format& f, const std::string& archive, const std::string& dest) {
    std::string tool = f.tool;
    if (tool == "gzip" || tool == "bzip2") {
      if (std::string(archive).find("/pack.") != std::string::npos)
        tool = "bsdtar";  // a TAR
      else {
        fs::create_directories(dest);
        std::string file = dest + "/data";
        qvr::test::RunTool({tool, "-dc", archive}, file);
        return {{"data", qvr::test::ReadFile(file)}};
      }
    }
    int code = -1;
    Tree tree = qvr::test::ExtractWith(tool, archive, dest, &code);
    if (code != 0) qWarning("%s failed on %s", tool.c_str(), archive.c_str());
    return qvr::test::Flattened(tree);
  }

 private slots:
  void init() {
    app = std::make_unique<qvr::test::TempDir>();
    qvr::SetAppFolder(app->path());
    sources = {{"日本語 ファイル.txt", "こんにちは、世界\r\n"},
               {"empty.dat", ""},
               {"random data.bin", Binary(300000)},
               {"plain.txt", std::string(50000, 'a') + "end"}};
    for (const auto& [name, content] : sources)
      qvr::test::WriteFile(app->file("in/" + name), content);
    fs::create_directories(app->file("out"));
  }

  void eachFileMakesOneArchivePerSource_data() {
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(kFormats)); ++i)
      QTest::newRow((std::string(kFormats[i].type) + (kFormats[i].use7Zip ? " 7-zip" : "")).c_str())
          << i;
  }
  void eachFileMakesOneArchivePerSource() {
    QFETCH(int, row);
    const Format& f = kFormats[row];
    run(f, "個別");
    std::string ext = QString(f.type).toLower().toStdString();
    for (const auto& [name, content] : sources) {
      std::string base = name.substr(0, name.rfind('.'));
      std::string archive = app->file("out/" + base + "." + ext);
      QVERIFY2(fs::exists(archive), archive.c_str());
      Tree got = readBack(f, archive, app->file("check/" + base));
      if (got.count("data")) got = {{name, got["data"]}};
      QVERIFY2(got == Tree({{name, content}}), archive.c_str());
    }
    QVERIFY(fs::exists(app->file("in/plain.txt")));  // the sources stay
  }

  void allInOneMakesOneArchiveOfEverySource_data() { eachFileMakesOneArchivePerSource_data(); }
  void allInOneMakesOneArchiveOfEverySource() {
    QFETCH(int, row);
    const Format& f = kFormats[row];
    run(f, "一括");
    std::string archive = app->file("out/pack." + QString(f.type).toLower().toStdString());
    QVERIFY2(fs::exists(archive), archive.c_str());
    QVERIFY(readBack(f, archive, app->file("check")) == sources);
    // The list files stay in the application folder, one quoted path per line.
    std::string list = qvr::test::ReadFile(app->file("addlist.tmp"));
    QCOMPARE(std::count(list.begin(), list.end(), '\n'), long(sources.size()));
  }
};

QTEST_MAIN(TestArchiveEndToEnd)
#include "test_ArchiveEndToEnd.moc"

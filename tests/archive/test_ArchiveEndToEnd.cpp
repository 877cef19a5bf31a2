// The main window in archive mode with our real libraries: files with Japanese names, blanks,
// an empty file and binary data, every format our libraries write and both methods; each
// archive is read back by an outside tool to exactly the sources.
#include <iconv.h>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include "AppFolder.h"
#include "FileList.h"
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
    {"LZH", false, "unar"}, {"ZIP", false, "7zz"},        {"ZIP", true, "7zz"},
    {"7Z", false, "7zz"},   {"CAB", false, "cabextract"}, {"TAR", false, "bsdtar"},
    {"GZ", false, "gzip"},  {"BZ2", false, "bzip2"},
};

// The tree with its names in CP932, as a reader that keeps an LZH's name bytes writes them.
Tree InCp932(const Tree& tree) {
  Tree out;
  iconv_t cd = iconv_open("CP932", "UTF-8");
  for (const auto& [name, content] : tree) {
    std::string in = name, converted(name.size() * 2 + 4, '\0');
    char* from = in.data();
    char* to = converted.data();
    size_t left = in.size(), room = converted.size();
    iconv(cd, &from, &left, &to, &room);
    converted.resize(converted.size() - room);
    out[converted] = content;
  }
  iconv_close(cd);
  return out;
}

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

  // Answers the archive-name prompt as soon as it shows, noting whether Start was off then.
  static void answerNamePrompt(const QString& name, bool* startOff, int triesLeft = 250) {
    QTimer::singleShot(20, [name, startOff, triesLeft] {
      if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
        auto* form = qobject_cast<Form1*>(dialog->parentWidget());
        *startOff = form && form->findChild<QPushButton*>("Btn_Start")->text() == text("中止(&S)");
        dialog->setTextValue(name);
        dialog->accept();
      } else if (triesLeft > 0) {
        answerNamePrompt(name, startOff, triesLeft - 1);
      }
    });
  }

  // Answers the new-password question whenever it shows: a second entry that differs keeps OK
  // off, the same one turns it on. Counts the questions in `asked`.
  static void answerNewPassword(const QString& password, int* asked, int triesLeft = 500) {
    QTimer::singleShot(20, [password, asked, triesLeft] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal && modal->objectName() == "qvrNewPasswordDialog") {
        ++*asked;
        auto* ok = modal->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        modal->findChild<QLineEdit*>("txtPassword")->setText(password);
        modal->findChild<QLineEdit*>("txtPasswordAgain")->setText(password + "x");
        const bool refusedMismatch = !ok->isEnabled();
        modal->findChild<QLineEdit*>("txtPasswordAgain")->setText(password);
        if (refusedMismatch && ok->isEnabled()) ok->click();
        return;
      }
      if (triesLeft > 0) answerNewPassword(password, asked, triesLeft - 1);
    });
  }

  // Closes every message box until the test ends, recording its text in `boxes`.
  QTimer boxCloser;
  QStringList boxes;
  void closeBoxes() {
    boxes.clear();
    boxCloser.callOnTimeout(this, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        boxes.append(box->text());
        box->accept();
      }
    });
    boxCloser.start(10);
  }

  // One run of the window: the settings, the choice boxes, the list, Start.
  void run(const Format& f, const char* method, const std::vector<std::string>& extra = {}) {
    qvr::WriteIniString(qvr::kQvrArcIni, "GENERAL", "AlwaysPath", app->file("out"));
    qvr::WriteIniString(qvr::kQvrArcIni, "GENERAL", "EndNotice", "1");
    qvr::WriteIniString(qvr::kQvrArcIni, "GENERAL_ARC", "Use7Zip", f.use7Zip ? "1" : "0");
    Form1 form;
    form.Load({qvr::kModeNormal, ""});
    form.ModeChange(qvr::WorkMode::Archive);
    form.findChild<QComboBox*>("cmbTargetPlace")->setCurrentIndex(2);
    form.findChild<QComboBox*>("cmbArcMethod")->setCurrentText(text(method));
    form.findChild<QComboBox*>("cmbArcType")->setCurrentText(f.type);
    for (const auto& [name, content] : sources) form.listAdd(app->file("in/" + name));
    for (const std::string& path : extra) form.listAdd(path);
    bool startOff = false;
    const bool allInOne = std::string(method) == "一括";
    if (allInOne) answerNamePrompt("pack", &startOff);
    form.Start();
    QVERIFY(!form.running());
    QVERIFY(!allInOne || startOff);  // the run disables Start as in extract mode
    QVERIFY(form.findChild<QPushButton*>("Btn_Start")->isEnabled());
  }

  // A "一括" run over paths given as a drop gives them: folders walked and remembered.
  void runWithPaths(const Format& f, const std::vector<std::string>& paths) {
    qvr::WriteIniString(qvr::kQvrArcIni, "GENERAL", "AlwaysPath", app->file("out"));
    qvr::WriteIniString(qvr::kQvrArcIni, "GENERAL", "EndNotice", "1");
    Form1 form;
    form.Load({qvr::kModeNormal, ""});
    form.ModeChange(qvr::WorkMode::Archive);
    form.findChild<QComboBox*>("cmbTargetPlace")->setCurrentIndex(2);
    form.findChild<QComboBox*>("cmbArcMethod")->setCurrentText(text("一括"));
    form.findChild<QComboBox*>("cmbArcType")->setCurrentText(f.type);
    for (const std::string& path : paths) qvr::AddPath(form, path);
    bool startOff = false;
    answerNamePrompt("pack", &startOff);
    form.Start();
    QVERIFY(!form.running());
  }

  static std::string differences(const Tree& got, const Tree& expected) {
    std::string text;
    for (const auto& [name, content] : expected)
      if (!got.count(name) || got.at(name) != content) text += " missing[" + name + "]";
    for (const auto& [name, content] : got)
      if (!expected.count(name)) text += " extra[" + name + "]";
    return text;
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
  void cleanup() {
    boxCloser.stop();
    boxCloser.disconnect();
  }

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

  // A password in the archiving options: asked once at Start, typed twice; every archive of
  // the run (one per file for "個別") opens with it in 7-Zip byte for byte and not with
  // another; the password is nowhere in the settings, the log or the list files.
  void encryptedArchivesOpenOnlyWithThePassword_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("method");
    for (int row : {1, 2, 3})
      for (const char* method : {"個別", "一括"})
        QTest::newRow(
            (std::string(kFormats[row].type) + (kFormats[row].use7Zip ? " 7-zip " : " ") + method)
                .c_str())
            << row << text(method);
  }
  void encryptedArchivesOpenOnlyWithThePassword() {
    QFETCH(int, row);
    QFETCH(QString, method);
    const Format& f = kFormats[row];
    const std::string password = "秘密 pass 7";
    qvr::WriteIniString(qvr::kQvrArcIni, "ARCHIVE_ZIP", "Encrypt", "1");
    qvr::WriteIniString(qvr::kQvrArcIni, "ARCHIVE_7Z", "Encrypt", "1");
    int asked = 0;
    answerNewPassword(QString::fromStdString(password), &asked);
    run(f, method.toUtf8().constData());
    QCOMPARE(asked, 1);
    const std::string ext = QString(f.type).toLower().toStdString();
    std::vector<std::string> archives;
    if (method == text("一括")) {
      archives.push_back(app->file("out/pack." + ext));
    } else {
      for (const auto& [name, content] : sources)
        archives.push_back(app->file("out/" + name.substr(0, name.rfind('.')) + "." + ext));
    }
    Tree got;
    for (const std::string& archive : archives) {
      QVERIFY2(fs::exists(archive), archive.c_str());
      const std::string dest = app->file("check/" + fs::path(archive).filename().string());
      auto right =
          qvr::test::RunTool({"7zz", "x", "-y", "-bd", "-p" + password, "-o" + dest, archive});
      QVERIFY2(right.exitCode == 0, right.output.c_str());
      for (const auto& [name, content] : qvr::test::ReadTree(dest, false)) got[name] = content;
      auto wrong = qvr::test::RunTool({"7zz", "t", "-bd", "-pwrong", archive});
      QVERIFY2(wrong.exitCode != 0, archive.c_str());
    }
    QVERIFY(got == sources);
    for (const char* file : {"QvrArc.ini", "Log.txt", "addlist.tmp", "DllStatus.ini"}) {
      if (fs::exists(app->file(file)))
        QVERIFY2(qvr::test::ReadFile(app->file(file)).find("秘密") == std::string::npos, file);
    }
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
  // Names with the characters Linux allows: each arrives in the archive as it is, or, where the
  // command line cannot carry it, is refused with a message naming it; the run goes on.
  void awkwardNamesArriveOrAreRefused_data() { eachFileMakesOneArchivePerSource_data(); }
  void awkwardNamesArriveOrAreRefused() {
    QFETCH(int, row);
    const Format& f = kFormats[row];
    const bool unquoted = std::string("CAB TAR GZ BZ2").find(f.type) != std::string::npos;
    sources = {{"-dash.txt", "1"},
               {"@at.txt", "2"},
               {"a*b?.txt", "3"},
               {"aXbY.txt", "4"},
               {"back\\slash.txt", "5"},
               {"$(x)`y`;&|<>!#'%~=.txt", "6"},
               {"trail blank .txt", "7"},
               {"emoji 😀 全角　空白.txt", "8"},
               {std::string(200, 'x') + ".txt", "9"}};
    Tree refusedEverywhere = {{"quote\".txt", "q"}, {"new\nline.txt", "n"}};
    Tree refusedUnquoted = {{"  lead.txt", "l"}, {"tab\there.txt", "t"}, {"a -b.txt", "d"}};
    for (const Tree* t : {&sources, &refusedEverywhere, &refusedUnquoted})
      for (const auto& [name, content] : *t) qvr::test::WriteFile(app->file("in/" + name), content);
    std::vector<std::string> extra;
    for (const auto& [name, content] : refusedEverywhere) extra.push_back(app->file("in/" + name));
    for (const auto& [name, content] : refusedUnquoted) extra.push_back(app->file("in/" + name));
    closeBoxes();
    run(f, "個別", extra);
    Tree expected = sources;
    if (!unquoted) expected.insert(refusedUnquoted.begin(), refusedUnquoted.end());
    // What readers make of names the formats cannot hold: LZH and CAB separate folders with
    // "\\", so "back\\slash.txt" comes out as "slash.txt" in the folder "back"; LZH marks no
    // name as UTF-8, so a name without a CP932 form is read as Latin-1 by every outside reader.
    std::map<std::string, std::string> readAs;
    if (std::string("LZH CAB").find(f.type) != std::string::npos)
      readAs["back\\slash.txt"] = "slash.txt";
    const std::string emoji = "emoji 😀 全角　空白.txt";
    if (std::string(f.type) == "LZH") readAs[emoji] = "";
    std::string ext = QString(f.type).toLower().toStdString();
    Tree got;
    int n = 0;
    for (const auto& [name, content] : expected) {
      std::string archive = app->file("out/" + name.substr(0, name.rfind('.')) + "." + ext);
      Tree one = readBack(f, archive, app->file("check/" + std::to_string(n++)));
      if (one.count("data")) one = {{name, one["data"]}};
      if (readAs.count(name)) {
        QVERIFY2(fs::exists(archive), archive.c_str());
        if (!readAs[name].empty()) QVERIFY(one == Tree({{readAs[name], content}}));
        one = {{name, content}};
      }
      got.insert(one.begin(), one.end());
    }
    QVERIFY2(got == expected, differences(got, expected).c_str());
    const int refused = int(refusedEverywhere.size() + (unquoted ? refusedUnquoted.size() : 0));
    QCOMPARE(int(boxes.size()), refused);
    for (const QString& box : boxes)
      QVERIFY(
          box.startsWith(text("ファイル名をそのまま書庫ライブラリに渡せないため圧縮できません。")));
  }
  // A source gone before the run, a destination that is a file: a message or a failure per
  // file, the run goes on, nothing existing is damaged and no temporary file is left.
  void badDestinationsAndVanishedSources() {
    const Format zip = kFormats[1];
    fs::remove(app->file("in/plain.txt"));
    closeBoxes();
    run(zip, "個別");
    QCOMPARE(boxes, QStringList{text("存在しないファイルです。場所を確認してください。")});
    QVERIFY(fs::exists(app->file("out/empty.zip")));
    QVERIFY(!fs::exists(app->file("out/plain.zip")));

    // The destination is a file: every library call fails, the file stays as it was.
    fs::remove_all(app->file("out"));
    qvr::test::WriteFile(app->file("out"), "not a folder");
    for (const Format& f : kFormats) {
      run(f, "個別");
      run(f, "一括");
    }
    QCOMPARE(qvr::test::ReadFile(app->file("out")), std::string("not a folder"));
    for (const auto& entry : fs::recursive_directory_iterator(app->file("in")))
      QVERIFY2(sources.count(entry.path().filename().string()), entry.path().c_str());
  }

  // "一括" of a folder given to the list: every format our libraries write stores each file
  // under its path below the folder that holds it, the folder's own name on top, so that
  // same-named files of different sub-folders all arrive; an outside reader sees the tree.
  void allInOneKeepsTheTreeOfAFolder_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("reader");
    for (auto [type, reader] : {std::pair{"ZIP", "bsdtar"},
                                {"7Z", "7zz"},
                                {"LZH", "lhasa"},
                                {"CAB", "cabextract"},
                                {"TAR", "bsdtar"},
                                {"GZ", "bsdtar"},
                                {"BZ2", "bsdtar"}})
      QTest::newRow(type) << QString(type) << QString(reader);
  }
  void allInOneKeepsTheTreeOfAFolder() {
    QFETCH(QString, type);
    QFETCH(QString, reader);
    const Tree project = {{"a/readme.txt", "A"},
                          {"b/readme.txt", "B"},
                          {"deep/x/y/z.bin", Binary(70000)},
                          {"top.txt", "top"},
                          {"b/サブ/資料 1.txt", "資料"}};
    for (const auto& [name, content] : project)
      qvr::test::WriteFile(app->file("in/proj/" + name), content);
    qvr::test::WriteFile(app->file("other/note.txt"), "note");
    const std::string ext = type.toLower().toStdString();
    const std::string typeText = type.toStdString();
    const Format f{typeText.c_str(), false, nullptr};
    for (bool withLooseFile : {false, true}) {
      // The folder as a drop or the command line gives it; then with a file of another folder.
      Tree expected = qvr::test::Under("proj", project);
      std::vector<std::string> given = {app->file("in/proj")};
      if (withLooseFile) {
        given.push_back(app->file("other/note.txt"));
        expected = qvr::test::Under("in", expected);
        expected["other/note.txt"] = "note";
      }
      sources.clear();
      fs::remove_all(app->file("out"));
      fs::create_directories(app->file("out"));
      runWithPaths(f, given);
      std::string archive = app->file("out/pack." + ext);
      QVERIFY2(fs::exists(archive), archive.c_str());
      std::string check = app->file("check/" + ext + (withLooseFile ? "2" : "1"));
      int code = -1;
      Tree got =
          qvr::test::FilesOnly(qvr::test::ExtractWith(reader.toStdString(), archive, check, &code));
      QCOMPARE(code, 0);
      // LZH names carry no UTF-8 mark: lhasa writes our CP932 bytes as they stand.
      if (type == "LZH") expected = InCp932(expected);
      QVERIFY2(got == expected, differences(got, expected).c_str());
    }
  }

  // "一括" over a list of 10,000 files.
  void tenThousandFilesInOneArchive() {
    sources.clear();
    for (int i = 0; i < 10000; ++i) {
      std::string name = "f" + std::to_string(i) + ".txt";
      sources[name] = std::to_string(i);
      qvr::test::WriteFile(app->file("many/" + name), sources[name]);
    }
    fs::remove_all(app->file("in"));
    fs::rename(app->file("many"), app->file("in"));
    run(kFormats[1], "一括");
    QVERIFY(readBack(kFormats[1], app->file("out/pack.zip"), app->file("check")) == sources);
  }

  // Btn_Start ("中止(&S)") while "一括" writes a large source: a new archive is not left
  // half-made, an archive being updated stays byte for byte as it was, the list keeps its
  // entries and panel 1 says the run was stopped.
  void allInOneStoppedLeavesNoHalfMadeArchive_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("update");
    QTest::newRow("ZIP new") << "ZIP" << false;
    QTest::newRow("ZIP update") << "ZIP" << true;
    QTest::newRow("7Z new") << "7Z" << false;
    QTest::newRow("LZH update") << "LZH" << true;
  }
  void allInOneStoppedLeavesNoHalfMadeArchive() {
    QFETCH(QString, type);
    QFETCH(bool, update);
    // Zeros of a file with holes: large to write, nothing to store on disk.
    const std::string big = app->file("in/zeros.bin");
    const std::string typeText = type.toStdString();
    const std::string archive = app->file("out/pack." + type.toLower().toStdString());
    std::string old;
    if (update) {
      run(Format{typeText.c_str(), false, ""}, "一括");
      QVERIFY(fs::exists(archive));
      old = qvr::test::ReadFile(archive);
    }
    qvr::WriteIniString(qvr::kQvrArcIni, "GENERAL", "AlwaysPath", app->file("out"));
    qvr::WriteIniString(qvr::kQvrArcIni, "GENERAL", "EndNotice", "1");
    Form1 form;
    form.Load({qvr::kModeNormal, ""});
    form.ModeChange(qvr::WorkMode::Archive);
    form.findChild<QComboBox*>("cmbTargetPlace")->setCurrentIndex(2);
    form.findChild<QComboBox*>("cmbArcMethod")->setCurrentText(text("一括"));
    form.findChild<QComboBox*>("cmbArcType")->setCurrentText(type);
    qvr::test::WriteFile(big, "");
    fs::resize_file(big, std::uintmax_t(768) << 20);
    form.listAdd(app->file("in/plain.txt"));
    form.listAdd(big);
    bool startOff = false;
    answerNamePrompt("pack", &startOff);
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
      auto* bar = form.findChild<QProgressBar*>("ProgressBar1");
      if (bar && bar->value() > 0) form.findChild<QPushButton*>("Btn_Start")->click();
    });
    stopper.start(5);
    form.Start();
    stopper.stop();
    if (update) {
      QVERIFY(qvr::test::ReadFile(archive) == old);
    } else {
      QVERIFY(!fs::exists(archive));
    }
    // Nothing but the archive of before (when there was one) lies in the folder.
    QCOMPARE(std::distance(fs::directory_iterator(app->file("out")), fs::directory_iterator()),
             update ? 1L : 0L);
    QCOMPARE(form.listCount(), 2);
    QCOMPARE(form.panelText(1), std::string("中止しました。（0個のファイルを圧縮済み）"));
    QCOMPARE(form.findChild<QPushButton*>("Btn_Start")->text(), text("圧縮(&S)"));
  }
};

QTEST_MAIN(TestArchiveEndToEnd)
#include "test_ArchiveEndToEnd.moc"

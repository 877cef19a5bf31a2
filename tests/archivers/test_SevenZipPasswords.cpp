// Encrypted 7Z archives (made by 7zz -p) through 7-zip32 with the command lines the program
// sends, the password typed into the library's own dialog: extraction to exactly what 7zz
// packed, the question asked once per call, a wrong or missing password writing nothing,
// cut and damaged archives leaving only whole files, and the listing entries.
#include <QApplication>
#include <QtTest>
#include <algorithm>
#include <map>
#include <memory>

#include "ArchiverLoader.h"
#include "FixtureManifest.h"
#include "PromptAnswerer.h"
#include "TempDir.h"

using namespace qvr::test;

namespace {

std::string Q(const std::string& s) {
  return "\"" + s + "\"";
}

const Fixture& Find(const std::string& file) {
  static const std::vector<Fixture> all = LoadManifest();
  for (const Fixture& f : all)
    if (f.file == file) return f;
  throw std::runtime_error("no fixture " + file);
}

// The encrypted 7Z archives our reader decodes.
std::vector<std::string> Decoded() {
  std::vector<std::string> out;
  for (const Fixture& f : LoadManifest())
    if (f.format == "7z" && !f.password.empty() && f.file != "7z_aes_ppmd.7z")
      out.push_back(f.file);
  return out;
}

bool NoTemporaries(const Tree& t) {
  return std::none_of(t.files.begin(), t.files.end(),
                      [](const auto& f) { return f.first.find(".qvr") != std::string::npos; });
}

}  // namespace

class TestSevenZipPasswords : public QObject {
  Q_OBJECT

 private:
  QWidget owner_;
  ArchiverLib& lib() { return Library("7-zip32.so", "SevenZip"); }

  int32_t Extract(const std::string& archive, const std::string& dest, std::string* report,
                  const std::string& word = "x") {
    return lib().Run(word + " -y " + Q(archive) + " " + Q(dest + "/"), &owner_, report);
  }

 private slots:
  void initTestCase() {
    owner_.resize(200, 100);
    owner_.show();
    QVERIFY(!Decoded().empty());
  }

  void extractsWhat7zzPacked_data() {
    QTest::addColumn<QString>("archive");
    for (const std::string& f : Decoded()) QTest::newRow(f.c_str()) << QString::fromStdString(f);
  }
  void extractsWhat7zzPacked() {
    QFETCH(QString, archive);
    const Fixture& f = Find(archive.toStdString());
    TempDir tmp;
    std::string dest = tmp.file("out");
    std::string report;
    {
      Answerer answerer(&owner_, QMessageBox::No, QString::fromStdString(f.password));
      QCOMPARE(Extract(FixturePath(f.file), dest, &report), 0);
      QCOMPARE(answerer.passwords, 1);  // once per call, not once per entry
      QVERIFY(answerer.ownedByOwner);
    }
    Tree t = ReadTree(dest);
    QCOMPARE(t.files.size(), f.expected.size());
    for (const ExpectedFile& e : f.expected) {
      QVERIFY2(t.files.count(e.path), e.path.c_str());
      QCOMPARE(t.files[e.path].sha256, e.sha256);
    }
    QCOMPARE(t.dirs, f.expectedDirs);
    // The test command reads every file the same way and writes nothing.
    TempDir other;
    Answerer again(&owner_, QMessageBox::No, QString::fromStdString(f.password));
    QCOMPARE(Extract(FixturePath(f.file), other.file("t"), &report, "t"), 0);
    QCOMPARE(again.passwords, 1);
    QVERIFY(ReadTree(other.path()).files.empty());
  }

  void wrongPasswordWritesNothing_data() {
    QTest::addColumn<QString>("archive");
    QTest::addColumn<QString>("password");
    for (const std::string& f : Decoded()) {
      QTest::newRow((f + " wrong").c_str()) << QString::fromStdString(f) << "Secret";
      QTest::newRow((f + " cancelled").c_str()) << QString::fromStdString(f) << "";
    }
  }
  void wrongPasswordWritesNothing() {
    QFETCH(QString, archive);
    QFETCH(QString, password);
    TempDir tmp;
    std::string dest = tmp.file("out");
    Answerer answerer(&owner_, QMessageBox::No, password);
    std::string report;
    QCOMPARE(Extract(FixturePath(archive.toStdString()), dest, &report), 0x800A);
    QCOMPARE(answerer.passwords, 1);
    Tree t = ReadTree(dest);  // no file, not even a folder
    QVERIFY2(t.files.empty() && t.dirs.empty(), report.c_str());
  }

  // PPMd is no coder of ours: every file fails with ERROR_NOT_SUPPORT, none is written.
  void coderNotDecodedHere() {
    TempDir tmp;
    Answerer answerer(&owner_, QMessageBox::No, "secret");
    std::string report;
    QCOMPARE(Extract(FixturePath("7z_aes_ppmd.7z"), tmp.file("out"), &report), 0x8023);
    QVERIFY2(report.find("PPMd") != std::string::npos, report.c_str());
    Tree t = ReadTree(tmp.file("out"));
    QVERIFY(t.files.empty() && t.dirs.empty());
  }

  void brokenArchivesLeaveOnlyWholeFiles_data() {
    QTest::addColumn<QString>("archive");
    QTest::addColumn<double>("cutAt");   // keep this share of the archive
    QTest::addColumn<double>("flipAt");  // flip a byte at this share (< 0: none)
    for (const char* a : {"7z_aes_lzma2.7z", "7z_aes_header.7z", "7z_aes_copy.7z"}) {
      for (double cut : {0.1, 0.5, 0.97, 0.999})
        QTest::newRow((std::string(a) + " cut " + std::to_string(cut)).c_str()) << a << cut << -1.0;
      for (double flip : {0.0005, 0.2, 0.6, 0.9, 0.9995})
        QTest::newRow((std::string(a) + " flip " + std::to_string(flip)).c_str())
            << a << 1.0 << flip;
    }
  }
  void brokenArchivesLeaveOnlyWholeFiles() {
    QFETCH(QString, archive);
    QFETCH(double, cutAt);
    QFETCH(double, flipAt);
    const Fixture& f = Find(archive.toStdString());
    std::map<std::string, std::string> whole;
    for (const ExpectedFile& e : f.expected) whole[e.path] = e.sha256;
    TempDir tmp;
    std::string data = ReadFile(FixturePath(f.file));
    data.resize(static_cast<size_t>(static_cast<double>(data.size()) * cutAt));
    if (flipAt >= 0) {
      size_t at = static_cast<size_t>(static_cast<double>(data.size()) * flipAt);
      data[at] = static_cast<char>(data[at] ^ 0x5A);
    }
    WriteFile(tmp.file("broken.7z"), data);
    std::string dest = tmp.file("out");
    Answerer answerer(&owner_, QMessageBox::No, "secret");
    std::string report;
    int32_t rc = Extract(tmp.file("broken.7z"), dest, &report);
    QVERIFY2(rc != 0, report.c_str());
    QVERIFY(answerer.passwords <= 1);
    Tree t = ReadTree(dest);
    QVERIFY(NoTemporaries(t));
    for (const auto& [path, got] : t.files) {
      QVERIFY2(whole.count(path), path.c_str());
      QCOMPARE(got.sha256, whole[path]);
    }
  }

  // Listing: names readable without the password need no question; an encrypted header
  // asks once per opened handle, also when the program walks the entries a second time.
  void listing_data() {
    QTest::addColumn<QString>("archive");
    for (const std::string& f : Decoded()) QTest::newRow(f.c_str()) << QString::fromStdString(f);
  }
  void listing() {
    QFETCH(QString, archive);
    const Fixture& f = Find(archive.toStdString());
    std::string path = FixturePath(f.file);
    QCOMPARE(lib().checkArchive(path.c_str(), 0), 1);
    QCOMPARE(lib().getFileCount(path.c_str()), f.headerEncrypted ? -1 : f.entryCount);
    auto answerer = std::make_unique<Answerer>(&owner_, QMessageBox::No, "secret");
    void* h = lib().openArchive(&owner_, path.c_str(), 0x400000);
    QVERIFY(h);
    for (int walk = 0; walk < 2; ++walk) {
      qvr::EntryInfo info;
      int n = 0;
      bool sawFolder = false;
      for (int r = lib().findFirst(h, "*", &info); r == 0; r = lib().findNext(h, &info)) {
        ++n;
        std::string name = info.FileName;
        if (name == "empty_folder/") sawFolder = info.Attribute[4] == 'd';
        auto e = std::find_if(f.expected.begin(), f.expected.end(),
                              [&](const ExpectedFile& x) { return x.path == name; });
        if (e != f.expected.end()) QCOMPARE(static_cast<long long>(info.OriginalSize), e->size);
      }
      QCOMPARE(n, f.entryCount);
      bool folderKept = std::count(f.expectedDirs.begin(), f.expectedDirs.end(), "empty_folder");
      QCOMPARE(sawFolder, folderKept);
    }
    QCOMPARE(lib().closeArchive(h), 0);
    QCOMPARE(answerer->passwords, f.headerEncrypted ? 1 : 0);
    answerer.reset();
    // A wrong password opens no encrypted header.
    if (f.headerEncrypted) {
      Answerer wrong(&owner_, QMessageBox::No, "guess");
      QVERIFY(!lib().openArchive(&owner_, path.c_str(), 0x400000));
      QCOMPARE(wrong.passwords, 1);
    }
  }
};

QTEST_MAIN(TestSevenZipPasswords)
#include "test_SevenZipPasswords.moc"

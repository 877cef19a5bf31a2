// The overwrite and password dialogs of our libraries, owned by a real window and answered
// by a timer that presses the buttons, also when the library is called from a worker thread.
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <memory>

#include "ArchiverLoader.h"
#include "FixtureManifest.h"
#include "PromptAnswerer.h"
#include "TempDir.h"

using qvr::test::Answerer;
using qvr::test::ArchiverLib;
using qvr::test::FixturePath;
using qvr::test::ReadFile;
using qvr::test::TempDir;
using qvr::test::WriteFile;

namespace {

std::string Q(const std::string& s) {
  return "\"" + s + "\"";
}

}  // namespace

class TestArchiverPrompts : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ArchiverLib> zip_;
  QWidget owner_;

  std::string Line(const std::string& dest, const std::string& archive = "zip_deflate.zip") {
    return "-x -s -V -i -C -qq " + Q(FixturePath(archive)) + " " + Q(dest + "/");
  }

  // The destination after a first extraction, with two files changed by the user.
  void Prepare(const TempDir& tmp) {
    QCOMPARE(zip_->Run("-x -o " + Q(FixturePath("zip_deflate.zip")) + " " + Q(tmp.path() + "/")),
             0);
    WriteFile(tmp.file("readme.txt"), "mine");
    WriteFile(tmp.file("docs/notes.txt"), "mine too");
  }

 private slots:
  void initTestCase() {
    zip_ = std::make_unique<ArchiverLib>("unzip32.so", "UnZip");
    owner_.resize(200, 100);
    owner_.show();
  }

  void overwriteAnswers_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("Yes") << int(QMessageBox::Yes) << 0 << 6 << true;  // one per file
    QTest::newRow("Yes to all") << int(QMessageBox::YesToAll) << 0 << 1 << true;
    QTest::newRow("No") << int(QMessageBox::No) << 0 << 6 << false;
    QTest::newRow("No to all") << int(QMessageBox::NoToAll) << 0 << 1 << false;
    QTest::newRow("Cancel") << int(QMessageBox::Cancel) << 0x8020 << 1 << false;
  }
  void overwriteAnswers() {
    QFETCH(int, button);
    QFETCH(int, result);
    QFETCH(int, questions);
    QFETCH(bool, replaced);
    TempDir tmp;
    Prepare(tmp);
    Answerer answerer(&owner_, QMessageBox::StandardButton(button));
    QCOMPARE(zip_->Run(Line(tmp.path()), &owner_), result);
    QCOMPARE(answerer.questions, questions);
    QVERIFY(answerer.ownedByOwner);
    QCOMPARE(ReadFile(tmp.file("readme.txt")) != "mine", replaced);
    QCOMPARE(ReadFile(tmp.file("docs/notes.txt")) != "mine too", replaced);
  }

  void overwriteFromWorkerThread() {
    TempDir tmp;
    Prepare(tmp);
    Answerer answerer(&owner_, QMessageBox::YesToAll);
    std::atomic<int> rc{-1};
    std::string line = Line(tmp.path());
    QThread* worker = QThread::create([&] { rc = zip_->Run(line, &owner_); });
    worker->start();
    QTRY_VERIFY_WITH_TIMEOUT(worker->isFinished(), 20000);
    delete worker;
    QCOMPARE(rc.load(), 0);
    QCOMPARE(answerer.questions, 1);
    QVERIFY(answerer.ownedByOwner);
    QCOMPARE(ReadFile(tmp.file("readme.txt")).size(), size_t(16016));
  }

  void passwordAnswers_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("result");
    QTest::newRow("right") << "secret" << 0;
    QTest::newRow("wrong") << "guess" << 0x800A;
    QTest::newRow("cancelled") << "" << 0x800A;
  }
  void passwordAnswers() {
    QFETCH(QString, password);
    QFETCH(int, result);
    TempDir tmp;
    Answerer answerer(&owner_, QMessageBox::No, password);
    std::string dest = tmp.file("out");
    QCOMPARE(zip_->Run(Line(dest, "password_zipcrypto.zip"), &owner_), result);
    QCOMPARE(answerer.passwords, 1);  // asked once per call, not once per entry
    QVERIFY(answerer.ownedByOwner);
    qvr::test::Tree tree = qvr::test::ReadTree(dest);
    if (result == 0) {
      for (const auto& f : qvr::test::LoadManifest()) {
        if (f.file != "password_zipcrypto.zip") continue;
        QCOMPARE(tree.files.size(), f.expected.size());
        for (const auto& e : f.expected) QCOMPARE(tree.files[e.path].sha256, e.sha256);
      }
    } else {
      QVERIFY(tree.files.empty());
    }
  }

  void passwordFromWorkerThread() {
    TempDir tmp;
    Answerer answerer(&owner_, QMessageBox::No, "secret");
    std::atomic<int> rc{-1};
    std::string line = Line(tmp.file("out"), "password_zipcrypto.zip");
    QThread* worker = QThread::create([&] { rc = zip_->Run(line, &owner_); });
    worker->start();
    QTRY_VERIFY_WITH_TIMEOUT(worker->isFinished(), 20000);
    delete worker;
    QCOMPARE(rc.load(), 0);
    QCOMPARE(answerer.passwords, 1);
  }
};

QTEST_MAIN(TestArchiverPrompts)
#include "test_ArchiverPrompts.moc"

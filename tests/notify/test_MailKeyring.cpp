// The mail passwords in a real key ring: gnome-keyring's Secret Service on the test's private
// session bus (the test runs under dbus-run-session), and, with QVR_NO_KEYRING set, on no bus
// at all, where the settings file keeps the encoded form.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include "AppFolder.h"
#include "MailKeyring.h"
#include "Option.h"
#include "SendCompletionMail.h"
#include "Settings.h"
#include "TempDir.h"

using namespace qvr;

namespace {

std::string Stored(const char* key) {
  return CutAtNull(GetIniString(kQvrArcIni, "E-Mail", key));
}

OptionSteps MailSteps() {
  OptionSteps steps;
  steps.storePassword = StoreMailPassword;
  steps.loadPassword = LoadMailPassword;
  return steps;
}

}  // namespace

class TestMailKeyring : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    keyring_ = qEnvironmentVariableIsEmpty("QVR_NO_KEYRING");
    SetAppFolder(temp_.path());
    if (!keyring_) return;
    // A login key ring of its own, made and unlocked by the password on stdin.
    qputenv("HOME", QByteArray::fromStdString(temp_.file("home")));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(temp_.file("home/.local/share")));
    // Its control socket lives in the runtime folder.
    const std::string runtime = temp_.file("run");
    QVERIFY(QDir().mkpath(QString::fromStdString(runtime)));
    QFile::setPermissions(QString::fromStdString(runtime),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime));
    QProcess daemon;
    daemon.start(QStringLiteral("gnome-keyring-daemon"),
                 {QStringLiteral("--unlock"), QStringLiteral("--components=secrets")});
    QVERIFY(daemon.waitForStarted());
    daemon.write("test-login");
    daemon.closeWriteChannel();
    QVERIFY(daemon.waitForFinished(20000));  // it forks and leaves the service running
    qInfo("%s", daemon.readAll().constData());
    // Asked before its child took the name, the bus would start a locked one of its own.
    QTRY_VERIFY_WITH_TIMEOUT(QDBusConnection::sessionBus().interface()->isServiceRegistered(
                                 QStringLiteral("org.freedesktop.secrets")),
                             20000);
  }

  void theKeyRingIsFoundExactlyWhereOneRuns() { QCOMPARE(KeyringAnswers(), keyring_); }

  // Saving the options moves an encoded password of an earlier version into the key ring;
  // the file then holds only the mark, and the mail and the dialog read the password back.
  void theOptionsMoveThePasswordsIntoTheKeyRing() {
    test::WriteFile(temp_.file("QvrArc.ini"),
                    "[E-Mail]\r\nUse=1\r\nUseSMTPAUTH=1\r\nSMTPUserName=me\r\nSMTPPassword=" +
                        EncodePassword("old: pässword") + "\r\nPOPPassword=\r\n");
    OptionValues shown = ReadOption(MailSteps());
    QCOMPARE(shown[size_t(GenRow::SMTPPassword)], std::string("old: pässword"));
    shown[size_t(GenRow::POPPassword)] = "pop secret";
    WriteOption(shown, MailSteps(), [](const std::string&) { return false; });

    const std::string ini = test::ReadFile(temp_.file("QvrArc.ini"));
    QCOMPARE(ini.find("pässword") == std::string::npos, true);
    if (keyring_) {
      QCOMPARE(Stored("SMTPPassword"), std::string(kKeyringMark));
      QCOMPARE(Stored("POPPassword"), std::string(kKeyringMark));
      std::string inRing;
      QCOMPARE(ReadKeyring("SMTPPassword", &inRing), KeyringAnswer::Done);
      QCOMPARE(inRing, std::string("old: pässword"));
    } else {
      QCOMPARE(Stored("SMTPPassword"), EncodePassword("old: pässword"));
      QCOMPARE(Stored("POPPassword"), EncodePassword("pop secret"));
    }
    OptionValues again = ReadOption(MailSteps());
    QCOMPARE(again[size_t(GenRow::SMTPPassword)], std::string("old: pässword"));
    QCOMPARE(again[size_t(GenRow::POPPassword)], std::string("pop secret"));
    CompletionMail mail = PrepareCompletionMail("Extract", "SUCCESS", 0);
    QVERIFY(mail.from.find("\tme:old: pässword\t") != std::string::npos);

    // An emptied password leaves nothing behind, in the file or the key ring.
    again[size_t(GenRow::SMTPPassword)] = "";
    WriteOption(again, MailSteps(), [](const std::string&) { return false; });
    QCOMPARE(Stored("SMTPPassword"), std::string());
    if (keyring_) QCOMPARE(ReadKeyring("SMTPPassword", nullptr), KeyringAnswer::NotFound);
  }

  // A mark whose key ring lost the password (another machine, a new key ring) reads empty.
  void aMarkWithoutItsPasswordReadsEmpty() {
    if (keyring_) DeleteKeyring("POPPassword");
    QCOMPARE(LoadMailPassword("POPPassword", kKeyringMark), std::string());
  }

 private:
  bool keyring_ = false;
  test::TempDir temp_;
};

QTEST_GUILESS_MAIN(TestMailKeyring)
#include "test_MailKeyring.moc"

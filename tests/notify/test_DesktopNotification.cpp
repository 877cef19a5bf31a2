// The desktop's notice of a run's end against a notification server and a file manager of
// the test's own on a private session bus (the test runs under dbus-run-session).
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QObject>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include "DesktopNotification.h"

using qvr::DesktopNotification;

namespace {

const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");
const QString kNotificationsPath = QStringLiteral("/org/freedesktop/Notifications");

// Records every Notify call; answers with its id.
class NotificationServer : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  struct Call {
    QString app, icon, summary, body;
    QStringList actions;
    QVariantMap hints;
  };
  QList<Call> calls;
  QList<uint> closed;

 public slots:
  uint Notify(const QString& app, uint, const QString& icon, const QString& summary,
              const QString& body, const QStringList& actions, const QVariantMap& hints, int) {
    calls.append({app, icon, summary, body, actions, hints});
    return uint(40 + calls.size());
  }
  void CloseNotification(uint id) { closed.append(id); }
};

class FileManager : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

 public:
  QList<QStringList> shownItems, shownFolders;

 public slots:
  void ShowItems(const QStringList& uris, const QString&) { shownItems.append(uris); }
  void ShowFolders(const QStringList& uris, const QString&) { shownFolders.append(uris); }
};

// A peer of its own on the bus, owning the service name.
QDBusConnection Serve(const QString& connectionName, const QString& service, const QString& path,
                      QObject* object) {
  QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName);
  bus.registerObject(path, object, QDBusConnection::ExportAllSlots);
  bus.registerService(service);
  return bus;
}

void Emit(QDBusConnection& bus, const QString& name, const QVariantList& arguments) {
  QDBusMessage signal = QDBusMessage::createSignal(kNotificationsPath, kNotifications, name);
  signal.setArguments(arguments);
  bus.send(signal);
}

}  // namespace

class TestDesktopNotification : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QVERIFY(QDBusConnection::sessionBus().isConnected()); }

  void theActionShowsTheNewFoldersSelected() {
    NotificationServer server;
    FileManager files;
    QDBusConnection serverBus =
        Serve(QStringLiteral("server"), kNotifications, kNotificationsPath, &server);
    QDBusConnection filesBus =
        Serve(QStringLiteral("files"), QStringLiteral("org.freedesktop.FileManager1"),
              QStringLiteral("/org/freedesktop/FileManager1"), &files);
    QStringList opened;
    {
      DesktopNotification notice(
          [&](const std::string& folder) { opened << QString::fromStdString(folder); });
      notice.Show("2個のファイルを解凍完了！", "/tmp/out 先", {"/tmp/out 先/a", "/tmp/out 先/b"});
      QTRY_COMPARE(server.calls.size(), 1);
      const NotificationServer::Call& call = server.calls[0];
      QCOMPARE(call.summary, QStringLiteral("QuiverArchiver"));
      QCOMPARE(call.body, QStringLiteral("2個のファイルを解凍完了！"));
      QVERIFY(call.actions.contains(QStringLiteral("フォルダを開く")));
      QCOMPARE(call.hints.value(QStringLiteral("desktop-entry")).toString(),
               QStringLiteral("io.sourceforge.quiverarchiver.QuiverArchiver"));
      QVERIFY(notice.pending());
      // Another notice's action is not ours.
      Emit(serverBus, QStringLiteral("ActionInvoked"), {uint(99), QStringLiteral("open-folder")});
      Emit(serverBus, QStringLiteral("ActionInvoked"), {uint(41), QStringLiteral("open-folder")});
      QTRY_COMPARE(files.shownItems.size(), 1);
      QCOMPARE(files.shownItems[0],
               QStringList({QUrl::fromLocalFile(QStringLiteral("/tmp/out 先/a")).toString(),
                            QUrl::fromLocalFile(QStringLiteral("/tmp/out 先/b")).toString()}));
      QVERIFY(opened.isEmpty());
      Emit(serverBus, QStringLiteral("NotificationClosed"), {uint(41), uint(2)});
      QTRY_VERIFY(!notice.pending());
      notice.WaitUntilClosed(5000);  // returns at once
    }
    QVERIFY(server.closed.isEmpty());  // it was closed already
    serverBus.unregisterService(kNotifications);
    filesBus.unregisterService(QStringLiteral("org.freedesktop.FileManager1"));
    // The peers leave the bus before their objects go.
    QDBusConnection::disconnectFromBus(QStringLiteral("server"));
    QDBusConnection::disconnectFromBus(QStringLiteral("files"));
  }

  void withoutAFileManagerTheFolderOpensAsADocument() {
    NotificationServer server;
    QDBusConnection serverBus =
        Serve(QStringLiteral("server2"), kNotifications, kNotificationsPath, &server);
    QStringList opened;
    {
      DesktopNotification notice(
          [&](const std::string& folder) { opened << QString::fromStdString(folder); });
      notice.Show("1個のファイルを解凍完了！", "/tmp/out", {});
      QTRY_COMPARE(server.calls.size(), 1);
      Emit(serverBus, QStringLiteral("ActionInvoked"), {uint(41), QStringLiteral("default")});
      QTRY_COMPARE(opened, QStringList({QStringLiteral("/tmp/out")}));
    }
    // A notice still shown when the program ends is taken back.
    QTRY_COMPARE(server.closed, QList<uint>({41}));
    serverBus.unregisterService(kNotifications);
    QDBusConnection::disconnectFromBus(QStringLiteral("server2"));
  }

  void withoutANotificationServiceNothingWaits() {
    QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(kNotifications));
    DesktopNotification notice([](const std::string&) {});
    notice.Show("1個のファイルを解凍完了！", "/tmp/out", {});
    QTRY_VERIFY(!notice.pending());
    QElapsedTimer clock;
    clock.start();
    notice.WaitUntilClosed(10000);
    QVERIFY(clock.elapsed() < 5000);
  }
};

QTEST_GUILESS_MAIN(TestDesktopNotification)
#include "test_DesktopNotification.moc"

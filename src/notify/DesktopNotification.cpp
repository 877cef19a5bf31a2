#include "DesktopNotification.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QUrl>

#include "DesktopEntry.h"
#include "MainWindowPort.h"

namespace qvr {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kFileManager = QStringLiteral("org.freedesktop.FileManager1");
const QString kOpenAction = QStringLiteral("open-folder");
constexpr int kNoticeTimeoutMs = 10000;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

QStringList FileUrls(const std::vector<std::string>& paths) {
  QStringList urls;
  for (const std::string& path : paths) urls << QUrl::fromLocalFile(Q(path)).toString();
  return urls;
}

// Calls the method; done(true) when it answered, done(false) when it failed or no one did.
void CallAsync(const QDBusMessage& call, QObject* context,
               const std::function<void(const QDBusMessage& reply)>& done) {
  auto* watcher =
      new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), context);
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                   [watcher, done](QDBusPendingCallWatcher*) {
                     done(watcher->reply());
                     watcher->deleteLater();
                   });
}

}  // namespace

DesktopNotification::DesktopNotification(std::function<void(const std::string&)> openFolder,
                                         QObject* parent)
    : QObject(parent), openFolder_(std::move(openFolder)) {}

DesktopNotification::~DesktopNotification() {
  if (!pending_ || id_ == 0) return;
  QDBusMessage close = QDBusMessage::createMethodCall(kService, kPath, kService,
                                                      QStringLiteral("CloseNotification"));
  close << id_;
  QDBusConnection::sessionBus().call(close, QDBus::NoBlock);
}

void DesktopNotification::Show(const std::string& text, const std::string& folder,
                               const std::vector<std::string>& items) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  // The bus is reached at the first notice, not when the program starts.
  if (!listening_) {
    listening_ = true;
    bus.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this,
                SLOT(OnActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kService, QStringLiteral("NotificationClosed"), this,
                SLOT(OnClosed(uint, uint)));
  }
  folder_ = folder;
  items_ = items;
  QStringList actions;
  if (!folder.empty())
    actions << QStringLiteral("default")
            << QCoreApplication::translate("DesktopNotification", "フォルダを開く") << kOpenAction
            << QCoreApplication::translate("DesktopNotification", "フォルダを開く");
  QVariantMap hints;
  hints.insert(QStringLiteral("desktop-entry"),
               QStringLiteral("io.sourceforge.quiverarchiver.QuiverArchiver"));
  QDBusMessage notify =
      QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
  notify << QStringLiteral("QuiverArchiver") << uint(0) << Q(ShellIcon()) << Q(kProgramTitle)
         << Q(text) << actions << hints << int(kNoticeTimeoutMs);
  pending_ = true;
  id_ = 0;
  CallAsync(notify, this, [this](const QDBusMessage& reply) {
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
      id_ = reply.arguments().first().toUInt();
    else
      pending_ = false;  // no notification service: nothing is shown
  });
}

void DesktopNotification::WaitUntilClosed(int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  QEventLoop loop;
  while (pending_ && clock.elapsed() < timeoutMs)
    loop.processEvents(QEventLoop::WaitForMoreEvents, 50);
}

void DesktopNotification::OnActionInvoked(uint id, const QString& action) {
  if (id == 0 || id != id_) return;
  if (action == kOpenAction || action == QStringLiteral("default")) ShowFolder();
}

void DesktopNotification::OnClosed(uint id, uint /*reason*/) {
  if (id != 0 && id == id_) pending_ = false;
}

void DesktopNotification::ShowFolder() {
  if (folder_.empty()) return;
  const bool select = !items_.empty();
  QDBusMessage show = QDBusMessage::createMethodCall(
      kFileManager, QStringLiteral("/org/freedesktop/FileManager1"), kFileManager,
      select ? QStringLiteral("ShowItems") : QStringLiteral("ShowFolders"));
  show << FileUrls(select ? items_ : std::vector<std::string>{folder_}) << QString();
  const std::string folder = folder_;
  CallAsync(show, this, [this, folder](const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage && openFolder_) openFolder_(folder);
  });
}

}  // namespace qvr

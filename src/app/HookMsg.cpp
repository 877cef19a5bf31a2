#include "HookMsg.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace qvr {
namespace {

void PutInt32(std::string& out, int32_t value) {
  auto bits = uint32_t(value);
  for (int i = 0; i < 4; ++i) out += char((bits >> (8 * i)) & 0xFF);
}

int32_t GetInt32(std::string_view bytes) {
  uint32_t bits = 0;
  for (int i = 3; i >= 0; --i) bits = (bits << 8) | uint8_t(bytes[size_t(i)]);
  return int32_t(bits);
}

constexpr int kConnectTimeoutMs = 1000;
constexpr int kWriteTimeoutMs = 5000;

}  // namespace

int32_t RegisterWindowMessage(std::string_view name) {
  uint32_t hash = 2166136261u;  // FNV-1a
  for (unsigned char c : name) hash = (hash ^ c) * 16777619u;
  return int32_t(0xC000u + hash % 0x4000u);
}

std::vector<HookRecord> EncodeHandOff(int32_t message, const std::string& filePart) {
  std::vector<HookRecord> records{{kWmSysCommand, kScRestore, 0}};
  if (filePart.empty()) return records;
  records.push_back({message, 0, 0});
  QString text = QString::fromUtf8(filePart.data(), qsizetype(filePart.size()));
  for (QChar unit : text) records.push_back({message, 1, int32_t(int16_t(unit.unicode()))});
  records.push_back({message, 2, 0});
  return records;
}

std::string SerializeRecords(const std::vector<HookRecord>& records) {
  std::string bytes;
  bytes.reserve(records.size() * kHookRecordSize);
  for (const auto& record : records) {
    PutInt32(bytes, record.message);
    PutInt32(bytes, record.wParam);
    PutInt32(bytes, record.lParam);
  }
  return bytes;
}

std::vector<HookRecord> HandOffReceiver::feed(std::string_view bytes) {
  pending_.append(bytes);
  std::vector<HookRecord> records;
  size_t pos = 0;
  for (; pending_.size() - pos >= kHookRecordSize; pos += kHookRecordSize) {
    std::string_view record(pending_.data() + pos, kHookRecordSize);
    records.push_back({GetInt32(record), GetInt32(record.substr(4)), GetInt32(record.substr(8))});
  }
  pending_.erase(0, pos);
  return records;
}

HandOffReceiver::Action HandOffReceiver::apply(const HookRecord& record) {
  if (record.message == kWmSysCommand && record.wParam == kScRestore) return Action::Restore;
  if (record.message != message_) return Action::None;
  switch (record.wParam) {
    case 0:
      text_.clear();
      return Action::None;
    case 1:
      text_ += char16_t(uint32_t(record.lParam) & 0xFFFF);
      return Action::None;
    case 2:
      return Action::AddList;
    default:
      return Action::None;
  }
}

std::string HandOffReceiver::buffer() const {
  return QString::fromUtf16(text_.data(), qsizetype(text_.size())).toStdString();
}

QString HandOffServerName() {
  QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) {
    return runtime + '/' + QString::fromLatin1(kHandOffMessageName);
  }
  return QDir::tempPath() + '/' + QString::fromLatin1(kHandOffMessageName) + '-' +
         QString::number(getuid());
}

HookMsg::HookMsg(QObject* parent)
    : QObject(parent), message_(RegisterWindowMessage(kHandOffMessageName)) {}

HookMsg::~HookMsg() = default;

bool HookMsg::PostToRunningInstance(const std::vector<HookRecord>& records) {
  QLocalSocket socket;
  socket.connectToServer(HandOffServerName());
  if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
  std::string bytes = SerializeRecords(records);
  socket.write(bytes.data(), qint64(bytes.size()));
  while (socket.bytesToWrite() > 0) {
    if (!socket.waitForBytesWritten(kWriteTimeoutMs)) break;
  }
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState) {
    socket.waitForDisconnected(kConnectTimeoutMs);
  }
  // A running instance answered, even if it went away meanwhile: this start still ends.
  return true;
}

bool HookMsg::handOffOrListen(const std::string& filePart) {
  std::vector<HookRecord> records = EncodeHandOff(message_, filePart);
  if (PostToRunningInstance(records)) return true;
  if (listen()) return false;
  // Someone else listens now (a start at the same moment), or a socket was left behind.
  if (PostToRunningInstance(records)) return true;
  QLocalServer::removeServer(HandOffServerName());
  listen();
  return false;
}

bool HookMsg::listen() {
  if (!server_) {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &HookMsg::onNewConnection);
  }
  return server_->listen(HandOffServerName());
}

void HookMsg::onNewConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    // Each sender's records have a buffer of their own, so two senders never mix.
    receivers_.emplace(socket, HandOffReceiver(message_));
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
      onReadyRead(socket);
      receivers_.erase(socket);
      socket->deleteLater();
    });
  }
}

void HookMsg::onReadyRead(QLocalSocket* socket) {
  auto it = receivers_.find(socket);
  if (it == receivers_.end()) return;
  QByteArray bytes = socket->readAll();
  HandOffReceiver& receiver = it->second;
  // Collect first, signal afterwards: adding a folder lets the window process events, and a
  // disconnect handled then removes this receiver.
  std::vector<std::pair<HandOffReceiver::Action, QString>> actions;
  for (const auto& record :
       receiver.feed(std::string_view(bytes.constData(), size_t(bytes.size())))) {
    auto action = receiver.apply(record);
    if (action == HandOffReceiver::Action::AddList) {
      actions.emplace_back(action, QString::fromStdString(receiver.buffer()));
    } else if (action == HandOffReceiver::Action::Restore) {
      actions.emplace_back(action, QString());
    }
  }
  for (const auto& [action, text] : actions) {
    if (action == HandOffReceiver::Action::Restore) {
      emit restoreRequested();
    } else {
      emit handOffReceived(text);
    }
  }
}

}  // namespace qvr

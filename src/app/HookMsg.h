// The single-instance hand-off. A second start finds the running instance by its per-user
// local socket, named after the program's registered window message, asks it to come to
// the front restored, and posts its command line one UTF-16 code unit per record:
// (message, 0, 0) begin, (message, 1, unit) per unit, (message, 2, 0) end. Each record is
// three little-endian 32-bit integers (message, wParam, lParam).
#pragma once

#include <QObject>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace qvr {

inline constexpr const char* kHandOffMessageName = "WM_USER_QVRARC_BY_TESSEL";
// The "bring to front and restore" record: WM_SYSCOMMAND with SC_RESTORE.
inline constexpr int32_t kWmSysCommand = 0x0112;
inline constexpr int32_t kScRestore = 0xF120;

struct HookRecord {
  int32_t message = 0;
  int32_t wParam = 0;
  int32_t lParam = 0;
  bool operator==(const HookRecord&) const = default;
};
inline constexpr size_t kHookRecordSize = 12;

// The number of a registered message name, the same in every process (0xC000 to 0xFFFF).
int32_t RegisterWindowMessage(std::string_view name);

// The records that hand a command line over: the restore request, then begin, one record
// per UTF-16 code unit (sign-extended from 16 bits) and end when the text is not empty.
std::vector<HookRecord> EncodeHandOff(int32_t message, const std::string& filePart);
std::string SerializeRecords(const std::vector<HookRecord>& records);

// The receiving side of one connection: collects records from a byte stream (records may
// arrive split anywhere) and keeps the receive buffer.
class HandOffReceiver {
 public:
  enum class Action { None, Restore, AddList };
  explicit HandOffReceiver(int32_t message) : message_(message) {}

  // Appends bytes; returns the complete records found so far.
  std::vector<HookRecord> feed(std::string_view bytes);
  // Applies one record to the receive buffer; AddList means: add buffer() to the list.
  Action apply(const HookRecord& record);
  // The receive buffer as UTF-8; it is emptied only by the next begin record.
  std::string buffer() const;

 private:
  int32_t message_;
  std::string pending_;
  std::u16string text_;
};

// The socket's full path: $XDG_RUNTIME_DIR/WM_USER_QVRARC_BY_TESSEL, or the temporary
// folder with the user id appended when there is no runtime folder.
QString HandOffServerName();

class HookMsg : public QObject {
  Q_OBJECT

 public:
  explicit HookMsg(QObject* parent = nullptr);
  ~HookMsg() override;

  // When another instance answers: asks it to come to the front, hands it the file part
  // and returns true (this instance then ends). Otherwise starts listening and returns false.
  bool handOffOrListen(const std::string& filePart);
  // Sends the records to a running instance; false when none answers.
  static bool PostToRunningInstance(const std::vector<HookRecord>& records);

 signals:
  void restoreRequested();
  // The received text, as AddArchiveList reads it.
  void handOffReceived(const QString& text);

 private:
  void onNewConnection();
  void onReadyRead(QLocalSocket* socket);
  bool listen();

  int32_t message_;
  QLocalServer* server_ = nullptr;
  std::map<QLocalSocket*, HandOffReceiver> receivers_;
};

}  // namespace qvr

#include "ArchiveTrash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <filesystem>
#include <system_error>

#include "MainWindowPort.h"
#include "Translate.h"

namespace qvr {
namespace {

// Qt's Trash of the home is made only below an existing $XDG_DATA_HOME, and without one it
// puts the file into "files" of the current folder: the folder is made first, and a file
// that did not land in a Trash is put back.
bool MoveToTheTrash(const std::string& path) {
  QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
  const QString source = QString::fromStdString(path);
  QString inTrash;
  if (!QFile::moveToTrash(source, &inTrash)) return false;
  const QString folder = QFileInfo(inTrash).absolutePath();
  if (folder.endsWith(QStringLiteral("/Trash/files")) || folder.contains(QStringLiteral("/.Trash")))
    return true;
  QFile::rename(inTrash, source);
  return false;
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

}  // namespace

ArchiveTrash::ArchiveTrash(MainWindowPort& window, MoveToTrash move)
    : window_(window), move_(move ? std::move(move) : MoveToTheTrash) {}

ArchiveTrash::Fate ArchiveTrash::Remove(const std::vector<std::string>& parts) {
  Fate fate = Fate::Trashed;
  for (const std::string& part : parts) {
    if (!Exists(part) || move_(part)) continue;
    if (!MayDeleteForGood(part)) return Fate::Kept;
    std::error_code ec;
    std::filesystem::remove(part, ec);
    fate = Fate::Deleted;
  }
  return fate;
}

std::string ArchiveTrash::FateText(Fate fate) {
  switch (fate) {
    case Fate::Trashed:
      return Tr("ArchiveTrash", "ごみ箱へ移動しました");
    case Fate::Deleted:
      return Tr("ArchiveTrash", "削除しました（ごみ箱がありません）");
    case Fate::Kept:
      return Tr("ArchiveTrash", "ごみ箱がないため削除しませんでした");
  }
  return "";
}

bool ArchiveTrash::MayDeleteForGood(const std::string& path) {
  if (!deleteForGood_) {
    MsgResult answer = window_.messageBox(
        Tr("ArchiveTrash", "この書庫の場所にはごみ箱がありません。\r\n") + path +
            Tr("ArchiveTrash",
               "\r\n解凍できた書庫を完全に削除しますか？（この実行中は再び確認しません）"),
        MsgIcon::Question, MsgButtons::YesNoDefaultNo);
    deleteForGood_ = answer == MsgResult::Yes;
  }
  return *deleteForGood_;
}

}  // namespace qvr

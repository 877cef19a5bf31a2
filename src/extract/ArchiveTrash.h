// Deleting an archive after it extracted: its file (every part of a volume set) goes to the
// desktop's Trash, so that a mistaken option costs nothing. Where the file system has no
// Trash, the user is asked once per run whether such archives may go for good.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qvr {

class MainWindowPort;

class ArchiveTrash {
 public:
  enum class Fate { Trashed, Deleted, Kept };
  // Moves one file to the Trash (freedesktop rules); false when no Trash took it.
  using MoveToTrash = std::function<bool(const std::string& path)>;

  explicit ArchiveTrash(MainWindowPort& window, MoveToTrash move = nullptr);
  // Every part of the archive, to the Trash or (after the question) deleted; a part that
  // neither took stays where it is.
  Fate Remove(const std::vector<std::string>& parts);
  // The words the report gives the archive's fate.
  static std::string FateText(Fate fate);

 private:
  bool MayDeleteForGood(const std::string& path);

  MainWindowPort& window_;
  MoveToTrash move_;
  std::optional<bool> deleteForGood_;  // the run's one answer
};

}  // namespace qvr

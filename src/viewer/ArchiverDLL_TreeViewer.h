// The folder-tree composer's engine: the tree of an archive's folders under "<ROOT>", the
// new-folder step, and adding the files dropped on the viewer (addlist.tmp) into the chosen
// folder of the archive. Widget-free; frmTreeView shows the tree.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ArchiverDLLStatus.h"
#include "MainWindowPort.h"

#include "ListFile.h"

namespace qvr {

inline constexpr const char* kTreeRoot = "<ROOT>";

// TreeView1's nodes: the root "<ROOT>" first; every other node one folder level, its key its
// parent's key + "\" + its text, so that a key is the node's full path (<ROOT>\docs\pics).
class ArchiveTree {
 public:
  struct Node {
    std::string key;
    std::string text;
    int parent;  // -1 for the root
  };
  ArchiveTree() { Clear(); }
  // Removes every node and adds the root.
  void Clear();
  // Adds the folder levels of the path: the components followed by "/" (taken first) or
  // "\"; the last component (a file name) is no node. False, adding nothing, for a path
  // with an empty, "." or ".." level (an entry that climbs out of the archive).
  bool AddPathToTree(const std::string& path);
  // The node index of a key; -1 when none.
  int Find(const std::string& key) const;
  const std::vector<Node>& nodes() const { return nodes_; }

 private:
  std::vector<Node> nodes_;
};

// Fills the tree from the archive's entries by its lower-case extension (lzh, zip, 7z, bza,
// gza, hki); true for these, also when their library is not available (the tree then holds
// only the root); false for any other extension.
bool BuildArchiveTree(ArchiveTree& tree, const std::string& archivePath,
                      const LibraryStatus& status, void* ownerWindow);

// The target sub-path S of a selected node's path: without "<ROOT>\"; "" for the root.
std::string TargetSubPath(const std::string& selectedPath);

// Btn_Add: a new folder under the selected node (its messages through the window). False
// when nothing was added.
bool AddFolderNode(ArchiveTree& tree, const std::string& selectedPath, MainWindowPort& window);

// The number of lines of the application folder's addlist.tmp.
int32_t GetFileNumFromListAddList();

// Adds the files listed in addlist.tmp into the selected folder of the archive and returns
// how many went in (0 on failure). Each dropped file is taken from its own folder.
int32_t AddFilesToArchive(const std::string& archivePath, const std::string& selectedPath,
                          const LibraryStatus& status, MainWindowPort& window, void* ownerWindow);

// Btn_OK after a node was chosen: the add, the panel text and the failure box.
// The viewer's drop: addlist.tmp with every path in double quotes. False, after a message,
// when a path cannot be carried by a list line or the file cannot be written.
bool WriteDroppedList(const std::vector<std::string>& paths, MainWindowPort& window);
// Whether files dropped on the viewer go to the composer for the archive (lzh, zip, bza, gza,
// 7z, bh, rk).
bool ComposerTakes(const std::string& archivePath);

int32_t ComposerOk(const std::string& archivePath, const std::string& selectedPath,
                   const LibraryStatus& status, MainWindowPort& window, void* ownerWindow);

}  // namespace qvr

// Turns the names of an add command (files, folders, wildcards, relative to an optional base
// folder) into the list of files and folders to store, each with its path in the archive.
#pragma once

#include <string>
#include <vector>

#include "WriteResult.h"

namespace qvr::writers {

struct AddItem {
  std::string diskPath;  // the file or folder on disk
  std::string name;      // its path in the archive, "/" separated, no trailing "/"
  bool folder = false;
};

struct AddRequest {
  std::string baseFolder;          // "" or a folder ending in "/"
  std::vector<std::string> names;  // files, folders or wildcards
  bool recurse = false;            // wildcards also match in every sub-folder
  bool junkPaths = false;          // store every file by its file name alone, no folders
  bool includeHidden = true;       // take hidden (dot) files found in folders and wildcards
  bool folderEntries = true;       // store folders as entries of their own
  std::string skipPath;            // never add this file (the archive being written)
};

// Fills *items in the order of the names; a file reached twice is taken once (the first).
// Two different files that would be stored under one name fail with ERROR_COMMAND_NAME,
// naming both; a named file or folder that does not exist, or a request that yields
// nothing, fails with ERROR_NOT_FIND_FILE; both before anything is written.
WriteResult CollectItems(const AddRequest& request, std::vector<AddItem>* items);

bool HasWildcard(const std::string& name);

// The path cleaned for storing: no leading "/", no "." or ".." components, no empty ones.
std::string CleanEntryPath(const std::string& path);

}  // namespace qvr::writers

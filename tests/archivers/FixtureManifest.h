// The fixtures' manifests (the shared ones and the project's own), read with Qt's JSON parser, and
// the library and command lines the program sends for each archive.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace qvr::test {

struct ExpectedFile {
  std::string path;
  long long size = 0;
  std::string sha256;
};

struct Fixture {
  std::string file;
  std::string format;  // "zip", "lzh", "tar.gz"...
  bool exe = false;    // a self-extracting .exe
  std::string password;
  bool headerEncrypted = false;  // the names too need the password (7Z -mhe=on)
  bool hostile = false;
  bool expectError = false;
  std::vector<ExpectedFile> expected;
  std::vector<std::string> expectedDirs;
  std::vector<std::string> symlinks;
  std::vector<std::string> mustNotExist;
  std::vector<std::string> allowedExtra;
  std::vector<ExpectedFile> partial;
  int entryCount = -1;
  bool topFolderShared = false;      // every entry lies in one top folder
  std::vector<std::string> volumes;  // a multi-volume set: every file of it, the first too
};

std::vector<Fixture> LoadManifest();
// A single compressed file whose original size tar32 does not learn without decompressing
// (only gzip records it where it is read).
bool SizeUnrecorded(const Fixture& f);
std::string FixturePath(const std::string& file);

// The library (file name and prefix) that serves a format; "" when none of ours does.
struct Route {
  std::string file;
  std::string prefix;
};
Route RouteFor(const Fixture& f, bool use7Zip = false);

// The extraction command line the program sends, folders kept, overwriting without asking.
std::string ExtractLine(const Fixture& f, const std::string& archive, const std::string& dest,
                        bool use7Zip = false);

// Regular files below `root` (relative path -> content hash and size), folders, and links.
struct Tree {
  std::map<std::string, ExpectedFile> files;
  std::vector<std::string> dirs;
  std::vector<std::string> links;
};
Tree ReadTree(const std::string& root);
std::string Sha256OfFile(const std::string& path);

}  // namespace qvr::test

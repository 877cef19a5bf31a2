#include "LzhUpdate.h"

#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "ArcErrors.h"
#include "CallProgress.h"
#include "FdIo.h"
#include "LzhArchive.h"
#include "LzhFiles.h"
#include "LzhNames.h"
#include "Text.h"

namespace qvr::arc {
namespace {

namespace fs = std::filesystem;

struct Options {
  bool add = false;  // else delete
  lzh::Method method = lzh::Method::kLh5;
  bool smallest = false;     // -jma
  bool keepFolders = false;  // -x
  std::string under;         // -jb<folder>, "" for the root
};

int32_t ParseOptions(const Command& c, Options& o) {
  o.add = c.args.words[0] == "a";
  for (const std::string& sw : c.args.switches) {
    if (sw.rfind("-jm", 0) == 0) {
      static const lzh::Method kByDigit[] = {lzh::Method::kLh0, lzh::Method::kLh1,
                                             lzh::Method::kLh5, lzh::Method::kLh6,
                                             lzh::Method::kLh7};
      if (sw == "-jma") {
        o.smallest = true;
      } else if (sw.size() == 4 && sw[3] >= '0' && sw[3] <= '4') {
        o.method = kByDigit[sw[3] - '0'];
      } else {
        return ERROR_COMMAND_NAME;
      }
    } else if (sw == "-x" || sw == "-x1") {
      o.keepFolders = true;
    } else if (sw.rfind("-jb", 0) == 0) {
      o.under = sw.substr(3);
      while (!o.under.empty() && o.under.back() == '/') o.under.pop_back();
      while (!o.under.empty() && o.under.front() == '/') o.under.erase(0, 1);
    }
    // -je<N> (bounded 4096..32768) is a hint our encoder does not need; -c, -m, -y, -jf0,
    // -jyd change nothing here.
  }
  return kOk;
}

// One file or folder to add: where it is on disk and the path it gets in the archive.
struct NewItem {
  std::string disk;
  std::string stored;  // UTF-8, "/" separated
  bool folder = false;
};

std::string Join(const std::string& a, const std::string& b) {
  return a.empty() ? b : b.empty() ? a : a + "/" + b;
}

std::string Relative(const std::string& name) {
  size_t i = 0;
  while (i < name.size() && name[i] == '/') ++i;
  std::string r = name.substr(i);
  while (r.rfind("./", 0) == 0) r.erase(0, 2);
  while (!r.empty() && r.back() == '/') r.pop_back();
  return r;
}

// The names of the command line as files on disk and their stored paths.
int32_t Collect(const Command& c, const Options& o, std::vector<NewItem>& items,
                std::string& words) {
  const std::string& base = c.args.folder;
  for (const Name& arg : c.args.names) {
    const std::string& name = arg.text;
    std::string disk = (!base.empty() && name[0] != '/') ? base + name : name;
    std::vector<std::string> matches;
    // A file whose name holds "*" or "?" is that file, not a pattern for its neighbours.
    std::error_code missing;
    if (arg.pattern && !fs::exists(fs::symlink_status(disk, missing))) {
      glob_t g{};
      if (glob(disk.c_str(), 0, nullptr, &g) == 0)
        for (size_t i = 0; i < g.gl_pathc; ++i) matches.push_back(g.gl_pathv[i]);
      globfree(&g);
    } else {
      matches.push_back(disk);
    }
    if (matches.empty() || !fs::exists(matches[0])) {
      words = name + ": not found";
      return ERROR_NOT_FIND_FILE;
    }
    for (const std::string& m : matches) {
      // The stored path: relative to the base folder with -x, the file name alone without.
      std::string rel = !base.empty() && m.rfind(base, 0) == 0 ? m.substr(base.size()) : m;
      rel = Relative(rel);
      std::string stored = o.keepFolders ? rel : fs::path(rel).filename().string();
      std::error_code ec;
      if (fs::is_directory(m, ec)) {
        items.push_back({m, stored, true});
        for (auto it = fs::recursive_directory_iterator(m, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
          std::string sub = fs::relative(it->path(), m).string();
          bool dir = it->is_directory(ec);
          if (!dir && !it->is_regular_file(ec)) continue;
          items.push_back({it->path().string(),
                           o.keepFolders ? Join(stored, sub) : it->path().filename().string(),
                           dir});
        }
      } else {
        items.push_back({m, stored, false});
      }
    }
  }
  for (auto& item : items) item.stored = Join(o.under, item.stored);
  // A file reached twice counts once; two files of one stored path (the same name from two
  // folders) would lose one, so the command fails naming both before anything is written.
  std::map<std::string, std::string> seen;  // stored path -> the file on disk
  std::vector<NewItem> unique;
  for (NewItem& item : items) {
    if (item.folder) {
      unique.push_back(std::move(item));
      continue;
    }
    auto [at, added] = seen.emplace(item.stored, item.disk);
    if (added) {
      unique.push_back(std::move(item));
    } else if (!SameFile(at->second, item.disk)) {
      words =
          "two files would be stored as " + item.stored + ": " + at->second + " and " + item.disk;
      return ERROR_COMMAND_NAME;
    }
  }
  items = std::move(unique);
  return kOk;
}

// An entry's path as UTF-8 (CP932 names decoded).
std::string PathOf(const lzh::Entry& e) {
  std::string p = e.header.Path();
  std::string utf8;
  if (lzh::GuessEncoding(p) == lzh::NameEncoding::kCp932 && Cp932ToUtf8(p, &utf8)) return utf8;
  return p;
}

lzh::NewEntry EntryFor(const std::string& storedUtf8, const struct stat& st) {
  std::string bytes;
  lzh::EncodeName(storedUtf8, &bytes);  // CP932 when every character has a CP932 form
  lzh::NewEntry e;
  size_t slash = bytes.rfind('/');
  e.name = slash == std::string::npos ? bytes : bytes.substr(slash + 1);
  e.directory = slash == std::string::npos ? "" : bytes.substr(0, slash);
  e.unixTime = st.st_mtime;
  e.hasUnixMode = true;
  e.unixMode = static_cast<uint16_t>(st.st_mode & 07777 & ~(S_ISUID | S_ISGID));
  e.unixMode |= S_ISDIR(st.st_mode) ? 0040000 : 0100000;
  e.sizeHint = static_cast<uint64_t>(st.st_size);
  return e;
}

int32_t FromWrite(lzh::WriteStatus st, const FileArchiveSink& sink) {
  switch (st) {
    case lzh::WriteStatus::kOk:
      return kOk;
    case lzh::WriteStatus::kSourceFailed:
      return CallProgress::Current() && CallProgress::Current()->stopped() ? ERROR_USER_CANCEL
                                                                           : ERROR_FILE_OPEN;
    case lzh::WriteStatus::kSinkFailed:
      return sink.DiskFull() ? ERROR_DISK_SPACE : ERROR_CANNOT_WRITE;
    case lzh::WriteStatus::kTooLarge:
    case lzh::WriteStatus::kNameTooLong:
    case lzh::WriteStatus::kUnsupported:
      return ERROR_NOT_SUPPORT;
  }
  return ERROR_CANNOT_WRITE;
}

// The new archive, written to a temporary file beside the old one.
class Replacement {
 public:
  explicit Replacement(const std::string& archive) : archive_(archive) {
    tmp_ = archive + ".qvrXXXXXX";
    fd_.reset(::mkstemp(tmp_.data()));
    created_ = fd_.valid();
  }
  ~Replacement() {
    fd_.reset();
    if (created_ && !committed_) ::unlink(tmp_.c_str());
  }
  bool IsOpen() const { return fd_.valid(); }
  int fd() const { return fd_.get(); }
  // The new archive takes the old one's place (or is dropped when `empty` says the archive
  // is left empty). As with the other writers there is no sync, but every error of the
  // written data (also one a delayed write reports at close) keeps the old archive.
  int32_t Commit(bool empty) {
    struct stat old {};
    if (::stat(archive_.c_str(), &old) == 0)
      ::fchmod(fd_.get(), old.st_mode & 0777);
    else
      ::fchmod(fd_.get(), 0644 & ~CurrentUmask());
    if (fd_.Close() != 0) return ERROR_CANNOT_WRITE;
    if (empty) return ::unlink(archive_.c_str()) == 0 ? kOk : ERROR_CANNOT_WRITE;
    if (::rename(tmp_.c_str(), archive_.c_str()) != 0) return ERROR_CANNOT_WRITE;
    committed_ = true;
    return kOk;
  }

 private:
  static mode_t CurrentUmask() {
    mode_t m = ::umask(022);
    ::umask(m);
    return m;
  }
  std::string archive_, tmp_;
  UniqueFd fd_;
  bool created_ = false;
  bool committed_ = false;
};

struct Change {
  const Command& command;
  Options options;
  std::string words;
  int added = 0, copied = 0, removed = 0;
};

// Copies the old archive's entries except those `drop` names; false when it is broken.
int32_t CopyOld(lzh::ArchiveReader& reader, lzh::ArchiveWriter& writer, FileArchiveSink& sink,
                const std::function<bool(const std::string&)>& drop, Change& ch,
                std::set<std::string>& kept) {
  lzh::Entry e;
  lzh::ArchiveReader::Next n;
  while ((n = reader.NextEntry(&e)) == lzh::ArchiveReader::Next::kEntry) {
    std::string path = PathOf(e);
    if (drop(path)) {
      ++ch.removed;
      continue;
    }
    if (int32_t r = FromWrite(writer.CopyEntry(reader, e), sink); r != kOk) return r;
    kept.insert(path);
    ++ch.copied;
  }
  if (n == lzh::ArchiveReader::Next::kBroken) {
    ch.words = "the archive is damaged; it was left as it was";
    return ERROR_HEADER_BROKEN;
  }
  return kOk;
}

int32_t AddItems(const std::vector<NewItem>& items, lzh::ArchiveWriter& writer,
                 FileArchiveSink& sink, std::set<std::string>& present, Change& ch) {
  const Options& o = ch.options;
  auto addFolder = [&](const std::string& stored, const struct stat& st) -> int32_t {
    if (stored.empty() || !present.insert(stored).second) return kOk;
    lzh::NewEntry e = EntryFor(stored, st);
    e.directory = e.directory.empty() ? e.name : e.directory + "/" + e.name;
    e.name.clear();
    return FromWrite(writer.AddFolder(e), sink);
  };
  for (const NewItem& item : items) {
    struct stat st {};
    if (::stat(item.disk.c_str(), &st) != 0) {
      ch.words = item.disk + ": vanished";
      return ERROR_FILE_OPEN;
    }
    // Folder entries for the levels above the item, where folders are kept; they are
    // folders whatever the item is.
    if (o.keepFolders || !o.under.empty()) {
      struct stat folder = st;
      folder.st_mode = S_IFDIR | 0755;
      std::string parent;
      std::string rest = item.stored;
      for (size_t p; (p = rest.find('/')) != std::string::npos; rest.erase(0, p + 1)) {
        parent = Join(parent, rest.substr(0, p));
        if (int32_t r = addFolder(parent, folder); r != kOk) return r;
      }
    }
    if (item.folder) {
      if (o.keepFolders)
        if (int32_t r = addFolder(item.stored, st); r != kOk) return r;
      continue;
    }
    FileSource src(item.disk);
    if (!src.IsOpen()) {
      ch.words = item.disk + ": cannot be read";
      return ERROR_FILE_OPEN;
    }
    lzh::NewEntry e = EntryFor(item.stored, st);
    lzh::WriteStatus ws =
        o.smallest ? writer.AddFileSmallest(e, src) : writer.AddFile(e, src, o.method);
    if (int32_t r = FromWrite(ws, sink); r != kOk) {
      ch.words = item.disk + ": " + ErrorText(r);
      return r;
    }
    present.insert(item.stored);
    ++ch.added;
  }
  return kOk;
}

int32_t Apply(Change& ch) {
  const Command& c = ch.command;
  const std::string& path = c.args.archive;
  std::vector<NewItem> items;
  if (ch.options.add) {
    if (int32_t r = Collect(c, ch.options, items, ch.words); r != kOk) return r;
    if (items.empty()) {
      ch.words = "no file named to add";
      return ERROR_NOT_FIND_FILE;
    }
  } else if (c.args.names.empty() && c.args.folder.empty()) {
    ch.words = "no entry named to delete";
    return ERROR_NOT_FIND_FILE;
  }
  std::set<std::string> replaced;
  for (const auto& i : items)
    if (!i.folder) replaced.insert(i.stored);

  FileRandomAccess old(path);
  const bool exists = old.IsOpen();
  if (!exists && !ch.options.add) {
    ch.words = path + ": not found";
    return ERROR_NOT_EXIST;
  }
  lzh::ArchiveReader reader(old);
  if (exists && old.Size() > 0 && !reader.Open()) {
    ch.words = path + ": not an LZH archive; it was left as it was";
    return ERROR_NOT_ARC_FILE;
  }
  Replacement repl(path);
  if (!repl.IsOpen()) {
    ch.words = path + ": the folder cannot be written";
    return ERROR_CANNOT_WRITE;
  }
  FileArchiveSink sink(repl.fd());
  lzh::ArchiveWriter writer(sink);
  std::set<std::string> present;
  if (exists && old.Size() > 0) {
    // A folder row named as "docs/" is taken by the splitter for a folder argument; for a
    // delete it names the entry "docs" and what lies below it.
    std::vector<Name> names = c.args.names;
    if (!c.args.folder.empty()) names.emplace_back(c.args.folder, false);
    auto drop = [&](const std::string& p) {
      return ch.options.add ? replaced.count(p) > 0 : IsSelected(names, p);
    };
    if (int32_t r = CopyOld(reader, writer, sink, drop, ch, present); r != kOk) return r;
  }
  if (!ch.options.add && ch.removed == 0) {
    ch.words = "no entry matched the names given; the archive was left as it was";
    return ERROR_NOT_FIND_FILE;
  }
  if (int32_t r = AddItems(items, writer, sink, present, ch); r != kOk) return r;
  if (int32_t r = FromWrite(writer.Finish(), sink); r != kOk) return r;
  // LHA removes an archive whose last entry was deleted.
  return repl.Commit(!ch.options.add && ch.copied == 0);
}

}  // namespace

int32_t RunLzhWrite(const ParsedArgs& args, std::string& report) {
  Command command;
  command.op = Operation::Write;
  command.args = args;
  Change ch{command, {}, {}};
  int32_t r = ParseOptions(command, ch.options);
  if (r == kOk) r = Apply(ch);
  report = ch.options.add ? std::to_string(ch.added) + " files added, " +
                                std::to_string(ch.copied) + " entries kept"
                          : std::to_string(ch.removed) + " entries deleted";
  if (r != kOk) report = std::string("Error: ") + ErrorText(r);
  if (!ch.words.empty()) report += ". " + ch.words;
  return r;
}

}  // namespace qvr::arc

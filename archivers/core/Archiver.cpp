#include "Archiver.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <set>

#include "ArcErrors.h"
#include "CallProgress.h"
#include "NameDecoder.h"
#include "Prompt.h"
#include "SafeWriter.h"

namespace qvr::arc {

const char* ErrorText(int32_t code) {
  switch (code) {
    case kOk:
      return "OK";
    case ERROR_DISK_SPACE:
      return "the disk is full";
    case ERROR_UNKNOWN_TYPE:
      return "unknown archive type";
    case ERROR_METHOD:
      return "compression method not supported";
    case ERROR_PASSWORD_FILE:
      return "password missing or wrong";
    case ERROR_FILE_CRC:
      return "CRC error";
    case ERROR_FILE_OPEN:
      return "a file could not be opened";
    case ERROR_NOT_EXIST:
      return "the archive does not exist";
    case ERROR_MAKEDIRECTORY:
      return "a folder could not be made";
    case ERROR_CANNOT_WRITE:
      return "a file could not be written";
    case ERROR_HEADER_BROKEN:
      return "a header is broken";
    case ERROR_ARC_FILE_OPEN:
      return "the archive could not be opened";
    case ERROR_NOT_ARC_FILE:
      return "not an archive of this library's format";
    case ERROR_CANNOT_READ:
      return "a file could not be read";
    case ERROR_COMMAND_NAME:
      return "unknown command or switch";
    case ERROR_USER_CANCEL:
      return "cancelled";
    case ERROR_NOT_SUPPORT:
      return "not supported";
    case ERROR_RESPONSE_READ:
      return "the response file could not be read";
    case ERROR_NOT_FIND_FILE:
      return "no entry matched";
    case ERROR_BROKEN_DATA:
      return "the data is broken";
    default:
      return "error";
  }
}

bool ReadingWord(const std::string& word, bool verbose, Command& command) {
  if (word == "x") {
    command.op = Operation::Extract;
  } else if (word == "e") {
    command.op = Operation::Extract;
    command.keepFolders = false;
  } else if (word == "t") {
    command.op = Operation::Test;
  } else if (word == "l" || (verbose && word == "v")) {
    command.op = Operation::List;
  } else {
    return false;
  }
  return true;
}

bool SwitchIn(const std::string& sw, std::initializer_list<const char*> exact,
              std::initializer_list<const char*> prefixes) {
  for (const char* e : exact) {
    if (sw == e) return true;
  }
  for (const char* p : prefixes) {
    if (sw.compare(0, std::strlen(p), p) == 0) return true;
  }
  return false;
}

void WriteReport(const std::string& text, char* output, uint32_t outputSize) {
  if (!output || outputSize == 0) return;
  size_t n = std::min<size_t>(text.size(), outputSize - 1);
  // Never cut a UTF-8 character in two.
  while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  std::memcpy(output, text.data(), n);
  output[n] = '\0';
}

namespace {

std::string FileNameOf(const std::string& path) {
  std::string p = path;
  while (!p.empty() && p.back() == '/') p.pop_back();
  size_t slash = p.find_last_of('/');
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

// The state of one command call.
struct Run {
  Run(const Command& c, void* o, EntrySource& s, CallProgress& p)
      : command(c), owner(o), source(s), progress(p) {}
  const Command& command;
  void* owner;
  EntrySource& source;
  CallProgress& progress;
  SafeWriter writer;
  int done = 0;
  int skipped = 0;
  int32_t error = kOk;
  std::string words;
  std::string listing;
  bool yesToAll = false;
  bool noToAll = false;

  // The first failure leads the words; the entries left out before and after it stay named.
  void Fail(int32_t code, const std::string& what) {
    if (error == kOk) {
      error = code;
      words = what + "; " + words;
    }
  }
  void Skip(const std::string& path, int32_t reason, const char* why) {
    ++skipped;
    progress.Skipped(path, reason);
    if (words.size() < 4096) words += "skipped " + path + " (" + why + "); ";
  }
  void Note(const std::string& path, const std::string& what) {
    if (words.size() < 4096) words += path + ": " + what + "; ";
  }
};

// Asks before replacing an existing file; true = write it.
int32_t MayWrite(Run& run, const std::vector<std::string>& parts, const std::string& shown,
                 bool& write) {
  write = true;
  Existing existing = run.writer.Exists(parts);
  if (existing == Existing::None) return kOk;
  if (existing == Existing::Folder) {
    write = false;
    run.Fail(ERROR_CANNOT_WRITE, "a folder stands where " + shown + " goes");
    return kOk;
  }
  if (run.command.overwrite || run.yesToAll) return kOk;
  if (!run.noToAll) {
    std::string full = run.command.args.folder.empty() ? shown : run.command.args.folder + shown;
    switch (ThePrompter().AskOverwrite(run.owner, full)) {
      case OverwriteAnswer::Yes:
        return kOk;
      case OverwriteAnswer::YesToAll:
        run.yesToAll = true;
        return kOk;
      case OverwriteAnswer::Cancel:
        return ERROR_USER_CANCEL;
      case OverwriteAnswer::NoToAll:
        run.noToAll = true;
        break;
      case OverwriteAnswer::No:
        break;
    }
  }
  write = false;  // "No" keeps the file and is not an error
  return kOk;
}

// Reads the entry's data to its end; data that does not come to the declared size (short
// only where the member has no holes) is broken, as when extracting.
int32_t ReadThrough(EntrySource& source, const Entry& entry) {
  int64_t total = 0;
  for (;;) {
    const void* data = nullptr;
    size_t len = 0;
    int32_t r = source.Read(&data, &len);
    if (r != kOk) return r;
    total += static_cast<int64_t>(len);
    bool shortEnd = len == 0 && total < entry.size && !entry.sparse;
    if (entry.sizeDeclared && (total > entry.size || shortEnd)) return ERROR_BROKEN_DATA;
    if (len == 0) return kOk;
  }
}

int32_t ExtractEntry(Run& run, const Entry& entry) {
  bool keep = run.command.keepFolders;
  std::vector<std::string> parts = CleanPath(keep ? entry.path : FileNameOf(entry.path));
  if (parts.empty()) {
    if (entry.kind != Entry::Kind::Folder) run.Skip(entry.path, kSkipNoName, "no usable name");
    return kOk;
  }
  std::string shown;
  for (const auto& p : parts) shown += (shown.empty() ? "" : "/") + p;
  bool write = true;
  switch (entry.kind) {
    case Entry::Kind::Folder:
      if (keep) {
        int32_t r = run.writer.MakeFolder(parts, entry);
        if (r != kOk) {
          run.progress.Failed(entry.path, r);
          run.Fail(r, "cannot make folder " + shown);
        }
      }
      return kOk;
    case Entry::Kind::Other:
      run.Skip(entry.path, kSkipDevice, "device or fifo");
      return kOk;
    case Entry::Kind::Symlink:
      if (!keep || !LinkStaysInside(parts, entry.linkTarget)) {
        run.Skip(entry.path, kSkipLinkOutside, "link pointing outside the destination");
        return kOk;
      }
      break;
    case Entry::Kind::Hardlink:
      // Refused before anything is made: no folder of the link or of its target appears.
      if (!run.writer.HasFile(CleanPath(keep ? entry.linkTarget : FileNameOf(entry.linkTarget)))) {
        run.Skip(entry.path, kSkipHardlinkAway,
                 "hard link to a file that is not in the destination");
        return kOk;
      }
      break;
    default:
      break;
  }
  if (int32_t r = MayWrite(run, parts, shown, write); r != kOk) return r;
  if (!write) return kOk;
  int32_t r = kOk;
  if (entry.kind == Entry::Kind::Symlink) {
    r = run.writer.MakeSymlink(parts, entry.linkTarget);
  } else if (entry.kind == Entry::Kind::Hardlink) {
    r = run.writer.MakeHardlink(parts,
                                CleanPath(keep ? entry.linkTarget : FileNameOf(entry.linkTarget)));
  } else {
    r = run.writer.WriteFile(parts, entry, run.source);
  }
  if (r == kOk) {
    ++run.done;
    run.progress.EntryDone(entry.path);
  } else {
    run.progress.Failed(entry.path, r);
    std::string why = entry.kind == Entry::Kind::File && !run.writer.words().empty()
                          ? run.writer.words()
                          : run.source.ErrorWords();
    run.Fail(r, shown + ": " + (why.empty() ? ErrorText(r) : why));
  }
  return r == ERROR_DISK_SPACE ? r : kOk;
}

int32_t HandleEntry(Run& run, const Entry& entry) {
  switch (run.command.op) {
    case Operation::Extract:
      return ExtractEntry(run, entry);
    case Operation::Test:
      if (entry.kind == Entry::Kind::File) {
        int32_t r = ReadThrough(run.source, entry);
        std::string why = r == kOk ? "" : run.source.ErrorWords();
        if (r != kOk) {
          run.progress.Failed(entry.path, r);
          run.Fail(r, entry.path + ": " + (why.empty() ? ErrorText(r) : why));
        } else {
          ++run.done;
          run.progress.EntryDone(entry.path);
        }
      }
      return kOk;
    case Operation::List:
      run.listing += entry.path + "\n";
      ++run.done;
      return kOk;
    case Operation::Write:  // run by the library's write runner, never entry by entry
      return kOk;
  }
  return kOk;
}

std::string Summary(const Run& run) {
  const char* verb = run.command.op == Operation::Extract ? "extracted"
                     : run.command.op == Operation::Test  ? "tested"
                                                          : "listed";
  std::string text = run.listing + std::to_string(run.done) + " entries " + verb;
  if (run.skipped) text += ", " + std::to_string(run.skipped) + " skipped";
  if (run.error != kOk) text += ". Error: " + std::string(ErrorText(run.error));
  if (!run.words.empty()) text += ". " + run.words;
  return text;
}

// The skip count of this thread's last command call, read back through PGetSkippedCount.
thread_local int32_t tLastSkipped = 0;

// The host's password answerer for the calls of this thread (PSetPasswordCallback).
struct HostPasswords {
  PasswordCallback* callback = nullptr;
  void* context = nullptr;
};
thread_local HostPasswords tHostPasswords;

// The archive's entries with the bytes read told to the host as they go; the host's stop
// makes the data end in ERROR_USER_CANCEL, which removes the entry being written.
class ProgressSource final : public EntrySource {
 public:
  ProgressSource(EntrySource& inner, CallProgress& progress) : inner_(inner), progress_(progress) {}
  int32_t Next(Entry& entry) override {
    packedBefore_ += packed_;
    int32_t r = inner_.Next(entry);
    if (r != kOk) return r;
    entry_ = entry.path;
    packed_ = std::max<int64_t>(entry.compressedSize, 0);
    size_ = entry.size;
    read_ = 0;
    return progress_.Data(Position(), entry_) ? kOk : ERROR_USER_CANCEL;
  }
  int32_t Read(const void** data, size_t* len) override {
    int32_t r = inner_.Read(data, len);
    if (r == kOk) read_ += static_cast<int64_t>(*len);
    if (!progress_.Data(Position(), entry_)) return ERROR_USER_CANCEL;
    return r;
  }
  std::string ErrorWords() const override {
    return progress_.stopped() ? ErrorText(ERROR_USER_CANCEL) : inner_.ErrorWords();
  }
  bool FormatKnown() const override { return inner_.FormatKnown(); }
  int64_t BytesRead() const override { return inner_.BytesRead(); }

 private:
  // The archive's own count, or the packed sizes of the entries before and a share of this
  // one's by the data read of it.
  int64_t Position() const {
    int64_t known = inner_.BytesRead();
    if (known >= 0) return known;
    // In double: the product of two sizes of several GiB does not fit 64 bits.
    double done = size_ > 0 ? double(std::min(read_, size_)) / double(size_) : 0;
    int64_t share = static_cast<int64_t>(double(packed_) * done);
    return packedBefore_ + share;
  }

  EntrySource& inner_;
  CallProgress& progress_;
  std::string entry_;
  int64_t packedBefore_ = 0;
  int64_t packed_ = 0;
  int64_t size_ = 0;
  int64_t read_ = 0;
};

int32_t Execute(const LibraryTraits& traits, void* owner, const Command& command,
                std::string& report) {
  const std::string& path = command.args.archive;
  if (path.empty()) {
    report = "no archive given";
    return ERROR_NOT_EXIST;
  }
  SourceOptions options{path, traits.formats, AskerFor(owner, path)};
  int32_t error = kOk;
  std::unique_ptr<EntrySource> opened = traits.open(options, error);
  if (!opened) {
    report = path + ": " + ErrorText(error);
    return error;
  }
  CallProgress& progress = *CallProgress::Current();
  // The count per block is only kept when somebody listens.
  ProgressSource counted(*opened, progress);
  EntrySource* source = progress.listening() ? &counted : opened.get();
  Run run(command, owner, *source, progress);
  if (command.op == Operation::Extract) {
    std::string dest = command.args.folder.empty() ? "." : command.args.folder;
    if (int32_t r = run.writer.Open(dest); r != kOk) {
      report = dest + ": " + ErrorText(r);
      return r;
    }
  }
  int matched = 0;
  for (;;) {
    Entry entry;
    int32_t r = source->Next(entry);
    if (r == kEnd) break;
    if (r != kOk) {
      run.Fail(r, source->ErrorWords());
      break;
    }
    if (!IsSelected(command.args.names, entry.path)) continue;
    ++matched;
    if (!entry.note.empty() && command.op != Operation::List) run.Note(entry.path, entry.note);
    r = HandleEntry(run, entry);
    if (r != kOk) {
      run.Fail(r, ErrorText(r));
      run.error = r;
      break;
    }
    if (progress.stopped()) break;
  }
  // A stop says so whatever failed before it: the entry in hand was not finished.
  if (progress.stopped()) {
    run.Fail(ERROR_USER_CANCEL, ErrorText(ERROR_USER_CANCEL));
    run.error = ERROR_USER_CANCEL;
  }
  run.writer.RestoreFolderTimes();
  if (run.error == kOk && matched == 0 && !command.args.names.empty())
    run.Fail(ERROR_NOT_FIND_FILE, "no entry matched the names given");
  report = Summary(run);
  tLastSkipped = run.skipped;
  return run.error;
}

// The password answer of one open handle: a second walk opens the archive again and takes
// it from here instead of asking again.
struct PasswordMemo {
  PasswordAsk ask;
  bool asked = false;
  bool given = false;
  std::string password;
};

// Open handles are remembered so that a stale or foreign handle is refused, not followed.
struct Handle {
  const LibraryTraits* traits;
  void* owner;
  std::string path;
  std::shared_ptr<PasswordMemo> memo;
  std::unique_ptr<EntrySource> source;
  std::string wildcard;
  Entry current;
  bool haveCurrent = false;
  bool walked = false;
  std::string codePage;  // chosen for the names when it was opened ("": none)
  bool guessed = false;  // some name was decoded from that code page
};
std::mutex gHandlesLock;
std::set<Handle*> gHandles;

Handle* Live(void* h) {
  std::lock_guard<std::mutex> lock(gHandlesLock);
  auto* handle = static_cast<Handle*>(h);
  return gHandles.count(handle) ? handle : nullptr;
}

// The entries for listing: never their data.
std::unique_ptr<EntrySource> OpenFor(const LibraryTraits& traits, const std::string& path,
                                     int32_t& error, std::shared_ptr<PasswordMemo> memo = nullptr) {
  PasswordAsk ask;  // the check and the count ask nobody
  if (memo) {
    ask = [memo](int wrong, std::string& pw) {
      // The remembered answer first; a question again only once it proved wrong.
      if (wrong > 0 || !memo->asked) {
        memo->asked = true;
        memo->given = memo->ask && memo->ask(wrong, memo->password);
      }
      pw = memo->password;
      return memo->given;
    };
  }
  SourceOptions options{path, traits.formats, std::move(ask)};
  return (traits.list ? traits.list : traits.open)(options, error);
}

int32_t NextMatching(Handle& h, EntryInfo* info) {
  for (;;) {
    Entry entry;
    int32_t r = h.source->Next(entry);
    if (r != kOk) {
      h.haveCurrent = false;
      return -1;
    }
    if (h.wildcard.empty() || MatchWildcard(h.wildcard, entry.path)) {
      h.current = entry;
      h.haveCurrent = true;
      if (info) FillEntryInfo(entry, *info);
      return 0;
    }
  }
}

}  // namespace

// Tenths of a percent, at most 32767; wide enough for the 64-bit sizes Zip64 records hold.
static int16_t RatioOf(int64_t packed, int64_t size) {
  __extension__ using Wide = unsigned __int128;
  Wide ratio = static_cast<Wide>(packed) * 1000 / static_cast<Wide>(size);
  return static_cast<int16_t>(ratio > 32767 ? 32767 : ratio);
}

void FillEntryInfo(const Entry& entry, EntryInfo& info) {
  std::memset(&info, 0, sizeof info);
  int64_t packed = entry.compressedSize < 0 ? 0 : entry.compressedSize;
  info.OriginalSize = static_cast<uint32_t>(entry.size);
  info.CompressedSize = static_cast<uint32_t>(packed);
  info.Ratio = entry.size > 0 && packed > 0 ? RatioOf(packed, entry.size) : 0;
  struct tm t {};
  time_t when = entry.mtime;
  if (entry.mtimeSet && localtime_r(&when, &t) && t.tm_year >= 80 && t.tm_year < 80 + 128) {
    info.Date = static_cast<uint16_t>(((t.tm_year - 80) << 9) | ((t.tm_mon + 1) << 5) | t.tm_mday);
    info.Time = static_cast<uint16_t>((t.tm_hour << 11) | (t.tm_min << 5) | (t.tm_sec / 2));
  } else if (entry.dosStamp != 0) {
    info.Date = static_cast<uint16_t>(entry.dosStamp >> 16);
    info.Time = static_cast<uint16_t>(entry.dosStamp & 0xFFFF);
  } else {
    info.Date = (1 << 5) | 1;  // 1980-01-01, the earliest MS-DOS date
  }
  std::string name = entry.path;
  if (name.size() > sizeof info.FileName - 1) {
    size_t n = sizeof info.FileName - 1;
    while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
    name.resize(n);
  }
  std::memcpy(info.FileName, name.data(), name.size());
  bool folder = entry.kind == Entry::Kind::Folder;
  std::snprintf(info.Attribute, sizeof info.Attribute, "%c%c--%c", (entry.perm & 0200) ? '-' : 'r',
                folder ? '-' : 'a', folder ? 'd' : '-');
  std::snprintf(info.Mode, sizeof info.Mode, "%.7s", entry.method.c_str());
}

int32_t RunCommand(const LibraryTraits& traits, void* owner, const char* line, char* output,
                   uint32_t outputSize) {
  tLastSkipped = 0;
  LocaleScope locale;
  ParsedArgs args;
  int32_t r = SortArguments(SplitCommandLine(line ? line : ""), traits.commandWords, args);
  Command command;
  if (r == kOk) r = traits.parse(args, command);
  if (r != kOk) {
    WriteReport(ErrorText(r), output, outputSize);
    return r;
  }
  command.args = std::move(args);
  CallProgress progress;  // Execute and the write runners find it as the thread's current
  std::string report;
  r = command.op == Operation::Write ? command.write(command.args, report)
                                     : Execute(traits, owner, command, report);
  WriteReport(report, output, outputSize);
  return r;
}

int32_t CheckArchive(const LibraryTraits& traits, const char* path) {
  if (!path) return 0;
  LocaleScope locale;
  int32_t error = kOk;
  auto source = OpenFor(traits, path, error);
  // An archive whose header opens only with a password (an encrypted 7Z header) is one of
  // ours all the same: its outer headers and their CRCs read without error.
  if (!source) return error == ERROR_PASSWORD_FILE ? 1 : 0;
  Entry entry;
  int32_t r = source->Next(entry);
  return r == kOk || (r == kEnd && source->FormatKnown()) ? 1 : 0;
}

int32_t GetFileCount(const LibraryTraits& traits, const char* path) {
  if (!path) return -1;
  LocaleScope locale;
  int32_t error = kOk;
  auto source = OpenFor(traits, path, error);
  if (!source) return -1;
  int32_t count = 0;
  Entry entry;
  for (;;) {
    int32_t r = source->Next(entry);
    if (r == kEnd) return count;
    if (r != kOk) return -1;
    ++count;
  }
}

void* OpenArchive(const LibraryTraits& traits, void* owner, const char* path) {
  if (!path) return nullptr;
  LocaleScope locale;
  int32_t error = kOk;
  auto memo = std::make_shared<PasswordMemo>();
  memo->ask = AskerFor(owner, path);
  CodePageScope names(ChosenNameCodePage());
  auto source = OpenFor(traits, path, error, memo);
  if (!source) return nullptr;
  auto* h = new Handle{&traits,
                       owner,
                       path,
                       memo,
                       std::move(source),
                       "",
                       {},
                       false,
                       false,
                       ChosenNameCodePage(),
                       names.guessed()};
  std::lock_guard<std::mutex> lock(gHandlesLock);
  gHandles.insert(h);
  return h;
}

int32_t CloseArchive(void* handle) {
  Handle* h = nullptr;
  {
    std::lock_guard<std::mutex> lock(gHandlesLock);
    h = static_cast<Handle*>(handle);
    if (!gHandles.erase(h)) return -1;
  }
  LocaleScope locale;
  delete h;
  return 0;
}

int32_t FindFirst(void* handle, const char* wildcard, EntryInfo* info) {
  Handle* h = Live(handle);
  if (!h) return -1;
  LocaleScope locale;
  CodePageScope names(h->codePage);
  if (h->walked) {  // a second walk starts again from the first entry
    int32_t error = kOk;
    h->source = OpenFor(*h->traits, h->path, error, h->memo);
    if (!h->source) return -1;
  }
  h->walked = true;
  std::string w = wildcard ? wildcard : "";
  h->wildcard = (w == "*" || w == "*.*") ? "" : w;
  int32_t r = NextMatching(*h, info);
  h->guessed = h->guessed || names.guessed();
  return r;
}

int32_t FindNext(void* handle, EntryInfo* info) {
  Handle* h = Live(handle);
  if (!h || !h->walked || !h->source) return -1;
  LocaleScope locale;
  CodePageScope names(h->codePage);
  int32_t r = NextMatching(*h, info);
  h->guessed = h->guessed || names.guessed();
  return r;
}

int32_t GetNameCodePage(void* handle, char* buffer, uint32_t size) {
  Handle* h = Live(handle);
  if (!h || !h->guessed) return 0;
  if (buffer && size > 0) WriteReport(NameCodePageOf(h->codePage), buffer, size);
  return 1;
}

int32_t GetOriginalSizeEx(void* handle, int64_t* size) {
  Handle* h = Live(handle);
  if (!h || !h->haveCurrent || !size) return 0;
  *size = h->current.size;
  return 1;
}

int32_t GetCompressedSizeEx(void* handle, int64_t* size) {
  Handle* h = Live(handle);
  if (!h || !h->haveCurrent || !size) return 0;
  *size = h->current.compressedSize < 0 ? 0 : h->current.compressedSize;
  return 1;
}

int32_t GetSkippedCount() {
  return tLastSkipped;
}

PasswordAsk AskerFor(void* owner, const std::string& path) {
  return [owner, path](int wrong, std::string& pw) {
    HostPasswords host = tHostPasswords;
    if (!host.callback) return wrong == 0 && ThePrompter().AskPassword(owner, path, pw);
    std::string buffer(kPasswordSize, '\0');
    bool given =
        host.callback(host.context, path.c_str(), wrong, buffer.data(), kPasswordSize) != 0;
    if (given) pw.assign(buffer.c_str(), strnlen(buffer.data(), kPasswordSize - 1));
    std::fill(buffer.begin(), buffer.end(), '\0');
    return given;
  };
}

void SetPasswordCallback(PasswordCallback* callback, void* context) {
  tHostPasswords = {callback, context};
}

}  // namespace qvr::arc

#include "ArchiverDLL_Inspect.h"

#include "qvr/VolumeNames.h"

#include <cstring>

#include "ArchiverEXE_RK.h"
#include "ArchiverEXE_YZ2.h"
#include "PathHelpers.h"
#include "Settings.h"

namespace qvr {
namespace {

constexpr uint16_t kUnZipMinVersion = 90;  // 0.90

constexpr int32_t kAccepted = 1;
constexpr int32_t kYz1Password = 2;

const FormatRow& Row(std::string_view id) {
  return *LibraryFormatOf(id);
}

ArchiverDLL& DllOf(const FormatRow& format) {
  return ArchiverDLL::Of(format.lib);
}

bool Accepts(const FormatRow& format, const std::string& path, int32_t mode) {
  return DllOf(format).CheckArchive(path, mode) == kAccepted;
}

// A count of a library: anything below -1 is as unknown as -1.
int32_t CountOf(const FormatRow& format, const std::string& path) {
  int32_t count = DllOf(format).GetFileCount(path);
  return count < 0 ? -1 : count;
}

// The sum of the entries' original sizes; IMP and HKI report them through their own entries.
uint64_t SumOfSizes(const FormatRow& format, const std::string& path, void* ownerWindow,
                    RunPasswords* passwords) {
  if (!format.walks) return 0;
  uint64_t total = 0;
  WalkEntries(
      format, path, ownerWindow, format.openMode,
      [&](ArchiverDLL& dll, HARC archive, const EntryInfo& entry) {
        if (format.lib == Lib::UnImp) {
          total += dll.GetOriginalSize(archive);
        } else if (format.lib == Lib::UnHki) {
          total += dll.GetArcOriginalSize(archive);
        } else {
          total += dll.OriginalSize(archive, entry);
        }
        return true;
      },
      passwords);
  return total;
}

// The sum over a tool listing (yz2dec, rk).
template <typename Open, typename Next>
uint64_t SumOfToolListing(Open open, Next next) {
  ToolListing listing;
  if (!open(listing)) return 0;
  uint64_t total = 0;
  EntryInfo entry{};
  uint64_t size = 0;
  for (uint64_t n = 0; n < kMaxWalkEntries; ++n) {
    entry = EntryInfo{};
    size = 0;
    if (next(listing, entry, &size) != 0) break;
    total += size;
  }
  CloseListing(listing);
  return total;
}

// The folder inspection's rule over one walk.
class TopFolderRule {
 public:
  // False when the result is decided (True) and the walk can stop.
  bool Add(std::string_view name) {
    auto slash = name.find('/');
    if (slash == std::string_view::npos) {
      return ++roots_ < 2;
    }
    std::string_view top = name.substr(0, slash);
    if (!seenFolder_) {
      seenFolder_ = true;
      topFolder_ = top;
      return true;
    }
    return top == topFolder_;
  }
  // The result once the walk ended (stopped: Add answered false).
  bool Result(bool stopped) const { return stopped || (seenFolder_ && roots_ == 1); }

 private:
  int roots_ = 0;
  bool seenFolder_ = false;
  std::string topFolder_;
};

}  // namespace

const FormatRow* LibraryFormatOf(std::string_view id) {
  const FormatRow* row = FormatRowOf(id);
  return row && RowOf(row->lib).kind == LibKind::Library ? row : nullptr;
}

std::string LowerExtension(std::string_view path) {
  std::string name = FileNameOf(path);
  // A numbered part of a split archive (x.7z.001) is of the extension before its number.
  if (VolumeSetOf(name).kind == VolumeKind::Numbered) name = name.substr(0, name.rfind('.'));
  auto dot = name.rfind('.');
  if (dot == std::string::npos) return "";
  return LCase(std::string_view(name).substr(dot + 1));
}

std::string FormatOfExtension(std::string_view path) {
  const std::string extension = LowerExtension(path);
  // A plain split "x.001" tells nothing but its number: its format is found by its content.
  if (extension.empty() && VolumeSetOf(FileNameOf(path)).kind == VolumeKind::Numbered) return "EXE";
  const ExtensionRow* row = ExtensionRowOf(extension);
  return row ? std::string(row->format) : "";
}

bool Available(const LibraryStatus& status, const FormatRow& format) {
  if (!(status.*RowOf(format.lib).flag)) return false;
  return format.lib != Lib::Unace || status.UNACEV2;
}

bool Use7Zip() {
  return GetIniInt(kQvrArcIni, "GENERAL", "Use7Zip") != 0;
}

bool UseYZ2DEC() {
  return GetIniInt(kQvrArcIni, "GENERAL", "UseYZ2DEC") != 0;
}

const FormatRow& ZipReader() {
  return Row(Use7Zip() ? "7Z" : "ZIP");
}

std::string_view EntryName(const EntryInfo& entry) {
  return std::string_view(entry.FileName, strnlen(entry.FileName, sizeof entry.FileName));
}

bool WalkEntries(const FormatRow& format, const std::string& path, void* ownerWindow,
                 uint32_t openMode, const EntryVisitor& visit, RunPasswords* passwords,
                 const std::string& nameCodePage, std::string* guessedCodePage) {
  ArchiverDLL& dll = DllOf(format);
  std::optional<RunPasswords::Call> call;
  if (passwords) call.emplace(*passwords);
  HARC archive =
      dll.OpenArchive(ownerWindow, path, openMode, call ? &*call : nullptr, nameCodePage);
  if (call) call->Finish(!archive);
  if (!archive) return false;
  EntryInfo entry{};
  int32_t found = dll.FindFirst(archive, "*", &entry);
  for (uint64_t n = 0; found == 0 && n < kMaxWalkEntries; ++n) {
    if (!visit(dll, archive, entry)) break;
    if (format.lib == Lib::Unbel) break;  // the BEL library lists its first entry only
    entry = EntryInfo{};
    found = dll.FindNext(archive, &entry);
  }
  if (guessedCodePage) *guessedCodePage = dll.NameCodePage(archive);
  dll.CloseArchive(archive);
  return true;
}

std::string FamilyName(std::string_view format) {
  std::string upper = UCase(format);
  if (const FormatRow* row = FormatRowOf(upper)) return std::string(row->family);
  for (const FamilyAlias& alias : kFamilyAliases) {
    if (alias.name == upper) return std::string(alias.family);
  }
  return "";
}

ArchiverDLL_Inspect::ArchiverDLL_Inspect(const LibraryStatus& status, void* ownerWindow,
                                         RunPasswords* passwords)
    : status_(status), ownerWindow_(ownerWindow), passwords_(passwords) {}

const std::string& ArchiverDLL_Inspect::archiveType() const {
  return archiveType_;
}

// ---- Extension check ----

int16_t ArchiverDLL_Inspect::CheckArchive(const std::string& path) {
  std::string format = FormatOfExtension(path);
  if (format == "ZIP" && !Use7Zip()) {
    if (!status_.UNZIP32) return kCheckNoLibrary;
    ArchiverDLL& unzip = ArchiverDLL::Of(Lib::UnZip);
    if (unzip.GetVersion() < kUnZipMinVersion) return kCheckUnZipTooOld;
    return unzip.CheckArchive(path, 0) == kAccepted ? kCheckOk : kCheckRejected;
  }
  if (format == "ZIP") format = "7Z";
  if (format == "YZ1") {
    if (!status_.YZ1) return kCheckNoLibrary;
    int32_t answer = DllOf(Row("YZ1")).CheckArchive(path, Row("YZ1").checkMode);
    if (answer == kAccepted) return kCheckOk;
    return answer == kYz1Password ? kCheckYz1Password : kCheckRejected;
  }
  if (format == "YZ2") return UseYZ2DEC() && status_.YZ2DEC ? kCheckOk : kCheckNoLibrary;
  if (format == "RK") return status_.RKEXE ? kCheckOk : kCheckNoLibrary;
  // ACE and HKI are taken on the libraries' presence; the file itself is not checked.
  if (format == "ACE" || format == "HKI") {
    return Available(status_, Row(format)) ? kCheckOk : kCheckNoLibrary;
  }
  if (format == "EXE") return DetectFormat(path).empty() ? kCheckExeUnknown : kCheckOk;
  const FormatRow* row = LibraryFormatOf(format);
  if (!row) return kCheckUnknownExtension;
  if (!Available(status_, *row)) return kCheckNoLibrary;
  return Accepts(*row, path, row->checkMode) ? kCheckOk : kCheckRejected;
}

// ---- Detection by content ----

std::string ArchiverDLL_Inspect::DetectFormat(const std::string& path) {
  std::string found;
  for (const FormatRow& row : kFormats) {
    if (row.detected && DetectedBy(row.id, path)) found = row.id;
  }
  archiveType_ = FamilyName(found);
  return found;
}

bool ArchiverDLL_Inspect::DetectedBy(std::string_view id, const std::string& path) {
  if (id == "RK") return status_.RKEXE && RKTest(status_, path) == kRKTestOK;
  const FormatRow& row = Row(id);
  if (!Available(status_, row)) return false;
  if (id == "ZIP" && (Use7Zip() || ArchiverDLL::Of(Lib::UnZip).GetVersion() < kUnZipMinVersion)) {
    return false;
  }
  int32_t answer = DllOf(row).CheckArchive(path, row.detectMode);
  return answer == kAccepted || (id == "YZ1" && answer == kYz1Password);
}

// ---- Entry count ----

int32_t ArchiverDLL_Inspect::FileCount(const std::string& path) {
  std::string format = FormatOfExtension(path);
  int32_t count = 0;
  if (format == "EXE") {
    std::string detected = DetectFormat(path);
    count = CountOfDetected(detected, path);
    archiveType_ = FamilyName(detected);
  } else {
    count = CountByExtension(format, path);
    archiveType_ = FamilyName(LowerExtension(path));
  }
  return count;
}

int32_t ArchiverDLL_Inspect::CountByExtension(const std::string& format, const std::string& path) {
  if (format == "ZIP" && !Use7Zip()) {
    if (!status_.UNZIP32) return 0;
    // Versions after 0.90 count without a check; older ones only a file they accept.
    if (ArchiverDLL::Of(Lib::UnZip).GetVersion() <= kUnZipMinVersion &&
        !Accepts(Row("ZIP"), path, 0)) {
      return 0;
    }
    return CountOf(Row("ZIP"), path);
  }
  if (format == "YZ2") return 0;
  if (format == "RK") return status_.RKEXE ? RKEntryCount(status_, path) : 0;
  const FormatRow* row = LibraryFormatOf(format == "ZIP" ? "7Z" : format);
  if (!row || !Available(status_, *row)) return 0;
  // ACE and HKI have no check of their own here, as in the extension check.
  if (format != "ACE" && format != "HKI" && !Accepts(*row, path, row->checkMode)) return 0;
  return CountOf(*row, path);
}

int32_t ArchiverDLL_Inspect::CountOfDetected(const std::string& detected, const std::string& path) {
  if (detected == "RK") return RKEntryCount(status_, path);
  const FormatRow* row = LibraryFormatOf(detected);
  if (!row || !Available(status_, *row)) return 0;
  return CountOf(*row, path);
}

// ---- Total original size ----

uint64_t ArchiverDLL_Inspect::OriginalSize(const std::string& path) {
  std::string format = FormatOfExtension(path);
  if (format == "EXE") {
    std::string detected = DetectFormat(path);
    archiveType_ = detected;
    return SizeOfDetected(detected, path);
  }
  archiveType_ = FamilyName(LowerExtension(path));
  return SizeByExtension(format, path);
}

uint64_t ArchiverDLL_Inspect::SizeByExtension(const std::string& format, const std::string& path) {
  if (format == "ZIP" && !Use7Zip()) {
    if (!status_.UNZIP32) return 0;
    // From 0.90 on the library must accept the file first; older ones are walked as is.
    if (ArchiverDLL::Of(Lib::UnZip).GetVersion() >= kUnZipMinVersion &&
        !Accepts(Row("ZIP"), path, 0)) {
      return 0;
    }
    return SumOfSizes(Row("ZIP"), path, ownerWindow_, passwords_);
  }
  if (format == "YZ2" || format == "RK") return SizeOfTool(format, path);
  const FormatRow* row = LibraryFormatOf(format == "ZIP" ? "7Z" : format);
  if (!row || !row->walks || !Available(status_, *row)) return 0;
  if (format != "ACE" && format != "HKI" && !Accepts(*row, path, row->checkMode)) return 0;
  return SumOfSizes(*row, path, ownerWindow_, passwords_);
}

uint64_t ArchiverDLL_Inspect::SizeOfDetected(const std::string& detected, const std::string& path) {
  if (detected == "RK") return SizeOfTool(detected, path);
  const FormatRow* row = LibraryFormatOf(detected);
  if (!row || !row->walks || !Available(status_, *row)) return 0;
  return SumOfSizes(*row, path, ownerWindow_, passwords_);
}

uint64_t ArchiverDLL_Inspect::SizeOfTool(const std::string& format, const std::string& path) {
  if (format == "YZ2") {
    if (!status_.YZ2DEC) return 0;
    return SumOfToolListing(
        [&](ToolListing& listing) { return OpenYZ2Listing(status_, path, listing); },
        [](ToolListing& listing, EntryInfo& entry, uint64_t* size) {
          return NextYZ2Entry(listing, "*", entry, size);
        });
  }
  if (!status_.RKEXE) return 0;
  return SumOfToolListing(
      [&](ToolListing& listing) { return OpenRKListing(status_, path, listing); },
      [](ToolListing& listing, EntryInfo& entry, uint64_t* size) {
        return NextRKEntry(listing, "*", entry, size);
      });
}

// ---- Folder inspection ----

bool ArchiverDLL_Inspect::NeedsFolder(const std::string& path) {
  std::string format = FormatOfExtension(path);
  const FormatRow* row = nullptr;
  if (format == "EXE") {
    row = LibraryFormatOf(DetectFormat(path));  // a detected ZIP is read by UnZip32
  } else if (format == "ZIP") {
    row = &ZipReader();
  } else {
    row = LibraryFormatOf(format);
  }
  // BEL lists one entry only and PQA cannot be walked: nothing to judge.
  if (!row || !row->walks || row->lib == Lib::Unbel || !Available(status_, *row)) return false;
  TopFolderRule rule;
  bool stopped = false;
  WalkEntries(
      *row, path, ownerWindow_, row->inspectOpenMode,
      [&](ArchiverDLL&, HARC, const EntryInfo& entry) {
        stopped = !rule.Add(EntryName(entry));
        return !stopped;
      },
      passwords_);
  return rule.Result(stopped);
}

}  // namespace qvr

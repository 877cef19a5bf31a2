#include "ArchiverDLL.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

#include "AppFolder.h"
#include "Version.h"

namespace qvr {
namespace {

std::mutex& LoadMutex() {
  static std::mutex mutex;
  return mutex;
}

std::optional<std::string>& ExecutableFolderOverride() {
  static std::optional<std::string> folder;
  return folder;
}

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

std::string CurrentFolder() {
  char buffer[4096];
  if (!getcwd(buffer, sizeof buffer)) return "";
  return WithSlash(buffer);
}

bool FileExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

template <typename T>
void Bind(T& entry, void* symbol) {
  entry = reinterpret_cast<T>(symbol);
}

}  // namespace

std::vector<std::string> SearchFolders() {
  std::string exeFolder = ExecutableFolderOverride().value_or(ExecutableFolder());
  std::vector<std::string> folders;
  if (!AppFolder().empty() && AppFolder() != WithSlash(exeFolder)) folders.push_back(AppFolder());
  if (!exeFolder.empty()) {
    folders.push_back(WithSlash(exeFolder));
    // An install tree can be moved: its plugins lie beside the executable's bin folder.
    folders.push_back(WithSlash(exeFolder) + "../lib/quiverarchiver/");
  }
  folders.push_back(CurrentFolder());
  folders.push_back(WithSlash(kPluginInstallDir));
  if (const char* path = std::getenv("PATH")) {
    std::string_view rest = path;
    while (true) {
      size_t colon = rest.find(':');
      // An empty PATH element means the current folder, which is already searched.
      std::string_view element = rest.substr(0, colon);
      if (!element.empty()) folders.push_back(WithSlash(std::string(element)));
      if (colon == std::string_view::npos) break;
      rest.remove_prefix(colon + 1);
    }
  }
  return folders;
}

std::string SearchPath(const std::string& name) {
  if (name.empty()) return "";
  if (name.find('/') != std::string::npos) {
    if (!FileExists(name)) return "";
    return name.front() == '/' ? name : CurrentFolder() + name;
  }
  for (const std::string& folder : SearchFolders()) {
    if (folder.empty()) continue;
    std::string candidate = folder + name;
    if (FileExists(candidate)) return candidate;
  }
  return "";
}

void SetSearchExecutableFolder(std::optional<std::string> folder) {
  ExecutableFolderOverride() = std::move(folder);
}

// ---- the library objects ------------------------------------------------------------------

namespace {

struct Registry {
  std::array<std::unique_ptr<ArchiverDLL>, kLibCount> libs;
  // Set once the library was searched and loaded (or found missing): later uses take no lock.
  std::array<std::atomic<bool>, kLibCount> tried{};
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

ArchiverDLL& ArchiverDLL::Of(Lib lib) {
  Registry& registry = TheRegistry();
  size_t index = size_t(lib);
  if (registry.tried[index].load(std::memory_order_acquire)) return *registry.libs[index];
  std::lock_guard lock(LoadMutex());
  if (!registry.libs[index]) registry.libs[index].reset(new ArchiverDLL(lib));
  if (!registry.tried[index].load(std::memory_order_relaxed)) {
    registry.libs[index]->Load();
    registry.tried[index].store(true, std::memory_order_release);
  }
  return *registry.libs[index];
}

void ArchiverDLL::ForgetAll() {
  Registry& registry = TheRegistry();
  std::lock_guard lock(LoadMutex());
  for (size_t i = 0; i < registry.libs.size(); ++i) {
    registry.tried[i].store(false, std::memory_order_release);
    if (registry.libs[i]) registry.libs[i]->Unload();
  }
}

const char* ArchiverDLL::prefix() const {
  return RowOf(lib_).prefix.data();
}

const char* ArchiverDLL::fileName() const {
  return RowOf(lib_).fileName.data();
}

bool ArchiverDLL::loaded() const {
  return handle_ != nullptr;
}

std::string ArchiverDLL::path() const {
  return path_;
}

void* ArchiverDLL::Resolve(const char* suffix) const {
  std::string name = std::string(prefix()) + suffix;
  return dlsym(handle_, name.c_str());
}

void ArchiverDLL::Load() {
  std::string found = SearchPath(fileName());
  if (found.empty()) return;
  // RTLD_NOW: a library with unresolved symbols fails here instead of in a later call.
  handle_ = dlopen(found.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) return;
  path_ = found;
  if (lib_ == Lib::UnAceV2) {
    Bind(entries_.aceExtract, dlsym(handle_, "ACEExtract"));
    return;
  }
  Bind(entries_.command, Resolve(""));
  Bind(entries_.getVersion, Resolve("GetVersion"));
  Bind(entries_.getSubVersion, Resolve("GetSubVersion"));
  Bind(entries_.checkArchive, Resolve("CheckArchive"));
  Bind(entries_.getFileCount, Resolve("GetFileCount"));
  Bind(entries_.openArchive, Resolve("OpenArchive"));
  Bind(entries_.closeArchive, Resolve("CloseArchive"));
  Bind(entries_.findFirst, Resolve("FindFirst"));
  Bind(entries_.findNext, Resolve("FindNext"));
  Bind(entries_.originalSizeEx, Resolve("GetOriginalSizeEx"));
  Bind(entries_.compressedSizeEx, Resolve("GetCompressedSizeEx"));
  Bind(entries_.skippedCount, Resolve("GetSkippedCount"));
  Bind(entries_.setPasswordCallback, Resolve("SetPasswordCallback"));
  Bind(entries_.setProgressCallback, Resolve("SetProgressCallback"));
  Bind(entries_.setNameCodePage, Resolve("SetNameCodePage"));
  Bind(entries_.getNameCodePage, Resolve("GetNameCodePage"));
  Bind(entries_.getOriginalSize, Resolve("GetOriginalSize"));
  Bind(entries_.getArcOriginalSize, Resolve("GetArcOriginalSize"));
}

void ArchiverDLL::Unload() {
  if (handle_) dlclose(handle_);
  handle_ = nullptr;
  path_.clear();
  entries_ = Entries{};
}

// ---- the entries --------------------------------------------------------------------------

class ArchiverDLL::PasswordScope {
 public:
  PasswordScope(SetPasswordCallbackEntry* set, PasswordAnswerer* passwords)
      : set_(passwords ? set : nullptr) {
    if (set_) set_(&Answer, passwords);
  }
  ~PasswordScope() {
    if (set_) set_(nullptr, nullptr);
  }
  PasswordScope(const PasswordScope&) = delete;
  PasswordScope& operator=(const PasswordScope&) = delete;

 private:
  static int32_t Answer(void* context, const char* archive, int32_t wrong, char* password,
                        uint32_t size) {
    if (!context || !password || size == 0) return 0;
    std::optional<std::string> answer =
        static_cast<PasswordAnswerer*>(context)->Answer(archive ? archive : "", wrong);
    if (!answer || answer->size() >= size) return 0;
    std::memcpy(password, answer->c_str(), answer->size() + 1);
    return 1;
  }

  SetPasswordCallbackEntry* set_;
};

class ArchiverDLL::ProgressScope {
 public:
  ProgressScope(SetProgressCallbackEntry* set, RunProgress* progress)
      : set_(progress ? set : nullptr) {
    if (set_) set_(&Tell, progress);
  }
  ~ProgressScope() {
    if (set_) set_(nullptr, nullptr);
  }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

 private:
  static int32_t Tell(void* context, const ProgressInfo* info) {
    auto* progress = static_cast<RunProgress*>(context);
    if (!progress) return 1;
    // A record shorter than ours is of no version we know: it only asks whether to go on.
    if (info && info->size >= sizeof(ProgressInfo)) {
      std::string entry = info->entry ? info->entry : "";
      switch (info->event) {
        case kProgressData:
          progress->Advance(info->bytesDone, entry);
          break;
        case kProgressEntryDone:
          progress->EntryDone();
          break;
        case kProgressSkipped:
          progress->EntrySkipped(entry, info->reason);
          break;
        case kProgressFailed:
          progress->EntryFailed(entry);
          break;
        default:
          break;
      }
    }
    return progress->cancelled() ? 0 : 1;
  }

  SetProgressCallbackEntry* set_;
};

class ArchiverDLL::CodePageScope {
 public:
  CodePageScope(SetNameCodePageEntry* set, const std::string& codePage)
      : set_(codePage.empty() ? nullptr : set) {
    if (set_) set_(codePage.c_str());
  }
  ~CodePageScope() {
    if (set_) set_(nullptr);
  }
  CodePageScope(const CodePageScope&) = delete;
  CodePageScope& operator=(const CodePageScope&) = delete;

 private:
  SetNameCodePageEntry* set_;
};

int32_t ArchiverDLL::Command(void* ownerWindow, const std::string& commandLine, std::string* output,
                             int32_t* skipped, PasswordAnswerer* passwords, RunProgress* progress,
                             const std::string& nameCodePage) {
  if (output) output->clear();
  if (skipped) *skipped = 0;
  if (!entries_.command) return kNoEntryResult;
  char buffer[kCommandOutputSize] = {};
  int32_t result = 0;
  {
    PasswordScope scope(entries_.setPasswordCallback, passwords);
    ProgressScope told(entries_.setProgressCallback, progress);
    CodePageScope names(entries_.setNameCodePage, nameCodePage);
    result = entries_.command(ownerWindow, commandLine.c_str(), buffer, sizeof buffer);
  }
  // A library that fills the whole buffer without a NUL must not make us read past it.
  if (output) output->assign(buffer, strnlen(buffer, sizeof buffer));
  // The count belongs to this thread's last call, so it is asked at once, on this thread.
  if (skipped && entries_.skippedCount) *skipped = std::max(entries_.skippedCount(), 0);
  return result;
}

uint16_t ArchiverDLL::GetVersion() {
  return entries_.getVersion ? entries_.getVersion() : 0;
}

uint16_t ArchiverDLL::GetSubVersion() {
  return entries_.getSubVersion ? entries_.getSubVersion() : 0;
}

int32_t ArchiverDLL::CheckArchive(const std::string& archivePath, int32_t mode) {
  return entries_.checkArchive ? entries_.checkArchive(archivePath.c_str(), mode) : 0;
}

int32_t ArchiverDLL::GetFileCount(const std::string& archivePath) {
  return entries_.getFileCount ? entries_.getFileCount(archivePath.c_str()) : -1;
}

HARC ArchiverDLL::OpenArchive(void* ownerWindow, const std::string& archivePath, uint32_t mode,
                              PasswordAnswerer* passwords, const std::string& nameCodePage) {
  if (!entries_.openArchive) return nullptr;
  PasswordScope scope(entries_.setPasswordCallback, passwords);
  CodePageScope names(entries_.setNameCodePage, nameCodePage);  // the archive keeps it
  return entries_.openArchive(ownerWindow, archivePath.c_str(), mode);
}

std::string ArchiverDLL::NameCodePage(HARC archive) {
  char buffer[64] = {};
  if (!entries_.getNameCodePage || !archive ||
      entries_.getNameCodePage(archive, buffer, sizeof buffer) == 0)
    return "";
  return std::string(buffer, strnlen(buffer, sizeof buffer));
}

int32_t ArchiverDLL::CloseArchive(HARC archive) {
  if (!entries_.closeArchive || !archive) return kNoEntryResult;
  return entries_.closeArchive(archive);
}

int32_t ArchiverDLL::FindFirst(HARC archive, const std::string& wildcard, EntryInfo* entry) {
  if (!entries_.findFirst || !archive) return kNoEntryResult;
  return entries_.findFirst(archive, wildcard.c_str(), entry);
}

int32_t ArchiverDLL::FindNext(HARC archive, EntryInfo* entry) {
  if (!entries_.findNext || !archive) return kNoEntryResult;
  return entries_.findNext(archive, entry);
}

uint64_t ArchiverDLL::OriginalSize(HARC archive, const EntryInfo& entry) {
  int64_t size = 0;
  if (entries_.originalSizeEx && archive && entries_.originalSizeEx(archive, &size) && size >= 0)
    return uint64_t(size);
  return entry.OriginalSize;
}

uint64_t ArchiverDLL::CompressedSize(HARC archive, const EntryInfo& entry) {
  int64_t size = 0;
  if (entries_.compressedSizeEx && archive && entries_.compressedSizeEx(archive, &size) &&
      size >= 0)
    return uint64_t(size);
  return entry.CompressedSize;
}

uint32_t ArchiverDLL::GetOriginalSize(HARC archive) {
  if (!entries_.getOriginalSize || !archive) return 0;
  return uint32_t(entries_.getOriginalSize(archive));
}

uint32_t ArchiverDLL::GetArcOriginalSize(HARC archive) {
  if (!entries_.getArcOriginalSize || !archive) return 0;
  return uint32_t(entries_.getArcOriginalSize(archive));
}

int32_t ArchiverDLL::ACEExtract(const std::string& archivePath, AceExtractParams* params) {
  if (!entries_.aceExtract) return kNoEntryResult;
  return entries_.aceExtract(archivePath.c_str(), params);
}

}  // namespace qvr

#include "SevenZipWriter.h"

#include <sys/stat.h>

#include <memory>
#include <set>

#include "ArchiveTemp.h"
#include "LibarchiveCopy.h"
#include "Utf8Locale.h"
#include "ZipWriter.h"

namespace qvr::writers {

namespace {

using ReadPtr = std::unique_ptr<struct archive, decltype(&archive_read_free)>;
using WritePtr = std::unique_ptr<struct archive, decltype(&archive_write_free)>;

bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

WriteResult OpenOld(const std::string& path, ReadPtr* in) {
  in->reset(archive_read_new());
  archive_read_support_format_7zip(in->get());
  if (archive_read_open_filename(in->get(), path.c_str(), 1 << 16) != ARCHIVE_OK)
    return Fail(kErrorNotArcFile,
                "not a 7Z archive (or unreadable): " + path + " was left unchanged");
  return {};
}

// Counts the entries a delete would take; a damaged archive fails before anything is written.
WriteResult CountMatches(const std::string& archivePath, const std::vector<std::string>& patterns,
                         size_t* matches) {
  ScopedUtf8Locale utf8;
  ReadPtr in(nullptr, archive_read_free);
  if (WriteResult r = OpenOld(archivePath, &in); !r.ok()) return r;
  struct archive_entry* entry = nullptr;
  int rc;
  while ((rc = archive_read_next_header(in.get(), &entry)) == ARCHIVE_OK || rc == ARCHIVE_WARN) {
    const char* name = archive_entry_pathname_utf8(entry);
    for (const auto& pattern : patterns)
      if (name && MatchesDeletePattern(pattern, name)) {
        ++*matches;
        break;
      }
  }
  if (rc != ARCHIVE_EOF)
    return Fail(kErrorHeaderBroken,
                "the archive is damaged: " + archivePath + " was left unchanged");
  return {};
}

// Writes a new 7Z beside the old one: the old entries for which keep() holds, then the items.
WriteResult Rewrite(const std::string& archivePath, bool hasOld,
                    const std::function<bool(const std::string&)>& keep,
                    const std::vector<AddItem>& items, const SevenZipOptions& options,
                    size_t* copied) {
  ScopedUtf8Locale utf8;
  ReadPtr in(nullptr, archive_read_free);
  if (hasOld)
    if (WriteResult r = OpenOld(archivePath, &in); !r.ok()) return r;
  ArchiveTemp temp(archivePath);
  if (WriteResult r = temp.Open(); !r.ok()) return r;
  WritePtr out(archive_write_new(), archive_write_free);
  archive_write_set_format_7zip(out.get());
  std::string level = std::to_string(std::clamp(options.level, 0, 9));
  archive_write_set_format_option(out.get(), "7zip", "compression",
                                  options.level == 0 ? "copy" : "lzma2");
  if (options.level > 0)
    archive_write_set_format_option(out.get(), "7zip", "compression-level", level.c_str());
  if (archive_write_open_fd(out.get(), temp.fd()) != ARCHIVE_OK)
    return WriterFailure(out.get(), archivePath);
  uint64_t done = 0;
  if (hasOld)
    if (WriteResult r = CopyArchiveEntries(in.get(), out.get(), archivePath, keep, &done,
                                           options.progress, copied);
        !r.ok())
      return r;
  for (const AddItem& item : items)
    if (WriteResult r = WriteDiskItem(out.get(), item, &done, options.progress); !r.ok()) return r;
  if (archive_write_close(out.get()) != ARCHIVE_OK) return WriterFailure(out.get(), archivePath);
  return temp.Commit();
}

}  // namespace

WriteResult SevenZipAdd(const std::string& archivePath, const std::vector<AddItem>& items,
                        const SevenZipOptions& options) {
  std::set<std::string> replaced;
  for (const AddItem& item : items) replaced.insert(item.folder ? item.name + "/" : item.name);
  auto keep = [&](const std::string& name) { return !replaced.count(name); };
  WriteResult r = Rewrite(archivePath, Exists(archivePath), keep, items, options, nullptr);
  if (r.ok()) r.report = std::to_string(items.size()) + " file(s) added to " + archivePath;
  return r;
}

WriteResult SevenZipDelete(const std::string& archivePath, const std::vector<std::string>& patterns,
                           const Progress& progress) {
  if (!Exists(archivePath))
    return Fail(kErrorNotExist, "the archive does not exist: " + archivePath);
  size_t removed = 0;
  if (WriteResult r = CountMatches(archivePath, patterns, &removed); !r.ok()) return r;
  if (removed == 0) return Fail(kErrorNotFindFile, "no entry to delete in " + archivePath);
  auto keep = [&](const std::string& name) {
    for (const auto& pattern : patterns)
      if (MatchesDeletePattern(pattern, name)) return false;
    return true;
  };
  SevenZipOptions options;
  options.progress = progress;
  // Keeps the level of a default archive: libarchive cannot tell what the old one used.
  WriteResult r = Rewrite(archivePath, true, keep, {}, options, nullptr);
  if (r.ok()) r.report = std::to_string(removed) + " entr(y/ies) deleted from " + archivePath;
  return r;
}

}  // namespace qvr::writers

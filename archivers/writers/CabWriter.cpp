#include "CabWriter.h"

#include <gio/gio.h>
#include <libgcab.h>
#include <sys/stat.h>

#include <memory>
#include <set>

#include "ArchiveTemp.h"
#include "Utf8Locale.h"

#include <archive.h>
#include <archive_entry.h>

namespace qvr::writers {

namespace {

constexpr int64_t kMaxCabFile = 0x7FFFFFFF;

template <typename T>
struct GUnref {
  void operator()(T* p) const {
    if (p) g_object_unref(p);
  }
};
template <typename T>
using GPtr = std::unique_ptr<T, GUnref<T>>;

std::string CabName(const std::string& name) {
  std::string out = name;
  for (char& c : out)
    if (c == '/') c = '\\';
  return out;
}

bool IsAscii(const std::string& text) {
  for (unsigned char c : text)
    if (c >= 0x80) return false;
  return true;
}

void SetFileFacts(GCabFile* file, const std::string& name, int64_t mtime) {
  guint32 attributes =
      GCAB_FILE_ATTRIBUTE_ARCH | (IsAscii(name) ? 0 : GCAB_FILE_ATTRIBUTE_NAME_IS_UTF);
  gcab_file_set_attributes(file, attributes);
  GDateTime* local = g_date_time_new_from_unix_local(mtime);
  if (local) {
    gcab_file_set_date_time(file, local);
    g_date_time_unref(local);
  }
}

// Reads the old cabinet's entries that are not replaced into memory.
WriteResult ReadOldEntries(const std::string& path, const std::set<std::string>& replaced,
                           GCabFolder* folder, size_t* kept) {
  ScopedUtf8Locale utf8;
  std::unique_ptr<struct archive, decltype(&archive_read_free)> in(archive_read_new(),
                                                                   archive_read_free);
  archive_read_support_format_cab(in.get());
  if (archive_read_open_filename(in.get(), path.c_str(), 1 << 16) != ARCHIVE_OK)
    return Fail(ERROR_NOT_ARC_FILE,
                "not a CAB archive (or unreadable): " + path + " was left unchanged");
  struct archive_entry* entry = nullptr;
  int rc;
  while ((rc = archive_read_next_header(in.get(), &entry)) == ARCHIVE_OK || rc == ARCHIVE_WARN) {
    const char* utf8Name = archive_entry_pathname_utf8(entry);
    std::string name = utf8Name ? utf8Name : "";
    if (archive_entry_filetype(entry) == AE_IFDIR || replaced.count(name)) continue;
    std::string data(static_cast<size_t>(std::max<int64_t>(archive_entry_size(entry), 0)), '\0');
    la_ssize_t got = archive_read_data(in.get(), data.data(), data.size());
    if (got < 0 || static_cast<size_t>(got) != data.size())
      return Fail(ERROR_BROKEN_DATA, "the data of " + name + " in " + path + " is damaged; " +
                                         path + " was left unchanged");
    GBytes* bytes = g_bytes_new(data.data(), data.size());
    GPtr<GCabFile> file(gcab_file_new_with_bytes(CabName(name).c_str(), bytes));
    g_bytes_unref(bytes);
    SetFileFacts(file.get(), name, archive_entry_mtime(entry));
    gcab_folder_add_file(folder, file.get(), FALSE, nullptr, nullptr);
    ++*kept;
  }
  if (rc != ARCHIVE_EOF)
    return Fail(ERROR_HEADER_BROKEN, "the archive is damaged: " + path + " was left unchanged");
  return {};
}

WriteResult AddDiskFiles(const std::vector<AddItem>& items, GCabFolder* folder) {
  for (const AddItem& item : items) {
    if (item.folder) continue;
    struct stat st {};
    if (stat(item.diskPath.c_str(), &st) != 0) {
      int err = errno;
      return Fail(ERROR_FILE_OPEN, SystemReport("cannot open", item.diskPath, err));
    }
    if (st.st_size > kMaxCabFile)
      return Fail(ERROR_NOT_SUPPORT, "too large for a cabinet: " + item.diskPath);
    GPtr<GFile> disk(g_file_new_for_path(item.diskPath.c_str()));
    GPtr<GCabFile> file(gcab_file_new_with_file(CabName(item.name).c_str(), disk.get()));
    SetFileFacts(file.get(), item.name, st.st_mtime);
    GError* error = nullptr;
    if (!gcab_folder_add_file(folder, file.get(), FALSE, nullptr, &error)) {
      std::string why = error ? error->message : "cannot add";
      g_clear_error(&error);
      return Fail(ERROR_FILE_OPEN, why + ": " + item.diskPath);
    }
  }
  return {};
}

struct CancelState {
  const Progress* progress;
  GCancellable* cancellable;
  uint64_t done = 0;
};

gboolean OnFile(GCabFile* file, gpointer data) {
  auto* state = static_cast<CancelState*>(data);
  state->done += gcab_file_get_size(file);
  if (*state->progress && !(*state->progress)(state->done))
    g_cancellable_cancel(state->cancellable);
  return TRUE;
}

}  // namespace

WriteResult CabAdd(const std::string& archivePath, const std::vector<AddItem>& items,
                   const CabOptions& options) {
  std::set<std::string> replaced;
  for (const AddItem& item : items) replaced.insert(item.name);
  GPtr<GCabFolder> folder(gcab_folder_new(options.compression == CabCompression::Stored
                                              ? GCAB_COMPRESSION_NONE
                                              : GCAB_COMPRESSION_MSZIP));
  size_t kept = 0;
  struct stat st {};
  if (stat(archivePath.c_str(), &st) == 0)
    if (WriteResult r = ReadOldEntries(archivePath, replaced, folder.get(), &kept); !r.ok())
      return r;
  if (WriteResult r = AddDiskFiles(items, folder.get()); !r.ok()) return r;
  if (gcab_folder_get_nfiles(folder.get()) == 0) return Fail(ERROR_NOT_FIND_FILE, "no file to add");
  GPtr<GCabCabinet> cabinet(gcab_cabinet_new());
  gcab_cabinet_add_folder(cabinet.get(), folder.get(), nullptr);
  ArchiveTemp temp(archivePath);
  if (WriteResult r = temp.Open(); !r.ok()) return r;
  // libgcab seeks back to finish its headers: the temporary file is opened once more for
  // reading and writing (the same file, so the rename still moves what was written).
  GPtr<GFile> target(g_file_new_for_path(temp.path().c_str()));
  GPtr<GFileIOStream> io(g_file_open_readwrite(target.get(), nullptr, nullptr));
  if (!io) return Fail(ERROR_CANNOT_WRITE, "cannot write " + archivePath);
  GOutputStream* stream = g_io_stream_get_output_stream(G_IO_STREAM(io.get()));
  GPtr<GCancellable> cancellable(g_cancellable_new());
  CancelState state{&options.progress, cancellable.get()};
  GError* error = nullptr;
  gboolean written =
      gcab_cabinet_write(cabinet.get(), stream, OnFile, nullptr, &state, cancellable.get(), &error);
  if (!written) {
    std::string why = error ? error->message : "write failed";
    bool cancelled = g_cancellable_is_cancelled(cancellable.get());
    bool sourceMissing =
        error && error->domain == G_IO_ERROR &&
        (error->code == G_IO_ERROR_NOT_FOUND || error->code == G_IO_ERROR_PERMISSION_DENIED);
    g_clear_error(&error);
    if (cancelled) return Fail(ERROR_USER_CANCEL, "cancelled");
    if (sourceMissing) return Fail(ERROR_FILE_OPEN, "cannot read a file to add: " + why);
    return Fail(ERROR_CANNOT_WRITE, "cannot write " + archivePath + ": " + why);
  }
  if (!g_output_stream_close(stream, nullptr, nullptr))
    return Fail(ERROR_CANNOT_WRITE, "cannot write " + archivePath);
  if (WriteResult r = temp.Commit(); !r.ok()) return r;
  return {0, std::to_string(items.size()) + " file(s) added to " + archivePath};
}

}  // namespace qvr::writers

// Our libraries against archives that lie: sparse members, sizes that the data does not
// keep, hard links to nothing, and leftovers of runs that were killed. Every archive is made
// here (GNU tar, Python's tarfile and zipfile, libarchive) in the test's own folder.
#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ArchiverLoader.h"
#include "TempDir.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

std::string Q(const std::string& s) {
  return "\"" + s + "\"";
}

// Runs a shell command line (paths of the test's folder only); true on exit status 0.
bool Shell(const std::string& line) {
  return std::system((line + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a Python program with the arguments; true on success.
bool Python(const TempDir& tmp, const std::string& program, const std::string& args) {
  WriteFile(tmp.file("make.py"), program);
  return Shell("python3 " + Q(tmp.file("make.py")) + " " + args);
}

// A ZIP whose first entry holds `data` (a Python expression) and whose local and central
// headers claim `claimed` bytes for it; a small second entry follows.
bool ZipClaiming(const TempDir& tmp, const std::string& path, const std::string& data,
                 const std::string& method, int claimed) {
  return Python(tmp, R"(
import sys, zipfile, struct
path, data, method, claimed = sys.argv[1], eval(sys.argv[2]), sys.argv[3], int(sys.argv[4])
with zipfile.ZipFile(path, 'w', getattr(zipfile, method)) as z:
    z.writestr('first.bin', data)
    z.writestr('fine.txt', b'fine')
raw = bytearray(open(path, 'rb').read())
for sig, at in ((b'PK\x03\x04', 22), (b'PK\x01\x02', 24)):
    struct.pack_into('<I', raw, raw.find(sig) + at, claimed)
open(path, 'wb').write(bytes(raw))
)",
                Q(path) + " \"" + data + "\" " + method + " " + std::to_string(claimed));
}

// Every name below the folder, relative to it.
std::set<std::string> Tree(const std::string& folder) {
  std::set<std::string> names;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec); it != fs::end(it); it.increment(ec))
    names.insert(it->path().lexically_relative(folder).string());
  return names;
}

// The extraction command of tar32 into the folder.
std::string TarExtract(const std::string& archive, const std::string& dest) {
  return "-x --use-directory=1 " + Q(archive) + " " + Q(dest + "/");
}

// ---- sparse members ------------------------------------------------------------------------

// A 1 MiB file with data at the start and in the middle, and one that ends in data: GNU tar
// stores both sparse, in its own format and in pax. Every byte comes out, holes as zeros.
TEST(Reliability, SparseTarMembersComeOutAtTheirFullSize) {
  TempDir tmp;
  ASSERT_TRUE(Python(tmp, R"(
import sys
def make(path, pieces, size):
    with open(path, 'wb') as f:
        f.truncate(size)
        for at, data in pieces:
            f.seek(at); f.write(data)
make(sys.argv[1] + '/holes.bin', [(0, b'A' * 5000), (600000, b'B' * 3000)], 1 << 20)
make(sys.argv[1] + '/tail.bin', [(4096, b'C' * 100), (700000, b'D' * 8192)], 708192)
)",
                     Q(tmp.file(""))));
  ArchiverLib& tar = Library("tar32.so", "Tar");
  for (const char* format : {"gnu", "posix"}) {
    SCOPED_TRACE(format);
    std::string archive = tmp.file(std::string(format) + ".tar");
    ASSERT_TRUE(Shell("tar --sparse --format=" + std::string(format) + " -cf " + Q(archive) +
                      " -C " + Q(tmp.path()) + " holes.bin tail.bin"));
    std::string dest = tmp.file(std::string("out-") + format);
    std::string report;
    EXPECT_EQ(tar.Run(TarExtract(archive, dest), nullptr, &report), 0) << report;
    for (const char* name : {"holes.bin", "tail.bin"}) {
      EXPECT_EQ(fs::file_size(dest + "/" + name), fs::file_size(tmp.file(name))) << name;
      EXPECT_TRUE(ReadFile(dest + "/" + name) == ReadFile(tmp.file(name))) << name;
    }
    EXPECT_EQ(Tree(dest), (std::set<std::string>{"holes.bin", "tail.bin"}));
  }
}

// A member whose data ends before the size its header declares (a format without holes)
// fails and leaves no file, whichever layer notices first.
TEST(Reliability, AMemberThatEndsShortFailsAndLeavesNothing) {
  TempDir tmp;
  // A stored ZIP entry of 1,000 bytes whose headers claim 2,000 (the CRC is the data's).
  ASSERT_TRUE(ZipClaiming(tmp, tmp.file("short.zip"), "b'S' * 1000", "ZIP_STORED", 2000));
  std::string dest = tmp.file("out");
  std::string report;
  int32_t r = Library("unzip32.so", "UnZip")
                  .Run("-x -o " + Q(tmp.file("short.zip")) + " " + Q(dest + "/"), nullptr, &report);
  EXPECT_TRUE(r == 0x8048 || r == 0x800C) << std::hex << r << " " << report;
  EXPECT_FALSE(fs::exists(dest + "/first.bin"));
  // Testing the archive finds the same fault.
  EXPECT_NE(Library("unzip32.so", "UnZip").Run("-t " + Q(tmp.file("short.zip"))), 0);
  for (const std::string& name : Tree(dest)) EXPECT_EQ(name.find(".qvr"), std::string::npos);
}

// ---- ZIP names -------------------------------------------------------------------------------

// A ZIP whose local header names another path (of the same length) than its central
// directory: extraction uses the directory's name, which the listing shows, and says so.
TEST(Reliability, ZipEntriesAreExtractedUnderTheirDirectoryNames) {
  TempDir tmp;
  ASSERT_TRUE(Python(tmp, R"(
import sys, zipfile
path = sys.argv[1]
with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('docs/real.txt', b'the data')
    z.writestr('same.txt', b'agrees')
data = bytearray(open(path, 'rb').read())
i = data.find(b'PK\x03\x04')
assert data[i + 30:i + 43] == b'docs/real.txt'
data[i + 30:i + 43] = b'../x/evil.txt'
open(path, 'wb').write(bytes(data))
)",
                     Q(tmp.file("names.zip"))));
  struct Row {
    const char* file;
    const char* prefix;
    const char* words;
  } rows[] = {{"unzip32.so", "UnZip", "-x -o "}, {"7-zip32.so", "SevenZip", "x -y "}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.prefix);
    ArchiverLib& lib = Library(row.file, row.prefix);
    void* h = lib.openArchive(nullptr, tmp.file("names.zip").c_str(), 0);
    ASSERT_NE(h, nullptr);
    EntryInfo info{};
    ASSERT_EQ(lib.findFirst(h, "*", &info), 0);
    EXPECT_STREQ(info.FileName, "docs/real.txt");
    lib.closeArchive(h);

    std::string dest = tmp.file(std::string("out-") + row.prefix);
    std::string report;
    EXPECT_EQ(lib.Run(row.words + Q(tmp.file("names.zip")) + " " + Q(dest + "/"), nullptr, &report),
              0)
        << report;
    EXPECT_EQ(Tree(dest), (std::set<std::string>{"docs", "docs/real.txt", "same.txt"}));
    EXPECT_EQ(ReadFile(dest + "/docs/real.txt"), "the data");
    EXPECT_NE(report.find("the central directory names it docs/real.txt, its local header "
                          "../x/evil.txt"),
              std::string::npos)
        << report;
    EXPECT_EQ(report.find("same.txt"), std::string::npos) << report;
  }
  EXPECT_FALSE(fs::exists(tmp.file("x")));
}

// ---- declared sizes while writing ----------------------------------------------------------

// Runs the call in a child process whose files may grow to `limit` bytes at most (a write
// past it fails with EFBIG instead of killing the child); the child's exit status is 0 when
// the call returned `expected`.
bool ReturnsWithinFileSizeLimit(ArchiverLib& lib, const std::string& line, rlim_t limit,
                                int32_t expected) {
  pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit bound {
      limit, limit
    };
    setrlimit(RLIMIT_FSIZE, &bound);
    _exit(lib.Run(line) == expected ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// 64 MB of zeros whose headers claim 1,000 bytes: the write stops at the declared size, in a
// process that could not even write 8 MB, and nothing of it stays.
TEST(Reliability, DataPastTheDeclaredSizeStopsTheWriteAtOnce) {
  TempDir tmp;
  ASSERT_TRUE(ZipClaiming(tmp, tmp.file("bomb.zip"), "bytes(64 << 20)", "ZIP_DEFLATED", 1000));
  std::string dest = tmp.file("out");
  fs::create_directories(dest);
  EXPECT_TRUE(ReturnsWithinFileSizeLimit(Library("unzip32.so", "UnZip"),
                                         "-x -o " + Q(tmp.file("bomb.zip")) + " " + Q(dest + "/"),
                                         8 << 20, 0x8048));
  EXPECT_EQ(Tree(dest), std::set<std::string>{"fine.txt"});
  std::string report;
  EXPECT_EQ(Library("unzip32.so", "UnZip")
                .Run("-x -o " + Q(tmp.file("bomb.zip")) + " " + Q(dest + "/"), nullptr, &report),
            0x8048);
  EXPECT_NE(report.find("more data than the archive declares"), std::string::npos) << report;
  EXPECT_EQ(Tree(dest), std::set<std::string>{"fine.txt"});
}

// ---- leftovers of killed runs --------------------------------------------------------------

void MakeOld(const std::string& path) {
  struct timespec old[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
  utimensat(AT_FDCWD, path.c_str(), old, 0);
}

// A run removes our own temporary files of earlier runs from the folders it writes into:
// only names of our exact pattern, older than the run and not held by a running writer.
TEST(Reliability, LeftoversOfKilledRunsGoWhenTheFolderIsNextWritten) {
  TempDir tmp;
  std::string dest = tmp.file("dest");
  const std::string stale = ".a.txt.qvr0123456789ab";
  const std::vector<std::string> kept = {
      ".b.txt.qvr0123456789AB",  // upper-case tag: not ours
      ".c.txt.qvr0123456789a",   // a digit short
      "d.txt.qvr0123456789ab",   // no leading dot
      ".e.txt.qvrfedcba987654",  // ours, but held by a writer that still runs
      ".f.txt.qvr00000000000f",  // ours, but newer than the run
  };
  for (const std::string& folder : {dest, dest + "/sub", dest + "/untouched"}) {
    WriteFile(folder + "/" + stale, "left over");
    MakeOld(folder + "/" + stale);
    for (const std::string& name : kept) {
      WriteFile(folder + "/" + name, "keep");
      if (name[1] != 'f') MakeOld(folder + "/" + name);
    }
  }
  for (const std::string& folder : {dest, dest + "/sub", dest + "/untouched"}) {
    struct timespec later[2] = {{time(nullptr) + 3600, 0}, {time(nullptr) + 3600, 0}};
    utimensat(AT_FDCWD, (folder + "/.f.txt.qvr00000000000f").c_str(), later, 0);
  }
  std::vector<int> held;
  for (const std::string& folder : {dest, dest + "/sub"}) {
    held.push_back(open((folder + "/.e.txt.qvrfedcba987654").c_str(), O_RDONLY | O_CLOEXEC));
    ASSERT_EQ(flock(held.back(), LOCK_EX), 0);
  }
  struct archive* a = archive_write_new();
  archive_write_set_format_pax_restricted(a);
  ASSERT_EQ(archive_write_open_filename(a, tmp.file("new.tar").c_str()), ARCHIVE_OK);
  for (const char* name : {"top.txt", "sub/inner.txt"}) {
    archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, name);
    archive_entry_set_filetype(e, AE_IFREG);
    archive_entry_set_perm(e, 0644);
    archive_entry_set_size(e, 2);
    archive_write_header(a, e);
    archive_write_data(a, "ok", 2);
    archive_entry_free(e);
  }
  archive_write_free(a);

  EXPECT_EQ(Library("tar32.so", "Tar").Run(TarExtract(tmp.file("new.tar"), dest)), 0);
  for (int fd : held) close(fd);
  EXPECT_FALSE(fs::exists(dest + "/" + stale));
  EXPECT_FALSE(fs::exists(dest + "/sub/" + stale));
  EXPECT_TRUE(fs::exists(dest + "/untouched/" + stale));  // no file was written there
  for (const std::string& name : kept) {
    EXPECT_TRUE(fs::exists(dest + "/" + name)) << name;
    EXPECT_TRUE(fs::exists(dest + "/sub/" + name)) << name;
  }
  EXPECT_EQ(ReadFile(dest + "/sub/inner.txt"), "ok");
}

// A run killed while it writes (here: by the file-size limit's signal) leaves no partial file
// under a temporary name where the file system keeps unnamed files (O_TMPFILE); where it
// does not, the next run into that folder removes what was left.
TEST(Reliability, AKilledRunLeavesNoPartialFileForLong) {
  TempDir tmp;
  std::string dest = tmp.file("dest");
  fs::create_directories(dest);
  ASSERT_TRUE(Python(tmp, R"(
import sys, tarfile, io
with tarfile.open(sys.argv[1], 'w', format=tarfile.PAX_FORMAT) as t:
    for name, size in (('big.bin', 4 << 20), ('small.txt', 5)):
        info = tarfile.TarInfo(name); info.size = size
        t.addfile(info, io.BytesIO(b'x' * size))
)",
                     Q(tmp.file("big.tar"))));
  ArchiverLib& tar = Library("tar32.so", "Tar");
  pid_t child = fork();
  if (child == 0) {
    struct rlimit bound {
      1 << 20, 1 << 20
    };
    setrlimit(RLIMIT_FSIZE, &bound);  // SIGXFSZ ends the child in the middle of big.bin
    tar.Run(TarExtract(tmp.file("big.tar"), dest));
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ);

  int probe = open(dest.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  bool unnamed = probe >= 0;
  if (probe >= 0) close(probe);
  std::set<std::string> left = Tree(dest);
  if (unnamed) {
    EXPECT_EQ(left, std::set<std::string>{});
  }
  for (const std::string& name : left) MakeOld(dest + "/" + name);  // time passes
  EXPECT_EQ(tar.Run(TarExtract(tmp.file("big.tar"), dest)), 0);
  EXPECT_EQ(Tree(dest), (std::set<std::string>{"big.bin", "small.txt"}));
}

// ---- hard links ----------------------------------------------------------------------------

// A hard link whose target is not in the destination is left out and named in the report;
// neither its own folders nor its target's appear. A link to an extracted file is made.
TEST(Reliability, RefusedHardLinksCreateNothing) {
  TempDir tmp;
  struct archive* a = archive_write_new();
  archive_write_set_format_pax_restricted(a);
  ASSERT_EQ(archive_write_open_filename(a, tmp.file("links.tar").c_str()), ARCHIVE_OK);
  auto add = [&](const char* name, const char* hardlink, const std::string& data) {
    archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, name);
    archive_entry_set_filetype(e, AE_IFREG);
    archive_entry_set_perm(e, 0644);
    archive_entry_set_size(e, static_cast<la_int64_t>(data.size()));
    if (hardlink) archive_entry_set_hardlink(e, hardlink);
    archive_write_header(a, e);
    if (!data.empty()) archive_write_data(a, data.data(), data.size());
    archive_entry_free(e);
  };
  add("real.txt", nullptr, "real");
  add("passwd", "/etc/passwd", "");
  add("deep/er/link", "x/y/missing", "");
  add("same", "real.txt", "");
  archive_write_free(a);

  ArchiverLib& tar = Library("tar32.so", "Tar");
  std::string dest = tmp.file("dest");
  std::string report;
  EXPECT_EQ(tar.Run(TarExtract(tmp.file("links.tar"), dest), nullptr, &report), 0) << report;
  EXPECT_EQ(Tree(dest), (std::set<std::string>{"real.txt", "same"}));
  EXPECT_EQ(fs::hard_link_count(dest + "/real.txt"), 2u);
  EXPECT_EQ(tar.skippedCount(), 2);
  EXPECT_NE(report.find("passwd (hard link to a file that is not in the destination)"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("deep/er/link (hard link"), std::string::npos) << report;
  EXPECT_FALSE(fs::exists(tmp.file("etc")));
}

// ---- several archives into one folder ------------------------------------------------------

// Archives that build on each other in one destination: a folder from a ZIP, then links and
// files under it from a TAR. Nothing is written outside, nothing through a link.
TEST(Reliability, ArchivesMeetingInOneFolderStayInside) {
  TempDir tmp;
  fs::create_directories(tmp.file("outside"));
  WriteFile(tmp.file("outside/secret.txt"), "untouched");
  ASSERT_TRUE(Python(tmp, R"(
import sys, zipfile, tarfile, io
folder = sys.argv[1]
with zipfile.ZipFile(folder + '/first.zip', 'w') as z:
    z.writestr('d/', b'')
    z.writestr('d/a.txt', b'a')
with tarfile.open(folder + '/second.tar', 'w', format=tarfile.PAX_FORMAT) as t:
    def link(name, target, kind=tarfile.SYMTYPE):
        info = tarfile.TarInfo(name); info.type = kind; info.linkname = target
        t.addfile(info)
    def data(name, body):
        info = tarfile.TarInfo(name); info.size = len(body)
        t.addfile(info, io.BytesIO(body))
    link('d/abs', folder + '/outside')
    link('d/up', '../../outside')
    link('in', 'd')
    data('in/through.txt', b'through the link')
    link('d/hard', folder + '/outside/secret.txt', tarfile.LNKTYPE)
    data('d/c.txt', b'c')
)",
                     Q(tmp.path())));
  std::string dest = tmp.file("dest");
  EXPECT_EQ(
      Library("unzip32.so", "UnZip").Run("-x -o " + Q(tmp.file("first.zip")) + " " + Q(dest + "/")),
      0);
  std::string report;
  Library("tar32.so", "Tar").Run(TarExtract(tmp.file("second.tar"), dest), nullptr, &report);
  EXPECT_EQ(Tree(dest), (std::set<std::string>{"d", "d/a.txt", "d/c.txt", "in"})) << report;
  for (const char* named : {"in/through.txt: a folder could not be made", "skipped d/abs (link",
                            "skipped d/up (link", "skipped d/hard (hard link"})
    EXPECT_NE(report.find(named), std::string::npos) << named << "\n" << report;
  EXPECT_TRUE(fs::is_symlink(dest + "/in"));
  EXPECT_EQ(Tree(tmp.file("outside")), std::set<std::string>{"secret.txt"});
  EXPECT_EQ(ReadFile(tmp.file("outside/secret.txt")), "untouched");
  EXPECT_EQ(fs::hard_link_count(tmp.file("outside/secret.txt")), 1u);
}

}  // namespace
}  // namespace qvr::test

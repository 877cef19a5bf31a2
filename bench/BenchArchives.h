// The archives the run benchmarks extract, written with libarchive: many small ZIPs of
// text files, and one large .tar.gz of text and incompressible parts.
#pragma once

#include <archive.h>
#include <archive_entry.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "BenchCorpus.h"

namespace qvr::bench {

namespace fs = std::filesystem;

[[noreturn]] inline void ArchiveFailed(archive* a) {
  std::fprintf(stderr, "bench: %s\n", archive_error_string(a));
  std::exit(1);
}

struct Member {
  std::string name;
  std::string data;
};

inline void WriteArchive(const std::string& path, bool zip, const std::vector<Member>& members) {
  archive* a = archive_write_new();
  if (zip) {
    archive_write_set_format_zip(a);
  } else {
    archive_write_set_format_pax_restricted(a);
    archive_write_add_filter_gzip(a);
  }
  if (archive_write_open_filename(a, path.c_str()) != ARCHIVE_OK) ArchiveFailed(a);
  for (const Member& m : members) {
    archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, m.name.c_str());
    archive_entry_set_size(e, la_int64_t(m.data.size()));
    archive_entry_set_filetype(e, AE_IFREG);
    archive_entry_set_perm(e, 0644);
    archive_entry_set_mtime(e, 1078664710, 0);
    archive_write_header(a, e);
    archive_write_data(a, m.data.data(), m.data.size());
    archive_entry_free(e);
  }
  archive_write_close(a);
  archive_write_free(a);
}

inline std::vector<std::string> MakeZips(const std::string& folder, int count) {
  fs::create_directories(folder);
  std::mt19937 random(7);
  std::vector<std::string> paths;
  for (int i = 0; i < count; ++i) {
    std::vector<Member> members;
    for (int j = 0; j < 10; ++j)
      members.push_back(
          {"file" + std::to_string(j) + ".txt", TextContent(random, 500 + random() % 4000)});
    char name[32];
    std::snprintf(name, sizeof name, "a%04d.zip", i);
    paths.push_back(folder + "/" + name);
    WriteArchive(paths.back(), true, members);
  }
  return paths;
}

inline std::string MakeTarGz(const std::string& folder, int megabytes) {
  fs::create_directories(folder);
  std::mt19937 random(11);
  std::vector<Member> members;
  // Half text, half incompressible bytes, in files of 8 MiB.
  for (int i = 0; i * 8 < megabytes; ++i) {
    std::string data;
    if (i % 2 == 0) {
      data = TextContent(random, 8u << 20);
    } else {
      data.resize(8u << 20);
      for (char& c : data) c = char(random());
    }
    members.push_back({"big/part" + std::to_string(i) + ".bin", std::move(data)});
    if (members.size() == 4) break;  // keep memory small: the rest repeats below
  }
  std::string path = folder + "/large.tar.gz";
  archive* a = archive_write_new();
  archive_write_set_format_pax_restricted(a);
  archive_write_add_filter_gzip(a);
  if (archive_write_open_filename(a, path.c_str()) != ARCHIVE_OK) ArchiveFailed(a);
  for (int i = 0; i * 8 < megabytes; ++i) {
    const Member& m = members[size_t(i) % members.size()];
    archive_entry* e = archive_entry_new();
    std::string name = "big/part" + std::to_string(i) + ".bin";
    archive_entry_set_pathname(e, name.c_str());
    archive_entry_set_size(e, la_int64_t(m.data.size()));
    archive_entry_set_filetype(e, AE_IFREG);
    archive_entry_set_perm(e, 0644);
    archive_write_header(a, e);
    archive_write_data(a, m.data.data(), m.data.size());
    archive_entry_free(e);
  }
  archive_write_close(a);
  archive_write_free(a);
  return path;
}

}  // namespace qvr::bench

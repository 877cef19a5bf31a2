#include "ProfileFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <map>
#include <mutex>
#include <vector>

namespace qvr::profile {
namespace {

constexpr size_t kMaxValueBytes = 255;

// The file's content is cached and validated by the file's identity, size and times, so a
// change made by another process (which replaces or rewrites the file) is seen. File times
// tick coarsely, so a file changed within the last moments is never trusted from the cache:
// two writes in one tick with the same size would look alike.
struct FileStamp {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = -1;
  int64_t mtimeNs = 0;
  int64_t ctimeNs = 0;
  bool operator==(const FileStamp&) const = default;
};

constexpr int64_t kSettledNs = 50'000'000;

struct CachedFile {
  FileStamp stamp;
  std::string content;
};

std::mutex cacheMutex;
std::map<std::string, CachedFile> cache;

FileStamp StampOf(const struct stat& st) {
  FileStamp stamp;
  stamp.dev = st.st_dev;
  stamp.ino = st.st_ino;
  stamp.size = st.st_size;
  stamp.mtimeNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  stamp.ctimeNs = int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return stamp;
}

bool Settled(const FileStamp& stamp) {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  int64_t nowNs = int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
  return nowNs - std::max(stamp.mtimeNs, stamp.ctimeNs) > kSettledNs;
}

// Reads the whole file; a short read of a regular file is its end, so a file that did not
// grow since it was measured takes one read call.
bool ReadWhole(int fd, off_t expectedSize, std::string& content) {
  size_t done = 0;
  content.resize(size_t(expectedSize) + 1);
  for (;;) {
    ssize_t n = read(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    done += size_t(n);
    if (done < content.size()) break;
    content.resize(content.size() * 2);
  }
  content.resize(done);
  return true;
}

// Runs use(content) on the file's content; false when the file does not exist.
template <typename Use>
bool WithContent(const std::string& path, Use use) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  FileStamp stamp = StampOf(st);
  {
    std::lock_guard lock(cacheMutex);
    auto it = cache.find(path);
    if (it != cache.end() && it->second.stamp == stamp) {
      use(std::string_view(it->second.content));
      return true;
    }
  }
  // A file replaced or rewritten after the stat above is read under the old stamp, which
  // the next stat no longer matches, so the cache can never hold a newer content as older.
  thread_local std::string content;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ReadWhole(fd, st.st_size, content);
  close(fd);
  if (!ok) return false;
  if (Settled(stamp)) {
    std::lock_guard lock(cacheMutex);
    cache[path] = CachedFile{stamp, content};
  }
  use(std::string_view(content));
  return true;
}

void Forget(const std::string& path) {
  std::lock_guard lock(cacheMutex);
  cache.erase(path);
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char Fold(char c) {
  return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Fold(a[i]) != Fold(b[i])) return false;
  }
  return true;
}

// One line of the file: its text without the line end, and where it lies.
struct Line {
  std::string_view text;
  size_t begin = 0;  // offset of the text
  size_t end = 0;    // offset after the line end
};

std::vector<Line> SplitLines(std::string_view content) {
  std::vector<Line> lines;
  size_t pos = 0;
  while (pos < content.size()) {
    size_t stop = content.find_first_of("\r\n", pos);
    Line line;
    line.begin = pos;
    if (stop == std::string_view::npos) {
      line.text = content.substr(pos);
      line.end = content.size();
    } else {
      line.text = content.substr(pos, stop - pos);
      line.end = stop + 1;
      if (content[stop] == '\r' && stop + 1 < content.size() && content[stop + 1] == '\n') {
        line.end = stop + 2;
      }
    }
    lines.push_back(line);
    pos = line.end;
  }
  return lines;
}

// The section name of a "[name]" line.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  line.remove_prefix(1);
  size_t close = line.find(']');
  if (close != std::string_view::npos) line = line.substr(0, close);
  return Trim(line);
}

// Splits a "key=value" line; nullopt for comments and lines without "=".
std::optional<std::pair<std::string_view, std::string_view>> KeyValue(std::string_view line) {
  std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == ';') return std::nullopt;
  size_t eq = trimmed.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return std::pair{Trim(trimmed.substr(0, eq)), trimmed.substr(eq + 1)};
}

struct Location {
  int sectionLine = -1;  // first matching section header
  int sectionEnd = -1;   // index of the last non-blank line of that section
  int keyLine = -1;      // first matching key in any matching section
};

Location Find(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
  Location loc;
  bool inSection = false;
  bool inFirstSection = false;
  for (int i = 0; i < int(lines.size()); ++i) {
    std::string_view text = lines[i].text;
    if (auto name = SectionName(text)) {
      inSection = SameName(*name, section);
      inFirstSection = inSection && loc.sectionLine < 0;
      if (inFirstSection) {
        loc.sectionLine = i;
        loc.sectionEnd = i;
      }
      continue;
    }
    if (!inSection) continue;
    if (inFirstSection && !Trim(text).empty()) loc.sectionEnd = i;
    if (loc.keyLine >= 0) continue;
    if (auto kv = KeyValue(text); kv && SameName(kv->first, key)) loc.keyLine = i;
  }
  return loc;
}

size_t LineEnd(std::string_view content, size_t pos) {
  while (pos < content.size() && content[pos] != '\n' && content[pos] != '\r') ++pos;
  return pos;
}

// The raw value of the first matching key. Sections other than the wanted one are skipped
// by jumping from one "[" that starts a line to the next, so a read stays cheap however
// large the file is.
std::optional<std::string_view> FindValue(std::string_view content, std::string_view section,
                                          std::string_view key) {
  bool inSection = false;
  size_t pos = 0;
  while (pos < content.size()) {
    if (!inSection) {
      size_t bracket = content.find('[', pos);
      if (bracket == std::string_view::npos) return std::nullopt;
      size_t lineStart = bracket;
      while (lineStart > 0 && IsBlank(content[lineStart - 1])) --lineStart;
      pos = bracket + 1;
      if (lineStart > 0 && content[lineStart - 1] != '\n' && content[lineStart - 1] != '\r') {
        continue;  // a "[" inside a line
      }
      size_t stop = LineEnd(content, bracket);
      inSection = SameName(*SectionName(content.substr(bracket, stop - bracket)), section);
      pos = stop + 1;
      continue;
    }
    size_t stop = LineEnd(content, pos);
    std::string_view text = content.substr(pos, stop - pos);
    if (auto name = SectionName(text)) {
      inSection = SameName(*name, section);
    } else if (auto kv = KeyValue(text); kv && SameName(kv->first, key)) {
      return kv->second;
    }
    pos = stop + 1;
  }
  return std::nullopt;
}

std::string_view CutValue(std::string_view raw) {
  size_t nul = raw.find('\0');
  if (nul != std::string_view::npos) raw = raw.substr(0, nul);
  raw = Trim(raw);
  if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front()) {
    raw = raw.substr(1, raw.size() - 2);
  }
  if (raw.size() > kMaxValueBytes) {
    size_t cut = kMaxValueBytes;
    // Never split a UTF-8 character: step back over continuation bytes.
    while (cut > 0 && (static_cast<unsigned char>(raw[cut]) & 0xC0) == 0x80) --cut;
    raw = raw.substr(0, cut);
  }
  return raw;
}

}  // namespace

bool ReplaceFile(const std::string& path, const std::string& content, bool flush) {
  std::string temp = path + ".XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  int fd = mkstemp(name.data());
  if (fd < 0) return false;
  bool ok = true;
  size_t done = 0;
  while (ok && done < content.size()) {
    ssize_t n = write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      ok = false;
    else
      done += size_t(n);
  }
  struct stat st;
  mode_t mode = 0644;
  if (stat(path.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  ok = ok && fchmod(fd, mode) == 0 && (!flush || fdatasync(fd) == 0);
  ok = close(fd) == 0 && ok;
  if (ok && rename(name.data(), path.c_str()) != 0) ok = false;
  if (!ok) unlink(name.data());
  return ok;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<std::string> ReadString(const std::string& path, std::string_view section,
                                      std::string_view key) {
  std::optional<std::string> value;
  WithContent(path, [&](std::string_view content) {
    if (auto raw = FindValue(content, section, key)) value = std::string(CutValue(*raw));
  });
  return value;
}

int16_t ReadInt(const std::string& path, std::string_view section, std::string_view key,
                int16_t defaultValue) {
  auto value = ReadString(path, section, key);
  if (!value || value->empty()) return defaultValue;
  std::string_view text = *value;
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int64_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    number = number * 10 + (c - '0');
    if (number > 100000) return defaultValue;  // far outside the 16-bit range
  }
  if (negative) number = -number;
  if (number < -32768 || number > 32767) return defaultValue;
  return int16_t(number);
}

namespace {

// The content with key=value set in the section (created when missing).
std::string WithValue(const std::string& content, std::string_view section, std::string_view key,
                      std::string_view value) {
  size_t lineBreak = value.find_first_of("\r\n");
  if (lineBreak != std::string_view::npos) value = value.substr(0, lineBreak);

  auto lines = SplitLines(content);
  Location loc = Find(lines, section, key);
  std::string entry = std::string(key) + "=" + std::string(value);
  std::string updated;
  if (loc.keyLine >= 0) {
    // Keep the key as the file spells it, and the line's own line end.
    const Line& line = lines[loc.keyLine];
    std::string_view oldKey = KeyValue(line.text)->first;
    size_t textEnd = line.begin + line.text.size();
    updated = content.substr(0, line.begin) + std::string(oldKey) + "=" + std::string(value) +
              content.substr(textEnd);
  } else if (loc.sectionLine >= 0) {
    size_t at = lines[loc.sectionEnd].end;
    std::string before = content.substr(0, at);
    if (!before.empty() && before.back() != '\n' && before.back() != '\r') before += "\r\n";
    updated = before + entry + "\r\n" + content.substr(at);
  } else {
    updated = content;
    if (!updated.empty() && updated.back() != '\n' && updated.back() != '\r') updated += "\r\n";
    updated += "[" + std::string(section) + "]\r\n" + entry + "\r\n";
  }
  return updated;
}

}  // namespace

bool WriteString(const std::string& path, std::string_view section, std::string_view key,
                 std::string_view value) {
  return WriteStrings(path, {{std::string(section), std::string(key), std::string(value)}});
}

bool WriteStrings(const std::string& path, const std::vector<Write>& writes, bool flush) {
  std::string content;
  WithContent(path, [&](std::string_view text) { content = text; });
  for (const Write& write : writes)
    content = WithValue(content, write.section, write.key, write.value);
  Forget(path);
  return ReplaceFile(path, content, flush);
}

}  // namespace qvr::profile

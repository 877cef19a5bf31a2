#include "PeerTools.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <utility>

#include "TempDir.h"
#include "qvr/ArchiverAbi.h"

extern char** environ;

namespace qvr::test {

namespace fs = std::filesystem;

ToolRun RunTool(const std::vector<std::string>& argv, const std::string& stdoutFile) {
  ToolRun run;
  char outName[] = "/tmp/qvrtool.XXXXXX";
  int outFd = mkstemp(outName);
  int stdoutFd =
      stdoutFile.empty() ? outFd : open(stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
  posix_spawn_file_actions_adddup2(&actions, outFd, 2);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  if (stdoutFd != outFd) close(stdoutFd);
  close(outFd);
  run.output = ReadFile(outName);
  unlink(outName);
  return run;
}

bool HaveTool(const std::string& name) {
  return RunTool({"sh", "-c", "command -v " + name}).exitCode == 0;
}

Tree MakeSampleTree(const std::string& root) {
  std::string binary;
  uint32_t seed = 12345;
  for (int i = 0; i < 200000; ++i) {
    seed = seed * 1103515245 + 12345;
    binary += static_cast<char>(seed >> 24);
  }
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "line " + std::to_string(i) + " of the sample text\n";
  Tree tree = {
      {"readme.txt", text},    {"bin.dat", binary},
      {"empty.dat", ""},       {"日本語 ファイル.txt", "こんにちは、世界\n"},
      {"sub dir/", ""},        {"sub dir/note.md", "# note\n"},
      {"sub dir/nested/", ""}, {"sub dir/nested/深い 名前.txt", text.substr(0, 5000)},
      {"emptyfolder/", ""},    {".hidden", "secret\n"},
  };
  for (const auto& [name, content] : tree) {
    if (name.back() == '/')
      fs::create_directories(root + "/" + name);
    else
      WriteFile(root + "/" + name, content);
  }
  return tree;
}

Tree ReadTree(const std::string& root, bool withFolders) {
  Tree tree;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    std::string rel = fs::relative(it->path(), root).string();
    if (it->is_directory()) {
      if (withFolders) tree[rel + "/"] = "";
    } else {
      tree[rel] = ReadFile(it->path().string());
    }
  }
  return tree;
}

Tree FilesOnly(const Tree& tree, bool withHidden) {
  Tree out;
  for (const auto& [name, content] : tree) {
    if (name.back() == '/') continue;
    std::string base = name.substr(name.rfind('/') + 1);
    if (!withHidden && base[0] == '.') continue;
    out[name] = content;
  }
  return out;
}

Tree Flattened(const Tree& tree) {
  Tree out;
  for (const auto& [name, content] : FilesOnly(tree))
    out[name.substr(name.rfind('/') + 1)] = content;
  return out;
}

Tree Under(const std::string& folder, const Tree& tree) {
  Tree out;
  for (const auto& [name, content] : tree) out[folder + "/" + name] = content;
  return out;
}

Tree ExtractWith(const std::string& tool, const std::string& archive, const std::string& dest,
                 int* exitCode) {
  fs::create_directories(dest);
  std::vector<std::string> argv;
  if (tool == "unzip") argv = {"unzip", "-qq", "-o", archive, "-d", dest};
  if (tool == "7zz") argv = {"7zz", "x", "-y", "-bd", "-o" + dest, archive};
  if (tool == "bsdtar") argv = {"bsdtar", "-xf", archive, "-C", dest};
  if (tool == "tar") argv = {"tar", "-xf", archive, "-C", dest};
  if (tool == "unar") argv = {"unar", "-q", "-f", "-D", "-o", dest, archive};
  if (tool == "cabextract") argv = {"cabextract", "-q", "-d", dest, archive};
  if (tool == "lhasa") argv = {"lhasa", "-xqw=" + dest, archive};
  ToolRun run = RunTool(argv);
  if (exitCode) *exitCode = run.exitCode;
  return ReadTree(dest);
}

std::vector<std::string> ListWith(const std::string& tool, const std::string& archive) {
  std::vector<std::string> names;
  std::string prefix;
  ToolRun run;
  if (tool == "7zz") {
    run = RunTool({"7zz", "l", "-slt", "-ba", archive});
    prefix = "Path = ";
  } else if (tool == "bsdtar") {
    run = RunTool({"bsdtar", "-tf", archive});
  } else if (tool == "unzip") {
    run = RunTool({"unzip", "-Z1", archive});
  } else if (tool == "lsar") {
    run = RunTool({"lsar", archive});
  }
  std::istringstream lines(run.output);
  std::string line;
  bool first = true;
  while (std::getline(lines, line)) {
    if (tool == "lsar" && std::exchange(first, false)) continue;  // the archive's own name
    if (!prefix.empty()) {
      if (!line.starts_with(prefix)) continue;
      line = line.substr(prefix.size());
    }
    if (!line.empty()) names.push_back(line);
  }
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

void* Library(const std::string& library) {
  return dlopen((std::string(QVR_BIN_DIR) + "/" + library).c_str(), RTLD_NOW | RTLD_LOCAL);
}

int32_t AnswerOnce(void* context, const char*, int32_t wrong, char* buffer, uint32_t size) {
  const auto* password = static_cast<const std::string*>(context);
  if (wrong > 0 || password->size() + 1 > size) return 0;
  std::memcpy(buffer, password->c_str(), password->size() + 1);
  return 1;
}

}  // namespace

Call CallLibrary(const std::string& library, const std::string& prefix, const std::string& line,
                 const std::optional<std::string>& password) {
  void* handle = Library(library);
  auto* entry = handle ? reinterpret_cast<CommandEntry*>(dlsym(handle, prefix.c_str())) : nullptr;
  EXPECT_NE(entry, nullptr) << library << " " << prefix;
  if (!entry) return {};
  auto* setPasswords = reinterpret_cast<SetPasswordCallbackEntry*>(
      dlsym(handle, (prefix + "SetPasswordCallback").c_str()));
  if (password) {
    EXPECT_NE(setPasswords, nullptr) << library;
    if (setPasswords) setPasswords(AnswerOnce, const_cast<std::string*>(&*password));
  }
  char output[kCommandOutputSize];
  Call call;
  call.code = entry(nullptr, line.c_str(), output, sizeof output);
  call.report = output;
  if (password && setPasswords) setPasswords(nullptr, nullptr);
  return call;
}

Tree ExtractWithOurs(const std::string& archive, const std::string& dest,
                     const std::optional<std::string>& password) {
  fs::create_directories(dest);
  std::string ext = archive.substr(archive.rfind('.') + 1);
  std::string d = "\"" + dest + "/\"", a = "\"" + archive + "\"";
  Call call;
  if (ext == "zip") call = CallLibrary("unzip32.so", "UnZip", "-x -o " + a + " " + d, password);
  if (ext == "7z") call = CallLibrary("7-zip32.so", "SevenZip", "x -y " + a + " " + d, password);
  if (ext == "cab") call = CallLibrary("cab32.so", "Cab", "-x -o " + a + " " + d);
  if (ext == "tar" || ext == "gz" || ext == "bz2")
    call = CallLibrary("tar32.so", "Tar", "-x " + a + " " + d);
  EXPECT_EQ(call.code, 0) << "our reader on " << archive << ": " << call.report;
  return ReadTree(dest);
}

}  // namespace qvr::test

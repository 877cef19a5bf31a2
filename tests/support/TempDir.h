// A fresh temporary folder per test, removed with everything in it afterwards.
#pragma once

#include <string>

namespace qvr::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, without a trailing "/".
  const std::string& path() const { return path_; }
  // path() + "/" + name.
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Writes bytes to a file, creating missing folders.
void WriteFile(const std::string& path, const std::string& content);
// The whole content of a file ("" when it cannot be read).
std::string ReadFile(const std::string& path);

}  // namespace qvr::test

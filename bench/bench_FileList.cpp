// The file list with 100,000 entries in the real main window (offscreen): dropping a folder
// tree, sorting by each key, loading a list file.
//   build/bin/bench_FileList [files]
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "AppFolder.h"
#include "FileList.h"
#include "Form1.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void MakeTree(const std::string& root, int files) {
  // 10 top folders, each with 10 subfolders of equal share: three levels deep.
  for (int i = 0; i < files; ++i) {
    std::string folder = root + "/d" + std::to_string(i % 10) + "/s" + std::to_string(i / 10 % 10);
    if (i < 100) std::filesystem::create_directories(folder);
    std::ofstream(folder + "/file" + std::to_string(i) + ".lzh");
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  int files = argc > 1 ? std::atoi(argv[1]) : 100000;
  std::string base = std::filesystem::temp_directory_path() / "qvr_bench_filelist";
  std::filesystem::remove_all(base);
  std::filesystem::create_directories(base + "/app");
  qvr::SetAppFolder(base + "/app");
  MakeTree(base + "/tree", files);

  qvr::Form1 form;
  form.show();
  QCoreApplication::processEvents();

  auto start = std::chrono::steady_clock::now();
  int added = qvr::AddDroppedFiles(form, {base + "/tree"});
  std::printf("drop of a folder tree: %d files in %.3f s (target < 3 s)\n", added, Seconds(start));

  for (int key : {0, 1, 2, 0}) {
    start = std::chrono::steady_clock::now();
    qvr::SortFileList(form, key);
    std::printf("sort by key %d: %d entries in %.3f s (target < 0.5 s)\n", key, form.listCount(),
                Seconds(start));
  }

  std::string list = base + "/list.txt";
  qvr::SaveFileList(form, list);
  start = std::chrono::steady_clock::now();
  qvr::LoadFileList(form, list, qvr::kLoadModeNew);
  std::printf("load of a list file: %d lines in %.3f s (target < 1 s)\n", form.listCount(),
              Seconds(start));

  form.Unload();
  std::filesystem::remove_all(base);
  return 0;
}

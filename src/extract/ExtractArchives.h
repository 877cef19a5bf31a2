// The extraction loop: walks the file list in order, decides each archive's output folder
// (optionally a new folder named after the archive), picks the library, back-end or tool by
// the extension, sends it the command line, counts the successes, optionally deletes the
// archives that extracted, and removes the entries it worked on from the list.
#pragma once

#include <string>

namespace qvr {

class MainWindowPort;
struct LibraryStatus;

// The start-up modes whose settings the loop reads.
inline constexpr const char* kStartUpNormal = "NORMAL";
inline constexpr const char* kStartUpDDMode = "DDMODE";
inline constexpr const char* kStartUpDDModeSetting = "DDMODE_SETTING";

// What the run hands the engine from the main window.
struct ExtractRun {
  MainWindowPort& window;
  const LibraryStatus& status;
  std::string startUpMode;  // kStartUpNormal or kStartUpDDMode
  bool useYZ2DEC = false;   // the main window's copy of GENERAL/UseYZ2DEC
};

// The options of one loop, read from QvrArc.ini at its start by the start-up mode.
struct ExtractLoopOptions {
  int fileNameFolder = 0;  // 0 automatic, 1 create a folder per archive, 2 do not
  bool ignoreFolders = false;
  bool deleteArchive = false;
  bool confirmOverwrite = false;
  bool errorSkip = false;
  bool use7Zip = false;
  bool useUnace32 = false;
};
ExtractLoopOptions ReadExtractLoopOptions(const std::string& startUpMode);

// The name of the folder made for an archive: its file name up to the first "." (a leading
// "." of a hidden file does not count); the whole name when it holds no other ".".
std::string ArchiveFolderName(const std::string& archivePath);

// Extracts every entry present at the start; returns the number of successes.
int ExtractArchives(const ExtractRun& run, bool singleDestination, const std::string& destFolder);

}  // namespace qvr

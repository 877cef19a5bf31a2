// The extraction loop: walks the file list in order, decides each archive's output folder
// (optionally a new folder named after the archive), picks the library, back-end or tool by
// the extension, sends it the command line, counts the successes, optionally deletes the
// archives that extracted (to the Trash), and removes the entries it worked on from the list.
#pragma once

#include <string>

#include "StartUpMode.h"

namespace qvr {

class MainWindowPort;
class RunPasswords;
class RunProgress;
class RunReport;
struct LibraryStatus;

// What the run hands the engine from the main window.
struct ExtractRun {
  MainWindowPort& window;
  const LibraryStatus& status;
  std::string startUpMode;  // kModeNormal or kModeDDMode
  bool useYZ2DEC = false;   // the main window's copy of GENERAL/UseYZ2DEC
  // The run's passwords (shared with its pre-scan); null: the loop keeps its own.
  RunPasswords* passwords = nullptr;
  // The run's progress (shown by the run) and its report; null: the loop keeps its own.
  RunProgress* progress = nullptr;
  RunReport* report = nullptr;
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
  std::string nameCodePage;  // EXTRACT_NORMAL/NameCodePage: of names that are not UTF-8
  int workers = 1;           // archives worked at once (GENERAL/Threads)
};
ExtractLoopOptions ReadExtractLoopOptions(const std::string& startUpMode);
// GENERAL/Threads as the number of archives a run works at once (WorkerCount).
int ArchiveWorkers();

// The name of the folder made for an archive: its file name up to the first "." (a leading
// "." of a hidden file does not count); the whole name when it holds no other ".".
std::string ArchiveFolderName(const std::string& archivePath);

// Extracts every entry present at the start; returns the number of successes. Several
// archives are worked at once (GENERAL/Threads); archives that could write the same path are
// worked in list order, and the report keeps the list's order. Panel 1 ends with DoneText:
// the successes and, when any, the failures. A cancel of the progress ends the loop after
// the archives in hand (whose library calls it stops); the entries not worked, a stopped
// archive's among them, stay in the list, and panel 1 says StoppedText.
int ExtractArchives(const ExtractRun& run, bool singleDestination, const std::string& destFolder);

}  // namespace qvr

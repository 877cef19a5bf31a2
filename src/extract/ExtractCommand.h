// The command that extracts one archive: which library, the ACE back-end or an external
// tool, and the exact command line sent to it.
#pragma once

#include <string>

#include "ArchiverCatalogue.h"

namespace qvr {

enum class ExtractRoute {
  Library,     // the command entry of `lib` with `commandLine`
  AceBackend,  // ACEExtract of every entry ("*.*") into the output folder (`lib` UnAceV2)
  Tool,        // ShellX of `commandLine` (`lib` the tool), waiting; the result counts as 0
  Unsupported  // nothing runs; a failure
};

struct ExtractCommand {
  ExtractRoute route = ExtractRoute::Unsupported;
  Lib lib = Lib::Unlha;  // what the route needs installed
  std::string commandLine;
};

struct LibraryStatus;

struct ExtractOptions {
  bool ignoreFolders = false;     // extract flat
  bool confirmOverwrite = false;  // ask before overwriting
  bool use7Zip = false;           // GENERAL/Use7Zip: ZIP through 7-zip32
  bool useUnace32 = false;        // GENERAL/UseUNACE32: ACE through unace32 command lines
  std::string rkFolder;           // folder of rk, ending in "/"
  std::string yz2decFolder;       // folder of yz2dec, ending in "/"
};

// The command for an archive by the format of its extension (FormatOfExtension: "LZH", "ZIP",
// "TAR", "YZ2", ...). "EXE" is not handled here: see BuildSelfExtractCommand.
ExtractCommand BuildExtractCommand(const std::string& format, const ExtractOptions& options,
                                   const std::string& archivePath, const std::string& outputFolder);

// The command for a self-extracting file whose format the detection by content found
// ("LZH", "ZIP", "CAB", "GCA", "RAR", "7Z", "YZ1", "IMP", "ACE", "RK"); any other format is
// Unsupported.
ExtractCommand BuildSelfExtractCommand(const std::string& detectedFormat,
                                       const ExtractOptions& options,
                                       const std::string& archivePath,
                                       const std::string& outputFolder);

// The command that tests one archive (every entry's data read and checked, nothing written)
// by its format; Unsupported for formats whose library has no test command we know.
ExtractCommand BuildTestCommand(const std::string& format, bool use7Zip,
                                const std::string& archivePath);

// EXTRACT_NORMAL/NameCodePage: the code page of names that are not UTF-8 for every extraction
// and test run ("" = the libraries' guess, CP932); the viewer starts from it too.
std::string NameCodePageSetting();

// True when what the command needs is installed; yz2dec also needs UseYZ2DEC.
bool CommandAvailable(const ExtractCommand& command, const LibraryStatus& status, bool useYZ2DEC);

}  // namespace qvr

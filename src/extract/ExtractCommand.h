// The command that extracts one archive: which library entry (by its prefix), the ACE
// back-end or an external tool, and the exact command line sent to it.
#pragma once

#include <string>

namespace qvr {

enum class ExtractRoute {
  Library,     // the library of `prefix`, command entry with `commandLine`
  AceBackend,  // ACEExtract of every entry ("*.*") into the output folder
  Tool,        // ShellX of `commandLine`, waiting; the result counts as 0
  Unsupported  // nothing runs; a failure
};

struct ExtractCommand {
  ExtractRoute route = ExtractRoute::Unsupported;
  std::string prefix;  // "Unlha", "UnZip", "SevenZip", ... for ExtractRoute::Library
  std::string commandLine;
};

struct ExtractOptions {
  bool ignoreFolders = false;     // extract flat
  bool confirmOverwrite = false;  // ask before overwriting
  bool use7Zip = false;           // GENERAL/Use7Zip: ZIP through 7-zip32
  bool useUnace32 = false;        // GENERAL/UseUNACE32: ACE through unace32 command lines
  std::string rkFolder;           // folder of rk, ending in "/"
  std::string yz2decFolder;       // folder of yz2dec, ending in "/"
};

// The command for an archive by its upper-case extension ("LZH", "ZIP", "TAR", "YZ2A6", ...).
// "EXE" is not handled here: see BuildSelfExtractCommand.
ExtractCommand BuildExtractCommand(const std::string& upperExtension, const ExtractOptions& options,
                                   const std::string& archivePath, const std::string& outputFolder);

// The command for a self-extracting file whose format the detection by content found
// ("LZH", "ZIP", "CAB", "GCA", "RAR", "7Z", "YZ1", "IMP", "ACE", "RK"); any other format is
// Unsupported.
ExtractCommand BuildSelfExtractCommand(const std::string& detectedFormat,
                                       const ExtractOptions& options,
                                       const std::string& archivePath,
                                       const std::string& outputFolder);

}  // namespace qvr

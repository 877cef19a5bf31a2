// The command that makes an archive: which library entry or outside tool, what it needs
// installed, and the exact command line, for each format word of both archiving methods
// ("個別": one source per command; "一括": every source through the list file).
#pragma once

#include <string>
#include <vector>

#include "ArchiverCatalogue.h"

namespace qvr {

struct ArchiveSwitches;
struct LibraryStatus;

enum class ArchiveRoute {
  Library,     // the command entry of `lib`
  Tool,        // cExecute::ShellX of the command line, waiting
  Unsupported  // the format word has no row: nothing runs
};

struct ArchiveCommand {
  ArchiveRoute route = ArchiveRoute::Unsupported;
  Lib lib = Lib::Unlha;    // the library whose command entry runs it, or the tool
  std::vector<Lib> needs;  // catalogue rows that must all be installed
  std::string commandLine;
};

// The format word: cmbArcType's text in lower case; an empty text is "lzh".
std::string ArchiveFormatWord(const std::string& arcTypeText);

// True when archives of the format get a password (ARCHIVE_ZIP / ARCHIVE_7Z Encrypt): the run
// asks for it at Start and answers the library's question with it.
bool ArchiveEncrypts(const std::string& formatWord, const ArchiveSwitches& switches);

// Formats whose command writes the archive anew, replacing a file of that name (TAR, GZ, BZ2,
// and ZIP and 7Z in volumes); every other row adds into an existing archive.
bool CreatesArchiveAnew(const std::string& formatWord, const ArchiveSwitches& switches);
// The file whose presence means the command replaces an archive: the archive, or for 7Z
// volumes its first part.
std::string ReplacedArchive(const std::string& formatWord, const ArchiveSwitches& switches,
                            const std::string& archive);

// False when the per-file command of the format cannot hand the source to the library as it
// is. Every form quotes its paths, so a double quote or a line break can never be carried;
// the "F/"N forms (CAB, TAR, GZ, BZ2, BZA, GZA) leave the name unquoted, where blanks at either
// end, a tab, blanks in a row, or a blank before "-" or "@" would make other names or switches.
bool EachFileCommandCarries(const std::string& formatWord, const std::string& source);

// "個別": the archive `archive` of the one source file `source`.
ArchiveCommand BuildEachFileCommand(const std::string& formatWord, const ArchiveSwitches& switches,
                                    const std::string& archive, const std::string& source,
                                    const LibraryStatus& status);

// "一括": the archive of every source named in the list files of the application folder
// `appFolder` (ending in "/"). With a base folder (ending in "/"), the formats our libraries
// write store each source under its path relative to it, folders kept (KeepsTree); without
// one every row stores file names alone.
ArchiveCommand BuildAllInOneCommand(const std::string& formatWord, const ArchiveSwitches& switches,
                                    const std::string& archive, const std::string& appFolder,
                                    const LibraryStatus& status,
                                    const std::string& baseFolder = "");

// The "一括" formats that keep the sources' folders below the base folder: those our own
// libraries write (ZIP, 7Z, LZH, CAB, TAR, GZ, BZ2).
bool KeepsTree(const std::string& formatWord);

// The file names ("zip32.so", "yz2enc") of what the command needs and is not installed.
std::vector<std::string> MissingComponents(const ArchiveCommand& command,
                                           const LibraryStatus& status);

}  // namespace qvr

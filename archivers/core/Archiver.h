// The core operations every library maps its entries onto. A library's shim only parses
// its own command dialect into a Command and names its formats in LibraryTraits.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ArgSplitter.h"
#include "EntrySource.h"
#include "qvr/ArchiverAbi.h"

namespace qvr::arc {

enum class Operation {
  Extract,  // write the selected entries below the folder
  Test,     // read every selected entry's data, write nothing
  List,     // the selected entries' names into the output buffer
  Write,    // create, add to or delete from the archive: the library's write runner
};

// The writing side of a library (archivers/writers): runs the command on the sorted
// arguments, fills the report and returns the result code.
using WriteRunner = int32_t (*)(const ParsedArgs& args, std::string& report);

struct Command {
  Operation op = Operation::Extract;
  bool keepFolders = true;
  bool overwrite = false;       // overwrite without asking
  WriteRunner write = nullptr;  // set with Operation::Write
  ParsedArgs args;
};

// Maps a library's command line (already sorted by the common rules) onto a Command;
// returns 0 or a result code (ERROR_COMMAND_NAME for an unknown command or switch).
using DialectParser = int32_t (*)(const ParsedArgs& args, Command& command);

struct LibraryTraits {
  unsigned formats;
  uint16_t version;
  uint16_t subVersion;
  int commandWords;  // 1 when the command is a word before the archive ("x", "e")
  DialectParser parse;
  SourceOpener open = &OpenLibarchiveSource;
  // Check, count and FindFirst/FindNext, which never read data; null = `open`.
  SourceOpener list = nullptr;
};

// The reading command words of the dialects that put a word before the archive: "x"
// extract, "e" extract flat, "t" test, "l" (and "v" where `verbose`) list. False for any
// other word, which the dialect then reads itself.
bool ReadingWord(const std::string& word, bool verbose, Command& command);

// A switch the dialect names: exact text or a prefix ("-jm" covers "-jm2").
bool SwitchIn(const std::string& sw, std::initializer_list<const char*> exact,
              std::initializer_list<const char*> prefixes = {});

// The C entries, shared by every library.
int32_t RunCommand(const LibraryTraits& traits, void* owner, const char* line, char* output,
                   uint32_t outputSize);
int32_t CheckArchive(const LibraryTraits& traits, const char* path);
int32_t GetFileCount(const LibraryTraits& traits, const char* path);
void* OpenArchive(const LibraryTraits& traits, void* owner, const char* path);
int32_t CloseArchive(void* handle);
int32_t FindFirst(void* handle, const char* wildcard, EntryInfo* info);
int32_t FindNext(void* handle, EntryInfo* info);
int32_t GetOriginalSizeEx(void* handle, int64_t* size);
int32_t GetCompressedSizeEx(void* handle, int64_t* size);
// How many entries the last RunCommand on this thread left out for safety (0 when it left
// none out or stopped before reading any entry).
int32_t GetSkippedCount();
// 1 when some entry name of the open archive read so far was not UTF-8 and was decoded from
// a code page (its name goes into the buffer), 0 when every name was UTF-8.
int32_t GetNameCodePage(void* handle, char* buffer, uint32_t size);
// The host's password answerer for this thread's later calls; null gives our own question.
void SetPasswordCallback(PasswordCallback* callback, void* context);
// The question for the archive's password: the host's answerer when it set one on the
// thread that asks, else our own dialog, shown once per call. `wrong` counts the answers
// that proved wrong in this call.
using PasswordAsk = std::function<bool(int wrong, std::string& password)>;
PasswordAsk AskerFor(void* owner, const std::string& path);

// Copies `text` into the output buffer, cut at a character boundary, always NUL-terminated.
void WriteReport(const std::string& text, char* output, uint32_t outputSize);

// Fills the record from an entry (sizes, ratio, local MS-DOS time, name, attribute, method).
void FillEntryInfo(const Entry& entry, EntryInfo& info);

}  // namespace qvr::arc

// unarj32j.so (prefix Unarj): ARJ reading with our own decoder: stored data and methods 1
// to 4, multi-volume sets, self-extracting ARJ. Its command is a word before the archive
// ("x", "e", "t", "l").
#include "ArcErrors.h"
#include "ArchiverExports.h"
#include "ArjSource.h"

namespace {

using namespace qvr;
using namespace qvr::arc;

int32_t ParseUnarj(const ParsedArgs& args, Command& command) {
  if (!ReadingWord(args.words.empty() ? "" : args.words[0], true, command))
    return ERROR_COMMAND_NAME;
  for (const std::string& sw : args.switches) {
    // The program sends "-y-" when it does not confirm overwriting.
    if (sw == "-y" || sw == "-y-") {
      command.overwrite = true;
    } else if (SwitchIn(sw, {}, {"-w", "-ht", "-jw", "-e"})) {
      return ERROR_COMMAND_NAME;  // another destination or flattening of the real unarj32j
    }
  }
  return kOk;
}

const LibraryTraits kUnarj{0, 100, 0, 1, &ParseUnarj, &OpenArjSource};

}  // namespace

QVR_ARCHIVER_EXPORTS(Unarj, kUnarj)

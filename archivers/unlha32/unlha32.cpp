// unlha32.so (prefix Unlha): LZH reading, header levels 0 to 3, self-extracting LZH, and
// writing (add, update, delete) with our own LZH codec.
// Its command is a word before the archive ("x", "e", "t", "l").
#include "ArcErrors.h"
#include "ArchiverExports.h"
#include "LzhMethods.h"
#include "LzhUpdate.h"

namespace {

using namespace qvr;
using namespace qvr::arc;

int32_t ParseUnlha(const ParsedArgs& args, Command& command) {
  const std::string word = args.words.empty() ? "" : args.words[0];
  if (ReadingWord(word, true, command)) {
    // extraction, test or listing: the switches follow
  } else if (word == "a" || word == "d") {
    command.op = Operation::Write;  // LzhUpdate reads the switches that matter there
    command.write = &RunLzhWrite;
    return kOk;
  } else {
    return ERROR_COMMAND_NAME;
  }
  for (const std::string& sw : args.switches) {
    if (sw == "-c0") {
      command.overwrite = false;
    } else if (sw == "-c1" || sw == "-y1" || sw == "-y") {
      command.overwrite = true;
    } else if (SwitchIn(sw, {"-m0", "-m1", "-jf0", "-jyd"}, {"-jm", "-je", "-x", "-jb"})) {
      // accepted: messages, and switches that only matter when adding
    } else if (SwitchIn(sw, {}, {"-w", "-jn", "-jx", "-jp", "-a", "-r", "-p"})) {
      return ERROR_COMMAND_NAME;
    }
  }
  return kOk;
}

const LibraryTraits kUnlha{kFormatLha, 100, 0, 1, &ParseUnlha, &OpenLzhSource};

}  // namespace

QVR_ARCHIVER_EXPORTS(Unlha, kUnlha)

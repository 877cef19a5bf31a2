// 7-zip32.so (prefix SevenZip): 7Z and ZIP reading (encrypted 7Z through our own 7Z reader),
// and writing through the writing side ("a", "d"). Its command is a word before the archive
// ("x", "e", "a").
#include "ArcErrors.h"
#include "ArchiverExports.h"
#include "WriteCommands.h"

namespace {

using namespace qvr;
using namespace qvr::arc;

int32_t ParseSevenZip(const ParsedArgs& args, Command& command) {
  const std::string word = args.words.empty() ? "" : args.words[0];
  if (ReadingWord(word, false, command)) {
    // extraction, test or listing: the switches follow
  } else if (word == "a" || word == "d") {
    command.op = Operation::Write;  // the writing side checks its own switches
    command.write = &qvr::writers::RunSevenZipWrite;
    return kOk;
  } else {
    return ERROR_COMMAND_NAME;
  }
  for (const std::string& sw : args.switches) {
    if (sw == "-y") {
      command.overwrite = true;
    } else if (SwitchIn(sw, {"-r", "-t7z", "-tzip"}, {"-m", "-b", "-bs", "-bb"})) {
      // accepted
    } else if (SwitchIn(sw, {}, {"-o", "-ao", "-p", "-x", "-i", "-spf", "-snl", "-snh", "-ssc"})) {
      return ERROR_COMMAND_NAME;
    }
  }
  return kOk;
}

const LibraryTraits kSevenZip{
    kFormat7z | kFormatZip, 100, 0, 1, &ParseSevenZip, &OpenSevenZipSource,
    &OpenSevenZipListSource};

}  // namespace

QVR_ARCHIVER_EXPORTS(SevenZip, kSevenZip)

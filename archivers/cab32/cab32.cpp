// cab32.so (prefix Cab): CAB reading (MSZIP, LZX, stored), self-extracting CAB included;
// "-a" adds through the writing side (MSZIP or stored).
#include "ArcErrors.h"
#include "ArchiverExports.h"
#include "WriteCommands.h"

namespace {

using namespace qvr;
using namespace qvr::arc;

int32_t ParseCab(const ParsedArgs& args, Command& command) {
  bool commandGiven = false;
  for (const std::string& sw : args.switches) {
    if (sw == "-x") {
      command.op = Operation::Extract;
      commandGiven = true;
    } else if (sw == "-t") {
      command.op = Operation::Test;
      commandGiven = true;
    } else if (sw == "-l") {
      command.op = Operation::List;
      commandGiven = true;
    } else if (sw == "-j") {
      command.keepFolders = false;
    } else if (sw == "-o") {
      command.overwrite = true;
    } else if (sw == "-a") {
      command.op = Operation::Write;  // the writing side checks its own switches
      command.write = &qvr::writers::RunCabWrite;
      return kOk;
    } else if (SwitchIn(sw, {"-mz", "-ms"}, {"-ml"})) {
      // accepted: methods only matter when creating
    } else if (SwitchIn(sw, {}, {"-d", "-n"})) {
      return ERROR_COMMAND_NAME;
    }
  }
  return commandGiven ? kOk : ERROR_COMMAND_NAME;
}

const LibraryTraits kCab{kFormatCab, 100, 0, 0, &ParseCab};

}  // namespace

QVR_ARCHIVER_EXPORTS(Cab, kCab)

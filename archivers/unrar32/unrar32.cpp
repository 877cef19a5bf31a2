// unrar32.so (prefix Unrar): RAR 4 and RAR 5 reading, multi-volume and self-extracting RAR.
#include "ArcErrors.h"
#include "ArchiverExports.h"

namespace {

using namespace qvr;
using namespace qvr::arc;

int32_t ParseUnrar(const ParsedArgs& args, Command& command) {
  for (const std::string& sw : args.switches) {
    if (sw == "-x") {
      command.op = Operation::Extract;
      command.keepFolders = true;
    } else if (sw == "-e") {
      command.op = Operation::Extract;
      command.keepFolders = false;
    } else if (sw == "-t") {
      command.op = Operation::Test;
    } else if (sw == "-l") {
      command.op = Operation::List;
    } else if (sw == "-y" || sw == "-o") {
      command.overwrite = true;  // each alone and both together: overwrite silently
    } else if (SwitchIn(sw, {}, {"-ep", "-ap", "-ad", "-p", "-n"})) {
      return ERROR_COMMAND_NAME;
    }
  }
  return kOk;
}

const LibraryTraits kUnrar{kFormatRar, 100, 0, 0, &ParseUnrar};

}  // namespace

QVR_ARCHIVER_EXPORTS(Unrar, kUnrar)

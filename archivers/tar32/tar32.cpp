// tar32.so (prefix Tar): TAR, compressed TAR and single compressed files. Extraction
// always overwrites (the program sends no overwrite switch for TAR); "-c" creates through the
// writing side.
#include "ArcErrors.h"
#include "ArchiverExports.h"
#include "WriteCommands.h"

namespace {

using namespace qvr;
using namespace qvr::arc;

int32_t ParseTar(const ParsedArgs& args, Command& command) {
  command.overwrite = true;
  for (const std::string& sw : args.switches) {
    if (sw == "-x") {
      command.op = Operation::Extract;
    } else if (sw == "-t") {
      command.op = Operation::List;
    } else if (sw == "--test") {
      command.op = Operation::Test;  // "-t" lists, as in tar; this reads every entry's data
    } else if (sw == "--use-directory=1") {
      command.keepFolders = true;
    } else if (sw == "--use-directory=0") {
      command.keepFolders = false;
    } else if (sw == "-c") {
      command.op = Operation::Write;  // the writing side checks its own switches
      command.write = &qvr::writers::RunTarWrite;
      return kOk;
    } else if (SwitchIn(sw, {}, {"-C", "-o", "--strip-components", "--exclude", "-U"})) {
      return ERROR_COMMAND_NAME;
    }
  }
  return kOk;
}

const LibraryTraits kTar{kFormatTar | kFormatCompressedFile, 100, 0, 0, &ParseTar};

}  // namespace

QVR_ARCHIVER_EXPORTS(Tar, kTar)

// unzip32.so (prefix UnZip): ZIP reading, self-extracting ZIP included.
#include "ArcErrors.h"
#include "ArchiverExports.h"

namespace {

using namespace qvr;
using namespace qvr::arc;

int32_t ParseUnZip(const ParsedArgs& args, Command& command) {
  for (const std::string& sw : args.switches) {
    if (sw == "-x") {
      command.op = Operation::Extract;
    } else if (sw == "-j") {
      command.keepFolders = false;
    } else if (sw == "-o") {
      command.overwrite = true;
    } else if (sw == "-t") {
      command.op = Operation::Test;
    } else if (sw == "-l" || sw == "-v") {
      command.op = Operation::List;
    } else if (SwitchIn(sw, {"-s", "-V", "-i", "-C", "-qq", "-q"})) {
      // accepted: messages and name matching that change nothing on disk
    } else if (SwitchIn(sw, {}, {"-d", "-n", "-L", "-U", "-a", "-X", "-u", "-f", "-P", "-b"})) {
      return ERROR_COMMAND_NAME;  // would change what is written: not ours
    }
  }
  return kOk;
}

const LibraryTraits kUnZip{
    kFormatZip, 100, 0, 0, &ParseUnZip, &OpenLibarchiveSource, &OpenZipDirectorySource};

}  // namespace

QVR_ARCHIVER_EXPORTS(UnZip, kUnZip)

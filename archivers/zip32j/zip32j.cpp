// zip32j.so (prefix Zip): ZIP writing (create, add, update, delete); it reads nothing, so it
// offers the command entry, the version entries, the progress of its writes and the host's
// password for "-e" only.
#include "ArcErrors.h"
#include "Archiver.h"
#include "CallProgress.h"
#include "WriteCommands.h"

namespace {

using namespace qvr;
using namespace qvr::arc;

int32_t ParseZip(const ParsedArgs&, Command& command) {
  command.op = Operation::Write;  // every Zip command writes; the writing side checks switches
  command.write = &qvr::writers::RunZipCommand;
  return kOk;
}

const LibraryTraits kZip{kFormatZip, 100, 0, 0, &ParseZip};

}  // namespace

#define QVR_ARC_EXPORT extern "C" __attribute__((visibility("default")))

QVR_ARC_EXPORT int32_t Zip(void* owner, const char* line, char* out, uint32_t size) {
  return qvr::arc::RunCommand(kZip, owner, line, out, size);
}
QVR_ARC_EXPORT uint16_t ZipGetVersion(void) {
  return kZip.version;
}
QVR_ARC_EXPORT uint16_t ZipGetSubVersion(void) {
  return kZip.subVersion;
}
QVR_ARC_EXPORT void ZipSetProgressCallback(qvr::ProgressCallback* callback, void* context) {
  qvr::arc::SetProgressCallback(callback, context);
}
QVR_ARC_EXPORT void ZipSetPasswordCallback(qvr::PasswordCallback* callback, void* context) {
  qvr::arc::SetPasswordCallback(callback, context);
}

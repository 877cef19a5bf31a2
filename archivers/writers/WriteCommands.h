// The writing commands of our libraries, on arguments already sorted by the library's command
// line rules (switches, archive, base folder, names with response files expanded). Each maps
// its dialect's switches onto the writers; a switch that would change what is written and that
// we do not serve fails with ERROR_COMMAND_NAME before anything is touched.
#pragma once

#include <string>
#include <vector>

#include "ArgSplitter.h"
#include "WriteResult.h"

namespace qvr::writers {

// Each runner takes the arguments as the core sorted them (switches, command word, archive,
// base folder, names with response files expanded), fills the report and returns the result.

// Zip (zip32j): add or replace; -u update, -d delete, -r, -j, -S, -D, -0..-9, -e encrypt
// (AES-256) with the host's password.
int32_t RunZipCommand(const arc::ParsedArgs& args, std::string& report);
// SevenZip "a" and "d": -t7z / -tzip (else the extension), -r, -mx= and the method switches;
// -p<password> or -p alone (the host's password) encrypts, -mhe=on also the 7Z names.
int32_t RunSevenZipWrite(const arc::ParsedArgs& args, std::string& report);
// Cab -a: -j flat, -mz MSZIP, -ml:N (written as MSZIP), -ms stored.
int32_t RunCabWrite(const arc::ParsedArgs& args, std::string& report);
// Tar -c: --use-directory=0/1, -z<N> gzip level, -B<N> bzip2 level; the extension decides.
int32_t RunTarWrite(const arc::ParsedArgs& args, std::string& report);

}  // namespace qvr::writers

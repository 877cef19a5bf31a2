// The writing commands of our libraries, on arguments already sorted by the library's command
// line rules (switches, archive, base folder, names with response files expanded). Each maps
// its dialect's switches onto the writers; a switch that would change what is written and that
// we do not serve fails with ERROR_COMMAND_NAME before anything is touched.
#pragma once

#include <string>
#include <vector>

#include "WriteResult.h"

namespace qvr::writers {

struct WriteArgs {
  std::vector<std::string> switches;  // with their leading "-"
  std::string archive;
  std::string folder;  // the base folder, ending in "/", or ""
  std::vector<std::string> names;
};

// Zip (zip32j): add or replace; -u update, -d delete, -r, -j, -S, -D, -0..-9.
WriteResult RunZipCommand(const WriteArgs& args);
// SevenZip "a" and "d": -t7z / -tzip (else the extension), -r, -mx= and the method switches.
WriteResult RunSevenZipWrite(const std::string& command, const WriteArgs& args);
// Cab -a: -j flat, -mz MSZIP, -ml:N (written as MSZIP), -ms stored.
WriteResult RunCabWrite(const WriteArgs& args);
// Tar -c: --use-directory=0/1, -z<N> gzip level, -B<N> bzip2 level; the extension decides.
WriteResult RunTarWrite(const WriteArgs& args);

}  // namespace qvr::writers

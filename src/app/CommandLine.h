// The program's command line: the start-up mode and the file part, and the single text the
// arguments are joined into (the form a second start hands over to the running instance).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "StartUpMode.h"

namespace qvr {

struct StartUp {
  std::string mode = kModeNormal;  // "NORMAL", "DDMODE" or "DDMODE_SETTING"
  std::string filePart;            // paths as AddArchiveList reads them
};

// Splits the trimmed command-line text into start-up mode and file part. "/DDMODE" is
// recognised in exactly that case. With another instance running, the run of "/DDMODE" is
// not started here: the mode is "NORMAL" and "/DDMODE" alone is handed over as it stands.
StartUp ParseCommandLine(std::string_view text, bool previousInstance);

// The arguments as one text: a relative path is made absolute against currentFolder (the
// running instance that may receive it has a folder of its own), an argument with a blank
// is put in double quotes, and arguments are separated by one blank.
std::string JoinArguments(const std::vector<std::string>& args, const std::string& currentFolder);

// The process's current folder ("/" when it cannot be told).
std::string CurrentFolder();

// The text without blanks at both ends.
std::string TrimBlanks(std::string_view text);

}  // namespace qvr

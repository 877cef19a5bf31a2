// What the help menu opens: the HTML manual (beside the program, else the installed one)
// and the online manual, both in the desktop's browser.
#pragma once

namespace qvr {

class MainWindowPort;

// The fixed address of the online manual.
inline constexpr const char* kOnlineHelpUrl = "https://quiverarchiver.sourceforge.io/manual/";

// MnuHelp: the manual; a box through the window when it cannot be found.
void OpenManual(MainWindowPort& window);
// MnuOnlineHelp.
void OpenOnlineHelp();

}  // namespace qvr

// The ZIP library's "ShowResult" value (Software\ArchiverDll\UNZIP32\Settings of the
// registry store): off while the program runs, so that the library shows no result box of
// its own, and given back when it ends.
#pragma once

#include <cstdint>

namespace qvr {

// Turns the value off; returns what it was (0: it was off, nothing to give back).
int32_t TurnShowResultOff();
// Gives back a value TurnShowResultOff returned; 0 and -1 give back nothing.
void RestoreShowResult(int32_t saved);

}  // namespace qvr

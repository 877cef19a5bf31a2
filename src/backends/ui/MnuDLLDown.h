// The library installer start: caldix from the application folder, with the main window
// disabled until it ends. The status is not read again; the next start finds new libraries.
#pragma once

class QWidget;

namespace qvr {

// Started = true; false when caldix could not be started.
bool MnuDLLDown(QWidget* mainWindow);

}  // namespace qvr

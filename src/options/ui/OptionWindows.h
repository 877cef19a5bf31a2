// The three options dialogs as the main window opens them, wired to what they change: the
// general options to the associations, the shell entries and the mail passwords' stored
// form; the extraction options to the caller's follow-ups; the archiving options alone.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "Option.h"
#include "frmOptionEx.h"

namespace qvr {

class MainWindowPort;
struct LibraryStatus;

// The general options' steps; the shell integration's one message goes through `window`.
OptionSteps GeneralOptionSteps(MainWindowPort& window);

// frmOption, modal. With "DDMODE_SETTING" it is modeless and `closed` runs when it closes.
void ShowGeneralOptions(QWidget* owner, MainWindowPort& window, const LibraryStatus& status,
                        const std::string& openingMode, const std::function<void()>& closed);

// frmOptionEx, modal; `usualFolderChosen`: the main window extracts into the usual folder.
void ShowExtractOptions(QWidget* owner, const LibraryStatus& status, OptionExFollowUps followUps,
                        bool usualFolderChosen);

// frmOptionArc, modal: the switch table of the archive mode.
void ShowArchiveOptions(QWidget* owner);

}  // namespace qvr

// The common dialogs and the message box every window of the program uses, each owned by
// the window that asks: "ファイルを開く", "ファイルを保存" and "フォルダの選択" (native
// where the desktop offers them), and the box titled "QuiverArchiver".
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "MainWindowPort.h"

class QWidget;

namespace qvr {

MsgResult MessageBoxOn(QWidget* owner, const std::string& text, MsgIcon icon, MsgButtons buttons);
// A filter is a list of description/pattern pairs ("WAV Files(*.wav)", "*.wav"). Each
// gives the chosen path, "" when cancelled.
std::string OpenFileDialog(QWidget* owner, const std::vector<std::string>& filter,
                           const std::string& initialFolder);
std::string SaveFileDialog(QWidget* owner, const std::vector<std::string>& filter,
                           const std::string& initialFolder);
std::string BrowseForFolder(QWidget* owner);

// What answers the three file and folder dialogs instead of Qt's, given the dialog's caption,
// filter and first folder: a test installs one, since a modal dialog cannot be answered
// reliably without a window system. An empty function brings Qt's dialogs back.
using FileDialogStandIn =
    std::function<std::string(const std::string& caption, const std::vector<std::string>& filter,
                              const std::string& initialFolder)>;
void SetFileDialogStandIn(FileDialogStandIn standIn);

}  // namespace qvr

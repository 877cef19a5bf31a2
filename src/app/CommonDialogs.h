// The common dialogs and the message box every window of the program uses, each owned by
// the window that asks: "ファイルを開く", "ファイルを保存" and "フォルダの選択" (native
// where the desktop offers them), and the box titled "QuiverArchiver".
#pragma once

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

}  // namespace qvr

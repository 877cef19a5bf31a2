// The extraction options (frmOptionEx) without their window: the keys in the order OK
// writes them, the steps OK takes between them, and the checks that refuse values a run
// could not use.
#pragma once

#include "Translate.h"

#include <array>
#include <string>

#include "OptionRows.h"

namespace qvr {

// The rows of kOptionExRows, in OK's order.
enum class ExRow {
  Directory,
  ErrorSkip,
  PreScan,
  Use7ZIP,
  UseYZ2DEC,  // then the main window's copy of UseYZ2DEC
  OpenFolder,
  ShowListViewer,
  AlwaysPath,
  NormalOverWrite,
  NormalFileNameFolder,
  NormalDeleteArchive,
  NormalNameCodePage,  // the code page of names that are not UTF-8; "" = automatic
  DDModeUseDesktop,
  DDModeTargetPath,
  DDModeExtractMode,  // then the easy-extraction desktop launcher
  DDModeOverWrite,
  DDModeFileNameFolder,
  DDModeDeleteArchive,
  ArcViewOverWrite,
  MakeFolder4ListView,
  ArcViewAction,
  ArcViewTargetPlace,
  ArcViewAlwaysFolder,
  ArcViewTemplate,  // then the status-bar pictures
  Count
};

// The steps OK takes after a row (OptionRow::followUp).
enum ExFollowUp { kExSetYZ2DEC = 1, kExDDModeShortcut, kExStatusBarPictures };

extern const std::array<OptionRow, size_t(ExRow::Count)> kOptionExRows;

// The viewer's special folders (EXTRACT_ARCVIEW Template).
inline constexpr std::array<const char*, 4> kArcViewTemplates = {
    QVR_TRANSLATE_NOOP("Options", "マイ ドキュメント"),
    QVR_TRANSLATE_NOOP("Options", "デスクトップ"),
    QVR_TRANSLATE_NOOP("Options", "システムフォルダ"), "Windows"};

// The viewer's double click: the places each action allows (open: 0 to 2, extract: 1 to 3).
bool ArcViewPlaceAllowed(int action, int place);

// The first refusal of the values, "" when OK may write them: an easy-extraction or viewer
// destination that would be an empty folder, a viewer action and place with which a
// double click does nothing, and (when alwaysPathInUse: the main window extracts to the
// usual place) an empty usual folder.
std::string CheckOptionEx(const OptionValues& values, bool alwaysPathInUse);

// The value of a row.
inline const std::string& ExValue(const OptionValues& values, ExRow row) {
  return values[size_t(row)];
}

}  // namespace qvr

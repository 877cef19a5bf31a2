#include "OptionEx.h"

#include <algorithm>
#include <cstdlib>

#include "Translate.h"

namespace qvr {

// clang-format off
const std::array<OptionRow, size_t(ExRow::Count)> kOptionExRows = {{
  {"GENERAL", "Directory", OptionKind::Check},
  {"GENERAL", "ErrorSkip", OptionKind::Check},
  {"GENERAL", "PreScan", OptionKind::Check},
  {"GENERAL", "Use7ZIP", OptionKind::Check},
  {"GENERAL", "UseYZ2DEC", OptionKind::Check, 0, "", "", kExSetYZ2DEC},
  {"GENERAL", "OpenFolder", OptionKind::Check},
  {"GENERAL", "ShowListViewer", OptionKind::Check},
  {"GENERAL", "AlwaysPath", OptionKind::Text, 0, "", QVR_TRANSLATE_NOOP("Options", "いつもの解凍先")},
  {"EXTRACT_NORMAL", "OverWrite", OptionKind::Check},
  {"EXTRACT_NORMAL", "FileNameFolder", OptionKind::Choice, 3},
  {"EXTRACT_NORMAL", "DeleteArchive", OptionKind::Check},
  {"EXTRACT_NORMAL", "NameCodePage", OptionKind::Text},
  {"DDMODE", "UseDesktop", OptionKind::Check},
  {"DDMODE", "TargetPath", OptionKind::Text, 0, "", QVR_TRANSLATE_NOOP("Options", "自分であらかじめ決めた場所")},
  {"DDMODE", "ExtractMode", OptionKind::Choice, 3, "", "", kExDDModeShortcut},
  {"DDMODE", "OverWrite", OptionKind::Check},
  {"EXTRACT_DDMODE", "FileNameFolder", OptionKind::Choice, 3},
  {"EXTRACT_DDMODE", "DeleteArchive", OptionKind::Check},
  {"EXTRACT_ARCVIEW", "OverWrite", OptionKind::Check},
  {"GENERAL", "MakeFolder4ListView", OptionKind::Check},
  {"EXTRACT_ARCVIEW", "Action", OptionKind::Choice, 2},
  {"EXTRACT_ARCVIEW", "TargetPlace", OptionKind::Choice, 4},
  {"EXTRACT_ARCVIEW", "AlwaysFolder", OptionKind::Text, 0, "", QVR_TRANSLATE_NOOP("Options", "いつものところへ")},
  {"EXTRACT_ARCVIEW", "Template", OptionKind::Text, 0, "", QVR_TRANSLATE_NOOP("Options", "テンプレート指定"), kExStatusBarPictures},
}};
// clang-format on

bool ArcViewPlaceAllowed(int action, int place) {
  if (action == 0) return place >= 0 && place <= 2;
  if (action == 1) return place >= 1 && place <= 3;
  return false;
}

namespace {

bool Blank(const std::string& text) {
  return text.find_first_not_of(" \t") == std::string::npos;
}

std::string EmptyFolderMessage(const std::string& page, const std::string& field) {
  return page + Tr("OptionEx", "の「") + field +
         Tr("OptionEx", "」のフォルダが空です。フォルダを指定してください。");
}

}  // namespace

std::string CheckOptionEx(const OptionValues& values, bool alwaysPathInUse) {
  auto number = [&](ExRow row) { return std::atoi(ExValue(values, row).c_str()); };
  if (alwaysPathInUse && Blank(ExValue(values, ExRow::AlwaysPath)))
    return EmptyFolderMessage(Tr("OptionEx", "通常解凍"), Tr("OptionEx", "いつもの解凍先"));
  if (number(ExRow::DDModeExtractMode) == 2 && Blank(ExValue(values, ExRow::DDModeTargetPath)))
    return EmptyFolderMessage(Tr("OptionEx", "簡易解凍"),
                              Tr("OptionEx", "自分であらかじめ決めた場所"));
  int action = number(ExRow::ArcViewAction);
  int place = number(ExRow::ArcViewTargetPlace);
  if (!ArcViewPlaceAllowed(action, place))
    return Tr("OptionEx",
              "書庫閲覧の「ダブルクリック時動作」の「アクション」と「場所」を選択してください。");
  if (place == 2 && Blank(ExValue(values, ExRow::ArcViewAlwaysFolder)))
    return EmptyFolderMessage(Tr("OptionEx", "書庫閲覧"), Tr("OptionEx", "いつものところへ"));
  const std::string& folder = ExValue(values, ExRow::ArcViewTemplate);
  if (place == 3 && std::none_of(kArcViewTemplates.begin(), kArcViewTemplates.end(),
                                 [&](const char* t) { return folder == t; }))
    return Tr("OptionEx", "書庫閲覧の「テンプレート指定」のフォルダを一覧から選択してください。");
  return "";
}

}  // namespace qvr

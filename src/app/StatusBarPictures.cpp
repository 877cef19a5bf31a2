#include "StatusBarPictures.h"

#include "Settings.h"
#include "Translate.h"

namespace qvr {

StatusPicture FileNameFolderPicture(int fileNameFolder) {
  switch (fileNameFolder) {
    case 1:
      return {kPicMakeFolder, Tr("StatusBarPictures", "ファイル名でフォルダを作成する")};
    case 2:
      return {kPicNoFolder, Tr("StatusBarPictures", "ファイル名でフォルダを作成しない")};
    default:
      return {kPicNone, Tr("StatusBarPictures", "自動モード")};
  }
}

StatusPicture DirectoryPicture(int directory) {
  if (directory != 0)
    return {kPicIgnoreDirs, Tr("StatusBarPictures", "書庫ファイル内のディレクトリを無視する")};
  return {kPicKeepDirs, Tr("StatusBarPictures", "書庫ファイル内のディレクトリを有効にする")};
}

StatusPicture StBarPicMkFldr() {
  return FileNameFolderPicture(GetIniInt(kQvrArcIni, "EXTRACT_NORMAL", "FileNameFolder"));
}

StatusPicture StBarPicIgnrDir() {
  return DirectoryPicture(GetIniInt(kQvrArcIni, "GENERAL", "Directory"));
}

StatusBarZone HitStatusBarZone(int xTwips, int widthTwips) {
  // The shared edge W - 600 belongs to the folder-per-archive picture.
  if (xTwips >= widthTwips - 900 && xTwips <= widthTwips - 600)
    return StatusBarZone::FileNameFolder;
  if (xTwips > widthTwips - 600 && xTwips <= widthTwips - 300) return StatusBarZone::Directory;
  return StatusBarZone::None;
}

StatusBarZone ClickStatusBar(int xTwips, int widthTwips) {
  StatusBarZone zone = HitStatusBarZone(xTwips, widthTwips);
  if (zone == StatusBarZone::FileNameFolder) {
    int value = GetIniInt(kQvrArcIni, "EXTRACT_NORMAL", "FileNameFolder");
    int next = value == 0 ? 1 : value == 1 ? 2 : 0;
    WriteIniString(kQvrArcIni, "EXTRACT_NORMAL", "FileNameFolder", std::to_string(next));
  } else if (zone == StatusBarZone::Directory) {
    int value = GetIniInt(kQvrArcIni, "GENERAL", "Directory");
    WriteIniString(kQvrArcIni, "GENERAL", "Directory", value == 0 ? "1" : "0");
  }
  return zone;
}

}  // namespace qvr

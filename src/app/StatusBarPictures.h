// The two option pictures of the status bar (panel 4: folder per archive, panel 5: ignore
// the folders inside archives) and the clicks that switch them. Form1 only draws: which
// picture of ImageList1 and which tool tip, and what a click at a position does.
#pragma once

#include <string>

namespace qvr {

// Pictures of ImageList1.
inline constexpr int kPicNone = 0, kPicMakeFolder = 1, kPicNoFolder = 2, kPicKeepDirs = 3,
                     kPicIgnoreDirs = 4;

struct StatusPicture {
  int image;  // kPic...
  std::string toolTip;
};

// Panel 4 from EXTRACT_NORMAL/FileNameFolder; panel 5 from GENERAL/Directory.
StatusPicture StBarPicMkFldr();
StatusPicture StBarPicIgnrDir();
// The same, for a given value.
StatusPicture FileNameFolderPicture(int fileNameFolder);
StatusPicture DirectoryPicture(int directory);

enum class StatusBarZone { None, FileNameFolder, Directory };

// Which picture a click hits: x is the click's position from the window's left edge and
// width the window's width, both in twips.
StatusBarZone HitStatusBarZone(int xTwips, int widthTwips);

// A click on the status bar: cycles FileNameFolder 0 -> 1 -> 2 -> 0 or toggles Directory,
// saves it to QvrArc.ini and returns the zone whose panel must be redrawn.
StatusBarZone ClickStatusBar(int xTwips, int widthTwips);

}  // namespace qvr

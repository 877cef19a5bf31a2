// Which archiver libraries, tools and the mail component are installed, and the folders of
// the three outside tools. Filled once at start-up by LoadArchiverDLLStatus (cached in
// DllStatus.ini); the main window owns the one LibraryStatus and every engine reads it.
// No entry of a library is called unless its flag is set.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace qvr {

class MainWindowPort;
struct LibRow;

inline constexpr const char* kDllStatusIni = "DllStatus.ini";
inline constexpr int kDllStatusVersion = 128;

struct LibraryStatus {
  bool BASP21 = false;  // the mail component: libcurl with SMTP
  bool UNLHA32 = false;
  bool UNZIP32 = false;
  bool ZIP32J = false;
  bool ZIP32 = false;
  bool CAB32 = false;
  bool UNGCA32 = false;
  bool UNRAR32 = false;
  bool SEVENZIP32 = false;  // key "7ZIP32"
  bool YZ1 = false;
  bool UNARJ32 = false;
  bool TAR32 = false;
  bool BGA32 = false;
  bool UNBEL32 = false;
  bool UNIMP32 = false;
  bool KTY32 = false;
  bool UNACEV2 = false;
  bool UNACE32 = false;
  bool YZ2DEC = false;
  bool YZ2ENC = false;
  bool RKEXE = false;
  bool PAQAR32 = false;
  bool UNHKI32 = false;
  // Folders ending in "/" from which yz2dec, yz2enc and rk are started; "" when not found.
  std::string YZ2DECPath;
  std::string YZ2ENCPath;
  std::string RKEXEPath;

  // The flag of a DllStatus.ini key ("UNLHA32", "7ZIP32", ...); false for an unknown key.
  bool Flag(std::string_view key) const;
  bool* FlagPtr(std::string_view key);
};

// Fills the status from DllStatus.ini of the application folder, probing every component
// not known to be present, and writes the file back. On a damaged file: deletes it, shows
// the restart message through the window and returns false with the flags as far as they
// were filled.
bool LoadArchiverDLLStatus(LibraryStatus& status, MainWindowPort& window);

// Probe of one component of the catalogue (ArchiverCatalogue.h): found or not; for the
// tools also their folder.
bool ProbeComponent(const LibRow& component, std::string* folder);

// Whether the mail component is installed: the notice room's answer (MailComponent::
// Available), handed in by the program at start-up as the window is, so that the back-ends
// stand on nothing above them. Without one the component counts as missing.
void SetMailComponentProbe(std::function<bool()> probe);

}  // namespace qvr

// The general options (frmOption) without their window: the keys in the order OK writes
// them, the steps OK takes between them (associations, SendTo, the desktop launcher, the
// folder right-click entry), the association boxes and their availability, and the mail
// passwords in their stored form.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "OptionRows.h"

namespace qvr {

struct LibraryStatus;

enum class GenRow {
  ExtensionMode,     // then the associations
  UseSendTo,         // then the SendTo entry
  UseDeskTopNormal,  // then the normal-mode desktop launcher
  FontSize,
  UseSound,
  SoundFilePath,
  EndNotice,
  DesktopNotice,
  Sort,
  MailUse,
  SMTPServer,
  Port,
  TimeOut,
  UseSMTPAUTH,
  SMTPAUTH,
  SMTPUserName,
  SMTPPassword,  // stored encoded
  MailTo,
  MailFrom,
  Subject,
  UsePOPBSMTP,
  POPServer,
  POPUserName,
  POPPassword,      // stored encoded
  UseFolderQvrAdd,  // then the folder right-click entry
  Count
};

enum GenFollowUp { kGenAssociations = 1, kGenSendTo, kGenDesktopNormal, kGenRightClick };

extern const std::array<OptionRow, size_t(GenRow::Count)> kOptionRows;

// The association boxes: control name and format name, in the dialog's order.
struct AssociationBox {
  const char* control;
  const char* format;
};
extern const std::array<AssociationBox, 23> kAssociationBoxes;

// Whether the library or tool that serves the format is installed (TAR, GZ, BZ2 and Z share
// the TAR library; BZA and GZA the BGA library; YZ2 and YZ2A6 yz2dec; ACE either ACE
// library).
bool AssociationAvailable(const LibraryStatus& status, const std::string& format);

// What OK does beside writing the file, and where the shell and mail parts of the program
// are reached.
struct OptionSteps {
  std::function<bool(const std::string& format)> isAssociated;
  // Registers every format whose box is checked, unregisters the others.
  std::function<void(const std::function<bool(const std::string& format)>& checked)>
      applyAssociations;
  std::function<void(bool use)> updateSendTo;
  std::function<void(bool use)> updateDesktopNormal;
  std::function<void(bool use)> setFolderRightClick;
  // A mail password (key "SMTPPassword" / "POPPassword") to what QvrArc.ini holds, and back.
  std::function<std::string(const std::string& key, const std::string& text)> storePassword;
  std::function<std::string(const std::string& key, const std::string& stored)> loadPassword;
  // True when the passwords go to the desktop's key ring rather than into the file.
  std::function<bool()> keyringAnswers;
};

// The rows as the dialog shows them: the passwords decoded.
OptionValues ReadOption(const OptionSteps& steps);
// The first refusal of the values ("" when OK may write them): Port and TimeOut must be
// numbers.
std::string CheckOption(const OptionValues& values);
// Writes the rows in order with the passwords encoded, taking the steps after their rows;
// checked(format) is the state of a format's association box.
void WriteOption(const OptionValues& values, const OptionSteps& steps,
                 const std::function<bool(const std::string& format)>& checked);

}  // namespace qvr

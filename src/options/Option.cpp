#include "Option.h"

#include "ArchiverCatalogue.h"
#include "PathHelpers.h"

namespace qvr {

// clang-format off
const std::array<OptionRow, size_t(GenRow::Count)> kOptionRows = {{
  {"EXTENSION", "Mode", OptionKind::Choice, 2, "", "", kGenAssociations},
  {"GENERAL", "UseSendTo", OptionKind::Check, 0, "", "", kGenSendTo},
  {"GENERAL", "UseDeskTopNormal", OptionKind::Check, 0, "", "", kGenDesktopNormal},
  {"GENERAL", "FONTSIZE", OptionKind::Choice, 2},
  {"GENERAL", "UseSound", OptionKind::Check},
  {"GENERAL", "SoundFilePath", OptionKind::Text},
  {"GENERAL", "EndNotice", OptionKind::Check},
  {"GENERAL", "DesktopNotice", OptionKind::CheckOn},
  {"GENERAL", "SORT", OptionKind::Choice, 3},
  {"E-Mail", "Use", OptionKind::Check},
  {"E-Mail", "SMTPServer", OptionKind::Text},
  {"E-Mail", "Port", OptionKind::Number, 0, "25", "Port"},
  {"E-Mail", "TimeOut", OptionKind::Number, 0, "120", "TimeOut"},
  {"E-Mail", "UseSMTPAUTH", OptionKind::Check},
  {"E-Mail", "SMTPAUTH", OptionKind::Choice, 3},
  {"E-Mail", "SMTPUserName", OptionKind::Text},
  {"E-Mail", "SMTPPassword", OptionKind::Text},
  {"E-Mail", "MailTo", OptionKind::Text},
  {"E-Mail", "MailFrom", OptionKind::Text},
  {"E-Mail", "Subject", OptionKind::Text},
  {"E-Mail", "UsePOPBSMTP", OptionKind::Check},
  {"E-Mail", "POPServer", OptionKind::Text},
  {"E-Mail", "POPUserName", OptionKind::Text},
  {"E-Mail", "POPPassword", OptionKind::Text},
  {"RightClick", "UseFolderQvrAdd", OptionKind::Check, 0, "", "", kGenRightClick},
}};

const std::array<AssociationBox, 23> kAssociationBoxes = {{
  {"Link_LZH", "LZH"}, {"Link_ZIP", "ZIP"}, {"Link_CAB", "CAB"}, {"Link_GCA", "GCA"},
  {"Link_RAR", "RAR"}, {"Link_7ZIP", "7Z"}, {"Link_YZ1", "YZ1"}, {"Link_ARJ", "ARJ"},
  {"Link_TAR", "TAR"}, {"Link_GZ", "GZ"}, {"Link_BZ2", "BZ2"}, {"Link_Z", "Z"},
  {"Link_BZA", "BZA"}, {"Link_GZA", "GZA"}, {"Link_BEL", "BEL"}, {"Link_IMP", "IMP"},
  {"Link_KTY", "KTY"}, {"Link_ACE", "ACE"}, {"Link_YZ2", "YZ2"}, {"Link_YZ2A6", "YZ2A6"},
  {"Link_RK", "RK"}, {"Link_HKI", "HKI"}, {"Link_PQA", "PQA"},
}};
// clang-format on

bool AssociationAvailable(const LibraryStatus& status, const std::string& format) {
  // ACE archives are extracted by UnACEv2 unless the settings ask for UNACE32.
  if (format == "ACE") return status.UNACEV2 || status.UNACE32;
  const ExtensionRow* extension = ExtensionRowOf(LCase(format));
  const FormatRow* row = extension ? FormatRowOf(extension->format) : nullptr;
  return row && status.*RowOf(row->lib).flag;
}

namespace {

constexpr size_t kPasswords[] = {size_t(GenRow::SMTPPassword), size_t(GenRow::POPPassword)};

}  // namespace

OptionValues ReadOption(const OptionSteps& steps) {
  OptionValues values = ReadOptionRows(kOptionRows);
  if (steps.loadPassword)
    for (size_t row : kPasswords)
      values[row] = steps.loadPassword(kOptionRows[row].key, values[row]);
  return values;
}

std::string CheckOption(const OptionValues& values) {
  return CheckNumberRows(kOptionRows, values);
}

void WriteOption(const OptionValues& shown, const OptionSteps& steps,
                 const std::function<bool(const std::string& format)>& checked) {
  OptionValues values = shown;
  if (steps.storePassword)
    for (size_t row : kPasswords)
      values[row] = steps.storePassword(kOptionRows[row].key, values[row]);
  auto flag = [&](GenRow row) { return values[size_t(row)] == "1"; };
  WriteOptionRows(kOptionRows, values, [&](int step) {
    switch (step) {
      case kGenAssociations:
        if (steps.applyAssociations) steps.applyAssociations(checked);
        break;
      case kGenSendTo:
        if (steps.updateSendTo) steps.updateSendTo(flag(GenRow::UseSendTo));
        break;
      case kGenDesktopNormal:
        if (steps.updateDesktopNormal) steps.updateDesktopNormal(flag(GenRow::UseDeskTopNormal));
        break;
      case kGenRightClick:
        if (steps.setFolderRightClick) steps.setFolderRightClick(flag(GenRow::UseFolderQvrAdd));
        break;
    }
  });
}

}  // namespace qvr

#include "Registry_Association.h"

#include <unistd.h>

#include <QMimeDatabase>
#include <algorithm>
#include <set>

#include "AppFolder.h"
#include "DesktopEntry.h"
#include "MimeApps.h"
#include "PathHelpers.h"
#include "Registry.h"
#include "Settings.h"
#include "Translate.h"
#include "cExecute.h"

namespace qvr {
namespace {

const RegRoot kHKCR = RegRoot::ClassesRoot;
constexpr const char* kBackupValue = "QvrExBk";

// The formats whose extension the system's database does not know as that format (".pqa"
// is a Palm file there): they get a type of our own.
const std::set<std::string>& OwnTypeFormats() {
  static const std::set<std::string> formats{"GCA", "YZ1",   "BZA", "GZA", "BEL", "IMP", "KTY",
                                             "YZ2", "YZ2A6", "HKI", "PQA", "RK",  "BH"};
  return formats;
}

std::string OwnType(const std::string& format) {
  return kOwnMimePrefix + LCase(format);
}

std::string Extension(const std::string& format) {
  std::string extension(1, '.');
  return extension += LCase(format);
}

std::string ReadText(const std::string& subKey, const std::string& value) {
  return std::get<std::string>(RegRead(kHKCR, subKey, value, kRegSz, std::string("-1")));
}

void WriteText(const std::string& subKey, const std::string& value, const std::string& text) {
  RegWrite(kHKCR, subKey, value, kRegSz, text);
}

bool EasyMode() {
  return GetIniInt(kQvrArcIni, "EXTENSION", "Mode") != 0;
}

// QuiverExtractor when it lies beside the executable, else the executable itself.
std::string Extractor() {
  std::string program = ShellProgram();
  std::string extractor = FolderOf(program) + kSep + "QuiverExtractor";
  return access(extractor.c_str(), X_OK) == 0 ? extractor : program;
}

std::string IconValue() {
  return ShellIcon() + ",0";
}

// The backup of a MIME type's previous default lives where the registry keeps the types.
std::string MimeKey(const std::string& mimeType) {
  return "MIME\\Database\\Content Type\\" + mimeType;
}

std::vector<std::string> AssociatedFormats() {
  std::vector<std::string> formats;
  for (const std::string& format : AssociationFormats()) {
    if (IsAssociated(format)) formats.push_back(format);
  }
  if (IsAssociated("BH")) formats.push_back("BH");
  return formats;
}

std::vector<std::string> MimeTypesOf(const std::vector<std::string>& formats) {
  std::vector<std::string> types;
  for (const std::string& format : formats) {
    for (const std::string& type : AssociationMimeTypes(format)) {
      if (std::find(types.begin(), types.end(), type) == types.end()) types.push_back(type);
    }
  }
  return types;
}

std::string LauncherText(const std::vector<std::string>& types) {
  std::string mimeTypes;
  for (const std::string& type : types) mimeTypes += type + ';';
  return DesktopGroup("Desktop Entry",
                      {{"Type", "Application"},
                       {"Name", "QuiverArchiver"},
                       {"Comment", Tr("Registry_Association", "QuiverArchiverで解凍します")},
                       {"Exec", ExecValue(Extractor(), EasyMode() ? "/DDMODE %F" : "%F")},
                       {"Icon", EscapeValue(ShellIcon())},
                       {"MimeType", mimeTypes},
                       {"NoDisplay", "true"},
                       {"Terminal", "false"},
                       {kOurMarkKey, "1"}});
}

// The launcher, the MIME package and the tools' caches after a change of the associated
// formats or of the mode; files that are equal already stay untouched.
void SyncDesktopFiles() {
  std::vector<std::string> formats = AssociatedFormats();
  std::string launcher = AssociationLauncherFile();
  bool launcherChanged = false;
  if (formats.empty()) {
    launcherChanged = RemoveOurFile(launcher);
  } else {
    launcherChanged =
        WriteOurFile(launcher, LauncherText(MimeTypesOf(formats)), false) == FileState::Written;
  }
  std::string package = MimePackage(formats);
  bool packageChanged = package.empty()
                            ? RemoveOurFile(MimePackageFile())
                            : WriteOurFile(MimePackageFile(), package, false) == FileState::Written;
  if (packageChanged) RunAndWait({"update-mime-database", XdgDataHome() + "/mime"});
  if (launcherChanged) RunAndWait({"update-desktop-database", XdgDataHome() + "/applications"});
}

void TakeDefault(const std::string& mimeType) {
  std::string current = MimeAppsDefault(mimeType);
  if (FirstLauncher(current) == kAssociationLauncher) return;
  // Written also when there is no previous default, so no older backup can come back.
  WriteText(MimeKey(mimeType), kBackupValue, current);
  SetMimeAppsDefault(mimeType, kAssociationLauncher);
}

void GiveBackDefault(const std::string& mimeType) {
  if (FirstLauncher(MimeAppsDefault(mimeType)) != kAssociationLauncher) return;
  std::string backup =
      std::get<std::string>(RegRead(kHKCR, MimeKey(mimeType), kBackupValue, kRegSz, std::string()));
  // A backup whose launcher has gone since is dropped rather than restored.
  SetMimeAppsDefault(mimeType, InstalledLaunchers(backup));
}

}  // namespace

const std::vector<std::string>& AssociationFormats() {
  static const std::vector<std::string> formats{
      "LZH", "ZIP", "CAB", "GCA", "RAR", "7Z",  "YZ1", "ARJ",   "TAR", "GZ",  "Z", "BZ2",
      "BZA", "GZA", "BEL", "IMP", "KTY", "ACE", "YZ2", "YZ2A6", "HKI", "PQA", "RK"};
  return formats;
}

bool IsAssociationFormat(const std::string& format) {
  const auto& formats = AssociationFormats();
  return format == "BH" || std::find(formats.begin(), formats.end(), format) != formats.end();
}

std::string AssociationClass(const std::string& format) {
  return "QuiverEx_" + format;
}

bool IsAssociated(const std::string& format) {
  return ReadText(Extension(format), "") == AssociationClass(format);
}

std::string AssociationCommand() {
  return QuoteArgument(Extractor()) + (EasyMode() ? " /DDMODE" : "") + " \"%1\"";
}

void RegisterAssociation(const std::string& format) {
  if (!IsAssociationFormat(format)) return;
  const std::string ext = Extension(format);
  const std::string cls = AssociationClass(format);
  std::string current = ReadText(ext, "");
  if (current != cls) {
    if (current != "" && current != "-1") WriteText(ext, kBackupValue, current);
    WriteText(ext, "", cls);
  }
  std::string command = AssociationCommand();
  std::string icon = IconValue();
  std::string description = ReadText(cls, "");
  if (description == "" || description == "-1") WriteText(cls, "", format + " Files");
  if (ReadText(cls + "\\shell\\open\\command", "") != command) {
    WriteText(cls + "\\shell\\open\\command", "", command);
  }
  if (ReadText(cls + "\\DefaultIcon", "") != icon) WriteText(cls + "\\DefaultIcon", "", icon);

  SyncDesktopFiles();
  for (const std::string& type : AssociationMimeTypes(format)) TakeDefault(type);
}

void UnregisterAssociation(const std::string& format) {
  if (!IsAssociationFormat(format)) return;
  const std::string ext = Extension(format);
  std::string backup = ReadText(ext, kBackupValue);
  std::string current = ReadText(ext, "");
  if (current == AssociationClass(format)) WriteText(ext, "", backup == "-1" ? "" : backup);

  // A type that another associated format shares stays ours.
  std::vector<std::string> kept = MimeTypesOf(AssociatedFormats());
  for (const std::string& type : AssociationMimeTypes(format)) {
    if (std::find(kept.begin(), kept.end(), type) == kept.end()) GiveBackDefault(type);
  }
  SyncDesktopFiles();
}

void ApplyAssociations(const std::function<bool(const std::string& format)>& checked) {
  for (const std::string& format : AssociationFormats()) {
    if (checked(format)) {
      RegisterAssociation(format);
    } else {
      UnregisterAssociation(format);
    }
  }
}

std::vector<std::string> AssociationMimeTypes(const std::string& format) {
  if (OwnTypeFormats().count(format)) return {OwnType(format)};
  QMimeDatabase db;
  std::vector<std::string> types;
  auto add = [&](const std::string& fileName) {
    for (const QMimeType& type : db.mimeTypesForFileName(QString::fromStdString(fileName))) {
      std::string name = type.name().toStdString();
      if (name.rfind(kOwnMimePrefix, 0) == 0) continue;
      if (std::find(types.begin(), types.end(), name) == types.end()) types.push_back(name);
    }
  };
  add(std::string("x") += Extension(format));
  if (types.empty()) return {OwnType(format)};
  // On Windows the last extension alone decides: "a.tar.gz" is a GZ file there.
  if (format == "GZ" || format == "BZ2" || format == "Z")
    add(std::string("x.tar") += Extension(format));
  return types;
}

std::string MimePackageFile() {
  return XdgDataHome() + "/mime/packages/quiverarchiver.xml";
}

std::string MimePackage(const std::vector<std::string>& formats) {
  std::string types;
  for (const std::string& format : formats) {
    std::vector<std::string> own = AssociationMimeTypes(format);
    bool isOwn = own.size() == 1 && own.front() == OwnType(format);
    bool isLzh = format == "LZH";
    if (!isOwn && !isLzh) continue;
    types += "  <mime-type type=\"" + EscapeXml(own.front()) + "\">\n";
    if (isOwn) {
      types += "    <comment>" + EscapeXml(format) +
               " Files</comment>\n"
               "    <generic-icon name=\"package-x-generic\"/>\n"
               "    <glob pattern=\"*" +
               EscapeXml(Extension(format)) + "\" weight=\"60\"/>\n";
    }
    if (isLzh) {
      // The system's LZH type knows "-lh0-" to "-lh5-" but not the methods of LHA 2.x.
      types +=
          "    <magic priority=\"60\">\n"
          "      <match type=\"string\" value=\"-lh6-\" offset=\"2\"/>\n"
          "      <match type=\"string\" value=\"-lh7-\" offset=\"2\"/>\n"
          "    </magic>\n";
    }
    types += "  </mime-type>\n";
  }
  if (types.empty()) return "";
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- ") + kOurMark +
         " -->\n"
         "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n" +
         types + "</mime-info>\n";
}

std::string AssociationLauncherFile() {
  return XdgDataHome() + "/applications/" + kAssociationLauncher;
}

}  // namespace qvr

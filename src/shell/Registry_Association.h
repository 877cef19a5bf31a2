// File associations: the registry values of each format's extension and class, kept in the
// per-user registry store, and beside them what makes them take effect on the desktop:
// one launcher "QuiverEx.desktop" in $XDG_DATA_HOME/applications listing every associated
// MIME type, the user MIME package for the types the system does not know, and the
// launcher as the default application of those types in mimeapps.list, the previous
// default kept as the backup value "QvrExBk" and given back on unregistering.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace qvr {

// The launcher of every association class ("QuiverEx_LZH", ...).
inline constexpr const char* kAssociationLauncher = "QuiverEx.desktop";
// The prefix of the MIME types of our own package ("application/x-quiverarchiver-gca").
inline constexpr const char* kOwnMimePrefix = "application/x-quiverarchiver-";

// The 23 formats in the order ApplyAssociations goes through them.
const std::vector<std::string>& AssociationFormats();
// Whether the format is one that registering and unregistering take: the 23 and BH.
bool IsAssociationFormat(const std::string& format);

// "QuiverEx_" + format.
std::string AssociationClass(const std::string& format);
// The state the general options show: the extension's default value is our class.
bool IsAssociated(const std::string& format);

// Associates the format's extension with our class and the format's MIME types with our
// launcher; a foreign association is kept as the backup. Other names are ignored.
void RegisterAssociation(const std::string& format);
// Gives the extension back its backup when it still holds our class, and each MIME type
// whose default is still our launcher its previous default when that is still installed.
void UnregisterAssociation(const std::string& format);
// For each of the 23 formats in order: registers it when checked(format), else unregisters.
void ApplyAssociations(const std::function<bool(const std::string& format)>& checked);

// The open command stored in the class: the extractor (QuiverExtractor beside the
// executable, else the executable itself), quoted, "/DDMODE" in easy mode
// (EXTENSION Mode not 0), and "%1" in double quotes.
std::string AssociationCommand();
// The MIME types that stand for the format's extension here: the system's types of the
// extension (and of ".tar." + extension for the compressors GZ, BZ2 and Z), or our own
// type for the formats the system has none for.
std::vector<std::string> AssociationMimeTypes(const std::string& format);

// The user MIME package ($XDG_DATA_HOME/mime/packages/quiverarchiver.xml) and its text for
// the formats: our own type with its glob for each that needs one, and the "-lh6-" and
// "-lh7-" magic the system's LZH type lacks when LZH is among them.
std::string MimePackageFile();
std::string MimePackage(const std::vector<std::string>& formats);
// $XDG_DATA_HOME/applications/QuiverEx.desktop.
std::string AssociationLauncherFile();

}  // namespace qvr

// The archive viewer's engine: what frmListViewer does with the entry chosen in its list.
// One archive at a time; every extraction and open goes through ExtractFile, deletes and
// drops through their own routines. Widget-free: boxes, dialogs and status texts reach the
// main window through MainWindowPort, the desktop's opener through a callback.
#pragma once

#include "Translate.h"

#include <functional>
#include <string>
#include <vector>

#include "ArchiverDLLStatus.h"
#include "ArchiverDLL_Inspect.h"
#include "ExtractCommand.h"
#include "MainWindowPort.h"

namespace qvr {

// What the viewer's command lines depend on.
struct ViewerOptions {
  bool keepFolders = false;  // GENERAL/MakeFolder4ListView: 1 keeps the entry's folder path
  bool ask = false;          // EXTRACT_ARCVIEW/OverWrite: 1 asks before overwriting
  bool use7Zip = false;      // GENERAL/Use7Zip
  bool useUnace32 = false;   // GENERAL/UseUNACE32
  std::string rkFolder;      // folder of rk, ending in "/"
};

// The command that extracts one entry of an archive by the archive's lower-case extension
// ("lzh", "zip", ...; not "exe"). Unsupported for any other extension.
ExtractCommand BuildViewerCommand(const std::string& extension, const ViewerOptions& options,
                                  const std::string& archive, const std::string& destination,
                                  const std::string& entry);
// The command that extracts one entry of a self-extracting file, flat and without asking,
// by the format the detection found ("LZH", "ZIP", ..., "ACE", "RK").
ExtractCommand BuildSelfExtractorCommand(const std::string& detected, const ViewerOptions& options,
                                         const std::string& archive, const std::string& destination,
                                         const std::string& entry);
// The delete command for one entry by the lower-case extension; Unsupported for an
// extension that has none. zipWriter: GENERAL/Use7Zip is 0 and ZIP32J and ZIP32 are there.
ExtractCommand BuildDeleteCommand(const std::string& extension, bool zipWriter,
                                  const std::string& archive, const std::string& entry);

// The entry as a command line names it: a folder row without its trailing "/" (which our
// libraries would read as the destination), in double quotes when it holds a blank, begins
// with "-" or "@" (a switch or a response file otherwise) or holds "*", "?" or "[" (inside
// double quotes our libraries take them as characters of the name, never as a pattern).
std::string EntryArgument(const std::string& entry);
// False for an entry name that no command line can carry as exactly that entry: a double
// quote or a line break ends it, and "@/" begins a response file even in quotes.
bool CanNameEntry(const std::string& entry);

// The commands of the pop-up menu that the double click and the keys run.
enum class ViewerAction {
  None,
  Open,           // mnuOpen
  OpenApoint,     // mnuOpenApoint
  OpenAlways,     // mnuOpenAlways
  ExtractApoint,  // mnuExtractApoint
  ExtractAlways,  // mnuExtractAlways
  ExtractToMyDocument,
  ExtractToDesktop,
  ExtractToSystem,
  ExtractToWindows,
};
// The captions of the four special folders of mnuExtractBase, in menu order.
inline constexpr const char* kSpecialFolderCaptions[4] = {
    QVR_TRANSLATE_NOOP("Options", "マイ ドキュメント"),
    QVR_TRANSLATE_NOOP("Options", "デスクトップ"),
    QVR_TRANSLATE_NOOP("Options", "システムフォルダ"), "Windows"};
// The double click's command by EXTRACT_ARCVIEW Action, TargetPlace and Template.
ViewerAction DoubleClickAction(int action, int targetPlace, const std::string& templateCaption);
// The folder of a special-folder command (SpecialFolderPath: documents and desktop of the
// XDG user folders, "/usr/lib", "/usr").
std::string SpecialFolderOf(ViewerAction action);

// The docking rule: the viewer's left edge within 100 twips of the main window's right edge.
bool IsDockedAt(long viewerLeft, long mainLeft, long mainWidth);

class ListViewer {
 public:
  ListViewer(MainWindowPort& window, const LibraryStatus& status, ArchiverDLL_Inspect& inspect);

  // The archive the viewer shows; every action works on it. Another archive forgets the
  // passwords given for the last one and starts from the default code page of names.
  void setArchive(const std::string& path);
  const std::string& archive() const { return archive_; }
  // mnuOptMakeFolder: extract into a folder named after the archive.
  bool makeFolder() const { return makeFolder_; }
  void setMakeFolder(bool on) { makeFolder_ = on; }
  // The owner handed to the libraries (the viewer's window).
  void setOwnerWindow(void* owner) { owner_ = owner; }
  // Opens a document with the desktop's associated program; tests record the path.
  void setOpener(std::function<void(const std::string&)> opener) { opener_ = std::move(opener); }

  // Extracts the entry of the viewer's archive into the destination. The out path is the
  // file the extraction writes. askOverride replaces EXTRACT_ARCVIEW/OverWrite for this call
  // (-1: the setting). True on success ("解凍完了！"); a failure shows its box.
  bool ExtractFile(const std::string& entry, const std::string& destination, std::string* outPath,
                   int askOverride = -1);
  // Runs a menu command on the entry.
  void Run(ViewerAction action, const std::string& entry);
  // The double click on the entry (EXTRACT_ARCVIEW read now).
  void DoubleClick(const std::string& entry);
  // mnuTest: the test run over the archive shown, with its passwords; the report at the end.
  // True when the archive passed.
  bool Test();
  // mnuDelete after the user's Yes; true when a delete command ran (the list is then stale).
  bool Delete(const std::string& entry);

  // The passwords given for the archive shown (its listing and every extraction from it).
  RunPasswords& passwords() { return passwords_; }
  // The code page of the names that are not UTF-8, for the listing and every extraction of
  // the archive shown ("": the libraries' guess); EXTRACT_NORMAL/NameCodePage at first.
  const std::string& nameCodePage() const { return nameCodePage_; }
  void setNameCodePage(const std::string& codePage) { nameCodePage_ = codePage; }

  // The usual folder of the viewer: EXTRACT_ARCVIEW/AlwaysFolder, else GENERAL/AlwaysPath.
  static std::string UsualFolder();

 private:
  // False, after its message, for an extension without a command or an entry no command
  // line can name.
  bool Runnable(const ExtractCommand& command, const std::string& entry,
                const std::string& refusal);
  bool ExtractAndOpen(const std::string& entry, const std::string& destination, int askOverride);
  bool ExtractTo(const std::string& entry, const std::string& destination);
  bool WritableTarget(const std::string& folder);
  void Open(const std::string& destination, const std::string& outPath);
  int32_t RunCommand(const ExtractCommand& command, const std::string& entry,
                     const std::string& destination);

  MainWindowPort& window_;
  const LibraryStatus& status_;
  ArchiverDLL_Inspect& inspect_;
  RunPasswords passwords_;
  std::string nameCodePage_;
  void* owner_ = nullptr;
  std::string archive_;
  bool makeFolder_ = false;
  std::function<void(const std::string&)> opener_;
};

// The file an extraction wrote for the out path, found inside the destination as our
// libraries place it (leading "/", "." and ".." removed), as a canonical path; "" when it is
// no regular file there or its real path lies outside the destination.
std::string ExtractedFileInside(const std::string& destination, const std::string& outPath);

}  // namespace qvr

#include "ListViewer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "ArchiverDLL.h"
#include "ArchiverDLL_ACE.h"
#include "PathHelpers.h"
#include "Registry_Link.h"
#include "Settings.h"
#include "TestArchives.h"
#include "Translate.h"
#include "cExecute.h"

namespace qvr {
namespace {

namespace fs = std::filesystem;

std::string Unsupported() {
  return Tr("ListViewer", "対応していない形式のファイルです");
}
std::string Cancelled() {
  return Tr("ListViewer", "解凍は中止しました。");
}

std::string Q(const std::string& text) {
  return "\"" + text + "\"";
}

// `"{A}" "{D}/" `: the archive, the destination and the blank before the entry.
std::string ArchiveAndFolder(const std::string& archive, const std::string& destination) {
  return archive + "\" \"" + destination + kSep + "\" ";
}

// One row of the entry table: command word keep / flat, options ask / no ask, the opening
// before the archive (ending in its quote) and the tail after the entry.
struct Row {
  const char* extensions[4];
  Lib lib;
  const char* wordKeep;
  const char* wordFlat;
  const char* optAsk;
  const char* optNoAsk;
  const char* opening;
  const char* tail;
};

// clang-format off
constexpr Row kRows[] = {
  {{"lzh", "lha"},             Lib::Unlha,  "x ",        "e ",           "-c0 -m0 ", "-c1 -m1 -y1 ", " \"",                  " -y -jf0"},
  {{"zip"},                    Lib::UnZip,  "-x ",       "-x -j ",       "",         "-o ",          "-s -V -i -C -qq \"",   ""},
  {{"7z"},                     Lib::SevenZip, "x ",      "e ",           "",         "-y ",          "\"",                   ""},
  {{"cab"},                    Lib::Cab,    "-x ",       "-x -j ",       "",         "-o ",          "\"",                   ""},
  {{"gca"},                    Lib::UnGCA,  "e -xx1 ",   "e -xx0 ",      "-yx1 ",    "-yx0 ",        "-sx1 \"",              ""},
  {{"rar"},                    Lib::Unrar,  "-x ",       "-e ",          "",         "-y -o ",       "\"",                   ""},
  {{"yz1"},                    Lib::Yz1,    "x -x1 ",    "x -x0 ",       "-y2 ",     "-y1 ",         "\"",                   ""},
  {{"bza", "gza"},             Lib::Bga,    "x -a ",     "x -a -j ",     "",         "-o ",          "\"",                   ""},
  {{"arj", "ard"},             Lib::Unarj,  "x ",        "e ",           "",         "-y- ",         "\"",                   ""},
  {{"imp"},                    Lib::UnImp,  "x -a -r ",  "e -a -r ",     "-c2 ",     "-c0 -y ",      "\"",                   ""},
  {{"hki"},                    Lib::UnHki,  "x ",        "e ",           "-ga1 ",    "-ga0 ",        "\"",                   ""},
  {{"kty"},                    Lib::Kty,    "x ",        "e ",           "c0 q ",    "c3 ",          "r \"",                 ""},
};
// clang-format on
constexpr Row kSevenZipZip{{"zip"}, Lib::SevenZip, "x ", "e ", "", "-y ", "\"", ""};

const Row* RowOfExtension(const std::string& extension) {
  for (const Row& row : kRows)
    for (const char* e : row.extensions)
      if (e && extension == e) return &row;
  return nullptr;
}

ExtractCommand Library(Lib lib, std::string line) {
  return {ExtractRoute::Library, lib, std::move(line)};
}

// The command up to the destination's closing quote, naming no entry (BEL, UNACE32).
std::string NoEntry(const std::string& head, const std::string& archive,
                    const std::string& destination) {
  return head + "\"" + archive + "\" \"" + destination + kSep + "\"";
}

int16_t IniInt(const char* section, const char* key) {
  return GetIniInt(kQvrArcIni, section, key);
}

ViewerOptions OptionsNow(const LibraryStatus& status, int askOverride) {
  ViewerOptions o;
  o.use7Zip = Use7Zip();
  o.ask = askOverride >= 0 ? askOverride == 1 : IniInt("EXTRACT_ARCVIEW", "OverWrite") == 1;
  o.keepFolders = IniInt("GENERAL", "MakeFolder4ListView") == 1;
  o.useUnace32 = IniInt("GENERAL", "UseUNACE32") == 1;
  o.rkFolder = status.RKEXEPath;
  if (!o.rkFolder.empty() && o.rkFolder.back() != kSep) o.rkFolder += kSep;
  return o;
}

// What stands for a file on disk, to tell whether a call wrote it.
struct FileMark {
  bool exists = false;
  dev_t dev = 0;
  ino_t ino = 0;
  timespec mtime{};
  off_t size = 0;
};
FileMark MarkOf(const std::string& path) {
  struct stat st {};
  FileMark mark;
  if (lstat(path.c_str(), &st) != 0) return mark;
  mark = {true, st.st_dev, st.st_ino, st.st_mtim, st.st_size};
  return mark;
}
bool WrittenSince(const FileMark& before, const FileMark& after) {
  if (!after.exists) return false;
  if (!before.exists) return true;
  return before.dev != after.dev || before.ino != after.ino || before.size != after.size ||
         before.mtime.tv_sec != after.mtime.tv_sec || before.mtime.tv_nsec != after.mtime.tv_nsec;
}

std::string WithoutTrailingSep(std::string path) {
  while (path.size() > 1 && path.back() == kSep) path.pop_back();
  return path;
}

}  // namespace

std::string EntryArgument(const std::string& entry) {
  std::string name = entry;
  while (!name.empty() && name.back() == '/') name.pop_back();
  if (!name.empty() && (name[0] == '-' || name[0] == '@')) return Q(name);
  if (name.find_first_of("*?[") != std::string::npos) return Q(name);
  return QuotePath(name);
}

bool CanNameEntry(const std::string& entry) {
  if (entry.empty() || entry.starts_with("@/")) return false;
  return entry.find_first_of("\"\r\n") == std::string::npos;
}

ExtractCommand BuildViewerCommand(const std::string& ext, const ViewerOptions& o,
                                  const std::string& archive, const std::string& destination,
                                  const std::string& entry) {
  const std::string tail = ArchiveAndFolder(archive, destination) + EntryArgument(entry);
  if (ext == "tar" || ext == "gz" || ext == "z" || ext == "bz2") {
    std::string head = o.keepFolders ? "-x --use-directory=1 \"" : "-x --use-directory=0 \"";
    return Library(Lib::Tar, head + tail);
  }
  if (ext == "bel") return Library(Lib::Unbel, NoEntry(" ", archive, destination));
  if (ext == "ace") {
    if (!o.useUnace32) return {ExtractRoute::AceBackend, Lib::UnAceV2, ""};
    std::string head = std::string(o.keepFolders ? "x " : "e ") + (o.ask ? "-y0 " : "-y1 -o ");
    return Library(Lib::Unace, NoEntry(head, archive, destination));
  }
  if (ext == "rk") {
    std::string line = o.rkFolder + (o.keepFolders ? "rk -x -y " : "rk -e -y ") +
                       (o.ask ? "" : "-O ") + "-D" + Q(destination) + " " + Q(archive) + " " +
                       Q(WithoutTrailingSep(entry));
    return {ExtractRoute::Tool, Lib::Rk, line};
  }
  const Row* row = ext == "zip" && o.use7Zip ? &kSevenZipZip : RowOfExtension(ext);
  if (!row) return {};
  std::string line = std::string(o.keepFolders ? row->wordKeep : row->wordFlat) +
                     (o.ask ? row->optAsk : row->optNoAsk) + row->opening + tail + row->tail;
  return Library(row->lib, line);
}

ExtractCommand BuildSelfExtractorCommand(const std::string& detected, const ViewerOptions& o,
                                         const std::string& archive, const std::string& destination,
                                         const std::string& entry) {
  const std::string usual = ArchiveAndFolder(archive, destination) + EntryArgument(entry);
  if (detected == "LZH" || detected == "LHA")
    return Library(Lib::Unlha, "e \"" + usual + " -y -jf0");
  if (detected == "ZIP") return Library(Lib::UnZip, "-x -j -o -s -V -i -C -qq \"" + usual);
  if (detected == "CAB") return Library(Lib::Cab, "-x -j -o \"" + usual);
  if (detected == "GCA") return Library(Lib::UnGCA, "e -xx0 -yx0 -sx1 \"" + usual);
  if (detected == "RAR") return Library(Lib::Unrar, "-e -y -o \"" + usual);
  if (detected == "7Z") return Library(Lib::SevenZip, "e -y \"" + usual);
  if (detected == "YZ1") return Library(Lib::Yz1, "x -x0 -y1 \"" + usual);
  if (detected == "ARJ" || detected == "ARD") return Library(Lib::Unarj, "e -y- \"" + usual);
  if (detected == "TAR" || detected == "GZ" || detected == "Z" || detected == "BZ2")
    return Library(Lib::Tar, "-x --use-directory=0 \"" + usual);
  if (detected == "BGA" || detected == "BZA" || detected == "GZA")
    return Library(Lib::Bga, "x -j -o \"" + usual);
  if (detected == "BEL") return Library(Lib::Unbel, NoEntry(" ", archive, destination));
  if (detected == "IMP") {
    return Library(Lib::UnImp, "-o\"" + destination + kSep + "\" -a \"" + archive + "\" " +
                                   EntryArgument(entry));
  }
  if (detected == "KTY") return Library(Lib::Kty, "e c11 q r \"" + usual);
  if (detected == "ACE") {
    if (!o.useUnace32) return {ExtractRoute::AceBackend, Lib::UnAceV2, ""};
    return Library(Lib::Unace, NoEntry("e -y0 ", archive, destination));
  }
  if (detected == "RK") {
    // The destination and the archive are quoted, as the command runner splits at blanks.
    std::string line = o.rkFolder + "rk -e -y -O -D" + Q(destination) + " " + Q(archive) + " " +
                       EntryArgument(entry);
    return {ExtractRoute::Tool, Lib::Rk, line};
  }
  return {};
}

ExtractCommand BuildDeleteCommand(const std::string& ext, bool zipWriter,
                                  const std::string& archive, const std::string& entry) {
  std::string name = entry;
  while (!name.empty() && name.back() == '/') name.pop_back();
  const std::string names = Q(archive) + " " + Q(name);
  if (ext == "lzh" || ext == "lha") {
    bool flat = name.find('/') == std::string::npos;
    return Library(Lib::Unlha, std::string("d ") + (flat ? "-jyd " : "") + names);
  }
  if (ext == "zip" && zipWriter) return Library(Lib::Zip, "-d " + names);
  if (ext == "zip" || ext == "7z") return Library(Lib::SevenZip, "d " + names);
  if (ext == "bza" || ext == "gza") return Library(Lib::Bga, "d " + names);
  if (ext == "hki") return Library(Lib::UnHki, "d " + names);
  return {};
}

ViewerAction DoubleClickAction(int action, int place, const std::string& templateCaption) {
  if (action == 0) {
    if (place == 0) return ViewerAction::Open;
    if (place == 1) return ViewerAction::OpenApoint;
    if (place == 2) return ViewerAction::OpenAlways;
  } else if (action == 1) {
    if (place == 1) return ViewerAction::ExtractApoint;
    if (place == 2) return ViewerAction::ExtractAlways;
    if (place == 3) {
      constexpr ViewerAction kSpecial[4] = {
          ViewerAction::ExtractToMyDocument, ViewerAction::ExtractToDesktop,
          ViewerAction::ExtractToSystem, ViewerAction::ExtractToWindows};
      for (int i = 0; i < 4; ++i)
        if (templateCaption == kSpecialFolderCaptions[i]) return kSpecial[i];
    }
  }
  return ViewerAction::None;
}

std::string SpecialFolderOf(ViewerAction action) {
  switch (action) {
    case ViewerAction::ExtractToMyDocument:
      return SpecialFolderPath(kCsidlPersonal);
    case ViewerAction::ExtractToDesktop:
      return SpecialFolderPath(kCsidlDesktop);
    case ViewerAction::ExtractToSystem:
      return SpecialFolderPath(kCsidlSystem);
    case ViewerAction::ExtractToWindows:
      return SpecialFolderPath(kCsidlWindows);
    default:
      return "";
  }
}

bool IsDockedAt(long viewerLeft, long mainLeft, long mainWidth) {
  return std::labs(viewerLeft - (mainLeft + mainWidth)) <= 100;
}

std::string ExtractedFileInside(const std::string& destination, const std::string& outPath) {
  std::error_code ec;
  std::string base = WithoutTrailingSep(destination);
  if (outPath.size() <= base.size() || outPath.compare(0, base.size(), base) != 0 ||
      outPath[base.size()] != kSep) {
    return "";
  }
  fs::path inside;
  for (const fs::path& part : fs::path(outPath.substr(base.size() + 1))) {
    if (part.empty() || part == "." || part == ".." || part == "/") continue;
    inside /= part;
  }
  if (inside.empty()) return "";
  fs::path root = fs::canonical(base, ec);
  if (ec) return "";
  fs::path file = fs::canonical(root / inside, ec);
  if (ec || !fs::is_regular_file(file, ec)) return "";
  auto mismatch = std::mismatch(root.begin(), root.end(), file.begin(), file.end());
  if (mismatch.first != root.end()) return "";
  return file.string();
}

ListViewer::ListViewer(MainWindowPort& window, const LibraryStatus& status,
                       ArchiverDLL_Inspect& inspect)
    : window_(window), status_(status), inspect_(inspect), passwords_(window) {}

void ListViewer::setArchive(const std::string& path) {
  if (path != archive_) {
    passwords_.Forget();
    nameCodePage_ = NameCodePageSetting();
  }
  archive_ = path;
}

std::string ListViewer::UsualFolder() {
  std::string folder = CutAtNull(GetIniString(kQvrArcIni, "EXTRACT_ARCVIEW", "AlwaysFolder"));
  if (folder.empty()) folder = CutAtNull(GetIniString(kQvrArcIni, "GENERAL", "AlwaysPath"));
  return folder;
}

int32_t ListViewer::RunCommand(const ExtractCommand& command, const std::string& entry,
                               const std::string& destination) {
  switch (command.route) {
    case ExtractRoute::Library: {
      std::string line = command.commandLine;
      void* owner = owner_;
      RunPasswords::Call call(passwords_);
      // One item, weighed by the archive bytes its library reads.
      RunProgress progress;
      ProgressShown shown(window_, progress);
      progress.BeginOne(archive_, FileLen(archive_));
      int32_t result = RunResponsive(window_, [&] {
        return ArchiverDLL::Of(command.lib)
            .Command(owner, line, nullptr, nullptr, &call, &progress, nameCodePage_);
      });
      progress.FinishItem();
      call.Finish(result == ERROR_PASSWORD_FILE);
      return result;
    }
    case ExtractRoute::AceBackend:
      return RunResponsive(window_, [&] { return ExtractACE(archive_, entry, destination); });
    case ExtractRoute::Tool: {
      // rk gives no result: the call counts when it wrote the file.
      std::string written =
          WithoutTrailingSep(destination) + kSep + FileNameOf(WithoutTrailingSep(entry));
      FileMark before = MarkOf(written);
      cExecute runner;
      if (!runner.ShellX(command.commandLine, kShowNormal, owner_, true)) return -1;
      return WrittenSince(before, MarkOf(written)) ? 0 : -1;
    }
    case ExtractRoute::Unsupported:
      break;
  }
  return -1;
}

bool ListViewer::Runnable(const ExtractCommand& command, const std::string& entry,
                          const std::string& refusal) {
  if (command.route == ExtractRoute::Unsupported) {
    window_.messageBox(Unsupported(), MsgIcon::Critical, MsgButtons::Ok);
    return false;
  }
  if (!CanNameEntry(entry)) {
    window_.messageBox(refusal + std::string("\r\n") + entry, MsgIcon::Critical, MsgButtons::Ok);
    return false;
  }
  return true;
}

bool ListViewer::ExtractFile(const std::string& entry, const std::string& destinationIn,
                             std::string* outPath, int askOverride) {
  ViewerOptions o = OptionsNow(status_, askOverride);
  std::string destination = WithoutTrailingSep(destinationIn);
  if (makeFolder_) {
    destination += kSep + StripExtension(FileNameOf(archive_));
    MakeFolders(destination);
  }
  std::string ext = LowerExtension(archive_);
  ExtractCommand command;
  bool flat = !o.keepFolders;
  if (ext == "exe") {
    std::string detected = RunResponsive(window_, [&] { return inspect_.DetectFormat(archive_); });
    command = BuildSelfExtractorCommand(detected, o, archive_, destination, entry);
    flat = true;
  } else {
    command = BuildViewerCommand(ext, o, archive_, destination, entry);
  }
  if (!Runnable(command, entry, Tr("ListViewer", "この名前のファイルは書庫から取り出せません。")))
    return false;
  std::string name = WithoutTrailingSep(entry);
  std::string out = destination + kSep + (flat ? FileNameOf(name) : name);
  if (outPath) *outPath = out;
  // A library whose flag is not set is never called.
  bool available = command.route == ExtractRoute::AceBackend ? status_.UNACEV2
                                                             : status_.*RowOf(command.lib).flag;
  int32_t result = available ? RunCommand(command, entry, destination) : -1;
  if (result == 0) {
    window_.setPanelText(1, Tr("ListViewer", "解凍完了！"));
    return true;
  }
  window_.messageBox(Tr("ListViewer", "ファイルの解凍に失敗しました。"), MsgIcon::Critical,
                     MsgButtons::Ok);
  return false;
}

void ListViewer::Open(const std::string& destination, const std::string& outPath) {
  std::string root =
      makeFolder_ ? WithoutTrailingSep(destination) + kSep + StripExtension(FileNameOf(archive_))
                  : destination;
  std::string file = ExtractedFileInside(root, outPath);
  if (file.empty() || !opener_) return;
  opener_(file);
}

bool ListViewer::ExtractAndOpen(const std::string& entry, const std::string& destination,
                                int askOverride) {
  std::string out;
  if (!ExtractFile(entry, destination, &out, askOverride)) return false;
  Open(destination, out);
  return true;
}

bool ListViewer::WritableTarget(const std::string& folder) {
  if (access(folder.c_str(), W_OK) != 0) {
    window_.messageBox(Tr("ListViewer", "解凍先のフォルダに書き込めません。\r\n") + folder,
                       MsgIcon::Critical, MsgButtons::Ok);
    return false;
  }
  if (geteuid() == 0) {
    std::string text =
        Tr("ListViewer", "管理者の権限でシステムのフォルダへ解凍しようとしています。\r\n") +
        folder + Tr("ListViewer", "\r\nよろしいですか？");
    if (window_.messageBox(text, MsgIcon::Exclamation, MsgButtons::YesNo) != MsgResult::Yes)
      return false;
  }
  return true;
}

bool ListViewer::ExtractTo(const std::string& entry, const std::string& destination) {
  if (destination.empty()) {
    window_.setPanelText(1, Cancelled());
    return false;
  }
  return ExtractFile(entry, destination, nullptr);
}

void ListViewer::Run(ViewerAction action, const std::string& entry) {
  switch (action) {
    case ViewerAction::None:
      return;
    case ViewerAction::Open: {
      // The overwrite question is held off for this call only; QvrArc.ini is not touched.
      std::string tmp = AppFile("tmp");
      MakeFolders(tmp);
      ExtractAndOpen(entry, tmp, 0);
      return;
    }
    case ViewerAction::OpenApoint:
    case ViewerAction::OpenAlways: {
      std::string folder =
          action == ViewerAction::OpenApoint ? window_.browseForFolder() : UsualFolder();
      if (folder.empty()) {
        window_.setPanelText(1, Cancelled());
        return;
      }
      ExtractAndOpen(entry, folder, -1);
      return;
    }
    case ViewerAction::ExtractApoint:
      ExtractTo(entry, window_.browseForFolder());
      return;
    case ViewerAction::ExtractAlways:
      ExtractTo(entry, UsualFolder());
      return;
    case ViewerAction::ExtractToSystem:
    case ViewerAction::ExtractToWindows:
      if (!WritableTarget(SpecialFolderOf(action))) return;
      ExtractTo(entry, SpecialFolderOf(action));
      return;
    case ViewerAction::ExtractToMyDocument:
    case ViewerAction::ExtractToDesktop:
      ExtractTo(entry, SpecialFolderOf(action));
      return;
  }
}

void ListViewer::DoubleClick(const std::string& entry) {
  Run(DoubleClickAction(IniInt("EXTRACT_ARCVIEW", "Action"),
                        IniInt("EXTRACT_ARCVIEW", "TargetPlace"),
                        CutAtNull(GetIniString(kQvrArcIni, "EXTRACT_ARCVIEW", "Template"))),
      entry);
}

bool ListViewer::Test() {
  ExtractRun run{window_, status_, kModeNormal, GetIniInt(kQvrArcIni, "GENERAL", "UseYZ2DEC") != 0,
                 &passwords_};
  return TestArchives(run, {archive_}) == 1;
}

bool ListViewer::Delete(const std::string& entry) {
  std::string ext = LowerExtension(archive_);
  bool zipWriter = !Use7Zip() && status_.ZIP32J && status_.ZIP32;
  ExtractCommand command = BuildDeleteCommand(ext, zipWriter, archive_, entry);
  if (!Runnable(command, entry, Tr("ListViewer", "この名前のファイルは書庫から削除できません。")))
    return false;
  if (window_.messageBox(
          entry + Tr("ListViewer", "\r\nを書庫から削除します。元に戻せません。よろしいですか？"),
          MsgIcon::Question, MsgButtons::YesNoDefaultNo) != MsgResult::Yes) {
    return false;
  }
  if (!(status_.*RowOf(command.lib).flag)) return false;
  std::string line = command.commandLine;
  void* owner = owner_;
  RunProgress progress;  // a delete tells nothing on the way: the bar only shows it works
  ProgressShown shown(window_, progress);
  progress.Busy(archive_);
  RunResponsive(window_, [&] { return ArchiverDLL::Of(command.lib).Command(owner, line); });
  return true;
}

}  // namespace qvr

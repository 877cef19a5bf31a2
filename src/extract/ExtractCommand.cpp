#include "ExtractCommand.h"

#include "ArchiverDLLStatus.h"
#include "PathHelpers.h"
#include "Settings.h"

namespace qvr {
namespace {

// One row of the command table: the command word for "folders ignored" / "kept", the
// option text for "confirm overwriting" / "do not", and what follows them.
struct Row {
  Lib lib;
  const char* wordIgnore;
  const char* wordKeep;
  const char* optConfirm;
  const char* optNoConfirm;
};

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

// `"{P}" "{D}/"`, the tail most rows share.
std::string PathAndFolder(const std::string& path, const std::string& folder) {
  return Quoted(path) + " " + Quoted(folder + kSep);
}

ExtractCommand Library(const Row& row, const ExtractOptions& o, const std::string& tail) {
  std::string word = o.ignoreFolders ? row.wordIgnore : row.wordKeep;
  std::string opt = o.confirmOverwrite ? row.optConfirm : row.optNoConfirm;
  return {ExtractRoute::Library, row.lib, word + opt + tail};
}

constexpr Row kLzh{Lib::Unlha, "e ", "x ", "-c0 -m0 ", "-c1 -m1 -y1 "};
constexpr Row kUnZip{Lib::UnZip, "-x -j ", "-x ", "", "-o "};
constexpr Row kSevenZip{Lib::SevenZip, "e ", "x ", "", "-y "};
constexpr Row kCab{Lib::Cab, "-x -j ", "-x ", "", "-o "};
constexpr Row kGca{Lib::UnGCA, "e -xx0 ", "e -xx1 ", "-yx1 ", "-yx0 "};
constexpr Row kRar{Lib::Unrar, "-e ", "-x ", "", "-y -o "};
constexpr Row kYz1{Lib::Yz1, "x -x0 ", "x -x1 ", "-y2 ", "-y1 "};
constexpr Row kArj{Lib::Unarj, "e ", "x ", "", "-y- "};
constexpr Row kTar{Lib::Tar, "-x --use-directory=0 ", "-x --use-directory=1 ", "", ""};
constexpr Row kBga{Lib::Bga, "x -a -j ", "x -a ", "", "-o "};
constexpr Row kImp{Lib::UnImp, "e -a -r ", "x -a -r ", "-c2 ", "-c0 -y "};
constexpr Row kKty{Lib::Kty, "e ", "x ", "c0 q ", "c3 "};
constexpr Row kUnace{Lib::Unace, "e ", "x ", "-y0 ", "-y0 "};
constexpr Row kPaqar{Lib::Paqar, "e ", "x ", "", "-q2"};
constexpr Row kHki{Lib::UnHki, "e ", "x ", "-ga1 ", "-ga0 "};

ExtractCommand Rk(const ExtractOptions& o, const std::string& path, const std::string& folder) {
  std::string command = QuotePath(o.rkFolder + "rk") + (o.ignoreFolders ? " -e -y " : " -x -y ") +
                        (o.confirmOverwrite ? "" : "-O ") + "-D" + Quoted(folder) + " " +
                        Quoted(path);
  return {ExtractRoute::Tool, Lib::Rk, command};
}

ExtractCommand Yz2(const ExtractOptions& o, const std::string& path, const std::string& folder) {
  // yz2dec takes its paths unquoted and has no flat mode.
  std::string command = QuotePath(o.yz2decFolder + "yz2dec") + " " +
                        (o.confirmOverwrite ? "" : "-y ") + "-d" + folder + " " + path + " -j";
  return {ExtractRoute::Tool, Lib::Yz2Dec, command};
}

ExtractCommand Ace(const ExtractOptions& o, const std::string& path, const std::string& folder) {
  if (o.useUnace32 && o.confirmOverwrite) return Library(kUnace, o, PathAndFolder(path, folder));
  return {ExtractRoute::AceBackend, Lib::UnAceV2, ""};
}

}  // namespace

ExtractCommand BuildExtractCommand(const std::string& format, const ExtractOptions& o,
                                   const std::string& path, const std::string& folder) {
  const std::string tail = PathAndFolder(path, folder);
  if (format == "LZH") return Library(kLzh, o, "-jf0 " + tail);
  if (format == "ZIP" && o.use7Zip) return Library(kSevenZip, o, tail);
  if (format == "ZIP") return Library(kUnZip, o, "-s -V -i -C -qq " + tail);
  if (format == "CAB") return Library(kCab, o, tail);
  if (format == "GCA") return Library(kGca, o, "-sx1 " + tail);
  if (format == "RAR") return Library(kRar, o, tail);
  if (format == "7Z") return Library(kSevenZip, o, tail);
  if (format == "YZ1") return Library(kYz1, o, tail);
  if (format == "ARJ") return Library(kArj, o, tail);
  if (format == "TAR") return Library(kTar, o, tail);
  if (format == "BGA") return Library(kBga, o, tail);
  if (format == "BEL") return {ExtractRoute::Library, Lib::Unbel, " " + tail};
  if (format == "IMP") return Library(kImp, o, tail + " *");
  // KTY keeps two blanks after "r" when folders are kept.
  if (format == "KTY") return Library(kKty, o, (o.ignoreFolders ? "r " : "r  ") + tail);
  if (format == "ACE") return Ace(o, path, folder);
  if (format == "RK") return Rk(o, path, folder);
  if (format == "PQA") return Library(kPaqar, o, " -b" + Quoted(folder) + " " + Quoted(path));
  if (format == "HKI") return Library(kHki, o, tail + " *.*");
  if (format == "YZ2") return Yz2(o, path, folder);
  return {};
}

ExtractCommand BuildSelfExtractCommand(const std::string& format, const ExtractOptions& o,
                                       const std::string& path, const std::string& folder) {
  const std::string tail = PathAndFolder(path, folder);
  if (format == "LZH") {
    constexpr Row kLzhExe{Lib::Unlha, "e ", "x ", "", "-y "};
    return Library(kLzhExe, o, "-jf0 " + tail);
  }
  if (format == "ZIP") return Library(kUnZip, o, "-s -V -i -C -qq " + tail);
  if (format == "ACE") return {ExtractRoute::AceBackend, Lib::UnAceV2, ""};
  if (format == "RK") {
    // The self-extracting RK row names the tool by its folder, unquoted.
    std::string command = o.rkFolder + (o.ignoreFolders ? "rk -e -y " : "rk -x -y ") +
                          (o.confirmOverwrite ? "" : "-O ") + "-D" + Quoted(folder) + " " +
                          Quoted(path);
    return {ExtractRoute::Tool, Lib::Rk, command};
  }
  if (format == "CAB" || format == "GCA" || format == "RAR" || format == "7Z" || format == "YZ1" ||
      format == "IMP") {
    ExtractOptions plain = o;
    plain.use7Zip = false;
    return BuildExtractCommand(format, plain, path, folder);
  }
  return {};
}

ExtractCommand BuildTestCommand(const std::string& format, bool use7Zip, const std::string& path) {
  auto test = [&](Lib lib, const char* word) {
    return ExtractCommand{ExtractRoute::Library, lib, word + Quoted(path)};
  };
  if (format == "LZH") return test(Lib::Unlha, "t ");
  if (format == "ZIP" && use7Zip) return test(Lib::SevenZip, "t ");
  if (format == "ZIP") return test(Lib::UnZip, "-t ");
  if (format == "CAB") return test(Lib::Cab, "-t ");
  if (format == "RAR") return test(Lib::Unrar, "-t ");
  if (format == "7Z") return test(Lib::SevenZip, "t ");
  if (format == "ARJ") return test(Lib::Unarj, "t ");
  if (format == "TAR") return test(Lib::Tar, "--test ");
  return {};
}

bool CommandAvailable(const ExtractCommand& command, const LibraryStatus& status, bool useYZ2DEC) {
  if (command.route == ExtractRoute::Unsupported) return false;
  if (command.lib == Lib::Yz2Dec && !useYZ2DEC) return false;
  return status.*RowOf(command.lib).flag;
}

std::string NameCodePageSetting() {
  return CutAtNull(GetIniString(kQvrArcIni, "EXTRACT_NORMAL", "NameCodePage"));
}

}  // namespace qvr

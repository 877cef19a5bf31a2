#include "ArchiveCommand.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "ArchiveSwitches.h"
#include "ArchiverDLLStatus.h"
#include "ListFile.h"
#include "PathHelpers.h"

namespace qvr {
namespace {

ArchiveCommand Library(Lib lib, std::vector<Lib> needs, std::string commandLine) {
  return {ArchiveRoute::Library, lib, std::move(needs), std::move(commandLine)};
}

ArchiveCommand Library(Lib lib, std::string commandLine) {
  return Library(lib, {lib}, std::move(commandLine));
}

ArchiveCommand Tool(Lib tool, std::string commandLine) {
  return {ArchiveRoute::Tool, tool, {tool}, std::move(commandLine)};
}

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

// The password switches: the library asks the host for the password typed at Start, so that
// it never stands in a command line.
std::string ZipPassword(const ArchiveSwitches& sw) {
  return sw.zipEncrypt ? " -e" : "";
}
std::string SevenZPassword(const ArchiveSwitches& sw) {
  return sw.sevenZEncrypt ? " -p -mhe=on" : "";
}

// The volume switches: zip32j's "-s<N>m", 7-zip32's "-v<N>m".
std::string ZipVolumes(const ArchiveSwitches& sw) {
  return sw.zipVolumeMB > 0 ? " -s" + std::to_string(sw.zipVolumeMB) + "m" : "";
}
std::string SevenZipVolumes(int megabytes) {
  return megabytes > 0 ? " -v" + std::to_string(megabytes) + "m" : "";
}

}  // namespace

bool ArchiveEncrypts(const std::string& formatWord, const ArchiveSwitches& switches) {
  return (formatWord == "zip" && switches.zipEncrypt) ||
         (formatWord == "7z" && switches.sevenZEncrypt);
}

std::string ArchiveFormatWord(const std::string& arcTypeText) {
  return arcTypeText.empty() ? "lzh" : LCase(arcTypeText);
}

bool CreatesArchiveAnew(const std::string& formatWord, const ArchiveSwitches& switches) {
  return formatWord == "tar" || formatWord == "gz" || formatWord == "bz2" ||
         (formatWord == "zip" && switches.zipVolumeMB > 0) ||
         (formatWord == "7z" && switches.sevenZVolumeMB > 0);
}

std::string ReplacedArchive(const std::string& formatWord, const ArchiveSwitches& switches,
                            const std::string& archive) {
  return formatWord == "7z" && switches.sevenZVolumeMB > 0 ? archive + ".001" : archive;
}

bool EachFileCommandCarries(const std::string& f, const std::string& source) {
  if (!CanCarryName(source)) return false;
  static const char* const kUnquotedName[] = {"cab", "tar", "gz", "bz2", "bza", "gza"};
  if (std::find(std::begin(kUnquotedName), std::end(kUnquotedName), f) == std::end(kUnquotedName))
    return true;
  const std::string name = FileNameOf(source);
  if (name.empty() || name.front() == ' ' || name.back() == ' ') return false;
  return name.find('\t') == std::string::npos && name.find("  ") == std::string::npos &&
         name.find(" -") == std::string::npos && name.find(" @") == std::string::npos;
}

ArchiveCommand BuildEachFileCommand(const std::string& f, const ArchiveSwitches& sw,
                                    const std::string& archive, const std::string& source,
                                    const LibraryStatus& status) {
  const std::string qa = Quoted(archive);
  const std::string qs = Quoted(source);
  const std::string folder = FolderOf(source);
  const std::string name = FileNameOf(source);
  // "F/"N: the folder and the name in one argument, the name left unquoted.
  const std::string joined = "\"" + folder + kSep + "\"" + name;
  // "F/" "N": the base folder and the name as two arguments.
  const std::string apart = Quoted(folder + kSep) + " " + Quoted(name);
  if (f == "lzh")
    return Library(Lib::Unlha, "a -je" + sw.lzhBuffer + " " + sw.lzhMethod + " " + qa + " " + qs);
  if (f == "zip" && !sw.use7Zip)
    return Library(
        Lib::Zip, {Lib::Zip, Lib::Zip32},
        "-r -j -" + sw.zipLevel + ZipPassword(sw) + ZipVolumes(sw) + " " + qa + " " + qs);
  if (f == "zip")
    return Library(Lib::SevenZip,
                   "a -tzip " + qa + " " + apart + " -mx=" + sw.zip7zLevel + " -mm=" +
                       sw.zip7zMethod + " -mfb=" + sw.zip7zMem + " -mpass=" + sw.zip7zPass +
                       (sw.zipEncrypt ? " -p -mem=AES256" : "") + SevenZipVolumes(sw.zipVolumeMB));
  if (f == "cab") return Library(Lib::Cab, "-a " + sw.cabType + " " + qa + " " + joined);
  if (f == "7z")
    return Library(Lib::SevenZip, "a -t7z " + qa + " " + apart + " -mx=" + sw.sevenZLevel +
                                      sw.sevenZOnOff + SevenZPassword(sw) +
                                      SevenZipVolumes(sw.sevenZVolumeMB));
  if (f == "yz1") return Library(Lib::Yz1, "c -x0 " + qa + " " + qs);
  const std::string tar = "-c --use-directory=0 ";
  if (f == "tar") return Library(Lib::Tar, tar + qa + " " + joined);
  if (f == "gz") return Library(Lib::Tar, tar + "-z" + sw.gzLevel + " " + qa + " " + joined);
  if (f == "bz2") return Library(Lib::Tar, tar + "-B" + sw.bz2Level + " " + qa + " " + joined);
  if (f == "bza") return Library(Lib::Bga, "a -a -m1 -l" + sw.bzaLevel + " " + qa + " " + joined);
  if (f == "gza") return Library(Lib::Bga, "a -a -m2 -l" + sw.gzaLevel + " " + qa + " " + joined);
  if (f == "yz2")  // yz2enc writes into the source's folder, whatever the destination
    return Tool(Lib::Yz2Enc, status.YZ2ENCPath + std::string(RowOf(Lib::Yz2Enc).fileName) +
                                 " --buffer-size" + sw.yz2Buffer + " " + sw.yz2Ppm + "-d" +
                                 Quoted(folder) + " " + qs);
  if (f == "rk")
    return Tool(Lib::Rk, status.RKEXEPath + std::string(RowOf(Lib::Rk).fileName) + " -c -r0 -" +
                             sw.rkLevel + " -" + sw.rkWavLevel + " " + qa + " " + qs);
  if (f == "pqa")
    return Library(Lib::Paqar,
                   "a -q0 -m" + sw.paqarLevel + " -b" + Quoted(folder) + " " + qa + " " + qs);
  return {};
}

bool KeepsTree(const std::string& f) {
  static const char* const kTree[] = {"zip", "7z", "lzh", "cab", "tar", "gz", "bz2"};
  return std::find(std::begin(kTree), std::end(kTree), f) != std::end(kTree);
}

ArchiveCommand BuildAllInOneCommand(const std::string& f, const ArchiveSwitches& sw,
                                    const std::string& archive, const std::string& appFolder,
                                    const LibraryStatus& status, const std::string& baseFolder) {
  const std::string qa = Quoted(archive);
  const std::string list = Quoted("@" + appFolder + kAddListFile);
  // The base folder argument, and the switches that keep the folders below it.
  const bool tree = !baseFolder.empty() && KeepsTree(f);
  const std::string base = tree ? Quoted(baseFolder) + " " : "";
  if (f == "lzh")
    return Library(Lib::Unlha, "a -je" + sw.lzhBuffer + " " + sw.lzhMethod + " " +
                                   (tree ? "-x " : "") + qa + " " + base + list);
  // ZIP is always zip32j's here: Use7Zip is a setting of "個別" only.
  if (f == "zip")
    return Library(Lib::Zip, {Lib::Zip, Lib::Zip32},
                   "-u -S -D -" + sw.zipLevel + ZipPassword(sw) + ZipVolumes(sw) + " " + qa + " " +
                       base + list);
  if (f == "cab")
    return Library(
        Lib::Cab, std::string(tree ? "-a " : "-a -j ") + sw.cabType + " " + qa + " " + base + list);
  if (f == "7z")
    return Library(Lib::SevenZip, "a -t7z " + QuotePath(archive) + " " + base + list +
                                      " -mx=" + sw.sevenZLevel + sw.sevenZOnOff +
                                      SevenZPassword(sw) + SevenZipVolumes(sw.sevenZVolumeMB));
  if (f == "yz1") return Library(Lib::Yz1, "c -x0 " + qa + " " + list);
  const std::string tar = tree ? "-c --use-directory=1 " : "-c --use-directory=0 ";
  if (f == "tar") return Library(Lib::Tar, tar + qa + " " + base + list);
  if (f == "gz") return Library(Lib::Tar, tar + "-z" + sw.gzLevel + " " + qa + " " + base + list);
  if (f == "bz2") return Library(Lib::Tar, tar + "-B" + sw.bz2Level + " " + qa + " " + base + list);
  if (f == "bza" || f == "gza")
    return Library(Lib::Bga,
                   "a -a -l" + (f == "bza" ? sw.bzaLevel : sw.gzaLevel) + " " + qa + " " + list);
  if (f == "rk")
    return Tool(Lib::Rk, QuotePath(status.RKEXEPath + std::string(RowOf(Lib::Rk).fileName)) +
                             " -a -p0 -" + sw.rkLevel + " -" + sw.rkWavLevel + " " + qa + " " +
                             Quoted("@" + appFolder + kAddList2File));
  return {};
}

std::vector<std::string> MissingComponents(const ArchiveCommand& command,
                                           const LibraryStatus& status) {
  std::vector<std::string> missing;
  for (Lib lib : command.needs)
    if (!(status.*RowOf(lib).flag)) missing.emplace_back(RowOf(lib).fileName);
  return missing;
}

}  // namespace qvr

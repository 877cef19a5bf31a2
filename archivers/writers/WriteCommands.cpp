#include "WriteCommands.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <optional>

#include <unistd.h>

#include "Archiver.h"
#include "CabWriter.h"
#include "CallProgress.h"
#include "SevenZipWriter.h"
#include "SourceList.h"
#include "TarWriter.h"
#include "Text.h"
#include "Volumes.h"
#include "ZipWriter.h"

namespace qvr::writers {

namespace {

bool StartsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

bool OneOf(const std::string& text, std::initializer_list<const char*> list) {
  return std::any_of(list.begin(), list.end(), [&](const char* item) { return text == item; });
}

WriteResult UnknownSwitch(const std::string& sw) {
  return Fail(ERROR_COMMAND_NAME, "switch not supported for writing: " + sw);
}

WriteResult NeedsArchive(const arc::ParsedArgs& args) {
  if (args.archive.empty()) return Fail(ERROR_COMMAND_NAME, "no archive named");
  return {};
}

// Digits after a prefix ("-z9" -> 9); `fallback` when there are none.
int NumberAfter(const std::string& sw, size_t prefixLength, int fallback) {
  std::string digits = sw.substr(prefixLength);
  if (digits.empty() || !std::all_of(digits.begin(), digits.end(), ::isdigit) || digits.size() > 3)
    return fallback;
  return std::stoi(digits);
}

bool Exists(const std::string& folder, const std::string& name) {
  std::string path = (name.empty() || name[0] == '/') ? name : folder + name;
  return !path.empty() && access(path.c_str(), F_OK) == 0;
}

// The form "F/"N leaves the file name unquoted, so a name holding blanks arrives cut into
// several names. A name that does not exist is joined with the names after it, one blank
// each, as long as that finds an existing file; everything else is kept as given.
std::vector<std::string> RejoinCutNames(const std::string& folder,
                                        const std::vector<std::string>& names) {
  std::vector<std::string> out;
  for (size_t i = 0; i < names.size(); ++i) {
    std::string name = names[i];
    if (!HasWildcard(name) && !Exists(folder, name)) {
      std::string joined = name;
      for (size_t j = i + 1; j < names.size(); ++j) {
        joined += " " + names[j];
        if (Exists(folder, joined)) {
          name = joined;
          i = j;
          break;
        }
      }
    }
    out.push_back(name);
  }
  return out;
}

WriteResult Collect(const arc::ParsedArgs& args, AddRequest request, std::vector<AddItem>* items) {
  request.baseFolder = args.folder;
  request.names = RejoinCutNames(args.folder, arc::NameTexts(args.names));
  request.skipPath = args.archive;
  return CollectItems(request, items);
}

// The source bytes the writers read go to the host's progress callback, whose answer can
// stop the write.
Progress HostProgress() {
  arc::CallProgress* call = arc::CallProgress::Current();
  if (!call) return {};
  return [call](uint64_t done) { return call->Data(static_cast<int64_t>(done), ""); };
}

// The password to encrypt with: the one given on the command line, else the host's answer
// (our own question without a host). Nothing is written without one.
WriteResult PasswordFor(const arc::ParsedArgs& args, std::optional<std::string> given,
                        std::string* password) {
  if (!given) {
    std::string answer;
    if (arc::AskerFor(nullptr, args.archive)(0, answer)) given = answer;
  }
  if (!given || given->empty())
    return Fail(ERROR_PASSWORD_FILE, "no password was given: " + args.archive + " was not written");
  *password = *given;
  return {};
}

WriteResult ZipCommand(const arc::ParsedArgs& args) {
  if (WriteResult r = NeedsArchive(args); !r.ok()) return r;
  AddRequest request;
  request.includeHidden = false;
  ZipOptions options;
  options.progress = HostProgress();
  bool remove = false;
  bool encrypt = false;
  for (const std::string& sw : args.switches) {
    if (sw == "-e") {
      encrypt = true;
    } else if (StartsWith(sw, "-s") && sw.size() > 2 &&
               std::isdigit(static_cast<unsigned char>(sw[2]))) {
      options.volumeSize = VolumeSizeOf(sw.substr(2));
      if (options.volumeSize == 0) return UnknownSwitch(sw);
    } else if (sw == "-r") {
      request.recurse = true;
    } else if (sw == "-j") {
      request.junkPaths = true;
    } else if (sw == "-u") {
      options.onlyNewer = true;
    } else if (sw == "-S") {
      request.includeHidden = true;
    } else if (sw == "-D") {
      request.folderEntries = false;
    } else if (sw == "-d") {
      remove = true;
    } else if (sw.size() == 2 && std::isdigit(static_cast<unsigned char>(sw[1]))) {
      options.level = sw[1] - '0';
    } else if (!OneOf(sw, {"-q", "-qq", "-v"})) {
      return UnknownSwitch(sw);
    }
  }
  if (remove) {
    if (args.names.empty()) return Fail(ERROR_NOT_FIND_FILE, "no entry named to delete");
    return ZipDelete(args.archive, args.names);
  }
  std::vector<AddItem> items;
  if (WriteResult r = Collect(args, request, &items); !r.ok()) return r;
  if (encrypt) {
    std::string password;
    if (WriteResult r = PasswordFor(args, std::nullopt, &password); !r.ok()) return r;
    options.password = password;
  }
  return ZipAdd(args.archive, items, options);
}

struct SevenZipSwitches {
  std::string type;  // "7z" or "zip"
  bool recurse = false;
  bool encrypt = false;                 // -p: with the password given, or the host's answer
  std::optional<std::string> password;  // -p<password>
  SevenZipOptions sevenZip;
  ZipOptions zip;
};

bool OnOff(const std::string& value, bool fallback) {
  std::string v = arc::AsciiLower(value);
  if (v == "on" || v == "+" || v.empty()) return v.empty() ? fallback : true;
  if (v == "off" || v == "-") return false;
  return fallback;
}

WriteResult ParseSevenZipSwitches(const arc::ParsedArgs& args, SevenZipSwitches* out) {
  for (const std::string& sw : args.switches) {
    std::string lower = arc::AsciiLower(sw);
    if (lower == "-t7z" || lower == "-tzip") {
      out->type = lower.substr(2);
    } else if (lower == "-r") {
      out->recurse = true;
    } else if (StartsWith(lower, "-mx=") || (StartsWith(lower, "-mx") && lower.size() == 4)) {
      int level = NumberAfter(lower, lower[3] == '=' ? 4 : 3, 5);
      out->sevenZip.level = out->zip.level = std::clamp(level, 0, 9);
    } else if (StartsWith(lower, "-mm=")) {
      std::string method = lower.substr(4);
      if (method == "copy")
        out->zip.method = ZipMethod::Stored;
      else if (method == "deflate" || method == "deflate64" || method.empty())
        out->zip.method = ZipMethod::Deflate;  // Deflate64 is written as Deflate
      else if (method == "bzip2")
        out->zip.method = ZipMethod::BZip2;
      else
        return Fail(ERROR_METHOD, "method not supported for writing: " + sw);
    } else if (StartsWith(lower, "-ms=")) {
      out->sevenZip.solid = OnOff(lower.substr(4), true);
    } else if (StartsWith(lower, "-mf=")) {
      out->sevenZip.filter = OnOff(lower.substr(4), true);
    } else if (StartsWith(lower, "-mhcf=")) {
      out->sevenZip.fullHeaderCompression = OnOff(lower.substr(6), true);
    } else if (StartsWith(lower, "-mhc=")) {
      out->sevenZip.headerCompression = OnOff(lower.substr(5), true);
    } else if (StartsWith(lower, "-v")) {
      out->sevenZip.volumeSize = out->zip.volumeSize = VolumeSizeOf(lower.substr(2));
      if (out->sevenZip.volumeSize == 0) return UnknownSwitch(sw);
    } else if (StartsWith(lower, "-mhe=")) {
      out->sevenZip.encryptHeader = OnOff(lower.substr(5), false);
    } else if (StartsWith(lower, "-p")) {
      out->encrypt = true;
      if (sw.size() > 2) out->password = sw.substr(2);
    } else if (StartsWith(lower, "-mem=")) {
      // ZIP entries are encrypted with AES-256 only: ZipCrypto is not written.
      if (lower != "-mem=aes256") return UnknownSwitch(sw);
    } else if (!(StartsWith(lower, "-mfb=") || StartsWith(lower, "-mpass=") ||
                 StartsWith(lower, "-mmt") || lower == "-y" || StartsWith(lower, "-bd") ||
                 StartsWith(lower, "-bb"))) {
      return UnknownSwitch(sw);
    }
  }
  if (out->type.empty()) {
    std::string archive = arc::AsciiLower(args.archive);
    out->type = archive.ends_with(".7z") ? "7z" : archive.ends_with(".zip") ? "zip" : "";
    if (out->type.empty())
      return Fail(ERROR_UNKNOWN_TYPE, "archive type unknown (give -t7z or -tzip): " + args.archive);
  }
  return {};
}

WriteResult SevenZipCommand(const arc::ParsedArgs& args) {
  std::string command = args.words.empty() ? "" : args.words[0];
  if (WriteResult r = NeedsArchive(args); !r.ok()) return r;
  SevenZipSwitches sw;
  sw.sevenZip.progress = sw.zip.progress = HostProgress();
  if (WriteResult r = ParseSevenZipSwitches(args, &sw); !r.ok()) return r;
  if (command == "d") {
    if (args.names.empty()) return Fail(ERROR_NOT_FIND_FILE, "no entry named to delete");
    return sw.type == "7z" ? SevenZipDelete(args.archive, args.names)
                           : ZipDelete(args.archive, args.names);
  }
  AddRequest request;
  request.recurse = sw.recurse;
  std::vector<AddItem> items;
  if (WriteResult r = Collect(args, request, &items); !r.ok()) return r;
  if (sw.encrypt) {
    std::string password;
    if (WriteResult r = PasswordFor(args, sw.password, &password); !r.ok()) return r;
    sw.sevenZip.password = sw.zip.password = password;
  }
  return sw.type == "7z" ? SevenZipAdd(args.archive, items, sw.sevenZip)
                         : ZipAdd(args.archive, items, sw.zip);
}

WriteResult CabCommand(const arc::ParsedArgs& args) {
  if (WriteResult r = NeedsArchive(args); !r.ok()) return r;
  AddRequest request;
  CabOptions options;
  options.progress = HostProgress();
  for (const std::string& sw : args.switches) {
    if (sw == "-j") {
      request.junkPaths = true;
    } else if (sw == "-mz" || StartsWith(sw, "-ml")) {
      options.compression = CabCompression::MsZip;  // LZX has no writer: MSZIP instead
    } else if (sw == "-ms") {
      options.compression = CabCompression::Stored;
    } else if (!OneOf(sw, {"-a", "-o", "-q"})) {
      return UnknownSwitch(sw);
    }
  }
  std::vector<AddItem> items;
  if (WriteResult r = Collect(args, request, &items); !r.ok()) return r;
  return CabAdd(args.archive, items, options);
}

WriteResult TarCommand(const arc::ParsedArgs& args) {
  if (WriteResult r = NeedsArchive(args); !r.ok()) return r;
  AddRequest request;
  TarOptions options;
  options.progress = HostProgress();
  for (const std::string& sw : args.switches) {
    if (sw == "--use-directory=0") {
      request.junkPaths = true;
    } else if (sw == "--use-directory=1") {
      request.junkPaths = false;
    } else if (StartsWith(sw, "-z") || StartsWith(sw, "-B")) {
      options.level = NumberAfter(sw, 2, -1);
    } else if (!OneOf(sw, {"-c", "-o", "--display-dialog=0"})) {
      return UnknownSwitch(sw);
    }
  }
  std::vector<AddItem> items;
  if (WriteResult r = Collect(args, request, &items); !r.ok()) return r;
  return TarCreate(args.archive, items, options);
}

// The report names the failure in words and then what went wrong.
int32_t Report(const WriteResult& result, std::string& report) {
  report =
      result.ok() ? result.report : std::string(arc::ErrorText(result.code)) + ": " + result.report;
  return result.code;
}

}  // namespace

int32_t RunZipCommand(const arc::ParsedArgs& args, std::string& report) {
  return Report(ZipCommand(args), report);
}
int32_t RunSevenZipWrite(const arc::ParsedArgs& args, std::string& report) {
  return Report(SevenZipCommand(args), report);
}
int32_t RunCabWrite(const arc::ParsedArgs& args, std::string& report) {
  return Report(CabCommand(args), report);
}
int32_t RunTarWrite(const arc::ParsedArgs& args, std::string& report) {
  return Report(TarCommand(args), report);
}

}  // namespace qvr::writers

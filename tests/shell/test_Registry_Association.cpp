#include <sys/stat.h>

#include <filesystem>

#include "DesktopEntry.h"
#include "MimeApps.h"
#include "Registry.h"
#include "Registry_Association.h"
#include "Settings.h"
#include "ShellTest.h"

namespace qvr {
namespace {

using test::ReadFile;
using test::WriteFile;

const RegRoot kHKCR = RegRoot::ClassesRoot;

std::string Text(const std::string& key, const std::string& value = "") {
  return std::get<std::string>(RegRead(kHKCR, key, value, kRegSz, std::string("-1")));
}

class AssociationTest : public test::ShellTest {
 protected:
  // A launcher of another program, installed for the user.
  std::string InstallLauncher(const std::string& id) {
    std::string file = dataHome() + "/applications/" + id;
    WriteFile(file, "[Desktop Entry]\nType=Application\nName=Other\nExec=/bin/true %F\n");
    return file;
  }
  std::string QueryDefault(const std::string& type) {
    return Run({"xdg-mime", "query", "default", type});
  }
  std::string Launcher() { return ReadFile(AssociationLauncherFile()); }
};

struct ClassCase {
  const char* format;
  const char* extension;
  const char* description;
};

TEST_F(AssociationTest, RegisteringWritesTheExtensionAndTheClassOfEachFormat) {
  const ClassCase cases[] = {{"LZH", ".lzh", "LZH Files"},
                             {"7Z", ".7z", "7Z Files"},
                             {"YZ2A6", ".yz2a6", "YZ2A6 Files"},
                             {"BH", ".bh", "BH Files"}};
  for (const ClassCase& c : cases) {
    SCOPED_TRACE(c.format);
    RegisterAssociation(c.format);
    std::string cls = std::string("QuiverEx_") + c.format;
    EXPECT_EQ(Text(c.extension), cls);
    EXPECT_TRUE(IsAssociated(c.format));
    EXPECT_EQ(Text(cls), c.description);
    EXPECT_EQ(Text(cls + "\\shell\\open\\command"), "\"" + program + "\" \"%1\"");
    EXPECT_EQ(Text(cls + "\\DefaultIcon"), ShellIcon() + ",0");
    // No previous default value, so no backup.
    EXPECT_EQ(Text(c.extension, "QvrExBk"), "-1");
  }
}

TEST_F(AssociationTest, OtherNamesAreIgnored) {
  for (const char* name : {"XYZ", "lzh", "", "YZ2A"}) {
    RegisterAssociation(name);
    UnregisterAssociation(name);
  }
  EXPECT_FALSE(std::filesystem::exists(RegistryFile()));
  EXPECT_FALSE(std::filesystem::exists(dataHome()));
}

TEST_F(AssociationTest, TheCommandIsQuotedAndNamesTheExecutablesFolder) {
  UseProgram(dir.file("my programs/$HOME`x`/QuiverArchiver"));
  RegisterAssociation("ZIP");
  EXPECT_EQ(Text("QuiverEx_ZIP\\shell\\open\\command"),
            "\"" + dir.file("my programs/\\$HOME\\`x\\`/QuiverArchiver") + "\" \"%1\"");
  // The application folder is not the executable's.
  EXPECT_EQ(Text("QuiverEx_ZIP\\shell\\open\\command").find(dir.file("app")), std::string::npos);
  EXPECT_NE(
      Launcher().find("Exec=\"" + dir.file("my programs/\\\\$HOME\\\\`x\\\\`/QuiverArchiver") +
                      "\" %F\n"),
      std::string::npos)
      << Launcher();
  EXPECT_EQ(Validate(AssociationLauncherFile()), "");

  // An extractor of its own beside the executable takes the associations.
  std::string extractor = dir.file("my programs/$HOME`x`/QuiverExtractor");
  WriteFile(extractor, "#!/bin/sh\n");
  chmod(extractor.c_str(), 0755);
  RegisterAssociation("ZIP");
  EXPECT_EQ(Text("QuiverEx_ZIP\\shell\\open\\command"),
            "\"" + dir.file("my programs/\\$HOME\\`x\\`/QuiverExtractor") + "\" \"%1\"");
}

TEST_F(AssociationTest, AForeignClassIsKeptAsBackupAndComesBack) {
  RegWrite(kHKCR, ".zip", "", kRegSz, std::string("WinZip"));
  RegisterAssociation("ZIP");
  EXPECT_EQ(Text(".zip"), "QuiverEx_ZIP");
  EXPECT_EQ(Text(".zip", "QvrExBk"), "WinZip");
  UnregisterAssociation("ZIP");
  EXPECT_EQ(Text(".zip"), "WinZip");
  EXPECT_FALSE(IsAssociated("ZIP"));
  // The backup and the class stay.
  EXPECT_EQ(Text(".zip", "QvrExBk"), "WinZip");
  EXPECT_EQ(Text("QuiverEx_ZIP"), "ZIP Files");

  // Without a backup the extension is emptied.
  RegisterAssociation("CAB");
  UnregisterAssociation("CAB");
  EXPECT_EQ(Text(".cab"), "");
}

TEST_F(AssociationTest, UnregisteringLeavesAnExtensionAnotherProgramHasTaken) {
  RegisterAssociation("LZH");
  RegWrite(kHKCR, ".lzh", "", kRegSz, std::string("Other.LZH"));
  UnregisterAssociation("LZH");
  EXPECT_EQ(Text(".lzh"), "Other.LZH");
  EXPECT_EQ(Text(".lzh", "QvrExBk"), "-1");
}

TEST_F(AssociationTest, RegisteringTwiceChangesNothing) {
  InstallLauncher("prev.desktop");
  WriteFile(configHome() + "/mimeapps.list",
            "[Default Applications]\napplication/zip=prev.desktop\n");
  RegisterAssociation("ZIP");
  RegisterAssociation("GCA");
  auto before = Snapshot(home());
  RegisterAssociation("ZIP");
  RegisterAssociation("GCA");
  EXPECT_EQ(Snapshot(home()), before);
}

TEST_F(AssociationTest, AModeChangeRewritesOnlyTheCommand) {
  RegisterAssociation("RAR");
  std::string launcher = Launcher();
  std::string mimeapps = ReadFile(MimeAppsFile());
  std::string icon = Text("QuiverEx_RAR\\DefaultIcon");
  WriteIniString(kQvrArcIni, "EXTENSION", "Mode", "1");
  RegisterAssociation("RAR");
  EXPECT_EQ(Text("QuiverEx_RAR\\shell\\open\\command"), "\"" + program + "\" /DDMODE \"%1\"");
  EXPECT_EQ(Text("QuiverEx_RAR"), "RAR Files");
  EXPECT_EQ(Text("QuiverEx_RAR\\DefaultIcon"), icon);
  EXPECT_EQ(ReadFile(MimeAppsFile()), mimeapps);
  std::string expected = launcher;
  size_t at = expected.find(" %F\n");
  ASSERT_NE(at, std::string::npos);
  expected.replace(at, 4, " /DDMODE %F\n");
  EXPECT_EQ(Launcher(), expected);
}

TEST_F(AssociationTest, TheDesktopNamesOurLauncherAndGivesThePreviousDefaultBack) {
  InstallLauncher("prev.desktop");
  const std::string mimeapps =
      "# mine\n[Added Associations]\napplication/zip=prev.desktop;\n\n"
      "[Default Applications]\ntext/plain=gedit.desktop\napplication/zip=prev.desktop\n";
  WriteFile(configHome() + "/mimeapps.list", mimeapps);
  for (const char* format : {"ZIP", "LZH", "GCA"}) RegisterAssociation(format);

  EXPECT_EQ(QueryDefault("application/zip"), kAssociationLauncher);
  EXPECT_EQ(QueryDefault("application/x-lha"), kAssociationLauncher);
  EXPECT_EQ(QueryDefault("application/x-quiverarchiver-gca"), kAssociationLauncher);
  EXPECT_EQ(MimeAppsDefault("text/plain"), "gedit.desktop");
  std::string launcher = Launcher();
  EXPECT_NE(launcher.find("MimeType=application/x-lha;application/zip;"
                          "application/x-quiverarchiver-gca;\n"),
            std::string::npos)
      << launcher;
  EXPECT_NE(launcher.find("\nX-QuiverArchiver=1\n"), std::string::npos);
  EXPECT_EQ(Validate(AssociationLauncherFile()), "");

  for (const char* format : {"ZIP", "LZH", "GCA"}) UnregisterAssociation(format);
  EXPECT_EQ(QueryDefault("application/zip"), "prev.desktop");
  // No previous default: the line is gone, every other line is as it was.
  EXPECT_EQ(ReadFile(configHome() + "/mimeapps.list"), mimeapps);
  EXPECT_FALSE(std::filesystem::exists(AssociationLauncherFile()));
  EXPECT_FALSE(std::filesystem::exists(MimePackageFile()));
}

TEST_F(AssociationTest, AStaleBackupIsDroppedNotRestored) {
  std::string prev = InstallLauncher("prev.desktop");
  WriteFile(configHome() + "/mimeapps.list",
            "[Default Applications]\napplication/zip=prev.desktop\n");
  RegisterAssociation("ZIP");
  std::filesystem::remove(prev);
  UnregisterAssociation("ZIP");
  EXPECT_EQ(MimeAppsDefault("application/zip"), "");
  EXPECT_NE(QueryDefault("application/zip"), "prev.desktop");

  // A default registered later without a previous one does not bring an older backup back.
  InstallLauncher("prev.desktop");
  RegisterAssociation("ZIP");
  UnregisterAssociation("ZIP");
  EXPECT_EQ(MimeAppsDefault("application/zip"), "");
}

TEST_F(AssociationTest, ADefaultAnotherProgramHasTakenSinceStays) {
  InstallLauncher("ark.desktop");
  RegisterAssociation("7Z");
  SetMimeAppsDefault("application/x-7z-compressed", "ark.desktop");
  UnregisterAssociation("7Z");
  EXPECT_EQ(MimeAppsDefault("application/x-7z-compressed"), "ark.desktop");
}

TEST_F(AssociationTest, OurMimePackageTypesTheFormatsTheSystemDoesNotKnow) {
  for (const char* format : {"LZH", "GCA", "PQA"}) RegisterAssociation(format);
  ASSERT_TRUE(IsOurFile(MimePackageFile()));
  EXPECT_TRUE(std::filesystem::exists(dataHome() + "/mime/mime.cache"))
      << "update-mime-database did not take the package";
  // An "-lh7-" archive without an extension is known by its header.
  std::string lh7 = dir.file("files/archive");
  std::filesystem::create_directories(dir.file("files"));
  std::filesystem::copy_file(QVR_FIXTURES_DIR "/lzh_lh7_level1.lzh", lh7);
  WriteFile(dir.file("files/a.gca"), "GCA0");
  WriteFile(dir.file("files/a.pqa"), "x");
  EXPECT_EQ(Run({"xdg-mime", "query", "filetype", lh7}), "application/x-lha");
  EXPECT_EQ(Run({"xdg-mime", "query", "filetype", dir.file("files/a.gca")}),
            "application/x-quiverarchiver-gca");
  EXPECT_EQ(Run({"xdg-mime", "query", "filetype", dir.file("files/a.pqa")}),
            "application/x-quiverarchiver-pqa");

  UnregisterAssociation("LZH");
  std::string package = ReadFile(MimePackageFile());
  EXPECT_EQ(package.find("-lh7-"), std::string::npos);
  EXPECT_NE(package.find("*.gca"), std::string::npos);
  EXPECT_EQ(Run({"xdg-mime", "query", "filetype", lh7}), "application/octet-stream");
}

TEST_F(AssociationTest, MimeTypesComeFromTheSystemOrOurPackage) {
  EXPECT_EQ(AssociationMimeTypes("ZIP"), std::vector<std::string>{"application/zip"});
  EXPECT_EQ(AssociationMimeTypes("LZH").front(), "application/x-lha");
  EXPECT_EQ(AssociationMimeTypes("GCA"),
            std::vector<std::string>{"application/x-quiverarchiver-gca"});
  std::vector<std::string> gz = AssociationMimeTypes("GZ");
  EXPECT_EQ(gz.front(), "application/gzip");
  EXPECT_NE(std::find(gz.begin(), gz.end(), "application/x-compressed-tar"), gz.end());
}

TEST_F(AssociationTest, ApplyAssociationsFollowsTheBoxes) {
  ASSERT_EQ(AssociationFormats().size(), 23u);
  EXPECT_EQ(AssociationFormats().front(), "LZH");
  EXPECT_EQ(AssociationFormats().back(), "RK");
  RegisterAssociation("LZH");
  ApplyAssociations([](const std::string& format) { return format == "ZIP" || format == "7Z"; });
  for (const std::string& format : AssociationFormats()) {
    EXPECT_EQ(IsAssociated(format), format == "ZIP" || format == "7Z") << format;
  }
  EXPECT_EQ(Text(".lzh"), "");
  std::string launcher = Launcher();
  EXPECT_NE(launcher.find("MimeType=application/zip;application/x-7z-compressed;\n"),
            std::string::npos)
      << launcher;
}

TEST_F(AssociationTest, AUsersFileOfOurNameIsNeverTouched) {
  const std::string mine = "[Desktop Entry]\nType=Application\nName=Mine\nExec=/bin/true\n";
  WriteFile(AssociationLauncherFile(), mine);
  RegisterAssociation("TAR");
  UnregisterAssociation("TAR");
  EXPECT_EQ(ReadFile(AssociationLauncherFile()), mine);
}

}  // namespace
}  // namespace qvr

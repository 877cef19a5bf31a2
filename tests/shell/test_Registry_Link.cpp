#include <sys/stat.h>

#include <filesystem>

#include "DesktopEntry.h"
#include "FakeMainWindow.h"
#include "Registry.h"
#include "Registry_Link.h"
#include "ShellTest.h"
#include "ThunarActions.h"

namespace qvr {
namespace {

using test::ReadFile;
using test::WriteFile;

const RegRoot kHKCR = RegRoot::ClassesRoot;
const std::string kCommandKey = std::string(kRightClickKey) + "\\command";

std::string Text(const std::string& key) {
  return std::get<std::string>(RegRead(kHKCR, key, "", kRegSz, std::string("-1")));
}

bool IsExecutable(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && (st.st_mode & 0111) == 0111;
}

const char* const kUserActions =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<actions>\n"
    "<action>\n"
    "\t<icon>utilities-terminal</icon>\n"
    "\t<name>Open Terminal Here</name>\n"
    "\t<unique-id>1600000000000000-1</unique-id>\n"
    "\t<command>exo-open --working-directory %f --launch TerminalEmulator</command>\n"
    "\t<description>Example for a custom action</description>\n"
    "\t<patterns>*</patterns>\n"
    "\t<startup-notify/>\n"
    "\t<directories/>\n"
    "</action>\n"
    "<action>\n"
    "\t<name>Mine &amp; only mine</name>\n"
    "\t<unique-id>1600000000000000-2</unique-id>\n"
    "\t<command>true %F</command>\n"
    "\t<patterns>*</patterns>\n"
    "\t<other-files/>\n"
    "</action>\n"
    "</actions>\n";

class LinkTest : public test::ShellTest {
 protected:
  std::vector<std::string> RightClickFiles() {
    return {DolphinServiceMenuFile(5), DolphinServiceMenuFile(6), NautilusScriptFile(),
            NemoActionFile()};
  }
  test::FakeMainWindow window;
};

TEST_F(LinkTest, SpecialFolders) {
  const std::pair<int, std::string> cases[] = {{kCsidlDesktop, home() + "/デスクトップ"},
                                               {kCsidlPersonal, home() + "/ドキュメント"},
                                               {kCsidlSendTo, dataHome() + "/applications"},
                                               {kCsidlWindows, "/usr"},
                                               {kCsidlSystem, "/usr/lib"},
                                               {99, ""}};
  for (const auto& [csidl, folder] : cases) EXPECT_EQ(SpecialFolderPath(csidl), folder) << csidl;
}

TEST_F(LinkTest, ShellLinkMessages) {
  const std::pair<int32_t, std::string> cases[] = {
      {0, "ショートカット情報の登録または取得に成功しました。"},
      {1, "CoInitialize の実行に\r\n失敗しました。"},
      {2, "CoCreateInstance の実行に\r\n失敗しました。"},
      {3, "QueryInterface の実行に\r\n失敗しました。"},
      {4, "ショートカットファイルの Save または Load に\r\n失敗しました。"},
      {5, "Unicode への変換に\r\n失敗しました。"},
      {24, "リンク先の設定または取得に\r\nコマンドライン引数の設定または取得に\r\n失敗しました。"},
      {32 | 512,
       "作業フォルダの設定または取得に\r\n実行時の大きさの設定または取得に\r\n失敗しました。"},
      {64 | 128 | 256,
       "Description の設定または取得に\r\nアイコンのパスおよびインデックスの設定または取得に"
       "\r\nショートカットキーの設定または取得に\r\n失敗しました。"},
      {6, "失敗しました。"},
  };
  for (const auto& [code, text] : cases) EXPECT_EQ(ShellLinkMessage(code), text) << code;
}

TEST_F(LinkTest, TheFolderEntryIsSetForEveryFileManagerAndDeletedAgain) {
  SetFolderRightClick("Set");
  EXPECT_EQ(Text(kRightClickKey), "QuiverArchiverへ追加");
  EXPECT_EQ(Text(kCommandKey), "\"" + program + "\" \"%1\"");
  for (const std::string& file : RightClickFiles()) {
    SCOPED_TRACE(file);
    EXPECT_TRUE(IsOurFile(file));
    EXPECT_NE(ReadFile(file).find(program), std::string::npos);
  }
  EXPECT_TRUE(IsExecutable(DolphinServiceMenuFile(5)));
  EXPECT_TRUE(IsExecutable(DolphinServiceMenuFile(6)));
  EXPECT_TRUE(IsExecutable(NautilusScriptFile()));
  EXPECT_NE(ReadFile(DolphinServiceMenuFile(6)).find("Exec=" + program + " %F\n"),
            std::string::npos);
  std::string uca = ReadFile(ThunarActionsFile());
  EXPECT_NE(uca.find("<command>&quot;" + program + "&quot; %F</command>"), std::string::npos)
      << uca;
  EXPECT_EQ(Run({"xmllint", "--noout", ThunarActionsFile()}).find("error"), std::string::npos);

  auto before = Snapshot(home());
  SetFolderRightClick("Set");
  EXPECT_EQ(Snapshot(home()), before);

  SetFolderRightClick("Delete");
  EXPECT_EQ(Text(kRightClickKey), "-1");
  EXPECT_EQ(Text(kCommandKey), "-1");
  for (const std::string& file : RightClickFiles()) EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(ReadFile(ThunarActionsFile()).find("QuiverArchiver"), std::string::npos);
}

TEST_F(LinkTest, TheNautilusScriptHandsTheChosenFoldersOverUnchanged) {
  UseProgram(dir.file("a b/$x`y`\"q\"/QuiverArchiver"));
  SetFolderRightClick("Set");
  int code = -1;
  Run({NautilusScriptFile(), "/data/one folder", "/data/$two"}, &code);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(ReadFile(dir.file("a b/$x`y`\"q\"/args")), "/data/one folder\n/data/$two\n");
}

TEST_F(LinkTest, AnotherProgramsCaptionIsLeftAlone) {
  RegWrite(kHKCR, kRightClickKey, "", kRegSz, std::string("他のプログラムへ追加"));
  RegWrite(kHKCR, kCommandKey, "", kRegSz, std::string("other \"%1\""));
  SetFolderRightClick("Set");
  EXPECT_EQ(Text(kRightClickKey), "他のプログラムへ追加");
  EXPECT_EQ(Text(kCommandKey), "other \"%1\"");
}

TEST_F(LinkTest, FilesOfOurNamesThatAreNotOursStay) {
  for (const std::string& file : RightClickFiles()) WriteFile(file, "someone else's\n");
  SetFolderRightClick("Set");
  SetFolderRightClick("Delete");
  for (const std::string& file : RightClickFiles()) EXPECT_EQ(ReadFile(file), "someone else's\n");
}

TEST_F(LinkTest, TheUsersThunarActionsStay) {
  WriteFile(ThunarActionsFile(), kUserActions);
  SetFolderRightClick("Set");
  std::string merged = ReadFile(ThunarActionsFile());
  std::string withoutClose = std::string(kUserActions);
  withoutClose.erase(withoutClose.rfind("</actions>"));
  EXPECT_EQ(merged.compare(0, withoutClose.size(), withoutClose), 0) << merged;
  EXPECT_NE(merged.find("<unique-id>QuiverArchiver-QvrArc.Add</unique-id>"), std::string::npos);
  SetFolderRightClick("Delete");
  EXPECT_EQ(ReadFile(ThunarActionsFile()), kUserActions);
}

TEST_F(LinkTest, WithoutAThunarFileOfTheirOwnTheUserKeepsTheSystemActions) {
  WriteFile(dir.file("etc/Thunar/uca.xml"), kUserActions);
  SetFolderRightClick("Set");
  std::string merged = ReadFile(ThunarActionsFile());
  EXPECT_NE(merged.find("Open Terminal Here"), std::string::npos);
  EXPECT_NE(merged.find("QuiverArchiver-QvrArc.Add"), std::string::npos);
}

TEST_F(LinkTest, OurEntriesFollowTheExecutableWhenItHasMoved) {
  SetFolderRightClick("Set");
  UpdateSendToEntry(true, window);
  UpdateDesktopShortcut(true, "Normal", window);
  std::string old = program;
  UseProgram(dir.file("moved/QuiverArchiver"));
  SetFolderRightClick("Set");
  UpdateSendToEntry(true, window);
  UpdateDesktopShortcut(true, "Normal", window);
  EXPECT_EQ(Text(kCommandKey), "\"" + program + "\" \"%1\"");
  std::vector<std::string> files = RightClickFiles();
  files.push_back(ThunarActionsFile());
  files.push_back(SpecialFolderPath(kCsidlSendTo) + "/QuiverArchiver.desktop");
  files.push_back(ThunarSendToFile());
  files.push_back(desktop() + "/QuiverArchiver.desktop");
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    std::string text = ReadFile(file);
    EXPECT_NE(text.find(program), std::string::npos);
    EXPECT_EQ(text.find(old), std::string::npos);
  }
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(LinkTest, TheSendToEntryTakesTheChosenFiles) {
  std::string entry = SpecialFolderPath(kCsidlSendTo) + "/QuiverArchiver.desktop";
  UpdateSendToEntry(true, window);
  for (const std::string& file : {entry, ThunarSendToFile()}) {
    SCOPED_TRACE(file);
    std::string text = ReadFile(file);
    EXPECT_NE(text.find("\nExec=" + program + " %F\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nMimeType=application/octet-stream;inode/directory;\n"),
              std::string::npos);
    EXPECT_EQ(Validate(file), "");
  }
  EXPECT_NE(ReadFile(dataHome() + "/applications/mimeinfo.cache").find("QuiverArchiver.desktop"),
            std::string::npos);
  UpdateSendToEntry(false, window);
  EXPECT_FALSE(std::filesystem::exists(entry));
  EXPECT_FALSE(std::filesystem::exists(ThunarSendToFile()));
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(LinkTest, ASendToFileThatIsNotOursIsLeftUntouched) {
  std::string entry = SpecialFolderPath(kCsidlSendTo) + "/QuiverArchiver.desktop";
  WriteFile(entry, "[Desktop Entry]\nType=Application\nName=Q\nExec=/opt/q\n");
  auto before = Snapshot(entry);
  UpdateSendToEntry(true, window);
  EXPECT_EQ(Snapshot(entry), before);
  UpdateSendToEntry(false, window);
  EXPECT_EQ(Snapshot(entry), before);
}

TEST_F(LinkTest, DesktopShortcutsOfBothKinds) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"Normal", "QuiverArchiver.desktop", " %F\n"},
      {"DDMode", "QVEasyExtract.desktop", " /DDMODE %F\n"},
      {"Other", "QVEasyExtract.desktop", " /DDMODE %F\n"}};
  for (const auto& [kind, name, arguments] : cases) {
    SCOPED_TRACE(kind);
    std::string file = desktop() + "/" + name;
    UpdateDesktopShortcut(true, kind, window);
    std::string text = ReadFile(file);
    EXPECT_NE(text.find("\nExec=" + program + arguments), std::string::npos) << text;
    EXPECT_NE(text.find("\nPath=" + dir.file("bin") + "\n"), std::string::npos) << text;
    EXPECT_TRUE(IsExecutable(file));
    EXPECT_EQ(Validate(file), "");
    auto before = Snapshot(file);
    UpdateDesktopShortcut(true, kind, window);
    EXPECT_EQ(Snapshot(file), before);
    UpdateDesktopShortcut(false, kind, window);
    EXPECT_FALSE(std::filesystem::exists(file));
  }
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(LinkTest, AShortcutThatCannotBeSavedShowsTheLibrarysMessage) {
  std::filesystem::remove(desktop());
  WriteFile(desktop(), "a file where the desktop folder should be");
  UpdateDesktopShortcut(true, "Normal", window);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text,
            "ショートカットファイルの Save または Load に\r\n失敗しました。");
  EXPECT_EQ(window.messages[0].icon, MsgIcon::Exclamation);
}

}  // namespace
}  // namespace qvr

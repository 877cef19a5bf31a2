#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "AppFolder.h"
#include "Form1.h"
#include "HookMsg.h"
#include "TempDir.h"

namespace qvr {
namespace {

using test::TempDir;
using test::WriteFile;

const int32_t kMessage = RegisterWindowMessage(kHandOffMessageName);

// One application object for the process, destroyed after the last test.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[13] = "test_HookMsg";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};
[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

TEST(HookMsg, TheMessageNumberIsARegisteredOneAndTheSameEverywhere) {
  EXPECT_GE(kMessage, 0xC000);
  EXPECT_LE(kMessage, 0xFFFF);
  EXPECT_EQ(kMessage, RegisterWindowMessage("WM_USER_QVRARC_BY_TESSEL"));
  EXPECT_NE(kMessage, RegisterWindowMessage("WM_USER_OTHER"));
}

TEST(HookMsg, EncodingSignExtendsEachUtf16Unit) {
  // "a", "日" (U+65E5, above 0x7FFF: negative), and U+20BB7 as a surrogate pair.
  auto records = EncodeHandOff(kMessage, "a日\xF0\xA0\xAE\xB7");
  std::vector<HookRecord> expected = {{kWmSysCommand, kScRestore, 0},
                                      {kMessage, 0, 0},
                                      {kMessage, 1, 'a'},
                                      {kMessage, 1, 0x65E5},
                                      {kMessage, 1, int32_t(int16_t(0xD842))},
                                      {kMessage, 1, int32_t(int16_t(0xDFB7))},
                                      {kMessage, 2, 0}};
  EXPECT_EQ(records, expected);
  EXPECT_LT(records[4].lParam, 0);
  // Without files only the request to come to the front travels.
  EXPECT_EQ(EncodeHandOff(kMessage, ""), std::vector<HookRecord>({{kWmSysCommand, kScRestore, 0}}));
}

TEST(HookMsg, RecordsSurviveAnySplitOfTheByteStream) {
  std::string text = "\"/a b/日本 語.lzh\" /x/\xF0\x9F\x98\x80.zip";
  std::string bytes = SerializeRecords(EncodeHandOff(kMessage, text));
  ASSERT_EQ(bytes.size() % kHookRecordSize, 0u);
  for (size_t chunk : {size_t(1), size_t(5), size_t(12), size_t(13), bytes.size()}) {
    HandOffReceiver receiver(kMessage);
    int restores = 0, adds = 0;
    for (size_t pos = 0; pos < bytes.size(); pos += chunk) {
      for (const auto& record : receiver.feed(std::string_view(bytes).substr(pos, chunk))) {
        auto action = receiver.apply(record);
        restores += action == HandOffReceiver::Action::Restore;
        adds += action == HandOffReceiver::Action::AddList;
      }
    }
    EXPECT_EQ(restores, 1);
    EXPECT_EQ(adds, 1);
    EXPECT_EQ(receiver.buffer(), text) << "chunk " << chunk;
  }
}

TEST(HookMsg, ReceiveBufferRules) {
  HandOffReceiver receiver(kMessage);
  using A = HandOffReceiver::Action;
  EXPECT_EQ(receiver.apply({kMessage, 1, 'x'}), A::None);
  EXPECT_EQ(receiver.apply({kMessage, 0, 0}), A::None);  // begin empties
  EXPECT_EQ(receiver.apply({kMessage, 1, 'a'}), A::None);
  EXPECT_EQ(receiver.apply({kMessage, 7, 'z'}), A::None);      // other wParam: ignored
  EXPECT_EQ(receiver.apply({kMessage + 1, 1, 'q'}), A::None);  // another message: ignored
  EXPECT_EQ(receiver.apply({kMessage, 1, 'b'}), A::None);
  EXPECT_EQ(receiver.apply({kMessage, 2, 0}), A::AddList);
  EXPECT_EQ(receiver.buffer(), "ab");
  // The end does not empty the buffer; only the next begin does.
  EXPECT_EQ(receiver.apply({kMessage, 1, 'c'}), A::None);
  EXPECT_EQ(receiver.buffer(), "abc");
  receiver.apply({kMessage, 0, 0});
  EXPECT_EQ(receiver.buffer(), "");
  // Only the low 16 bits carry the unit.
  receiver.apply({kMessage, 1, int32_t(0x7FFF0041)});
  EXPECT_EQ(receiver.buffer(), "A");
}

// Two real processes: this test process and copies of the built executable, each copy in a
// folder of its own (its application folder), all meeting at a private runtime folder.
class HandOffProcesses : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(runtime.file("run"));
    chmod(runtime.file("run").c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.file("run").c_str(), 1);
    setenv("XDG_CONFIG_HOME", runtime.file("config").c_str(), 1);
    SetAppFolder(app.path());
  }

  QString copyOfExecutable(const TempDir& folder) {
    std::string target = folder.file("QuiverArchiver");
    std::filesystem::copy_file(std::string(QVR_BIN_DIR) + "/QuiverArchiver", target);
    return QString::fromStdString(target);
  }

  static bool WaitFor(const std::function<bool()>& done, int ms = 15000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
      if (timer.elapsed() > ms) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
  }

  TempDir runtime, app, first, second;
};

TEST_F(HandOffProcesses, ASecondStartDeliversItsPathsIntactAndRestoresTheWindow) {
  std::string japanese = first.file("日本 語 フォルダ/書庫 ファイル.lzh");
  std::string outsideBmp = first.file("\xF0\xA0\xAE\xB7野家/x.zip");  // U+20BB7
  WriteFile(japanese, "x");
  WriteFile(outsideBmp, "x");

  HookMsg hook;
  ASSERT_FALSE(hook.handOffOrListen(""));
  Form1 form;
  form.AttachHookMsg(hook);
  form.showMinimized();
  ASSERT_TRUE(form.isMinimized());

  QProcess process;
  process.start(copyOfExecutable(second),
                {QString::fromStdString(japanese), QString::fromStdString(outsideBmp)});
  ASSERT_TRUE(WaitFor([&] { return form.listCount() >= 2; }));
  ASSERT_TRUE(WaitFor([&] { return process.state() == QProcess::NotRunning; }));
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), 0);
  EXPECT_EQ(form.listCount(), 2);
  EXPECT_EQ(form.listItem(0), japanese);
  EXPECT_EQ(form.listItem(1), outsideBmp);
  EXPECT_FALSE(form.isMinimized());
  EXPECT_EQ(form.panelText(1), "2ファイル登録済み(2追加)");
  // The second start saved nothing and made no folder.
  EXPECT_FALSE(std::filesystem::exists(second.file("QvrArc.ini")));
  EXPECT_FALSE(std::filesystem::exists(second.file("tmp")));
}

TEST_F(HandOffProcesses, TheExecutableRunningFirstMakesLaterStartsEnd) {
  QProcess running;
  running.start(copyOfExecutable(first), {});
  ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(first.file("tmp")); }));
  QString later = copyOfExecutable(second);
  for (const QStringList& args : {QStringList{}, QStringList{"/DDMODE"},
                                  QStringList{"/DDMODE", QString::fromStdString(first.path())}}) {
    QProcess process;
    process.start(later, args);
    ASSERT_TRUE(process.waitForFinished(15000)) << args.join(' ').toStdString();
    EXPECT_EQ(process.exitCode(), 0);
  }
  EXPECT_EQ(running.state(), QProcess::Running);
  EXPECT_FALSE(std::filesystem::exists(second.file("QvrArc.ini")));
  EXPECT_FALSE(std::filesystem::exists(second.file("tmp")));
  running.kill();
  running.waitForFinished();
}

}  // namespace
}  // namespace qvr

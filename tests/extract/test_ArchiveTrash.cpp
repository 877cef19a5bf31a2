// Where no Trash takes an archive, the run asks once whether such archives may go for good.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "ArchiveTrash.h"
#include "FakeMainWindow.h"
#include "TempDir.h"

namespace qvr {
namespace {

namespace fs = std::filesystem;
using Fate = ArchiveTrash::Fate;

struct TrashCase {
  const char* name;
  bool trashTakes;
  std::deque<MsgResult> answers;
  Fate fate;
  bool gone;
  size_t questions;
};

class ArchiveTrashTest : public ::testing::TestWithParam<TrashCase> {};

TEST_P(ArchiveTrashTest, EveryPartOfTwoArchivesAndOneQuestionAtMost) {
  const TrashCase& c = GetParam();
  test::TempDir temp;
  test::FakeMainWindow window;
  window.messageAnswers = c.answers;
  std::set<std::string> trashed;
  ArchiveTrash trash(window, [&](const std::string& path) {
    if (!c.trashTakes) return false;
    trashed.insert(path);
    fs::remove(path);
    return true;
  });
  const std::vector<std::vector<std::string>> archives = {
      {temp.file("a.7z.001"), temp.file("a.7z.002")}, {temp.file("b.zip")}};
  for (const auto& parts : archives) {
    for (const std::string& part : parts) test::WriteFile(part, "data");
    EXPECT_EQ(trash.Remove(parts), c.fate);
    for (const std::string& part : parts) {
      EXPECT_EQ(fs::exists(part), !c.gone) << part;
      EXPECT_EQ(trashed.count(part), c.trashTakes ? 1u : 0u) << part;
    }
  }
  ASSERT_EQ(window.messages.size(), c.questions);
  if (c.questions > 0) {
    EXPECT_EQ(window.messages[0].buttons, MsgButtons::YesNoDefaultNo);
    EXPECT_NE(window.messages[0].text.find(archives[0][0]), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ArchiveTrashTest,
    ::testing::Values(TrashCase{"ToTheTrash", true, {}, Fate::Trashed, true, 0},
                      TrashCase{"NoTrashYes", false, {MsgResult::Yes}, Fate::Deleted, true, 1},
                      TrashCase{"NoTrashNo", false, {MsgResult::No}, Fate::Kept, false, 1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qvr

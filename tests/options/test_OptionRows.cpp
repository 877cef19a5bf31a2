#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "AppFolder.h"
#include "ArchiverDLLStatus.h"
#include "Option.h"
#include "OptionEx.h"
#include "OptionRows.h"
#include "Settings.h"
#include "TempDir.h"

using qvr::ExRow;
using qvr::OptionKind;
using qvr::OptionRow;
using qvr::OptionValues;
using qvr::test::ReadFile;
using qvr::test::TempDir;
using qvr::test::WriteFile;

namespace {

class OptionRowsTest : public ::testing::Test {
 protected:
  void SetUp() override { qvr::SetAppFolder(dir.path()); }
  TempDir dir;
};

const OptionRow kRows[] = {
    {"S", "Check", OptionKind::Check},
    {"S", "Choice", OptionKind::Choice, 3, "", "", 1},
    {"S", "Number", OptionKind::Number, 0, "25", "Port"},
    {"T", "Text", OptionKind::Text, 0, "", "", 2},
};

TEST_F(OptionRowsTest, EachKindReadsAsTheDialogShowsIt) {
  struct Case {
    const char* file;
    OptionValues expected;
  };
  const Case cases[] = {
      {"", {"0", "0", "25", ""}},
      {"[S]\r\nCheck=7\r\nChoice=2\r\nNumber=0\r\n[T]\r\nText= a b \r\n", {"1", "2", "25", "a b"}},
      {"[S]\r\nCheck=0\r\nChoice=-1\r\nNumber=587x\r\n", {"0", "-1", "587", ""}},
      {"[S]\r\nNumber=abc\r\n", {"0", "0", "25", ""}},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(dir.file("QvrArc.ini"));
    if (*c.file) WriteFile(dir.file("QvrArc.ini"), c.file);
    EXPECT_EQ(qvr::ReadOptionRows(kRows), c.expected) << c.file;
  }
}

TEST_F(OptionRowsTest, WritesInOrderAndEachStepFindsTheRowsBeforeIt) {
  std::vector<std::string> seen;
  qvr::WriteOptionRows(kRows, {"1", "2", "110", "x"}, [&](int step) {
    seen.push_back(std::to_string(step) + ":" +
                   std::to_string(qvr::GetIniInt(qvr::kQvrArcIni, "S", "Choice")) + ":" +
                   qvr::GetIniStringDef(qvr::kQvrArcIni, "S", "Number", "none"));
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"1:2:none", "2:2:110"}));
  EXPECT_EQ(ReadFile(dir.file("QvrArc.ini")),
            "[S]\r\nCheck=1\r\nChoice=2\r\nNumber=110\r\n[T]\r\nText=x\r\n");
}

TEST_F(OptionRowsTest, NumbersMustBeDigits) {
  const std::pair<const char*, bool> cases[] = {{"25", true},   {"0", true},    {"", false},
                                                {" 25", false}, {"2 5", false}, {"-1", false},
                                                {"1e3", false}, {"２５", false}};
  for (auto [text, digits] : cases) {
    EXPECT_EQ(qvr::IsDigits(text), digits) << text;
    std::string refusal = qvr::CheckNumberRows(kRows, {"0", "0", text, ""});
    EXPECT_EQ(refusal.empty(), digits) << text;
    if (!digits) {
      EXPECT_NE(refusal.find("Port"), std::string::npos);
    }
  }
}

TEST(OptionEx, TheViewerPlacesEachActionAllows) {
  for (int place = -1; place <= 4; ++place) {
    EXPECT_EQ(qvr::ArcViewPlaceAllowed(0, place), place >= 0 && place <= 2) << place;
    EXPECT_EQ(qvr::ArcViewPlaceAllowed(1, place), place >= 1 && place <= 3) << place;
    EXPECT_FALSE(qvr::ArcViewPlaceAllowed(2, place));
  }
}

TEST(Option, AssociationBoxesShareTheirLibrariesFlags) {
  struct Case {
    bool qvr::LibraryStatus::*flag;
    std::vector<std::string> formats;
  };
  const Case cases[] = {
      {&qvr::LibraryStatus::TAR32, {"TAR", "GZ", "BZ2", "Z"}},
      {&qvr::LibraryStatus::BGA32, {"BZA", "GZA"}},
      {&qvr::LibraryStatus::YZ2DEC, {"YZ2", "YZ2A6"}},
      {&qvr::LibraryStatus::SEVENZIP32, {"7Z"}},
      {&qvr::LibraryStatus::UNZIP32, {"ZIP"}},
      {&qvr::LibraryStatus::UNACEV2, {"ACE"}},
      {&qvr::LibraryStatus::UNACE32, {"ACE"}},
      {&qvr::LibraryStatus::PAQAR32, {"PQA"}},
      {&qvr::LibraryStatus::RKEXE, {"RK"}},
  };
  for (const Case& c : cases) {
    qvr::LibraryStatus status;
    status.*c.flag = true;
    for (const auto& box : qvr::kAssociationBoxes) {
      bool expected = std::find(c.formats.begin(), c.formats.end(), box.format) != c.formats.end();
      EXPECT_EQ(qvr::AssociationAvailable(status, box.format), expected) << box.format;
    }
  }
}

}  // namespace

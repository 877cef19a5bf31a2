#include "Text.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace qvr::arc {
namespace {

TEST(Text, Utf8IsCheckedStrictly) {
  struct Row {
    const char* text;
    bool valid;
  } rows[] = {
      {"", true},
      {"plain.txt", true},
      {"予定表/資料.txt", true},
      {"\xF0\x9F\x93\x81", true},   // U+1F4C1
      {"\xC0\xAF", false},          // overlong "/"
      {"\xE0\x80\xAF", false},      // overlong, three bytes
      {"\xED\xA0\x80", false},      // surrogate
      {"\xF4\x90\x80\x80", false},  // past U+10FFFF
      {"\xE6\x97", false},          // cut
      {"\x93\xfa\x96\x7b", false},  // CP932 "日本"
      {"\xFF", false},
  };
  for (const Row& row : rows) EXPECT_EQ(IsValidUtf8(row.text), row.valid) << row.text;
}

TEST(Text, Cp932ConvertsBothWaysAndFailsOrReplacesWhatItCannot) {
  std::string utf8;
  ASSERT_TRUE(Cp932ToUtf8("\x93\xfa\x96\x7b\x8c\xea\\a.txt", &utf8));
  EXPECT_EQ(utf8, "日本語\\a.txt");
  std::string cp932;
  ASSERT_TRUE(Utf8ToCp932(utf8, &cp932));
  EXPECT_EQ(cp932, "\x93\xfa\x96\x7b\x8c\xea\\a.txt");
  // A trail byte 0x5C stays the character's: "表" is 0x95 0x5C.
  ASSERT_TRUE(Cp932ToUtf8("\x95\x5c", &utf8));
  EXPECT_EQ(utf8, "表");

  // Strict: the output is left alone on failure.
  utf8 = "kept";
  EXPECT_FALSE(Cp932ToUtf8("a\x81", &utf8));  // a lead byte with nothing after it
  EXPECT_EQ(utf8, "kept");
  cp932 = "kept";
  EXPECT_FALSE(Utf8ToCp932("\xF0\x9F\x93\x81", &cp932));  // no CP932 form
  EXPECT_EQ(cp932, "kept");
  // Lossy: each byte that does not decode is one U+FFFD, the rest decodes.
  EXPECT_EQ(Cp932ToUtf8Lossy("\x93\xfa\xA0\x96\x7b"), "日\xEF\xBF\xBD本");
  EXPECT_EQ(Cp932ToUtf8Lossy("ab\x81"), "ab\xEF\xBF\xBD");
  EXPECT_EQ(Cp932ToUtf8Lossy(""), "");
}

TEST(Text, ConvertersServeEveryThread) {
  std::string a, b;
  std::thread first([&] { a = Cp932ToUtf8Lossy("\x93\xfa"); });
  std::thread second([&] { Utf8ToCp932("本", &b); });
  first.join();
  second.join();
  EXPECT_EQ(a, "日");
  EXPECT_EQ(b, "\x96\x7b");
}

TEST(Text, AsciiLowerTouchesOnlyAsciiLetters) {
  EXPECT_EQ(AsciiLower("ARCHIVE.Part1.RAR"), "archive.part1.rar");
  EXPECT_EQ(AsciiLower("-MX=9 @LIST"), "-mx=9 @list");
  EXPECT_EQ(AsciiLower("ÄÖ予定.ZIP"), "ÄÖ予定.zip");
  EXPECT_EQ(AsciiLower("\xC3\x84[\\]^_`{"), "\xC3\x84[\\]^_`{");
}

}  // namespace
}  // namespace qvr::arc

// The core's rules on their own: argument splitting, wildcards, names, paths and links.
#include <gtest/gtest.h>

#include "ArgSplitter.h"
#include "NameDecoder.h"
#include "SafeWriter.h"
#include "TempDir.h"
#include "Text.h"

namespace qvr::arc {
namespace {

std::vector<std::string> Texts(const std::string& line) {
  std::vector<std::string> out;
  for (const Arg& a : SplitCommandLine(line)) out.push_back(a.text);
  return out;
}

TEST(ArgSplitter, QuotesBlanksAndSwitchesAnywhere) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Texts("x -c1  \"a b.lzh\" \"out dir/\""), (V{"x", "-c1", "a b.lzh", "out dir/"}));
  EXPECT_EQ(Texts("\"dir/\"name"), (V{"dir/name"}));
  EXPECT_EQ(Texts("-jb\"a/b\" \"\""), (V{"-jb"
                                         "a/b",
                                         ""}));
  EXPECT_EQ(Texts("  "), V{});

  ParsedArgs p;
  ASSERT_EQ(
      SortArguments(SplitCommandLine("x \"arc.lzh\" -y \"dest/\" a.txt \"-b.txt\" -jf0"), 1, p), 0);
  EXPECT_EQ(p.words, V{"x"});
  EXPECT_EQ(p.archive, "arc.lzh");
  EXPECT_EQ(p.folder, "dest/");
  EXPECT_EQ(NameTexts(p.names), (V{"a.txt", "-b.txt"}));  // a quoted "-b.txt" is a name
  EXPECT_EQ(p.switches, (V{"-y", "-jf0"}));
}

TEST(ArgSplitter, ResponseFilesInUtf8WithCrLfOrLf) {
  test::TempDir tmp;
  test::WriteFile(tmp.file("r.txt"),
                  "\xEF\xBB\xBF"
                  "a.txt\r\n\"b c.txt\"\r\n\r\n  d/e.txt  \nlast");
  ParsedArgs p;
  ASSERT_EQ(SortArguments(SplitCommandLine("-x arc.zip @" + tmp.file("r.txt")), 0, p), 0);
  EXPECT_EQ(NameTexts(p.names), (std::vector<std::string>{"a.txt", "b c.txt", "d/e.txt", "last"}));
  ParsedArgs q;
  EXPECT_EQ(SortArguments(SplitCommandLine("-x arc.zip @" + tmp.file("none")), 0, q), 0x802A);
}

// The program quotes every name it sends: a quoted "@name" or "-name" is a file of that
// name, a quoted "@/full/path" the program's list file; quoted blanks inside a list line stay.
TEST(ArgSplitter, QuotedNamesStayNamesAndListLinesKeepQuotedBlanks) {
  test::TempDir tmp;
  test::WriteFile(tmp.file("list.tmp"),
                  "\"/d/ends with blank \"\r\n  \" lead\"  \r\n\"/d/-x\"\r\n");
  ParsedArgs p;
  ASSERT_EQ(SortArguments(SplitCommandLine("a \"arc.7z\" \"/d/\" \"@name.txt\" \"-y.txt\" \"@" +
                                           tmp.file("list.tmp") + "\""),
                          1, p),
            0);
  EXPECT_EQ(p.folder, "/d/");
  EXPECT_EQ(
      NameTexts(p.names),
      (std::vector<std::string>{"@name.txt", "-y.txt", "/d/ends with blank ", " lead", "/d/-x"}));
  EXPECT_TRUE(p.switches.empty());
  ParsedArgs q;  // unquoted, "@" still names a response file, relative or not
  EXPECT_EQ(SortArguments(SplitCommandLine("-x arc.zip @missing.txt"), 0, q), 0x802A);
}

TEST(Wildcards, MatchAgainstTheEntryPath) {
  struct Row {
    const char* pattern;
    const char* path;
    bool match;
  };
  for (const Row& r : std::vector<Row>{{"*", "a/b.txt", true},
                                       {"*.*", "noext", true},
                                       {"*.txt", "docs/notes.txt", true},
                                       {"docs/*", "docs/notes.txt", true},
                                       {"?.txt", "a.txt", true},
                                       {"?.txt", "ab.txt", false},
                                       {"*.bin", "random.bin.txt", false},
                                       {"a*b*c", "aXbYbZc", true},
                                       {"a*b*c", "aXbYbZ", false}}) {
    EXPECT_EQ(MatchWildcard(r.pattern, r.path), r.match) << r.pattern << " " << r.path;
  }
  EXPECT_TRUE(IsSelected({"docs"}, "docs/notes.txt"));
  EXPECT_TRUE(IsSelected({"docs"}, "docs/"));
  EXPECT_FALSE(IsSelected({"doc"}, "docs/notes.txt"));
  EXPECT_TRUE(IsSelected({}, "anything"));
  // Long hostile patterns stay linear.
  EXPECT_FALSE(MatchWildcard(std::string(200, '*') + "x", std::string(5000, 'a')));
}

// A "*" or "?" inside double quotes is a character of the name; a bare one is a wildcard, so
// the viewer's quoted "a*b.txt" is that entry alone while a bare * still takes every entry.
TEST(Wildcards, QuotedWildcardCharactersNameOneEntry) {
  const std::vector<std::string> entries = {"*",       "a*b.txt", "aXb.txt", "?.txt",      "x.txt",
                                            "[x].txt", "-d",      "@list",   "docs/a.txt", "docs/"};
  using V = std::vector<std::string>;
  struct Row {
    const char* names;
    V selected;
  };
  const Row rows[] = {
      {"*", entries},
      {"*.*", entries},
      {"\"*\"", {"*"}},
      {"\"*.*\"", {}},
      {"\"a*b.txt\"", {"a*b.txt"}},
      {"a*b.txt", {"a*b.txt", "aXb.txt"}},
      {"\"?.txt\"", {"?.txt"}},
      {"?.txt", {"?.txt", "x.txt"}},
      {"\"[x].txt\"", {"[x].txt"}},
      {"[x].txt", {"[x].txt"}},
      {"\"-d\" \"@list\"", {"-d", "@list"}},
      {"\"docs/\"*", {"docs/a.txt", "docs/"}},  // the "*" outside the quotes is a wildcard
      {"\"docs\"", {"docs/a.txt", "docs/"}},
      {"\"x.txt\" ?.txt", {"?.txt", "x.txt"}},
  };
  for (const Row& r : rows) {
    ParsedArgs p;
    ASSERT_EQ(SortArguments(SplitCommandLine(std::string("x \"arc.zip\" ") + r.names), 1, p), 0);
    V selected;
    for (const std::string& e : entries)
      if (IsSelected(p.names, e)) selected.push_back(e);
    EXPECT_EQ(selected, r.selected) << r.names;
  }
  // A response file's line reads the same way.
  test::TempDir tmp;
  test::WriteFile(tmp.file("r.txt"), "\"a*b.txt\"\n?.txt\n");
  ParsedArgs q;
  ASSERT_EQ(SortArguments(SplitCommandLine("-d arc.zip @" + tmp.file("r.txt")), 0, q), 0);
  ASSERT_EQ(q.names.size(), 2u);
  EXPECT_FALSE(q.names[0].pattern);
  EXPECT_TRUE(q.names[1].pattern);
}

// A chosen code page decodes what is not UTF-8, and what the archive says is not UTF-8 even
// where its bytes are valid UTF-8 ("Ёлка" in CP866); flagged UTF-8 and ASCII never change.
TEST(Names, TheChosenCodePageAndTheArchivesFlag) {
  const std::string yolka = "\xF0\xAB\xAA\xA0";       // "Ёлка" in CP866, valid UTF-8 as well
  const std::string report = "\x8E\xE2\xE7\xF1\xE2";  // "Отчёт", not UTF-8
  struct Row {
    const char* codePage;
    std::string raw;
    NameFlag flag;
    std::string expected;
    bool guess;
  } rows[] = {
      {"CP866", report, NameFlag::Unknown, "Отчёт", true},
      {"CP866", yolka, NameFlag::NotUtf8, "Ёлка", true},
      {"CP866", yolka, NameFlag::Unknown, yolka, false},  // no flag to go by: UTF-8
      {"CP866", "日本語", NameFlag::Utf8, "日本語", false},
      {"CP866", "plain/name.txt", NameFlag::NotUtf8, "plain/name.txt", false},
      {"", yolka, NameFlag::NotUtf8, yolka, true},  // the guess keeps valid UTF-8
      {"GBK", "\xD6\xD0\xCE\xC4", NameFlag::NotUtf8, "中文", true},
      {"Big5", "\xA4\xA4\xA4\xE5", NameFlag::Unknown, "中文", true},
      {"EUC-KR", "\xC7\xD1\xB1\xDB", NameFlag::Unknown, "한글", true},
      {"CP1252", "caf\xE9", NameFlag::Unknown, "café", true},
      {"CP437", "\x84", NameFlag::Unknown, "ä", true},
      {"UTF-8", "a\xFF", NameFlag::Unknown, "a\xEF\xBF\xBD", true},
      {"no-such-page", "\x93\xfa", NameFlag::Unknown, "日", true},  // CP932 instead
  };
  for (const Row& row : rows) {
    CodePageScope scope(row.codePage);
    EXPECT_EQ(DecodeEntryName(row.raw, row.flag), row.expected) << row.codePage << " " << row.raw;
    EXPECT_EQ(scope.guessed(), row.guess) << row.codePage << " " << row.raw;
  }
  EXPECT_EQ(ChosenNameCodePage(), "");
  EXPECT_EQ(NameCodePageOf(""), "CP932");
}

TEST(Names, Utf8KeptCp932DecodedBackslashesAreSeparators) {
  const std::string cp932 = "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x97\x5c\x92\xe8\x95\x5c.txt";
  EXPECT_EQ(DecodeEntryName(cp932), "日本語の予定表.txt");  // 0x5C trail bytes stay inside
  EXPECT_EQ(DecodeEntryName("docs\\" + cp932), "docs/日本語の予定表.txt");
  EXPECT_EQ(DecodeEntryName("日本語.txt"), "日本語.txt");
  EXPECT_EQ(DecodeEntryName("\xff\xfe"), "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));      // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE6\x97"));      // cut
  std::string raw;
  EXPECT_TRUE(NarrowLatin1("a\xC2\x93\xC3\xBA", raw));
  EXPECT_EQ(raw, "a\x93\xfa");
  EXPECT_FALSE(NarrowLatin1("日", raw));
}

TEST(Paths, CleanedOfRootsDrivesAndDots) {
  using V = std::vector<std::string>;
  EXPECT_EQ(CleanPath("/etc/passwd"), (V{"etc", "passwd"}));
  EXPECT_EQ(CleanPath("../../a/./b/../c"), (V{"a", "b", "c"}));
  EXPECT_EQ(CleanPath("C:/Windows/x"), (V{"Windows", "x"}));
  EXPECT_EQ(CleanPath("a/C:/x"), (V{"a", "C:", "x"}));
  EXPECT_EQ(CleanPath("./"), V{});
}

TEST(Paths, LinksMustStayInside) {
  EXPECT_TRUE(LinkStaysInside({"a", "link"}, "../b/file"));
  EXPECT_TRUE(LinkStaysInside({"link"}, "target"));
  EXPECT_FALSE(LinkStaysInside({"link"}, "../x"));
  EXPECT_FALSE(LinkStaysInside({"a", "link"}, "/etc"));
  EXPECT_FALSE(LinkStaysInside({"a", "link"}, "x/../../.."));  // climbs after descending
  EXPECT_FALSE(LinkStaysInside({"link"}, ""));
}

}  // namespace
}  // namespace qvr::arc

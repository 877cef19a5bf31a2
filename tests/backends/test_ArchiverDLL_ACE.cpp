#include "ArchiverDLL_ACE.h"

#include <gtest/gtest.h>

#include "ArchiverDLL.h"
#include "BackendsTest.h"

namespace qvr::test {
namespace {

using Args = std::vector<std::string>;

class AceTest : public BackendsTest {};

TEST_F(AceTest, OneCallWithTheParameterBlock) {
  plugin.Install("unacev2.so");
  plugin.AceResult("/a b/書庫.ace", 0);
  EXPECT_EQ(ExtractACE("/a b/書庫.ace", "*.*", "/dest dir/"), 0);
  std::vector<PluginCall> calls = plugin.Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].library, "unacev2.so");
  EXPECT_EQ(calls[0].entry, "ACEExtract");
  // Archive, file list, destination, the three empty texts one "" and every other field 0.
  EXPECT_EQ(calls[0].args, (Args{"/a b/書庫.ace", "*.*", "/dest dir/", "empty", "zero"}));
}

TEST_F(AceTest, TheLibraryResultIsReturnedUnchanged) {
  plugin.Install("unacev2.so");
  plugin.AceResult("*", 0x800A);
  EXPECT_EQ(ExtractACE("/a.ace", "doc/readme.txt", "/d/"), 0x800A);
  EXPECT_EQ(plugin.Calls()[0].args[1], "doc/readme.txt");
}

TEST_F(AceTest, WithoutTheLibraryTheCallFails) {
  EXPECT_EQ(ExtractACE("/a.ace", "*.*", "/d/"), kNoEntryResult);
}

TEST_F(AceTest, OnlyACEExtractIsTakenFromUnAceV2) {
  plugin.Install("unacev2.so");
  ArchiverDLL& lib = ArchiverDLL::Of(Lib::UnAceV2);
  ASSERT_TRUE(lib.loaded());
  EXPECT_EQ(lib.CheckArchive("/a.ace", 0), 0);
  EXPECT_TRUE(plugin.Calls().empty());
}

}  // namespace
}  // namespace qvr::test

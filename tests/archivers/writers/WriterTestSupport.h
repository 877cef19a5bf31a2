// Shared steps of the writer tests: the sample tree's items, peer checks, "nothing changed".
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PeerTools.h"
#include "SourceList.h"
#include "TempDir.h"

namespace qvr::test {

// Items for everything under root (base folder root), as a recursive "*" add would take them.
inline std::vector<writers::AddItem> ItemsOf(const std::string& root, bool includeHidden = true,
                                             bool folderEntries = true) {
  writers::AddRequest request;
  request.baseFolder = root + "/";
  request.names = {"*"};
  request.recurse = true;
  request.includeHidden = includeHidden;
  request.folderEntries = folderEntries;
  std::vector<writers::AddItem> items;
  writers::WriteResult r = writers::CollectItems(request, &items);
  EXPECT_TRUE(r.ok()) << r.report;
  return items;
}

// Extracts with each peer into its own folder under work and compares with the expectation.
inline void ExpectPeersExtract(const std::string& archive, const std::vector<std::string>& tools,
                               const Tree& expected, const std::string& work) {
  for (const auto& tool : tools) {
    int exitCode = -1;
    Tree got = ExtractWith(tool, archive, work + "/by-" + tool, &exitCode);
    EXPECT_EQ(exitCode, 0) << tool << " on " << archive;
    EXPECT_EQ(got, expected) << tool << " on " << archive;
  }
}

// Files of the folder other than the named ones (a leftover temporary file shows up here).
inline std::vector<std::string> OtherFiles(const std::string& folder,
                                           const std::vector<std::string>& known) {
  std::vector<std::string> others;
  for (const auto& [name, content] : ReadTree(folder, false))
    if (name.find('/') == std::string::npos &&
        std::find(known.begin(), known.end(), name) == known.end())
      others.push_back(name);
  return others;
}

}  // namespace qvr::test

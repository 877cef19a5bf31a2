#include "ArchiverDLL_ACE.h"

#include "ArchiverDLL.h"

namespace qvr {

int32_t ExtractACE(const std::string& archivePath, const std::string& fileList,
                   const std::string& destFolder) {
  // One empty text serves the three fields that take one; all else is zero.
  static const char kEmpty[] = "";
  AceExtractParams params{};
  params.empty0 = kEmpty;
  params.fileList = fileList.c_str();
  params.empty8 = kEmpty;
  params.destFolder = destFolder.c_str();
  params.empty88 = kEmpty;
  return ArchiverDLL::Of(Lib::UnAceV2).ACEExtract(archivePath, &params);
}

}  // namespace qvr

#include "ArchiverCatalogue.h"

namespace qvr {

const LibRow* LibRowOfKey(std::string_view statusKey) {
  for (const LibRow& row : kLibRows)
    if (row.statusKey == statusKey) return &row;
  return nullptr;
}

const FormatRow* FormatRowOf(std::string_view id) {
  for (const FormatRow& row : kFormats)
    if (row.id == id) return &row;
  return nullptr;
}

const ExtensionRow* ExtensionRowOf(std::string_view extension) {
  for (const ExtensionRow& row : kExtensions)
    if (row.extension == extension) return &row;
  return nullptr;
}

}  // namespace qvr

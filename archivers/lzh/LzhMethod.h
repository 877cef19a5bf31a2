// The compression methods of LZH archives, named by the five-character id of their headers.
#pragma once

#include <string>
#include <string_view>

namespace qvr::lzh {

enum class Method { kLh0, kLh1, kLh4, kLh5, kLh6, kLh7, kLzs, kLz5, kLz4, kLhd, kUnknown };

// "-lh5-" -> kLh5; an id we do not know -> kUnknown.
Method MethodFromId(std::string_view id);
// kLh5 -> "-lh5-".
std::string MethodId(Method m);
// Bytes of history a method refers back to (0 for the stored ones).
unsigned WindowSize(Method m);
// Whether Decode can expand this method.
bool CanDecode(Method m);
// Whether Encode can write this method.
bool CanEncode(Method m);

}  // namespace qvr::lzh

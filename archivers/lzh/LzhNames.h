// Entry names of LZH archives. The format stores bytes without saying their encoding:
// Japanese Windows tools write CP932 (Shift_JIS), some newer tools UTF-8. The conversions
// themselves are the libraries' shared ones (Text.h).
#pragma once

#include <string>

namespace qvr::lzh {

enum class NameEncoding { kCp932, kUtf8 };

// How to read a stored name: UTF-8 when it is valid UTF-8, CP932 otherwise.
NameEncoding GuessEncoding(const std::string& raw);
// Turns the separators of a stored path into "/": 0xFF always, "\" unless it is the trail
// byte of a CP932 character (names that are valid UTF-8 have no such bytes). Empty
// components are dropped.
std::string NormalizeSeparators(const std::string& raw);

// The bytes to store for a UTF-8 path and the encoding they are in: CP932 when every
// character has a CP932 form (what Japanese LZH tools read), UTF-8 otherwise.
NameEncoding EncodeName(const std::string& utf8, std::string* stored);

}  // namespace qvr::lzh

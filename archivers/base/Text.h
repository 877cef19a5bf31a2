// Text helpers of our libraries: UTF-8 validation, CP932 conversion (the code page of
// archives made on Japanese Windows) and ASCII case, none of them depending on the locale.
#pragma once

#include <cstddef>
#include <string>

namespace qvr::arc {

// True for well-formed UTF-8 (no overlong forms, surrogates or code points past U+10FFFF).
bool IsValidUtf8(const std::string& s);

// True when every byte is below 0x80 (the same text in every code page we read).
bool IsAscii(const std::string& s);

// CP932 to UTF-8; false for bytes that are not CP932.
bool Cp932ToUtf8(const std::string& cp932, std::string* out);
// CP932 to UTF-8, each undecodable byte becoming U+FFFD (the bytes as they are when the
// system has no CP932 converter).
std::string Cp932ToUtf8Lossy(const std::string& cp932);
// The bytes decoded from the code page (an iconv name: "CP932", "GBK", "BIG5", "EUC-KR",
// "CP866", "CP437", "CP1252", "UTF-8"...), each undecodable byte becoming U+FFFD; CP932 for a
// code page the system cannot convert.
std::string ToUtf8Lossy(const std::string& raw, const std::string& codePage);
// UTF-8 to CP932; false when a character has no CP932 form.
bool Utf8ToCp932(const std::string& utf8, std::string* out);

// UTF-8 to UTF-16LE, appended to `out` (no terminating unit); a byte that starts no valid
// sequence stands as U+FFFD.
void AppendUtf16Le(std::string& out, const std::string& utf8);
// `units` UTF-16LE code units to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16LeToUtf8(const unsigned char* data, size_t units);

// "A" to "Z" become "a" to "z"; every other byte stays.
std::string AsciiLower(std::string text);

}  // namespace qvr::arc

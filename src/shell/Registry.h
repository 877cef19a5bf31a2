// The per-user registry store: keys, default values (""), named string (type 1) and 32-bit
// (type 4) values, kept in one file under $XDG_CONFIG_HOME/QuiverArchiver/ and written
// atomically. Key and value names match without regard to ASCII case, as the registry does.
// Errors are never reported: a failed read gives the default, a failed write keeps the
// previous value.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace qvr {

enum class RegRoot : uint32_t {
  ClassesRoot = 0x80000000u,
  CurrentUser = 0x80000001u,
  LocalMachine = 0x80000002u,
};

inline constexpr int kRegSz = 1;     // a text value
inline constexpr int kRegDword = 4;  // a 32-bit number

// A text (type 1) or a 32-bit number (type 4).
using RegValue = std::variant<std::string, int32_t>;

// The value of subKey/valueName ("" = the default value) when the key exists and holds a
// value of that type; otherwise the default. A text is returned up to its first NUL.
RegValue RegRead(RegRoot root, const std::string& subKey, const std::string& valueName, int type,
                 const RegValue& defaultValue);
// Creates the key (and every missing key above it) and writes the value. A number given for
// type 1 is written as its decimal text; a text given for type 4 must be a decimal number.
// False for any other type or when the store could not be written.
bool RegWrite(RegRoot root, const std::string& subKey, const std::string& valueName, int type,
              const RegValue& value);
// Deletes a key that has no subkeys, with its values; false when it is missing, still has
// subkeys, or the store could not be written.
bool RegDeleteKey(RegRoot root, const std::string& subKey);

// The store's file: $XDG_CONFIG_HOME/QuiverArchiver/registry.reg (~/.config when unset).
std::string RegistryFile();

}  // namespace qvr

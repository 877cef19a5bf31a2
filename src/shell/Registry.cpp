#include "Registry.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>

#include "AppFolder.h"
#include "PathHelpers.h"
#include "ProfileFile.h"

namespace qvr {
namespace {

// The store in memory: every key by its lower-cased full name ("HKEY_CURRENT_USER\Software"),
// each value by its lower-cased name; the names keep the case they were written with.
struct Value {
  std::string name;
  int type = kRegSz;
  std::string text;
  int32_t number = 0;
};
struct Key {
  std::string name;
  std::map<std::string, Value> values;
};
using Store = std::map<std::string, Key>;

const char* RootName(RegRoot root) {
  switch (root) {
    case RegRoot::ClassesRoot:
      return "HKEY_CLASSES_ROOT";
    case RegRoot::CurrentUser:
      return "HKEY_CURRENT_USER";
    case RegRoot::LocalMachine:
      return "HKEY_LOCAL_MACHINE";
  }
  return "HKEY_CURRENT_USER";
}

// Root + "\" + subKey without surrounding or doubled "\".
std::string FullKeyName(RegRoot root, const std::string& subKey) {
  std::string name = RootName(root);
  size_t start = 0;
  while (start <= subKey.size()) {
    size_t end = subKey.find('\\', start);
    if (end == std::string::npos) end = subKey.size();
    if (end > start) name += '\\' + subKey.substr(start, end - start);
    start = end + 1;
  }
  return name;
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// Reads a quoted text starting at line[pos] == '"'; pos ends after the closing quote.
bool Unquote(const std::string& line, size_t& pos, std::string& out) {
  if (pos >= line.size() || line[pos] != '"') return false;
  for (++pos; pos < line.size(); ++pos) {
    char c = line[pos];
    if (c == '"') {
      ++pos;
      return true;
    }
    if (c == '\\' && pos + 1 < line.size()) {
      char n = line[++pos];
      out += n == 'r' ? '\r' : n == 'n' ? '\n' : n;
    } else {
      out += c;
    }
  }
  return false;
}

bool ParseValueLine(const std::string& line, Value& value) {
  size_t pos = 0;
  if (line.compare(0, 2, "@=") == 0) {
    pos = 1;
  } else if (!Unquote(line, pos, value.name)) {
    return false;
  }
  if (pos >= line.size() || line[pos] != '=') return false;
  ++pos;
  if (line.compare(pos, 6, "dword:") == 0) {
    uint32_t number = 0;
    const char* first = line.data() + pos + 6;
    auto [end, ec] = std::from_chars(first, line.data() + line.size(), number, 16);
    if (ec != std::errc() || end == first) return false;
    value.type = kRegDword;
    value.number = int32_t(number);
    return true;
  }
  value.type = kRegSz;
  return Unquote(line, pos, value.text);
}

Store Load() {
  Store store;
  std::ifstream in(RegistryFile(), std::ios::binary);
  std::string line;
  Key* current = nullptr;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      std::string name = line.substr(1, line.size() - 2);
      current = &store[LCase(name)];
      current->name = name;
      continue;
    }
    Value value;
    if (current && ParseValueLine(line, value)) current->values[LCase(value.name)] = value;
  }
  return store;
}

std::string Serialise(const Store& store) {
  std::ostringstream out;
  out << "; QuiverArchiver registry store\n";
  for (const auto& [lower, key] : store) {
    out << "\n[" << key.name << "]\n";
    for (const auto& [vlower, value] : key.values) {
      out << (value.name.empty() ? std::string("@") : '"' + Escape(value.name) + '"') << '=';
      if (value.type == kRegDword) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "dword:%08x", uint32_t(value.number));
        out << hex << '\n';
      } else {
        out << '"' << Escape(value.text) << "\"\n";
      }
    }
  }
  return out.str();
}

bool Save(const Store& store) {
  std::string file = RegistryFile();
  std::error_code ec;
  std::filesystem::create_directories(FolderOf(file), ec);
  return profile::ReplaceFile(file, Serialise(store));
}

std::string BeforeNul(const std::string& text) {
  return text.substr(0, text.find('\0'));
}

// The value to store for a write of that type; false when it cannot be one.
bool ToValue(int type, const RegValue& given, Value& value) {
  value.type = type;
  if (type == kRegSz) {
    if (auto* text = std::get_if<std::string>(&given)) {
      value.text = BeforeNul(*text);
    } else {
      value.text = std::to_string(std::get<int32_t>(given));
    }
    return true;
  }
  if (type != kRegDword) return false;
  if (auto* number = std::get_if<int32_t>(&given)) {
    value.number = *number;
    return true;
  }
  const std::string& text = std::get<std::string>(given);
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value.number);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

}  // namespace

std::string RegistryFile() {
  return XdgConfigHome() + "/QuiverArchiver/registry.reg";
}

RegValue RegRead(RegRoot root, const std::string& subKey, const std::string& valueName, int type,
                 const RegValue& defaultValue) {
  Store store = Load();
  auto key = store.find(LCase(FullKeyName(root, subKey)));
  if (key == store.end()) return defaultValue;
  auto value = key->second.values.find(LCase(valueName));
  if (value == key->second.values.end() || value->second.type != type) return defaultValue;
  if (type == kRegSz) return BeforeNul(value->second.text);
  if (type == kRegDword) return value->second.number;
  return defaultValue;
}

bool RegWrite(RegRoot root, const std::string& subKey, const std::string& valueName, int type,
              const RegValue& value) {
  Value stored;
  if (!ToValue(type, value, stored)) return false;
  stored.name = valueName;
  Store store = Load();
  // Every key above the new one exists too, as the registry creates them.
  std::string full = FullKeyName(root, subKey);
  for (size_t pos = full.find('\\'); pos != std::string::npos; pos = full.find('\\', pos + 1)) {
    Key& parent = store[LCase(full.substr(0, pos))];
    if (parent.name.empty()) parent.name = full.substr(0, pos);
  }
  Key& key = store[LCase(full)];
  if (key.name.empty()) key.name = full;
  key.values[LCase(valueName)] = stored;
  return Save(store);
}

bool RegDeleteKey(RegRoot root, const std::string& subKey) {
  std::string lower = LCase(FullKeyName(root, subKey));
  if (lower.find('\\') == std::string::npos) return false;  // a root cannot be deleted
  Store store = Load();
  auto key = store.find(lower);
  if (key == store.end()) return false;
  std::string prefix = lower + '\\';
  auto child = store.lower_bound(prefix);
  if (child != store.end() && child->first.compare(0, prefix.size(), prefix) == 0) return false;
  store.erase(key);
  return Save(store);
}

}  // namespace qvr

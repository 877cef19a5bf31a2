#include "RawNameZip.h"

#include <cstdio>
#include <cstdlib>

#include "TempDir.h"

namespace qvr::test {

namespace {

std::string Hex(const std::string& bytes) {
  static const char* kDigits = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex;
}

}  // namespace

bool MakeRawNameZip(const std::string& path, const std::string& codePage,
                    const std::vector<std::pair<std::string, std::string>>& entries) {
  // The entries go to the script as hex lines: name, content.
  std::string list = path + ".entries";
  std::string lines;
  for (const auto& [name, content] : entries) lines += Hex(name) + " " + Hex(content) + "\n";
  WriteFile(list, lines);
  const std::string script =
      "import sys, zipfile\n"
      "path, page, listing = sys.argv[1:4]\n"
      "rows = [l.split(' ') for l in open(listing).read().split('\\n') if l]\n"
      "swaps = []\n"
      "with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as z:\n"
      "    for i, (name, content) in enumerate(rows):\n"
      "        raw = bytes.fromhex(name).decode('utf-8').encode(page)\n"
      "        stand = ('~%06d' % i).encode().ljust(len(raw), b'~')\n"
      "        assert len(stand) == len(raw)\n"
      "        z.writestr(stand.decode(), bytes.fromhex(content))\n"
      "        swaps.append((stand, raw))\n"
      "data = open(path, 'rb').read()\n"
      "for stand, raw in swaps:\n"
      "    assert data.count(stand) == 2\n"
      "    data = data.replace(stand, raw)\n"
      "open(path, 'wb').write(data)\n";
  const std::string scriptPath = path + ".py";
  WriteFile(scriptPath, script);
  const std::string command =
      "python3 '" + scriptPath + "' '" + path + "' " + codePage + " '" + list + "' >/dev/null 2>&1";
  const bool ok = std::system(command.c_str()) == 0;
  std::remove(scriptPath.c_str());
  std::remove(list.c_str());
  return ok;
}

}  // namespace qvr::test

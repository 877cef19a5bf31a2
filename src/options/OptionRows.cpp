#include "OptionRows.h"

#include "Settings.h"
#include "Translate.h"

namespace qvr {

OptionValues ReadOptionRows(std::span<const OptionRow> rows) {
  OptionValues values;
  values.reserve(rows.size());
  for (const OptionRow& row : rows) {
    switch (row.kind) {
      case OptionKind::Check:
        values.push_back(GetIniInt(kQvrArcIni, row.section, row.key) != 0 ? "1" : "0");
        break;
      case OptionKind::CheckOn:
        values.push_back(GetIniIntDef(kQvrArcIni, row.section, row.key, 1) != 0 ? "1" : "0");
        break;
      case OptionKind::Choice:
        values.push_back(std::to_string(GetIniInt(kQvrArcIni, row.section, row.key)));
        break;
      case OptionKind::Number: {
        int16_t number = GetIniInt(kQvrArcIni, row.section, row.key);
        values.push_back(number == 0 ? row.zeroAs : std::to_string(number));
        break;
      }
      case OptionKind::Text:
        values.push_back(CutAtNull(GetIniString(kQvrArcIni, row.section, row.key)));
        break;
    }
  }
  return values;
}

void WriteOptionRows(std::span<const OptionRow> rows, const OptionValues& values,
                     const std::function<void(int followUp)>& followUp) {
  // The rows up to each follow-up go to the file in one replacement, so the step finds
  // them there.
  std::vector<profile::Write> pending;
  for (size_t i = 0; i < rows.size(); ++i) {
    pending.push_back({rows[i].section, rows[i].key, i < values.size() ? values[i] : ""});
    if (rows[i].followUp != 0 || i + 1 == rows.size()) {
      WriteIniStrings(kQvrArcIni, pending);
      pending.clear();
      if (rows[i].followUp != 0 && followUp) followUp(rows[i].followUp);
    }
  }
}

bool IsDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string NotANumberMessage(const std::string& caption) {
  return Tr("OptionRows", "「") + caption + Tr("OptionRows", "」には数字を入力してください。");
}

std::string CheckNumberRows(std::span<const OptionRow> rows, const OptionValues& values) {
  for (size_t i = 0; i < rows.size() && i < values.size(); ++i) {
    if (rows[i].kind == OptionKind::Number && !IsDigits(values[i]))
      return NotANumberMessage(Tr("Options", rows[i].caption));
  }
  return "";
}

}  // namespace qvr

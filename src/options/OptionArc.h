// The archiving options (frmOptionArc) without their window: the archive mode's
// switch table (ArchiveSwitches) in the order OK writes it, its defaults on
// load, and the checks that keep a value from turning into another number or
// into extra arguments of a library command line.
#pragma once

#include <array>
#include <string>

#include "ArchiveSwitches.h"
#include "OptionRows.h"

namespace qvr {

enum class ArcControlKind {
  Check,   // "0"/"1"
  Choice,  // a list of fixed items (a stored value outside it is shown as it is)
  Number,  // a text box of decimal digits
};

struct ArcOptionRow {
  ArchiveKey key;
  ArcControlKind kind;
  const char* caption;  // the field's name in a refusal
};

// Every row of the switch table, in OK's order.
extern const std::array<ArcOptionRow, size_t(ArchiveKey::Count)> kOptionArcRows;
// The place of a key among kOptionArcRows.
int ArcRow(ArchiveKey key);

// The values of the table as the dialog shows them, the table's defaults for
// what is missing.
OptionValues ReadOptionArc();
// The first refusal ("" when OK may write): a number box that is empty or holds
// more than digits, and a list value that is empty or holds blanks, quotes or
// control characters.
std::string CheckOptionArc(const OptionValues& values);
// Writes every row in order.
void WriteOptionArc(const OptionValues& values);

}  // namespace qvr

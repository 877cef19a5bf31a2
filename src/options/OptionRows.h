// The rows of an options dialog: which key each control edits, how its value is read and
// written, and the step OK takes after writing it. A dialog's values are one text per row,
// as they will be written; the widgets only move them.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

enum class OptionKind {
  Check,    // "0"/"1"; any stored number but 0 reads as checked
  CheckOn,  // a Check that a missing key reads as checked
  Choice,   // an option group: the index of its button as stored (a value outside the
            // group's buttons selects none and is written back as it was)
  Text,     // as typed
  Number,   // decimal digits; a stored 0 or a missing key shows zeroAs
};

struct OptionRow {
  const char* section;
  const char* key;
  OptionKind kind;
  int choices = 0;           // Choice: the number of buttons
  const char* zeroAs = "";   // Number: what a stored 0 shows
  const char* caption = "";  // the field's name in a refusal
  int followUp = 0;          // the dialog's step after this row is written (0: none)
};

// One text per row, in the rows' order.
using OptionValues = std::vector<std::string>;

// Every row read from QvrArc.ini by its kind (a missing file reads as empty).
OptionValues ReadOptionRows(std::span<const OptionRow> rows);
// Writes every row in order; after a row with a follow-up, its step runs with the rows so
// far already in the file.
void WriteOptionRows(std::span<const OptionRow> rows, const OptionValues& values,
                     const std::function<void(int followUp)>& followUp);

// Whether the text is one or more decimal digits and nothing else.
bool IsDigits(std::string_view text);
// The refusal of the first Number row whose value is not digits: a value that is empty or
// holds other characters would turn into another number (0) when it is read; "" when all
// are digits.
std::string CheckNumberRows(std::span<const OptionRow> rows, const OptionValues& values);
// The refusal text naming a field that must hold a number.
std::string NotANumberMessage(const std::string& caption);

}  // namespace qvr

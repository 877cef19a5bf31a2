// The program's string table: the Japanese captions under ids 101 to 141 and the same
// texts in English under 201 to 241. The window always reads with base 100.
#pragma once

#include <QString>
#include <string>

namespace qvr {

inline constexpr int kResBase = 100;

// The text of the id; "" for an id the table does not hold.
std::string LoadResString(int id);
// The caption at the window's base + offset, for a widget.
QString ResCaption(int offset);

}  // namespace qvr

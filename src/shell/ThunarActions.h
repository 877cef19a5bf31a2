// Thunar's custom actions, $XDG_CONFIG_HOME/Thunar/uca.xml: one <action> element each,
// told apart by its <unique-id>. Ours is merged into the user's file; every other action
// and every other byte of the file stays as it is.
#pragma once

#include <string>

namespace qvr {

std::string ThunarActionsFile();
// Puts the <action> element (which holds <unique-id>uniqueId</unique-id>) in place of the
// action with that id, or adds it at the end. A user without a file of their own starts
// from the system's (the first Thunar/uca.xml of $XDG_CONFIG_DIRS), since Thunar reads only
// one. A file without its closing </actions> is left alone. False when nothing was written.
bool SetThunarAction(const std::string& uniqueId, const std::string& action);
// Removes the action with that id; false when there was none or the file was not written.
bool RemoveThunarAction(const std::string& uniqueId);

}  // namespace qvr

// The work mode of the main window: extract the archives of the list, or archive its files.
// The design's words for the modes ("Extract", "Archive") are what GENERAL/QvrStartUpMode
// stores and what the e-mail notice is told.
#pragma once

#include <optional>
#include <string_view>

namespace qvr {

enum class WorkMode { Extract, Archive };

constexpr const char* WorkModeWord(WorkMode mode) {
  return mode == WorkMode::Extract ? "Extract" : "Archive";
}

// The mode of a stored word; nullopt for any other text.
constexpr std::optional<WorkMode> WorkModeOfWord(std::string_view word) {
  if (word == "Extract") return WorkMode::Extract;
  if (word == "Archive") return WorkMode::Archive;
  return std::nullopt;
}

}  // namespace qvr

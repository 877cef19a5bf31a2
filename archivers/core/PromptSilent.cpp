// The prompter of builds without a user interface (fuzzing): always the safe default.
#include "Prompt.h"

namespace qvr::arc {
namespace {

class SilentPrompter final : public Prompter {
 public:
  OverwriteAnswer AskOverwrite(void*, const std::string&) override { return OverwriteAnswer::No; }
  bool AskPassword(void*, const std::string&, std::string&) override { return false; }
};

}  // namespace

Prompter& ThePrompter() {
  static SilentPrompter prompter;
  return prompter;
}

}  // namespace qvr::arc

// The questions a library asks its user. The core asks through this interface only; the
// Qt dialogs stand behind it in the libraries, a silent stand-in in the fuzzing build.
#pragma once

#include <string>

namespace qvr::arc {

enum class OverwriteAnswer { Yes, YesToAll, No, NoToAll, Cancel };

class Prompter {
 public:
  virtual ~Prompter() = default;
  // `owner` is the host's top-level QWidget* or null; with null the answer is No.
  virtual OverwriteAnswer AskOverwrite(void* owner, const std::string& path) = 0;
  // False when there is no owner or the user cancelled.
  virtual bool AskPassword(void* owner, const std::string& archive, std::string& password) = 0;
};

// The prompter linked into this library (PromptQt.cpp or PromptSilent.cpp).
Prompter& ThePrompter();

}  // namespace qvr::arc

#include "Translate.h"

#include <atomic>

namespace qvr {
namespace {

std::atomic<Translator> installed{nullptr};

}  // namespace

std::string Tr(const char* context, const char* text) {
  Translator translator = installed.load();
  return translator ? translator(context, text) : std::string(text);
}

void SetTranslator(Translator translator) {
  installed.store(translator);
}

}  // namespace qvr

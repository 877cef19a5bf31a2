// The program's texts in the interface's language. Japanese is the source and the default:
// Tr gives the text itself until the window's side installs a translator (Qt's, reading the
// .qm files). lupdate reads Tr(context, text) as translate(context, text). Texts that leave
// the program for scripts or libraries (settings, Log.txt lines, command lines) never go
// through it.
#pragma once

#include <string>

namespace qvr {

std::string Tr(const char* context, const char* text);

using Translator = std::string (*)(const char* context, const char* text);
void SetTranslator(Translator translator);

}  // namespace qvr

// Marks a text of a table for translation without translating it: the place that shows the
// text calls Tr(context, text) with the same context (lupdate reads it as
// QT_TRANSLATE_NOOP).
#define QVR_TRANSLATE_NOOP(context, text) text

// Small conversions the windows share: UTF-8 text to Qt and screen twips.
#pragma once

#include <QString>
#include <QWidget>
#include <string>

#include "Translate.h"

namespace qvr {

inline QString Q(const std::string& text) {
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// Tr of a window's text, for Qt (lupdate reads it as translate(context, text)).
inline QString TrQ(const char* context, const char* text) {
  return Q(Tr(context, text));
}

// Twips per pixel of the widget's screen (15 at 96 DPI).
inline double TwipsPerPixelX(const QWidget& widget) {
  return 1440.0 / widget.logicalDpiX();
}
inline double TwipsPerPixelY(const QWidget& widget) {
  return 1440.0 / widget.logicalDpiY();
}

}  // namespace qvr

// Small conversions the windows share: UTF-8 text to Qt and screen twips.
#pragma once

#include <QString>
#include <QWidget>
#include <string>

namespace qvr {

inline QString Q(const std::string& text) {
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// Twips per pixel of the widget's screen (15 at 96 DPI).
inline double TwipsPerPixelX(const QWidget& widget) {
  return 1440.0 / widget.logicalDpiX();
}
inline double TwipsPerPixelY(const QWidget& widget) {
  return 1440.0 / widget.logicalDpiY();
}

}  // namespace qvr

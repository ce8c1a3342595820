// Twips (1/1440 inch) and pixels of the screen a widget is on.

#pragma once

#include <QRect>
#include <QWidget>
#include <cmath>

#include "platform/main_frame.h"

namespace tovenrak::platform::qt {

// Twips per pixel follow the screen's logical resolution: 15 at 96 dpi.
inline int TwipsToPixelsX(const QWidget& w, float twips) {
  return static_cast<int>(std::lround(twips * w.logicalDpiX() / 1440.0f));
}
inline int TwipsToPixelsY(const QWidget& w, float twips) {
  return static_cast<int>(std::lround(twips * w.logicalDpiY() / 1440.0f));
}
inline float PixelsToTwipsX(const QWidget& w, int pixels) {
  return pixels * 1440.0f / w.logicalDpiX();
}
inline float PixelsToTwipsY(const QWidget& w, int pixels) {
  return pixels * 1440.0f / w.logicalDpiY();
}
inline QRect TwipsToPixels(const QWidget& w, const TwipsRect& r) {
  return QRect(TwipsToPixelsX(w, r.left), TwipsToPixelsY(w, r.top),
               TwipsToPixelsX(w, r.width), TwipsToPixelsY(w, r.height));
}

}  // namespace tovenrak::platform::qt

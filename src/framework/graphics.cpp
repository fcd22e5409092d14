#include "framework/graphics.h"

#include "win/wingdi.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>

#include <cmath>

COLORREF ColorToRGB(TColor color) {
  if (IsSystemColor(color)) return GetSysColor(static_cast<int>(color & 0xFF));
  return color & 0x00FFFFFF;
}

QColor ToQColor(TColor color) {
  COLORREF c = ColorToRGB(color);
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

TColor FromQColor(const QColor &color) {
  return RGB(static_cast<BYTE>(color.red()), static_cast<BYTE>(color.green()), static_cast<BYTE>(color.blue()));
}

int TFont::Size() const {
  int pixels = height_ < 0 ? -height_ : height_;
  return static_cast<int>(std::lround(pixels * 72.0 / 96.0));
}

QFont TFont::ToQFont() const {
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  if (QFontDatabase::hasFamily(name_)) font.setFamily(name_);
  else font.setStyleHint(QFont::SansSerif);
  // A negative height is the character (em) height, which is what a pixel size is;
  // a positive one is the cell height, taken as the same here.
  font.setPixelSize(height_ < 0 ? -height_ : (height_ > 0 ? height_ : 11));
  return font;
}

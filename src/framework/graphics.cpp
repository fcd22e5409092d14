#include "framework/graphics.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>

#include <cmath>

namespace {

QColor PaletteColor(int index) {
  const QPalette palette = QApplication::palette();
  switch (index) {
  case 5: return palette.color(QPalette::Base);             // window background
  case 8: return palette.color(QPalette::Text);             // window text
  case 13: return palette.color(QPalette::Highlight);
  case 14: return palette.color(QPalette::HighlightedText);
  case 15: return palette.color(QPalette::Button);          // button face
  case 17: return palette.color(QPalette::Disabled, QPalette::Text);
  case 18: return palette.color(QPalette::ButtonText);
  case 23: return palette.color(QPalette::ToolTipText);
  case 24: return palette.color(QPalette::ToolTipBase);
  default: return palette.color(QPalette::Window);
  }
}

} // namespace

QColor ToQColor(TColor color) {
  if (color == clNone) return {};
  if (IsSystemColor(color)) return PaletteColor(static_cast<int>(color & 0xFF));
  return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

TColor FromQColor(const QColor &color) {
  return static_cast<TColor>(color.red()) | (static_cast<TColor>(color.green()) << 8) |
         (static_cast<TColor>(color.blue()) << 16);
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

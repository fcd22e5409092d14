// Colours and fonts as the forms store them.
//
// A colour is 0x00BBGGRR (red in the lowest byte); a value whose high byte is 0xFF
// names a system colour by its index in the low byte; clNone means no colour.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <cstdint>

using TColor = std::int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
// System colours (index in the low byte).
constexpr TColor clBtnFace = static_cast<TColor>(0xFF00000F);
constexpr TColor clWindow = static_cast<TColor>(0xFF000005);
constexpr TColor clWindowText = static_cast<TColor>(0xFF000008);
constexpr TColor clBtnText = static_cast<TColor>(0xFF000012);
constexpr TColor clHighlight = static_cast<TColor>(0xFF00000D);
constexpr TColor clHighlightText = static_cast<TColor>(0xFF00000E);
constexpr TColor clGrayText = static_cast<TColor>(0xFF000011);
constexpr TColor clInfoBk = static_cast<TColor>(0xFF000018);
constexpr TColor clInfoText = static_cast<TColor>(0xFF000017);

// Plain RGB of a colour (system colours resolved from the application's palette).
// clNone gives an invalid QColor.
QColor ColorToQColor(TColor color);
// The 0x00BBGGRR value of an RGB colour.
TColor QColorToColor(const QColor &color);

// A font as stored: family name, height in the platform's convention (negative:
// character height in pixels, positive: cell height), colour.
class TFont {
public:
  TFont() = default;
  TFont(QString name, int height, TColor color = clWindowText)
      : name_(std::move(name)), height_(height), color_(color) {}

  QString Name() const { return name_; }
  void SetName(const QString &name) { name_ = name; }
  int Height() const { return height_; }
  void SetHeight(int height) { height_ = height; }
  // Size in points at 96 pixels per inch, rounded (height -11 is 8 points).
  int Size() const;
  TColor Color() const { return color_; }
  void SetColor(TColor color) { color_ = color; }

  // The toolkit font: the named family when it is installed, else the system's sans
  // font; the pixel size follows Height.
  QFont ToQFont() const;

  bool operator==(const TFont &other) const = default;

private:
  QString name_ = QStringLiteral("MS Sans Serif");
  int height_ = -11;
  TColor color_ = clWindowText;
};

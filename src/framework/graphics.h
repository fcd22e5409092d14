// Colours and fonts as the forms store them.
//
// A colour is 0x00BBGGRR (red in the lowest byte); a value whose high byte is 0xFF
// names a system colour by its index in the low byte; clNone means no colour.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <cstdint>

using TColor = std::uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clNone = 0x1FFFFFFF;

constexpr TColor SystemColor(int index) { return 0xFF000000u | static_cast<TColor>(index); }
constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);

constexpr bool IsSystemColor(TColor c) { return (c >> 24) == 0xFF; }

// Plain RGB of a colour (system colours resolved from the application's palette).
// clNone gives an invalid QColor.
QColor ToQColor(TColor color);
// The 0x00BBGGRR value of an RGB colour.
TColor FromQColor(const QColor &color);

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

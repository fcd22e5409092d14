// Colours and fonts as the forms store them.
//
// A colour is 0x00BBGGRR (red in the lowest byte); a value whose high byte is 0xFF
// names a system colour by its index in the low byte; 0x1FFFFFFF means no colour.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <cstdint>

using TColor = std::uint32_t;

// Plain RGB of a colour (system colours resolved from the application's palette); the
// no-colour value 0x1FFFFFFF gives an invalid QColor. The colour constants (clBlack,
// clWindowText, ...) are not defined in the framework.
QColor ColorToQColor(TColor color);
// The 0x00BBGGRR value of an RGB colour.
TColor QColorToColor(const QColor &color);

// A font as stored: family name, height in the platform's convention (negative:
// character height in pixels, positive: cell height), colour.
class TFont {
public:
  TFont() = default;
  // The system's window text colour.
  static constexpr TColor kWindowText = 0xFF000008;

  TFont(QString name, int height, TColor color = kWindowText)
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
  TColor color_ = kWindowText;
};

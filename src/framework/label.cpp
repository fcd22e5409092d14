#include "framework/label.h"

#include <QEvent>
#include <QFontMetrics>

TsLabel::TsLabel(QWidget *parent) : QLabel(parent), TComponentMixin(this) {
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setMargin(0);
  setIndent(0);
}

TsLabel::~TsLabel() { MarkDestroying(); }

void TsLabel::SetCaption(const QString &caption) {
  if (text() == caption) return;
  setText(caption);
  AdjustBounds();
}

void TsLabel::SetAutoSize(bool autoSize) {
  if (autoSize_ == autoSize) return;
  autoSize_ = autoSize;
  AdjustBounds();
}

TFont TsLabel::Font() const {
  if (font_) return *font_;
  TFont inherited;
  inherited.SetColor(FromQColor(palette().color(QPalette::WindowText)));
  return inherited;
}

void TsLabel::SetFont(const TFont &font) {
  if (font_ && *font_ == font) return;
  font_ = font;
  setFont(font.ToQFont());
  QPalette p = palette();
  p.setColor(QPalette::WindowText, ToQColor(font.Color()));
  setPalette(p);
  AdjustBounds();
}

void TsLabel::changeEvent(QEvent *event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange) AdjustBounds();
}

void TsLabel::AdjustBounds() {
  if (!autoSize_) return;
  QFontMetrics metrics(font());
  QSize size = metrics.size(Qt::TextSingleLine, text().isEmpty() ? QStringLiteral(" ") : text());
  resize(size.width(), metrics.height());
}

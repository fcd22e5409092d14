// TsLabel: a line of text; with AutoSize (the default) it sizes itself to its text.
// Its font may carry its own colour.
#pragma once

#include "framework/component.h"
#include "framework/graphics.h"

#include <QLabel>

#include <optional>

class TsLabel : public QLabel, public TComponentMixin {
  Q_OBJECT
public:
  explicit TsLabel(QWidget *parent = nullptr);
  ~TsLabel() override;

  QString Caption() const { return text(); }
  void SetCaption(const QString &caption);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize);
  // The label's own font; without one it uses its parent's (ParentFont).
  TFont Font() const;
  void SetFont(const TFont &font);
  bool ParentFont() const { return !font_.has_value(); }

protected:
  void changeEvent(QEvent *event) override;

private:
  void AdjustBounds();
  bool autoSize_ = true;
  std::optional<TFont> font_;
};

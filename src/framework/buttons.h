// TsBitBtn: a push button that shows a picture (Glyph) and/or a caption. Its hint is a
// tooltip only when set. Skin section "BUTTON".
#pragma once

#include "framework/component.h"

#include <QPixmap>
#include <QPushButton>

class TsBitBtn : public QPushButton, public TComponentMixin {
  Q_OBJECT
public:
  explicit TsBitBtn(QWidget *parent = nullptr);
  ~TsBitBtn() override;

  QString Caption() const { return text(); }
  void SetCaption(const QString &caption);
  QPixmap Glyph() const { return glyph_; }
  void SetGlyph(const QPixmap &glyph);
  QString Hint() const;
  void SetHint(const QString &hint);
  QString SkinSection() const;
  void SetSkinSection(const QString &section);

  // Runs OnClick as a click of the button would; errors go to the general handler.
  void Click();
  TNotifyEvent OnClick;

private:
  QPixmap glyph_;
};

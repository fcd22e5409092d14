#include "framework/buttons.h"

#include "framework/application.h"
#include "framework/controls.h"

#include <QIcon>

TsBitBtn::TsBitBtn(QWidget *parent) : QPushButton(parent), TComponentMixin(this) {
  ::SetSkinSection(this, QStringLiteral("BUTTON"));
  connect(this, &QPushButton::clicked, this, [this] { Click(); });
}

TsBitBtn::~TsBitBtn() { MarkDestroying(); }

void TsBitBtn::SetCaption(const QString &caption) {
  if (text() != caption) setText(caption);
}

void TsBitBtn::SetGlyph(const QPixmap &glyph) {
  glyph_ = glyph;
  setIcon(glyph.isNull() ? QIcon() : QIcon(glyph));
  if (!glyph.isNull()) setIconSize(glyph.size());
}

QString TsBitBtn::Hint() const { return HintOf(this); }

void TsBitBtn::SetHint(const QString &hint) { ::SetHint(this, hint); }

QString TsBitBtn::SkinSection() const { return SkinSectionOf(this); }

void TsBitBtn::SetSkinSection(const QString &section) { ::SetSkinSection(this, section); }

void TsBitBtn::Click() {
  Application().Guard(this, [this] {
    if (OnClick) OnClick(this);
  });
}

#include "framework/checkbox.h"

#include "framework/application.h"
#include "framework/controls.h"

TsCheckBox::TsCheckBox(QWidget *parent) : QCheckBox(parent), TComponentMixin(this) {
  ::SetSkinSection(this, QStringLiteral("CHECKBOX"));
  // toggled comes for every real change, from the user or from setChecked.
  connect(this, &QCheckBox::toggled, this, [this] {
    Application().Guard(this, [this] {
      if (OnClick) OnClick(this);
    });
  });
}

TsCheckBox::~TsCheckBox() { MarkDestroying(); }

void TsCheckBox::SetCaption(const QString &caption) {
  if (text() != caption) setText(caption);
}

void TsCheckBox::SetChecked(bool checked) {
  if (isChecked() != checked) setChecked(checked);
}

QString TsCheckBox::SkinSection() const { return SkinSectionOf(this); }

void TsCheckBox::SetSkinSection(const QString &section) { ::SetSkinSection(this, section); }

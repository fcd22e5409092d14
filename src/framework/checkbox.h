// TsCheckBox: a check box whose OnClick is raised whenever its state really changes,
// by the user or by SetChecked, and never when the state stays. Skin section
// "CHECKBOX".
#pragma once

#include "framework/component.h"

#include <QCheckBox>

class TsCheckBox : public QCheckBox, public TComponentMixin {
  Q_OBJECT
public:
  explicit TsCheckBox(QWidget *parent = nullptr);
  ~TsCheckBox() override;

  QString Caption() const { return text(); }
  void SetCaption(const QString &caption);
  bool Checked() const { return isChecked(); }
  void SetChecked(bool checked);
  QString SkinSection() const;
  void SetSkinSection(const QString &section);

  TNotifyEvent OnClick;
};

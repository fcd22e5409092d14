// TsSkinProvider: puts its window (the form that owns it) under a skin manager, with
// the window's own skin section (default "FORM").
#pragma once

#include "framework/component.h"

#include <QString>

class QWidget;
class TsSkinManager;

class TsSkinProvider : public TComponent {
  Q_OBJECT
public:
  explicit TsSkinProvider(QObject *owner = nullptr);
  ~TsSkinProvider() override;

  TsSkinManager *SkinManager() const { return manager_; }
  void SetSkinManager(TsSkinManager *manager);
  QString SkinSection() const { return section_; }
  void SetSkinSection(const QString &section);
  // The window this provider paints: the top-level widget of its owner.
  QWidget *Window() const;

  void Loaded() override;
  void Notification(QObject *component, TOperation operation) override;

private:
  TsSkinManager *manager_ = nullptr;
  QString section_ = QStringLiteral("FORM");
};

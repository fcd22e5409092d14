// TsSkinManager: the one skin of the program. While Active, the skin read from
// SkinDirectory/SkinName paints every window whose TsSkinProvider names this manager,
// and every control inside those windows by its skin section. Switching off, or a
// folder that is not a usable skin, leaves the plain controls in the windows' own
// colours; nothing is reported either way.
#pragma once

#include "framework/component.h"
#include "skin/skin_folder.h"

#include <QString>

#include <optional>
#include <vector>

class QWidget;
class TsSkinProvider;

class TsSkinManager : public TComponent {
  Q_OBJECT
public:
  explicit TsSkinManager(QObject *owner = nullptr);
  ~TsSkinManager() override;

  QString SkinDirectory() const { return skinDirectory_; }
  void SetSkinDirectory(const QString &directory);
  QString SkinName() const { return skinName_; }
  void SetSkinName(const QString &name);
  bool Active() const { return active_; }
  void SetActive(bool active);

  // True while a skin paints the windows (Active and the folder was usable).
  bool SkinLoaded() const { return skin_.has_value(); }
  const std::optional<SkinFolder> &Skin() const { return skin_; }

  // Applies the skin (or the plain look) after loading ends.
  void Loaded() override;

  // Called by the providers.
  void RegisterProvider(TsSkinProvider *provider);
  void UnregisterProvider(TsSkinProvider *provider);
  // Paints one window and its controls with the current skin, or restores them.
  void ApplyTo(QWidget *window) const;

private:
  void Reload();
  void ApplyToAll() const;

  QString skinDirectory_;
  QString skinName_;
  bool active_ = false;
  std::optional<SkinFolder> skin_;
  std::vector<TsSkinProvider *> providers_;
};

#include "skin/skin_manager.h"

#include "framework/controls.h"
#include "skin/skin_provider.h"

#include <QWidget>

#include <algorithm>

TsSkinManager::TsSkinManager(QObject *owner) : TComponent(owner) {}

TsSkinManager::~TsSkinManager() {
  MarkDestroying();
}

void TsSkinManager::SetSkinDirectory(const QString &directory) {
  if (skinDirectory_ == directory) return;
  skinDirectory_ = directory;
  if (active_ && !Loading()) Reload();
}

void TsSkinManager::SetSkinName(const QString &name) {
  if (skinName_ == name) return;
  skinName_ = name;
  if (active_ && !Loading()) Reload();
}

void TsSkinManager::SetActive(bool active) {
  if (active_ == active) return;
  active_ = active;
  if (!Loading()) Reload();
}

void TsSkinManager::Loaded() {
  TComponent::Loaded();
  if (active_) Reload();
}

void TsSkinManager::Reload() {
  skin_.reset();
  if (active_) skin_ = ReadSkinFolder(skinDirectory_, skinName_);
  ApplyToAll();
}

void TsSkinManager::RegisterProvider(TsSkinProvider *provider) {
  if (!provider || std::find(providers_.begin(), providers_.end(), provider) != providers_.end()) return;
  providers_.push_back(provider);
  ApplyTo(provider->Window());
}

void TsSkinManager::UnregisterProvider(TsSkinProvider *provider) {
  providers_.erase(std::remove(providers_.begin(), providers_.end(), provider), providers_.end());
}

void TsSkinManager::ApplyToAll() const {
  for (TsSkinProvider *provider : providers_) ApplyTo(provider->Window());
}

void TsSkinManager::ApplyTo(QWidget *window) const {
  if (!window) return;
  auto sheetOf = [this](const QString &section) { return skin_ ? skin_->Sheet(section) : QString(); };
  QString section = QStringLiteral("FORM");
  for (TsSkinProvider *provider : providers_)
    if (provider->Window() == window) section = provider->SkinSection();
  // A window class derived from QWidget paints a sheet's background only with this.
  window->setAttribute(Qt::WA_StyledBackground, true);
  QString formSheet = sheetOf(section);
  if (window->styleSheet() != formSheet) window->setStyleSheet(formSheet);
  const QList<QWidget *> children = window->findChildren<QWidget *>();
  for (QWidget *child : children) {
    QString childSection = SkinSectionOf(child);
    if (childSection.isEmpty()) continue;
    QString sheet = sheetOf(childSection);
    if (child->styleSheet() != sheet) child->setStyleSheet(sheet);
  }
}

#include "skin/skin_provider.h"

#include "skin/skin_manager.h"

#include <QWidget>

TsSkinProvider::TsSkinProvider(QObject *owner) : TComponent(owner) {}

TsSkinProvider::~TsSkinProvider() {
  if (manager_) manager_->UnregisterProvider(this);
}

QWidget *TsSkinProvider::Window() const {
  for (QObject *o = parent(); o; o = o->parent())
    if (auto *w = qobject_cast<QWidget *>(o)) return w->window();
  return nullptr;
}

void TsSkinProvider::SetSkinManager(TsSkinManager *manager) {
  if (manager_ == manager) return;
  if (manager_) {
    manager_->UnregisterProvider(this);
    RemoveFreeNotification(manager_);
  }
  manager_ = manager;
  if (manager_) {
    FreeNotification(manager_);
    if (!Loading()) manager_->RegisterProvider(this);
  }
}

void TsSkinProvider::SetSkinSection(const QString &section) {
  if (section_ == section) return;
  section_ = section;
  if (manager_ && !Loading()) manager_->ApplyTo(Window());
}

void TsSkinProvider::Loaded() {
  TComponent::Loaded();
  if (manager_) manager_->RegisterProvider(this);
}

void TsSkinProvider::Notification(QObject *component, TOperation operation) {
  if (operation == opRemove && component == manager_) manager_ = nullptr;
}

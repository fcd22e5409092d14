#include "framework/component.h"

TComponentMixin::TComponentMixin(QObject *self) : self_(self), watcher_(new QObject) {}

TComponentMixin::~TComponentMixin() { delete watcher_; }

void TComponentMixin::FreeNotification(QObject *other) {
  if (!other || other == self_ || watched_.count(other)) return;
  // One connection per watched object; the watcher dies with this component, which
  // disconnects everything it holds.
  watched_.insert(other);
  QObject::connect(other, &QObject::destroyed, watcher_, [this](QObject *gone) {
    watched_.erase(gone);
    Notification(gone, opRemove);
  });
}

void TComponentMixin::RemoveFreeNotification(QObject *other) {
  if (!other || !watched_.erase(other)) return;
  QObject::disconnect(other, &QObject::destroyed, watcher_, nullptr);
}

void TComponentMixin::Notification(QObject *, TOperation) {}

TComponent::TComponent(QObject *owner) : QObject(owner), TComponentMixin(this) {}

TComponent::~TComponent() { MarkDestroying(); }

int PlatformThreadPriority(TThreadPriority priority) {
  static const int levels[] = {-15, -2, -1, 0, 1, 2, 15};
  return levels[priority];
}

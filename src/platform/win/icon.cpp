#include "win/icon.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <cstdint>
#include <map>
#include <mutex>

namespace {

struct IconTable {
  std::mutex lock;
  std::uintptr_t nextId = 1;
  std::map<std::uintptr_t, QIcon> icons;
};

IconTable &Table() {
  static IconTable *table = new IconTable; // handles may outlive static destruction order
  return *table;
}

HICON Handle(std::uintptr_t id) { return reinterpret_cast<HICON>(id << 4); }
std::uintptr_t Id(HICON icon) { return reinterpret_cast<std::uintptr_t>(icon) >> 4; }

} // namespace

HICON CreateIconFromQIcon(const QIcon &icon) {
  if (icon.isNull()) return nullptr;
  IconTable &t = Table();
  std::lock_guard guard(t.lock);
  std::uintptr_t id = t.nextId++;
  t.icons.emplace(id, icon);
  return Handle(id);
}

HICON CreateIconFromImage(const QImage &image) {
  if (image.isNull()) return nullptr;
  return CreateIconFromQIcon(QIcon(QPixmap::fromImage(image)));
}

HICON CopyIcon(HICON icon) {
  QIcon picture = IconFromHandle(icon);
  return picture.isNull() ? nullptr : CreateIconFromQIcon(picture);
}

BOOL DestroyIcon(HICON icon) {
  IconTable &t = Table();
  std::lock_guard guard(t.lock);
  return t.icons.erase(Id(icon)) ? TRUE : FALSE;
}

QIcon IconFromHandle(HICON icon) {
  IconTable &t = Table();
  std::lock_guard guard(t.lock);
  auto it = t.icons.find(Id(icon));
  return it == t.icons.end() ? QIcon() : it->second;
}

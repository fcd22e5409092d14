// The process's running object table, published on the session bus.
#include "win/rot.h"
#include "win/running_object_bus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>

#include <map>
#include <memory>
#include <mutex>

#include <unistd.h>

namespace {

constexpr const char *kPathRoot = "/org/quovadel/RunningObjects";

std::mutex g_describerLock;
RunningObjectDescriber g_describer;

std::u16string DisplayNameOf(IMoniker *moniker) {
  LPWSTR text = nullptr;
  if (FAILED(moniker->GetDisplayName(nullptr, nullptr, &text)) || !text) return {};
  std::u16string name(text);
  CoTaskMemFree(text);
  return name;
}

class RunningObjectTable final : public IRunningObjectTable {
public:
  HRESULT QueryInterface(REFIID iid, void **object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IRunningObjectTable) return E_NOINTERFACE;
    *object = static_cast<IRunningObjectTable *>(this);
    return S_OK;
  }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }

  HRESULT Register(DWORD, IUnknown *object, IMoniker *name, DWORD *cookie) override {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!object || !name) return E_INVALIDARG;
    const std::u16string display = DisplayNameOf(name);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return MK_E_UNAVAILABLE;
    RegisterRotBusTypes();

    std::lock_guard guard(lock_);
    if (!rootExported_) {
      root_ = std::make_unique<RotRootObject>([this] { return List(); });
      if (!bus.registerObject(kPathRoot, root_.get(), QDBusConnection::ExportAllSlots)) {
        root_.reset();
        return E_FAIL;
      }
      rootExported_ = true;
    }
    bool duplicate = false;
    for (const auto &[c, e] : entries_) duplicate = duplicate || e.name == display;

    DWORD next = next_;
    while (next == 0 || entries_.count(next)) ++next;
    Entry entry;
    entry.name = display;
    entry.moniker = name;
    entry.object = std::make_unique<RotEntryObject>(next, QString::fromStdU16String(display), object);
    const QString path = PathOf(next);
    if (!bus.registerObject(path, entry.object.get(),
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties))
      return E_FAIL;
    if (entries_.empty() && !bus.interface()->registerService(QString::fromStdString(RunningObjectBusName()))) {
      bus.unregisterObject(path);
      return E_FAIL;
    }
    entries_.emplace(next, std::move(entry));
    next_ = next + 1;
    *cookie = next;
    return duplicate ? MK_S_MONIKERALREADYREGISTERED : S_OK;
  }

  HRESULT Revoke(DWORD cookie) override {
    Entry gone; // destroyed after the lock: releasing the object may call back
    {
      std::lock_guard guard(lock_);
      auto it = entries_.find(cookie);
      if (it == entries_.end()) return E_INVALIDARG;
      QDBusConnection bus = QDBusConnection::sessionBus();
      bus.unregisterObject(PathOf(cookie));
      gone = std::move(it->second);
      entries_.erase(it);
      if (entries_.empty()) bus.interface()->unregisterService(QString::fromStdString(RunningObjectBusName()));
    }
    return S_OK;
  }

  HRESULT IsRunning(IMoniker *name) override {
    if (!name) return E_INVALIDARG;
    const std::u16string display = DisplayNameOf(name);
    std::lock_guard guard(lock_);
    for (const auto &[c, e] : entries_)
      if (e.name == display) return S_OK;
    return S_FALSE;
  }

  HRESULT GetObject(IMoniker *name, IUnknown **object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!name) return E_INVALIDARG;
    const std::u16string display = DisplayNameOf(name);
    std::lock_guard guard(lock_);
    for (const auto &[c, e] : entries_)
      if (e.name == display) return e.object->Object()->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(object));
    return MK_E_UNAVAILABLE;
  }

private:
  struct Entry {
    std::u16string name;
    ComPtr<IMoniker> moniker;
    std::unique_ptr<RotEntryObject> object;
  };

  static QString PathOf(DWORD cookie) { return QStringLiteral("%1/%2").arg(QLatin1String(kPathRoot)).arg(cookie); }

  QList<RotListEntry> List() {
    std::lock_guard guard(lock_);
    QList<RotListEntry> list;
    for (const auto &[c, e] : entries_) list.append({PathOf(c), QString::fromStdU16String(e.name)});
    return list;
  }

  std::recursive_mutex lock_;
  std::map<DWORD, Entry> entries_;
  DWORD next_ = 1;
  std::unique_ptr<RotRootObject> root_;
  bool rootExported_ = false;
};

RunningObjectTable &Table() {
  static auto *table = new RunningObjectTable; // lives as long as the process
  return *table;
}

} // namespace

HRESULT GetRunningObjectTable(DWORD, IRunningObjectTable **table) {
  if (!table) return E_POINTER;
  *table = nullptr;
  if (!QCoreApplication::instance() || !QDBusConnection::sessionBus().isConnected()) return MK_E_UNAVAILABLE;
  *table = &Table();
  return S_OK;
}

std::string RunningObjectBusName() {
  return "org.quovadel.RunningObjects.pid" + std::to_string(::getpid());
}

const char *RunningObjectPathRoot() { return kPathRoot; }

void SetRunningObjectDescriber(RunningObjectDescriber describer) {
  std::lock_guard guard(g_describerLock);
  g_describer = std::move(describer);
}

RunningObjectView DescribeRunningObject(IUnknown *object) {
  RunningObjectDescriber describer;
  {
    std::lock_guard guard(g_describerLock);
    describer = g_describer;
  }
  if (!describer || !object) return {};
  return describer(object);
}

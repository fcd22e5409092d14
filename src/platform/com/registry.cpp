#include "com/registry.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {
struct Registry {
  std::mutex lock;
  std::unordered_map<CLSID, ClassFactoryFn, GuidHash> classes;
};

Registry &TheRegistry() {
  static Registry registry;
  return registry;
}
} // namespace

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown *outer, DWORD context, REFIID iid, void **object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  if ((context & CLSCTX_INPROC) == 0) return REGDB_E_CLASSNOTREG;
  ClassFactoryFn factory;
  {
    Registry &r = TheRegistry();
    std::lock_guard guard(r.lock);
    auto it = r.classes.find(clsid);
    if (it == r.classes.end() || !it->second) return REGDB_E_CLASSNOTREG;
    factory = it->second;
  }
  return factory(iid, object);
}

ClassFactoryFn CoRegisterClassFactory(REFCLSID clsid, ClassFactoryFn factory) {
  Registry &r = TheRegistry();
  std::lock_guard guard(r.lock);
  ClassFactoryFn old;
  auto it = r.classes.find(clsid);
  if (it != r.classes.end()) old = std::move(it->second);
  r.classes[clsid] = std::move(factory);
  return old;
}

ClassFactoryFn CoRevokeClassFactory(REFCLSID clsid) {
  Registry &r = TheRegistry();
  std::lock_guard guard(r.lock);
  ClassFactoryFn old;
  auto it = r.classes.find(clsid);
  if (it != r.classes.end()) {
    old = std::move(it->second);
    r.classes.erase(it);
  }
  return old;
}

bool CoIsClassRegistered(REFCLSID clsid) {
  Registry &r = TheRegistry();
  std::lock_guard guard(r.lock);
  auto it = r.classes.find(clsid);
  return it != r.classes.end() && it->second;
}

ScopedClassRegistration::ScopedClassRegistration(REFCLSID clsid, ClassFactoryFn factory)
    : clsid_(clsid), hadPrevious_(CoIsClassRegistered(clsid)) {
  previous_ = CoRegisterClassFactory(clsid, std::move(factory));
}

ScopedClassRegistration::~ScopedClassRegistration() {
  if (hadPrevious_)
    CoRegisterClassFactory(clsid_, std::move(previous_));
  else
    CoRevokeClassFactory(clsid_);
}

void *CoTaskMemAlloc(std::size_t size) { return std::malloc(size ? size : 1); }
void CoTaskMemFree(void *p) { std::free(p); }

// A BSTR points just past a 32-bit byte length; the text is zero-terminated.
BSTR SysAllocStringLen(const WCHAR *s, UINT length) {
  auto *block = static_cast<char *>(std::malloc(sizeof(std::uint32_t) + (length + 1u) * sizeof(WCHAR)));
  if (!block) return nullptr;
  std::uint32_t bytes = length * sizeof(WCHAR);
  std::memcpy(block, &bytes, sizeof bytes);
  auto *text = reinterpret_cast<WCHAR *>(block + sizeof(std::uint32_t));
  if (s) std::memcpy(text, s, length * sizeof(WCHAR));
  else std::memset(text, 0, length * sizeof(WCHAR));
  text[length] = 0;
  return text;
}

BSTR SysAllocString(const WCHAR *s) {
  if (!s) return nullptr;
  UINT n = 0;
  while (s[n]) ++n;
  return SysAllocStringLen(s, n);
}

void SysFreeString(BSTR s) {
  if (s) std::free(reinterpret_cast<char *>(s) - sizeof(std::uint32_t));
}

UINT SysStringLen(BSTR s) {
  if (!s) return 0;
  std::uint32_t bytes;
  std::memcpy(&bytes, reinterpret_cast<char *>(s) - sizeof(std::uint32_t), sizeof bytes);
  return bytes / sizeof(WCHAR);
}

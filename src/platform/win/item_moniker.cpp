// Item monikers: a name made of a delimiter and an item, bound through the running
// object table of this process.
#include "win/rot.h"

#include <cstring>
#include <string>

namespace {

class ItemMoniker final : public ComObject<IMoniker> {
public:
  explicit ItemMoniker(std::u16string name) : name_(std::move(name)) {}

  HRESULT QueryInterface(REFIID iid, void **object) override {
    return QueryFrom<IMoniker, IPersistStream, IPersist>(iid, object);
  }

  // IPersist / IPersistStream: an item moniker is never saved here.
  HRESULT GetClassID(CLSID *clsid) override {
    if (!clsid) return E_POINTER;
    *clsid = GUID_NULL;
    return E_NOTIMPL;
  }
  HRESULT IsDirty() override { return S_FALSE; }
  HRESULT Load(IStream *) override { return E_NOTIMPL; }
  HRESULT Save(IStream *, BOOL) override { return E_NOTIMPL; }
  HRESULT GetSizeMax(ULARGE_INTEGER *) override { return E_NOTIMPL; }

  HRESULT BindToObject(IBindCtx *, IMoniker *left, REFIID iid, void **object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (left) return E_NOTIMPL;
    IRunningObjectTable *table = nullptr;
    HRESULT hr = GetRunningObjectTable(0, &table);
    if (FAILED(hr)) return hr;
    ComPtr<IUnknown> found;
    hr = table->GetObject(this, &found);
    if (FAILED(hr) || !found) return MK_E_NOOBJECT;
    return found->QueryInterface(iid, object);
  }

  HRESULT BindToStorage(IBindCtx *, IMoniker *, REFIID, void **object) override {
    if (object) *object = nullptr;
    return MK_E_NOSTORAGE;
  }

  HRESULT GetDisplayName(IBindCtx *, IMoniker *, LPWSTR *name) override {
    if (!name) return E_POINTER;
    const std::size_t bytes = (name_.size() + 1) * sizeof(char16_t);
    auto *copy = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (!copy) return E_OUTOFMEMORY;
    std::memcpy(copy, name_.c_str(), bytes);
    *name = copy;
    return S_OK;
  }

private:
  std::u16string name_;
};

} // namespace

HRESULT CreateItemMoniker(LPCWSTR delimiter, LPCWSTR item, IMoniker **moniker) {
  if (!moniker) return E_POINTER;
  *moniker = nullptr;
  if (!item) return E_INVALIDARG;
  std::u16string name = delimiter ? std::u16string(delimiter) : std::u16string();
  name += item;
  return CreateComObject<ItemMoniker>(IID_IMoniker, reinterpret_cast<void **>(moniker), std::move(name));
}

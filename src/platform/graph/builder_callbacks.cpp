#include "graph/builder_callbacks.h"

#include "dshow/uuids.h"
#include "graph/graph_log.h"

#include <algorithm>
#include <mutex>

namespace graph {

namespace {

std::mutex g_catalogLock;
std::vector<CatalogFilter> g_catalog;

class FilterProperties final : public ComObject<IPropertyBag> {
public:
  FilterProperties(std::u16string clsid, std::u16string name) : clsid_(std::move(clsid)), name_(std::move(name)) {}
  HRESULT QueryInterface(REFIID iid, void **object) override { return QueryFrom<IPropertyBag>(iid, object); }
  HRESULT Read(LPCWSTR name, BSTR *value, IErrorLog *) override {
    if (!name || !value) return E_POINTER;
    *value = nullptr;
    const std::u16string key(name);
    const std::u16string *text = key == u"CLSID" ? &clsid_ : key == u"FriendlyName" ? &name_ : nullptr;
    if (!text) return E_INVALIDARG;
    *value = SysAllocString(text->c_str());
    return *value ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT Write(LPCWSTR, LPCWSTR) override { return E_ACCESSDENIED; }

private:
  std::u16string clsid_, name_;
};

class FilterMoniker final : public ComObject<IMoniker> {
public:
  explicit FilterMoniker(CatalogFilter filter) : filter_(std::move(filter)) {}
  HRESULT QueryInterface(REFIID iid, void **object) override {
    return QueryFrom<IMoniker, IPersistStream, IPersist>(iid, object);
  }
  HRESULT GetClassID(CLSID *clsid) override {
    if (!clsid) return E_POINTER;
    *clsid = GUID_NULL;
    return E_NOTIMPL;
  }
  HRESULT IsDirty() override { return S_FALSE; }
  HRESULT Load(IStream *) override { return E_NOTIMPL; }
  HRESULT Save(IStream *, BOOL) override { return E_NOTIMPL; }
  HRESULT GetSizeMax(ULARGE_INTEGER *) override { return E_NOTIMPL; }
  HRESULT BindToObject(IBindCtx *, IMoniker *, REFIID iid, void **object) override {
    return CoCreateInstance(filter_.clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object);
  }
  HRESULT BindToStorage(IBindCtx *, IMoniker *, REFIID iid, void **object) override {
    const std::string clsid = GuidToString(filter_.clsid);
    return CreateComObject<FilterProperties>(iid, object, std::u16string(clsid.begin(), clsid.end()),
                                             filter_.friendlyName);
  }
  HRESULT GetDisplayName(IBindCtx *, IMoniker *, LPWSTR *name) override {
    if (!name) return E_POINTER;
    const std::string text = "@filter:" + GuidToString(filter_.clsid);
    auto *copy = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(WCHAR)));
    if (!copy) return E_OUTOFMEMORY;
    std::copy(text.begin(), text.end(), copy);
    copy[text.size()] = 0;
    *name = copy;
    return S_OK;
  }

private:
  CatalogFilter filter_;
};

template <class I> ComPtr<I> SiteCallback(IUnknown *graph) {
  ComPtr<IObjectWithSite> withSite;
  ComPtr<I> callback;
  if (graph && SUCCEEDED(graph->QueryInterface(IID_PPV_ARGS(&withSite))) && withSite)
    withSite->GetSite(IID_PPV_ARGS(&callback));
  return callback;
}

} // namespace

void RegisterCatalogFilter(CatalogFilter filter) {
  std::lock_guard guard(g_catalogLock);
  auto it = std::find_if(g_catalog.begin(), g_catalog.end(), [&](auto &f) { return f.clsid == filter.clsid; });
  if (it != g_catalog.end())
    *it = std::move(filter);
  else
    g_catalog.push_back(std::move(filter));
}

void RevokeCatalogFilter(REFCLSID clsid) {
  std::lock_guard guard(g_catalogLock);
  std::erase_if(g_catalog, [&](auto &f) { return f.clsid == clsid; });
}

std::vector<CatalogFilter> MatchingFilters(REFGUID major, REFGUID subtype) {
  std::vector<CatalogFilter> found;
  {
    std::lock_guard guard(g_catalogLock);
    for (const CatalogFilter &f : g_catalog)
      for (const auto &[m, s] : f.inputs)
        if (m == major && (s == GUID_NULL || s == subtype)) {
          found.push_back(f);
          break;
        }
  }
  std::erase_if(found, [](auto &f) { return !CoIsClassRegistered(f.clsid); });
  std::stable_sort(found.begin(), found.end(), [](auto &a, auto &b) { return a.merit > b.merit; });
  return found;
}

CatalogFilter CatalogEntryOf(REFCLSID clsid, const std::u16string &fallbackName) {
  {
    std::lock_guard guard(g_catalogLock);
    for (const CatalogFilter &f : g_catalog)
      if (f.clsid == clsid) return f;
  }
  return {clsid, fallbackName, 0, {}};
}

ComPtr<IMoniker> CreateFilterMoniker(const CatalogFilter &filter) {
  ComPtr<IMoniker> moniker;
  CreateComObject<FilterMoniker>(IID_IMoniker, reinterpret_cast<void **>(&moniker), filter);
  return moniker;
}

ComPtr<IBaseFilter> CreateSelectedFilter(IUnknown *graph, const CatalogFilter &filter, bool *refused) {
  if (refused) *refused = false;
  const std::string name = "\"" + ToUtf8(filter.friendlyName) + "\" " + GuidToString(filter.clsid);
  ComPtr<IMoniker> moniker = CreateFilterMoniker(filter);
  if (auto builder = SiteCallback<IAMGraphBuilderCallback>(graph)) {
    if (FAILED(builder->SelectedFilter(moniker.Get()))) {
      LogToGraph(graph, "Filter " + name + " refused before creation");
      if (refused) *refused = true;
      return nullptr;
    }
  }
  ComPtr<IBaseFilter> created;
  const HRESULT hr = moniker->BindToObject(nullptr, nullptr, IID_PPV_ARGS(&created));
  if (FAILED(hr) || !created) {
    LogToGraph(graph, "Could not create filter " + name + ": " + HResultText(FAILED(hr) ? hr : E_POINTER));
    return nullptr;
  }
  if (auto builder = SiteCallback<IAMGraphBuilderCallback>(graph)) {
    if (FAILED(builder->CreatedFilter(created.Get()))) {
      LogToGraph(graph, "Filter " + name + " refused after creation");
      if (refused) *refused = true;
      return nullptr;
    }
  }
  LogToGraph(graph, "Created filter " + name);
  return created;
}

HRESULT UnableToRenderPin(IUnknown *graph, IPin *pin) {
  auto callback = SiteCallback<IAMFilterGraphCallback>(graph);
  return callback ? callback->UnableToRenderPin(pin) : S_FALSE;
}

void LogToGraph(IUnknown *graph, const std::string &line) {
  ComPtr<IGraphLogSink> sink;
  if (graph && SUCCEEDED(graph->QueryInterface(IID_PPV_ARGS(&sink))) && sink) sink->WriteLogLine(line);
}

} // namespace graph

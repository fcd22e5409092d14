// Filter graph: rendering an output pin through the filters already in the graph and
// those of the filter catalogue, asking the site about each filter and about a pin
// that nothing renders.
#include "graph/builder_callbacks.h"
#include "graph/filter_graph.h"

#include "dshow/errors.h"

#include <set>

namespace graph {

namespace {

constexpr int kMaxDepth = 8; // filters chained behind the pin being rendered

std::vector<ComPtr<IPin>> FreePins(IBaseFilter *filter, PIN_DIRECTION wanted) {
  std::vector<ComPtr<IPin>> found;
  ComPtr<IEnumPins> pins;
  if (FAILED(filter->EnumPins(&pins)) || !pins) return found;
  ComPtr<IPin> pin;
  while (pins->Next(1, &pin, nullptr) == S_OK && pin) {
    PIN_DIRECTION dir;
    ComPtr<IPin> peer;
    if (SUCCEEDED(pin->QueryDirection(&dir)) && dir == wanted && pin->ConnectedTo(&peer) != S_OK) found.push_back(pin);
  }
  return found;
}

std::vector<std::pair<GUID, GUID>> OfferedTypes(IPin *pin) {
  std::vector<std::pair<GUID, GUID>> types;
  ComPtr<IEnumMediaTypes> e;
  if (FAILED(pin->EnumMediaTypes(&e)) || !e) return types;
  AM_MEDIA_TYPE *mt = nullptr;
  while (e->Next(1, &mt, nullptr) == S_OK && mt) {
    types.emplace_back(mt->majortype, mt->subtype);
    DeleteMediaType(mt);
    mt = nullptr;
  }
  return types;
}

ComPtr<IBaseFilter> OwnerOf(IPin *pin) {
  PIN_INFO info{};
  ComPtr<IBaseFilter> owner;
  if (SUCCEEDED(pin->QueryPinInfo(&info))) owner.Attach(info.pFilter);
  return owner;
}

} // namespace

HRESULT FilterGraph::Render(IPin *out) {
  if (!out) return E_POINTER;
  std::lock_guard guard(lock_);
  if (!PinInGraph(out)) return VFW_E_NOT_IN_GRAPH;
  PIN_DIRECTION dir;
  if (FAILED(out->QueryDirection(&dir)) || dir != PINDIR_OUTPUT) return VFW_E_INVALID_DIRECTION;
  ComPtr<IPin> peer;
  if (out->ConnectedTo(&peer) == S_OK) return VFW_E_ALREADY_CONNECTED;
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;

  const std::string pin = Describe(out);
  if (SUCCEEDED(RenderPin(out, 0))) {
    log_.Line("Rendered " + pin);
    return S_OK;
  }
  // The application may put or register a filter that renders the pin; it answers
  // S_OK to have the graph try once more.
  const HRESULT answer = UnableToRenderPin(static_cast<IFilterGraph2 *>(this), out);
  if (answer != S_OK) {
    log_.Line("Cannot render " + pin + ": " + HResultText(VFW_E_CANNOT_RENDER));
    return VFW_E_CANNOT_RENDER;
  }
  log_.Line("Cannot render " + pin + ": trying again as the application asks");
  const HRESULT hr = RenderPin(out, 0);
  log_.Line((SUCCEEDED(hr) ? "Rendered " : "Cannot render ") + pin + (SUCCEEDED(hr) ? "" : ": " + HResultText(hr)));
  return SUCCEEDED(hr) ? S_OK : VFW_E_CANNOT_RENDER;
}

HRESULT FilterGraph::RenderPin(IPin *out, int depth) {
  if (depth > kMaxDepth) return VFW_E_CANNOT_RENDER;
  ComPtr<IBaseFilter> owner = OwnerOf(out);

  // Filters already in the graph first.
  std::vector<ComPtr<IBaseFilter>> present;
  for (Entry &e : filters_)
    if (e.filter.Get() != owner.Get()) present.push_back(e.filter);
  for (const ComPtr<IBaseFilter> &filter : present)
    for (const ComPtr<IPin> &in : FreePins(filter.Get(), PINDIR_INPUT)) {
      if (FAILED(ConnectDirect(out, in.Get(), nullptr))) continue;
      if (SUCCEEDED(RenderOutputs(filter.Get(), depth))) return S_OK;
      out->Disconnect();
      in->Disconnect();
    }

  // Then the catalogue, for each type the pin offers.
  std::set<std::string> tried;
  for (const auto &[major, subtype] : OfferedTypes(out))
    for (const CatalogFilter &candidate : MatchingFilters(major, subtype)) {
      if (!tried.insert(GuidToString(candidate.clsid)).second) continue;
      ComPtr<IBaseFilter> filter = CreateSelectedFilter(static_cast<IFilterGraph2 *>(this), candidate);
      if (!filter || FAILED(AddFilter(filter.Get(), candidate.friendlyName.c_str()))) continue;
      bool connected = false;
      for (const ComPtr<IPin> &in : FreePins(filter.Get(), PINDIR_INPUT))
        if ((connected = SUCCEEDED(ConnectDirect(out, in.Get(), nullptr)))) break;
      if (connected && SUCCEEDED(RenderOutputs(filter.Get(), depth + 1))) return S_OK;
      RemoveFilter(filter.Get()); // also breaks what was connected
    }
  return VFW_E_CANNOT_RENDER;
}

HRESULT FilterGraph::RenderOutputs(IBaseFilter *filter, int depth) {
  for (const ComPtr<IPin> &pin : FreePins(filter, PINDIR_OUTPUT)) {
    const HRESULT hr = RenderPin(pin.Get(), depth + 1);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

} // namespace graph

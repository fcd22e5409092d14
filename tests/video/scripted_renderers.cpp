#include "scripted_renderers.h"

#include <QString>

#include <algorithm>

namespace {

std::string Hex(LONG value) { return QString::asprintf("%08X", static_cast<unsigned>(value)).toStdString(); }
std::string Num(long long value) { return std::to_string(value); }

// Hands out a snapshot of counted items one at a time.
template <class IEnum, class Item> class FakeEnum : public ComObject<IEnum> {
public:
  explicit FakeEnum(std::vector<ComPtr<Item>> items) : items_(std::move(items)) {}
  HRESULT QueryInterface(REFIID iid, void **object) override {
    return ComObject<IEnum>::template QueryFrom<IEnum>(iid, object);
  }
  HRESULT Next(ULONG count, Item **out, ULONG *fetched) override {
    ULONG n = 0;
    while (n < count && position_ < items_.size()) items_[position_++].CopyTo(&out[n++]);
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT Skip(ULONG count) override {
    position_ = std::min<std::size_t>(items_.size(), position_ + count);
    return S_OK;
  }
  HRESULT Reset() override {
    position_ = 0;
    return S_OK;
  }
  HRESULT Clone(IEnum **) override { return E_NOTIMPL; }

private:
  std::vector<ComPtr<Item>> items_;
  std::size_t position_ = 0;
};

} // namespace

std::vector<std::string> Calls(const CallLog &log, const std::string &prefix) {
  std::vector<std::string> out;
  for (const std::string &call : log)
    if (call.rfind(prefix, 0) == 0) out.push_back(call);
  return out;
}

// --- pins and filters -----------------------------------------------------------

void FakePin::SetConnected(bool connected) {
  if (connected)
    peer_.Attach(new FakePin(log_, owner_ + ".peer"));
  else
    peer_.Reset();
}

HRESULT FakePin::Disconnect() {
  log_->push_back(owner_ + ".Disconnect");
  if (!peer_) return S_FALSE;
  peer_.Reset();
  return S_OK;
}

HRESULT FakePin::ConnectedTo(IPin **pin) {
  *pin = nullptr;
  if (!peer_) return VFW_E_NOT_CONNECTED;
  return peer_.CopyTo(pin);
}

FakeFilter::FakeFilter(std::shared_ptr<CallLog> log, std::string tag, const CLSID &clsid)
    : log_(std::move(log)), tag_(std::move(tag)), clsid_(clsid) {
  for (int i = 0; i < 2; ++i) {
    ComPtr<FakePin> pin;
    pin.Attach(new FakePin(log_, tag_ + ".pin" + Num(i)));
    pins_.push_back(pin);
  }
}

HRESULT FakeFilter::QueryInterface(REFIID iid, void **object) {
  if (!object) return E_POINTER;
  IUnknown *found = nullptr;
  if (iid == IID_IUnknown || iid == IID_IBaseFilter || iid == IID_IMediaFilter || iid == IID_IPersist)
    found = static_cast<IBaseFilter *>(this);
  else
    found = Extra(iid);
  *object = found;
  if (!found) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

HRESULT FakeFilter::Stop() {
  Log("Stop");
  return S_OK;
}

HRESULT FakeFilter::EnumPins(IEnumPins **pins) {
  std::vector<ComPtr<IPin>> items(pins_.begin(), pins_.end());
  *pins = new FakeEnum<IEnumPins, IPin>(std::move(items));
  return S_OK;
}

HRESULT FakeFilter::QueryFilterInfo(FILTER_INFO *info) {
  info->achName[0] = 0;
  info->pGraph = graph_;
  if (graph_) graph_->AddRef();
  return S_OK;
}

HRESULT FakeFilter::JoinFilterGraph(IFilterGraph *graph, LPCWSTR) {
  graph_ = graph;
  return S_OK;
}

// --- renderers ------------------------------------------------------------------

HRESULT LoggedVideoWindow::put_Caption(BSTR caption) {
  return WindowCall("put_Caption(" + QString::fromUtf16(caption).toStdString() + ")", "put_Caption");
}
HRESULT LoggedVideoWindow::put_WindowStyle(LONG style) {
  return WindowCall("put_WindowStyle(" + Hex(style) + ")", "put_WindowStyle");
}
HRESULT LoggedVideoWindow::put_WindowStyleEx(LONG style) {
  return WindowCall("put_WindowStyleEx(" + Hex(style) + ")", "put_WindowStyleEx");
}
HRESULT LoggedVideoWindow::put_Visible(LONG value) {
  visible = value;
  return WindowCall("put_Visible(" + Num(value) + ")", "put_Visible");
}
HRESULT LoggedVideoWindow::put_Owner(OAHWND owner) {
  return WindowCall("put_Owner(" + Num(owner) + ")", "put_Owner");
}
HRESULT LoggedVideoWindow::put_MessageDrain(OAHWND drain) {
  return WindowCall("put_MessageDrain(" + Num(drain) + ")", "put_MessageDrain");
}
HRESULT LoggedVideoWindow::put_FullScreenMode(LONG mode) {
  return WindowCall("put_FullScreenMode(" + Num(mode) + ")", "put_FullScreenMode");
}
HRESULT LoggedVideoWindow::SetWindowPosition(LONG left, LONG top, LONG width, LONG height) {
  return WindowCall("SetWindowPosition(" + Num(left) + "," + Num(top) + "," + Num(width) + "," + Num(height) + ")",
                    "SetWindowPosition");
}

IUnknown *FakeClassicRenderer::Extra(REFIID iid) {
  return iid == IID_IVideoWindow ? static_cast<IVideoWindow *>(this) : nullptr;
}

HRESULT FakeClassicRenderer::WindowCall(const std::string &call, const std::string &name) {
  Log(call);
  return failing == name ? E_FAIL : S_OK;
}

IUnknown *FakeMixingRenderer::Extra(REFIID iid) {
  if (iid == IID_IVideoWindow) return static_cast<IVideoWindow *>(this);
  if (iid == IID_IVMRFilterConfig9) return static_cast<IVMRFilterConfig9 *>(this);
  if (iid == IID_IVMRWindowlessControl9) return static_cast<IVMRWindowlessControl9 *>(this);
  if (iid == IID_IVMRAspectRatioControl9) return static_cast<IVMRAspectRatioControl9 *>(this);
  return nullptr;
}

HRESULT FakeMixingRenderer::WindowCall(const std::string &call, const std::string &name) {
  Log(call);
  return failing == name ? E_FAIL : S_OK;
}

HRESULT FakeMixingRenderer::SetNumberOfStreams(DWORD streams) {
  Log("SetNumberOfStreams(" + Num(streams) + ")");
  streams_ = std::min(streams, maxStreams);
  return S_OK;
}

HRESULT FakeMixingRenderer::GetNumberOfStreams(DWORD *streams) {
  Log("GetNumberOfStreams");
  *streams = streams_;
  return S_OK;
}

HRESULT FakeMixingRenderer::SetRenderingPrefs(DWORD prefs) {
  Log("SetRenderingPrefs(" + Num(prefs) + ")");
  prefs_ = prefs & acceptedPrefs;
  return S_OK;
}

HRESULT FakeMixingRenderer::GetRenderingPrefs(DWORD *prefs) {
  Log("GetRenderingPrefs");
  *prefs = prefs_;
  return S_OK;
}

HRESULT FakeMixingRenderer::SetRenderingMode(DWORD mode) {
  Log("SetRenderingMode(" + Num(mode) + ")");
  return S_OK;
}

HRESULT FakeMixingRenderer::SetVideoPosition(const RECT *source, const RECT *d) {
  Log(std::string("SetVideoPosition(") + (source ? "source," : "") + Num(d->left) + "," + Num(d->top) + "," +
      Num(d->right) + "," + Num(d->bottom) + ")");
  return S_OK;
}

HRESULT FakeMixingRenderer::SetVideoClippingWindow(HWND hwnd) {
  Log("SetVideoClippingWindow(" + Num(reinterpret_cast<LONG_PTR>(hwnd)) + ")");
  return S_OK;
}

HRESULT FakeMixingRenderer::SetAspectRatioMode(DWORD mode) {
  Log("SetAspectRatioMode(" + Num(mode) + ")");
  return S_OK;
}

// --- graph ----------------------------------------------------------------------

FakeGraph::~FakeGraph() {
  for (auto &filter : filters_) filter->JoinFilterGraph(nullptr, nullptr);
}

HRESULT FakeGraph::AddFilter(IBaseFilter *filter, LPCWSTR name) {
  if (!filter) return E_POINTER;
  filters_.emplace_back(filter);
  names_.emplace_back(name ? name : u"");
  filter->JoinFilterGraph(this, name);
  return S_OK;
}

HRESULT FakeGraph::RemoveFilter(IBaseFilter *filter) {
  auto it = std::find(filters_.begin(), filters_.end(), ComPtr<IBaseFilter>(filter));
  if (it == filters_.end()) return VFW_E_NOT_FOUND;
  filter->JoinFilterGraph(nullptr, nullptr);
  names_.erase(names_.begin() + (it - filters_.begin()));
  filters_.erase(it);
  return S_OK;
}

HRESULT FakeGraph::EnumFilters(IEnumFilters **filters) {
  *filters = new FakeEnum<IEnumFilters, IBaseFilter>(filters_);
  return S_OK;
}

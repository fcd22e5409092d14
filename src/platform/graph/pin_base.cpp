#include "graph/pin_base.h"

#include "dshow/errors.h"
#include "graph/enumerators.h"
#include "graph/filter_base.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace graph {

BasePin::BasePin(BaseFilter *filter, std::u16string name, PIN_DIRECTION dir)
    : filter_(filter), name_(std::move(name)), dir_(dir) {}

BasePin::~BasePin() = default;

HRESULT BasePin::QueryInterface(REFIID iid, void **object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IPin) return Expose(static_cast<IPin *>(this), object);
  return QueryExtraInterface(iid, object);
}

ULONG BasePin::AddRef() { return filter_->AddRef(); }
ULONG BasePin::Release() { return filter_->Release(); }

HRESULT BasePin::QueryExtraInterface(REFIID, void **) { return E_NOINTERFACE; }

bool BasePin::IsConnected() const {
  std::lock_guard guard(filter_->Lock());
  return static_cast<bool>(peer_);
}

ComPtr<IPin> BasePin::Peer() const {
  std::lock_guard guard(filter_->Lock());
  return peer_;
}

MediaType BasePin::ConnectionType() const {
  std::lock_guard guard(filter_->Lock());
  return peer_ ? mt_ : MediaType();
}

// --- Connection --------------------------------------------------------------------

HRESULT BasePin::Connect(IPin *receivePin, const AM_MEDIA_TYPE *mt) {
  if (!receivePin) return E_POINTER;
  if (dir_ != PINDIR_OUTPUT) return VFW_E_INVALID_DIRECTION;
  std::lock_guard guard(filter_->Lock());
  if (peer_) return VFW_E_ALREADY_CONNECTED;
  if (filter_->State() != State_Stopped) return VFW_E_NOT_STOPPED;
  PIN_DIRECTION otherDir;
  if (FAILED(receivePin->QueryDirection(&otherDir)) || otherDir != PINDIR_INPUT) return VFW_E_INVALID_DIRECTION;
  ComPtr<IMemInputPin> transport;
  if (FAILED(receivePin->QueryInterface(IID_PPV_ARGS(&transport))) || !transport) return VFW_E_NO_TRANSPORT;
  peerInput_ = transport;

  HRESULT hr;
  if (mt && !MediaType(*mt).IsPartiallySpecified()) {
    hr = TryConnection(receivePin, *mt);
  } else {
    hr = TryOwnTypes(receivePin, mt);
    if (FAILED(hr)) {
      ComPtr<IEnumMediaTypes> theirs;
      if (SUCCEEDED(receivePin->EnumMediaTypes(&theirs)) && theirs) hr = TryTypes(receivePin, mt, theirs.Get());
    }
    if (FAILED(hr)) hr = VFW_E_NO_ACCEPTABLE_TYPES;
  }
  if (FAILED(hr)) peerInput_ = nullptr;
  return hr;
}

HRESULT BasePin::TryOwnTypes(IPin *receiver, const AM_MEDIA_TYPE *partial) {
  ComPtr<IEnumMediaTypes> ours;
  HRESULT hr = EnumMediaTypes(&ours);
  return FAILED(hr) ? hr : TryTypes(receiver, partial, ours.Get());
}

HRESULT BasePin::TryTypes(IPin *receiver, const AM_MEDIA_TYPE *partial, IEnumMediaTypes *types) {
  std::optional<MediaType> filter;
  if (partial) filter.emplace(*partial);
  types->Reset();
  AM_MEDIA_TYPE *candidate = nullptr;
  ULONG fetched = 0;
  while (types->Next(1, &candidate, &fetched) == S_OK && fetched == 1) {
    bool fits = !filter || filter->MatchesPartial(*candidate);
    HRESULT hr = fits ? TryConnection(receiver, *candidate) : E_FAIL;
    DeleteMediaType(candidate);
    if (SUCCEEDED(hr)) return hr;
  }
  return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT BasePin::TryConnection(IPin *receiver, const AM_MEDIA_TYPE &mt) {
  if (CheckMediaType(mt) != S_OK) return VFW_E_TYPE_NOT_ACCEPTED;
  // Stored first so that the receiver may ask us about the connection meanwhile.
  peer_ = receiver;
  mt_ = mt;
  HRESULT hr = receiver->ReceiveConnection(this, &mt);
  if (SUCCEEDED(hr)) {
    hr = CompleteConnect(receiver);
    if (FAILED(hr)) receiver->Disconnect();
  }
  if (FAILED(hr)) {
    peer_ = nullptr;
    mt_.Clear();
    return hr;
  }
  return S_OK;
}

HRESULT BasePin::ReceiveConnection(IPin *connector, const AM_MEDIA_TYPE *mt) {
  if (!connector || !mt) return E_POINTER;
  if (dir_ != PINDIR_INPUT) return VFW_E_INVALID_DIRECTION;
  std::lock_guard guard(filter_->Lock());
  if (peer_) return VFW_E_ALREADY_CONNECTED;
  if (filter_->State() != State_Stopped) return VFW_E_NOT_STOPPED;
  PIN_DIRECTION otherDir;
  if (FAILED(connector->QueryDirection(&otherDir)) || otherDir != PINDIR_OUTPUT) return VFW_E_INVALID_DIRECTION;
  if (CheckMediaType(*mt) != S_OK) return VFW_E_TYPE_NOT_ACCEPTED;
  peer_ = connector;
  mt_ = *mt;
  HRESULT hr = CompleteConnect(connector);
  if (FAILED(hr)) {
    peer_ = nullptr;
    mt_.Clear();
  }
  return hr;
}

HRESULT BasePin::Disconnect() {
  std::lock_guard guard(filter_->Lock());
  if (filter_->State() != State_Stopped) return VFW_E_NOT_STOPPED;
  if (!peer_) return S_FALSE;
  BreakConnect();
  peer_ = nullptr;
  peerInput_ = nullptr;
  mt_.Clear();
  return S_OK;
}

HRESULT BasePin::ConnectedTo(IPin **pin) {
  if (!pin) return E_POINTER;
  std::lock_guard guard(filter_->Lock());
  *pin = nullptr;
  if (!peer_) return VFW_E_NOT_CONNECTED;
  return peer_.CopyTo(pin);
}

HRESULT BasePin::ConnectionMediaType(AM_MEDIA_TYPE *mt) {
  if (!mt) return E_POINTER;
  std::lock_guard guard(filter_->Lock());
  if (!peer_) {
    std::memset(mt, 0, sizeof *mt);
    return VFW_E_NOT_CONNECTED;
  }
  return mt_.CopyTo(mt);
}

// --- Information -------------------------------------------------------------------

HRESULT BasePin::QueryPinInfo(PIN_INFO *info) {
  if (!info) return E_POINTER;
  info->pFilter = filter_;
  filter_->AddRef();
  info->dir = dir_;
  std::size_t n = std::min<std::size_t>(name_.size(), MAX_PIN_NAME - 1);
  std::copy_n(name_.data(), n, info->achName);
  info->achName[n] = 0;
  return S_OK;
}

HRESULT BasePin::QueryDirection(PIN_DIRECTION *dir) {
  if (!dir) return E_POINTER;
  *dir = dir_;
  return S_OK;
}

HRESULT BasePin::QueryId(LPWSTR *id) {
  if (!id) return E_POINTER;
  *id = static_cast<LPWSTR>(CoTaskMemAlloc((name_.size() + 1) * sizeof(WCHAR)));
  if (!*id) return E_OUTOFMEMORY;
  std::copy(name_.begin(), name_.end(), *id);
  (*id)[name_.size()] = 0;
  return S_OK;
}

HRESULT BasePin::QueryAccept(const AM_MEDIA_TYPE *mt) {
  if (!mt) return E_POINTER;
  return CheckMediaType(*mt) == S_OK ? S_OK : S_FALSE;
}

HRESULT BasePin::EnumMediaTypes(IEnumMediaTypes **types) {
  if (!types) return E_POINTER;
  std::vector<MediaType> list;
  for (int i = 0;; ++i) {
    MediaType t;
    if (GetMediaType(i, &t) != S_OK) break;
    list.push_back(std::move(t));
  }
  *types = new MediaTypeEnumerator(std::move(list));
  return S_OK;
}

HRESULT BasePin::QueryInternalConnections(IPin **, ULONG *) { return E_NOTIMPL; }

// --- Default hooks -----------------------------------------------------------------

HRESULT BasePin::GetMediaType(int, MediaType *) { return S_FALSE; }
HRESULT BasePin::CompleteConnect(IPin *) { return S_OK; }
void BasePin::BreakConnect() {}
HRESULT BasePin::Active() { return S_OK; }
HRESULT BasePin::Inactive() { return S_OK; }

} // namespace graph

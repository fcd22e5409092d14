#include "graph/enumerators.h"

#include "dshow/errors.h"

namespace graph {

namespace {
// Argument checks shared by the Next methods; clears *fetched.
HRESULT CheckNextArgs(ULONG count, void *items, ULONG *fetched) {
  if (!items) return E_POINTER;
  if (count != 1 && !fetched) return E_INVALIDARG;
  if (fetched) *fetched = 0;
  return S_OK;
}
} // namespace

// --- MediaTypeEnumerator ---------------------------------------------------------

MediaTypeEnumerator::MediaTypeEnumerator(std::vector<MediaType> types, std::size_t position)
    : types_(std::move(types)), position_(position) {}

HRESULT MediaTypeEnumerator::QueryInterface(REFIID iid, void **object) {
  return QueryFrom<IEnumMediaTypes>(iid, object);
}

HRESULT MediaTypeEnumerator::Next(ULONG count, AM_MEDIA_TYPE **types, ULONG *fetched) {
  if (HRESULT hr = CheckNextArgs(count, types, fetched); FAILED(hr)) return hr;
  ULONG n = 0;
  while (n < count && position_ < types_.size()) {
    types[n] = types_[position_].CreateCopy();
    if (!types[n]) break;
    ++n;
    ++position_;
  }
  if (fetched) *fetched = n;
  return n == count ? S_OK : S_FALSE;
}

HRESULT MediaTypeEnumerator::Skip(ULONG count) {
  std::size_t left = types_.size() - position_;
  position_ += std::min<std::size_t>(count, left);
  return count <= left ? S_OK : S_FALSE;
}

HRESULT MediaTypeEnumerator::Reset() {
  position_ = 0;
  return S_OK;
}

HRESULT MediaTypeEnumerator::Clone(IEnumMediaTypes **clone) {
  if (!clone) return E_POINTER;
  *clone = new MediaTypeEnumerator(types_, position_);
  return S_OK;
}

// --- PinEnumerator ---------------------------------------------------------------

PinEnumerator::PinEnumerator(BaseFilter *filter, int position)
    : filter_(filter), version_(filter->PinVersion()), position_(position) {}

HRESULT PinEnumerator::QueryInterface(REFIID iid, void **object) { return QueryFrom<IEnumPins>(iid, object); }

HRESULT PinEnumerator::Next(ULONG count, IPin **pins, ULONG *fetched) {
  if (HRESULT hr = CheckNextArgs(count, pins, fetched); FAILED(hr)) return hr;
  std::lock_guard guard(filter_->Lock());
  if (version_ != filter_->PinVersion()) return VFW_E_ENUM_OUT_OF_SYNC;
  ULONG n = 0;
  int total = filter_->PinCount();
  while (n < count && position_ < total) {
    BasePin *pin = filter_->GetPin(position_++);
    if (!pin) continue;
    pin->AddRef();
    pins[n++] = pin;
  }
  if (fetched) *fetched = n;
  return n == count ? S_OK : S_FALSE;
}

HRESULT PinEnumerator::Skip(ULONG count) {
  std::lock_guard guard(filter_->Lock());
  if (version_ != filter_->PinVersion()) return VFW_E_ENUM_OUT_OF_SYNC;
  int left = filter_->PinCount() - position_;
  if (left < 0) left = 0;
  if (count > static_cast<ULONG>(left)) {
    position_ += left;
    return S_FALSE;
  }
  position_ += static_cast<int>(count);
  return S_OK;
}

HRESULT PinEnumerator::Reset() {
  version_ = filter_->PinVersion();
  position_ = 0;
  return S_OK;
}

HRESULT PinEnumerator::Clone(IEnumPins **clone) {
  if (!clone) return E_POINTER;
  auto *copy = new PinEnumerator(filter_.Get(), position_);
  copy->version_ = version_;
  *clone = copy;
  return S_OK;
}

// --- FilterEnumerator ------------------------------------------------------------

FilterEnumerator::FilterEnumerator(std::vector<ComPtr<IBaseFilter>> filters, std::size_t position)
    : filters_(std::move(filters)), position_(position) {}

HRESULT FilterEnumerator::QueryInterface(REFIID iid, void **object) {
  return QueryFrom<IEnumFilters>(iid, object);
}

HRESULT FilterEnumerator::Next(ULONG count, IBaseFilter **filters, ULONG *fetched) {
  if (HRESULT hr = CheckNextArgs(count, filters, fetched); FAILED(hr)) return hr;
  ULONG n = 0;
  while (n < count && position_ < filters_.size()) filters_[position_++].CopyTo(&filters[n++]);
  if (fetched) *fetched = n;
  return n == count ? S_OK : S_FALSE;
}

HRESULT FilterEnumerator::Skip(ULONG count) {
  std::size_t left = filters_.size() - position_;
  position_ += std::min<std::size_t>(count, left);
  return count <= left ? S_OK : S_FALSE;
}

HRESULT FilterEnumerator::Reset() {
  position_ = 0;
  return S_OK;
}

HRESULT FilterEnumerator::Clone(IEnumFilters **clone) {
  if (!clone) return E_POINTER;
  *clone = new FilterEnumerator(filters_, position_);
  return S_OK;
}

} // namespace graph

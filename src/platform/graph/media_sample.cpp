#include "graph/media_sample.h"

#include "dshow/errors.h"

#include <cstring>
#include <limits>

namespace graph {

MediaSample::MediaSample(LONG size) : buffer_(static_cast<std::size_t>(size > 0 ? size : 0)) {}

ComPtr<MediaSample> MediaSample::Create(LONG size) {
  ComPtr<MediaSample> sample;
  sample.Attach(new MediaSample(size));
  return sample;
}

ComPtr<MediaSample> MediaSample::CreateFrom(const void *data, LONG size) {
  ComPtr<MediaSample> sample = Create(size);
  if (data && size > 0) std::memcpy(sample->buffer_.data(), data, static_cast<std::size_t>(size));
  sample->actual_ = size > 0 ? size : 0;
  return sample;
}

ComPtr<MediaSample> MediaSample::CreateOverPlanes(BYTE *const planes[3], const LONG strides[3], LONG rows,
                                                  std::shared_ptr<const void> keep) {
  ComPtr<MediaSample> sample = Create(0);
  for (int i = 0; i < 3; ++i) {
    sample->planes_[i] = planes[i];
    sample->strides_[i] = strides[i];
  }
  const long long size = rows > 0 && strides[0] > 0 ? static_cast<long long>(strides[0]) * rows : 0;
  sample->planeSize_ = size <= std::numeric_limits<LONG>::max() ? static_cast<LONG>(size) : 0;
  sample->actual_ = sample->planeSize_;
  sample->keep_ = std::move(keep);
  return sample;
}

HRESULT MediaSample::QueryInterface(REFIID iid, void **object) {
  if (iid == IID_IYuvPlanes && !planes_[0]) {
    if (object) *object = nullptr;
    return object ? E_NOINTERFACE : E_POINTER;
  }
  return QueryFrom<IMediaSample, IYuvPlanes>(iid, object);
}

HRESULT MediaSample::GetPlanes(BYTE *planes[3], LONG strides[3]) {
  if (!planes || !strides) return E_POINTER;
  if (!planes_[0]) return E_NOINTERFACE;
  for (int i = 0; i < 3; ++i) {
    planes[i] = planes_[i];
    strides[i] = strides_[i];
  }
  return S_OK;
}

void MediaSample::ResetProperties() {
  actual_ = 0;
  start_.reset();
  stop_.reset();
  mediaStart_.reset();
  mediaStop_.reset();
  sync_ = preroll_ = discontinuity_ = false;
  typeChange_.reset();
}

HRESULT MediaSample::GetPointer(BYTE **buffer) {
  if (!buffer) return E_POINTER;
  *buffer = planes_[0] ? planes_[0] : buffer_.data();
  return S_OK;
}

LONG MediaSample::GetSize() { return planes_[0] ? planeSize_ : static_cast<LONG>(buffer_.size()); }

HRESULT MediaSample::GetTime(REFERENCE_TIME *start, REFERENCE_TIME *end) {
  if (!start || !end) return E_POINTER;
  if (!start_) return VFW_E_SAMPLE_TIME_NOT_SET;
  *start = start_->ticks();
  if (!stop_) {
    *end = start_->ticks() + 1;
    return VFW_S_NO_STOP_TIME;
  }
  *end = stop_->ticks();
  return S_OK;
}

HRESULT MediaSample::SetTime(const REFERENCE_TIME *start, const REFERENCE_TIME *end) {
  if (!start) {
    start_.reset();
    stop_.reset();
    return S_OK;
  }
  start_ = media::StreamTime(*start);
  if (end) stop_ = media::StreamTime(*end);
  else stop_.reset();
  return S_OK;
}

HRESULT MediaSample::IsSyncPoint() { return sync_ ? S_OK : S_FALSE; }
HRESULT MediaSample::SetSyncPoint(BOOL sync) {
  sync_ = sync != FALSE;
  return S_OK;
}
HRESULT MediaSample::IsPreroll() { return preroll_ ? S_OK : S_FALSE; }
HRESULT MediaSample::SetPreroll(BOOL preroll) {
  preroll_ = preroll != FALSE;
  return S_OK;
}
HRESULT MediaSample::IsDiscontinuity() { return discontinuity_ ? S_OK : S_FALSE; }
HRESULT MediaSample::SetDiscontinuity(BOOL discontinuity) {
  discontinuity_ = discontinuity != FALSE;
  return S_OK;
}

LONG MediaSample::GetActualDataLength() { return actual_; }

HRESULT MediaSample::SetActualDataLength(LONG length) {
  if (length < 0) return E_INVALIDARG;
  if (length > GetSize()) return VFW_E_BUFFER_OVERFLOW;
  actual_ = length;
  return S_OK;
}

HRESULT MediaSample::GetMediaType(AM_MEDIA_TYPE **mt) {
  if (!mt) return E_POINTER;
  *mt = nullptr;
  if (!typeChange_) return S_FALSE;
  *mt = typeChange_->CreateCopy();
  return *mt ? S_OK : E_OUTOFMEMORY;
}

HRESULT MediaSample::SetMediaType(const AM_MEDIA_TYPE *mt) {
  if (!mt) {
    typeChange_.reset();
    return S_OK;
  }
  typeChange_ = std::make_unique<MediaType>(*mt);
  return S_OK;
}

HRESULT MediaSample::GetMediaTime(LONGLONG *start, LONGLONG *end) {
  if (!start || !end) return E_POINTER;
  if (!mediaStart_ || !mediaStop_) return VFW_E_MEDIA_TIME_NOT_SET;
  *start = *mediaStart_;
  *end = *mediaStop_;
  return S_OK;
}

HRESULT MediaSample::SetMediaTime(const LONGLONG *start, const LONGLONG *end) {
  if (!start || !end) {
    mediaStart_.reset();
    mediaStop_.reset();
    return S_OK;
  }
  mediaStart_ = *start;
  mediaStop_ = *end;
  return S_OK;
}

} // namespace graph

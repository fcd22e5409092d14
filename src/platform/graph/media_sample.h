// MediaSample: an IMediaSample over a byte buffer it owns. The sending side makes
// samples (there is no allocator negotiation on this platform) and passes them
// downstream with OutputPin::Deliver; a receiver that keeps one AddRefs it.
//
// A sample either owns its buffer or shows the planes of a picture that something else
// owns (kept alive by the sample, read-only). A sample is used by one thread at a time:
// it has no lock of its own.
#pragma once

#include "com/media_time.h"
#include "graph/media_type.h"
#include "graph/raw_formats.h"

#include <memory>
#include <optional>
#include <vector>

namespace graph {

class MediaSample final : public ComObject<IYuvPlanes> {
public:
  // A sample with a buffer of `size` bytes, actual length 0, no times, no flags.
  static ComPtr<MediaSample> Create(LONG size);
  // A sample holding a copy of `data` (actual length = size).
  static ComPtr<MediaSample> CreateFrom(const void *data, LONG size);
  // A sample over three picture planes of `rows` luma rows that `keep` keeps alive (it
  // is let go with the sample). It answers IYuvPlanes; GetPointer and the lengths cover
  // the luma plane.
  static ComPtr<MediaSample> CreateOverPlanes(BYTE *const planes[3], const LONG strides[3], LONG rows,
                                              std::shared_ptr<const void> keep);

  HRESULT QueryInterface(REFIID iid, void **object) override;

  // Direct access for the filters of this platform (the owned buffer; null over planes).
  BYTE *Data() { return buffer_.data(); }
  const BYTE *Data() const { return buffer_.data(); }

  // IYuvPlanes, answered only by a sample over planes.
  HRESULT GetPlanes(BYTE *planes[3], LONG strides[3]) override;
  // Clears times, flags, media type and the actual length for reuse.
  void ResetProperties();
  // Whether the caller's reference is the only one (a pool's sample nobody downstream holds).
  bool HeldOnlyByCaller() {
    AddRef();
    return Release() == 1;
  }

  HRESULT GetPointer(BYTE **buffer) override;
  LONG GetSize() override;
  // Without a stop time the end reported is start + 1 and the result VFW_S_NO_STOP_TIME.
  HRESULT GetTime(REFERENCE_TIME *start, REFERENCE_TIME *end) override;
  // A null start clears both times; a null end keeps only the start.
  HRESULT SetTime(const REFERENCE_TIME *start, const REFERENCE_TIME *end) override;
  HRESULT IsSyncPoint() override;
  HRESULT SetSyncPoint(BOOL sync) override;
  HRESULT IsPreroll() override;
  HRESULT SetPreroll(BOOL preroll) override;
  LONG GetActualDataLength() override;
  // VFW_E_BUFFER_OVERFLOW beyond the buffer size, E_INVALIDARG when negative.
  HRESULT SetActualDataLength(LONG length) override;
  HRESULT GetMediaType(AM_MEDIA_TYPE **mt) override;
  HRESULT SetMediaType(const AM_MEDIA_TYPE *mt) override; // null clears the change
  HRESULT IsDiscontinuity() override;
  HRESULT SetDiscontinuity(BOOL discontinuity) override;
  HRESULT GetMediaTime(LONGLONG *start, LONGLONG *end) override;
  HRESULT SetMediaTime(const LONGLONG *start, const LONGLONG *end) override;

private:
  explicit MediaSample(LONG size);

  std::vector<BYTE> buffer_;
  BYTE *planes_[3] = {nullptr, nullptr, nullptr}; // set only over planes
  LONG strides_[3] = {0, 0, 0};
  LONG planeSize_ = 0;
  std::shared_ptr<const void> keep_;
  LONG actual_ = 0;
  media::MaybeStreamTime start_, stop_;
  std::optional<LONGLONG> mediaStart_, mediaStop_;
  bool sync_ = false, preroll_ = false, discontinuity_ = false;
  std::unique_ptr<MediaType> typeChange_;
};

} // namespace graph

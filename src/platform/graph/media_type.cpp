#include "graph/media_type.h"

#include <cstring>
#include <utility>

namespace graph {

namespace {
AM_MEDIA_TYPE Zero() {
  AM_MEDIA_TYPE mt;
  std::memset(&mt, 0, sizeof mt);
  return mt;
}
} // namespace

MediaType::MediaType() : mt_(Zero()) {}

MediaType::MediaType(REFGUID major, REFGUID sub, REFGUID format) : mt_(Zero()) {
  mt_.majortype = major;
  mt_.subtype = sub;
  mt_.formattype = format;
}

MediaType::MediaType(const AM_MEDIA_TYPE &mt) : mt_(Zero()) {
  if (FAILED(CopyMediaType(&mt_, &mt))) mt_ = Zero();
}

MediaType::MediaType(const MediaType &other) : MediaType(other.mt_) {}

MediaType::MediaType(MediaType &&other) noexcept : mt_(std::exchange(other.mt_, Zero())) {}

MediaType &MediaType::operator=(const MediaType &other) {
  if (this != &other) *this = other.mt_;
  return *this;
}

MediaType &MediaType::operator=(MediaType &&other) noexcept {
  if (this != &other) {
    FreeMediaType(mt_);
    mt_ = std::exchange(other.mt_, Zero());
  }
  return *this;
}

MediaType &MediaType::operator=(const AM_MEDIA_TYPE &mt) {
  if (&mt == &mt_) return *this;
  AM_MEDIA_TYPE copy = Zero();
  if (FAILED(CopyMediaType(&copy, &mt))) copy = Zero();
  FreeMediaType(mt_);
  mt_ = copy;
  return *this;
}

MediaType::~MediaType() { FreeMediaType(mt_); }

HRESULT MediaType::SetFormat(REFGUID formatType, const void *data, std::size_t size) {
  BYTE *block = nullptr;
  if (data && size) {
    block = static_cast<BYTE *>(CoTaskMemAlloc(size));
    if (!block) return E_OUTOFMEMORY;
    std::memcpy(block, data, size);
  }
  if (mt_.pbFormat) CoTaskMemFree(mt_.pbFormat);
  mt_.formattype = formatType;
  mt_.pbFormat = block;
  mt_.cbFormat = block ? static_cast<ULONG>(size) : 0;
  return S_OK;
}

void MediaType::SetSampleSize(ULONG bytes) {
  mt_.lSampleSize = bytes;
  mt_.bFixedSizeSamples = bytes ? TRUE : FALSE;
}

void MediaType::Clear() {
  FreeMediaType(mt_);
  mt_ = Zero();
}

bool MediaType::IsPartiallySpecified() const {
  return mt_.majortype == GUID_NULL || mt_.subtype == GUID_NULL;
}

bool MediaType::MatchesPartial(const AM_MEDIA_TYPE &full) const {
  if (mt_.majortype != GUID_NULL && mt_.majortype != full.majortype) return false;
  if (mt_.subtype != GUID_NULL && mt_.subtype != full.subtype) return false;
  if (mt_.formattype != GUID_NULL) {
    if (mt_.formattype != full.formattype) return false;
    if (mt_.cbFormat &&
        (mt_.cbFormat != full.cbFormat || !full.pbFormat || std::memcmp(mt_.pbFormat, full.pbFormat, mt_.cbFormat) != 0))
      return false;
  }
  return true;
}

AM_MEDIA_TYPE *MediaType::CreateCopy() const { return CreateMediaType(&mt_); }

HRESULT MediaType::CopyTo(AM_MEDIA_TYPE *target) const { return CopyMediaType(target, &mt_); }

bool SameMediaType(const AM_MEDIA_TYPE &a, const AM_MEDIA_TYPE &b) {
  if (a.majortype != b.majortype || a.subtype != b.subtype || a.formattype != b.formattype) return false;
  if (a.cbFormat != b.cbFormat) return false;
  return a.cbFormat == 0 || (a.pbFormat && b.pbFormat && std::memcmp(a.pbFormat, b.pbFormat, a.cbFormat) == 0);
}

bool operator==(const MediaType &a, const MediaType &b) { return SameMediaType(a.mt_, b.mt_); }
bool operator==(const MediaType &a, const AM_MEDIA_TYPE &b) { return SameMediaType(a.mt_, b); }

} // namespace graph

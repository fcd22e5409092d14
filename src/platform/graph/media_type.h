// MediaType: an owning, copyable wrapper over AM_MEDIA_TYPE (format block and pUnk
// included). Comparisons and partial matching for connection negotiation.
#pragma once

#include "dshow/strmif.h"

#include <cstddef>

namespace graph {

class MediaType {
public:
  MediaType();                                   // all zero: matches nothing
  MediaType(REFGUID major, REFGUID sub, REFGUID format = GUID_NULL);
  explicit MediaType(const AM_MEDIA_TYPE &mt);   // deep copy
  MediaType(const MediaType &other);
  MediaType(MediaType &&other) noexcept;
  MediaType &operator=(const MediaType &other);
  MediaType &operator=(MediaType &&other) noexcept;
  MediaType &operator=(const AM_MEDIA_TYPE &mt);
  ~MediaType();

  const AM_MEDIA_TYPE &Get() const { return mt_; }
  AM_MEDIA_TYPE *Ptr() { return &mt_; }
  const GUID &Major() const { return mt_.majortype; }
  const GUID &Sub() const { return mt_.subtype; }
  const GUID &FormatType() const { return mt_.formattype; }
  const BYTE *Format() const { return mt_.pbFormat; }
  ULONG FormatSize() const { return mt_.cbFormat; }

  // Replaces the format block with a copy of `size` bytes (nullptr/0 clears it).
  HRESULT SetFormat(REFGUID formatType, const void *data, std::size_t size);
  void SetSampleSize(ULONG bytes);              // also sets bFixedSizeSamples
  void Clear();                                 // back to all zero

  // GUID_NULL major or subtype acts as a wildcard.
  bool IsPartiallySpecified() const;
  // True when every field this type specifies equals the one of `full`.
  bool MatchesPartial(const AM_MEDIA_TYPE &full) const;

  // A copy in task memory for out parameters (free with DeleteMediaType).
  AM_MEDIA_TYPE *CreateCopy() const;
  HRESULT CopyTo(AM_MEDIA_TYPE *target) const;

  // Major, sub, format type and format bytes equal.
  friend bool operator==(const MediaType &a, const MediaType &b);
  friend bool operator==(const MediaType &a, const AM_MEDIA_TYPE &b);

private:
  AM_MEDIA_TYPE mt_;
};

bool SameMediaType(const AM_MEDIA_TYPE &a, const AM_MEDIA_TYPE &b);

} // namespace graph

// Enumerators handed out by filters, pins and the graph (internal to graph/).
#pragma once

#include "graph/filter_base.h"

#include <vector>

namespace graph {

// Media types: a snapshot of copies taken when the enumerator is made.
class MediaTypeEnumerator final : public ComObject<IEnumMediaTypes> {
public:
  explicit MediaTypeEnumerator(std::vector<MediaType> types, std::size_t position = 0);
  HRESULT QueryInterface(REFIID iid, void **object) override;
  HRESULT Next(ULONG count, AM_MEDIA_TYPE **types, ULONG *fetched) override;
  HRESULT Skip(ULONG count) override;
  HRESULT Reset() override;
  HRESULT Clone(IEnumMediaTypes **clone) override;

private:
  std::vector<MediaType> types_;
  std::size_t position_;
};

// A filter's pins, read live through GetPin; VFW_E_ENUM_OUT_OF_SYNC once the
// filter's pin set changed, until Reset.
class PinEnumerator final : public ComObject<IEnumPins> {
public:
  explicit PinEnumerator(BaseFilter *filter, int position = 0);
  HRESULT QueryInterface(REFIID iid, void **object) override;
  HRESULT Next(ULONG count, IPin **pins, ULONG *fetched) override;
  HRESULT Skip(ULONG count) override;
  HRESULT Reset() override;
  HRESULT Clone(IEnumPins **clone) override;

private:
  ComPtr<BaseFilter> filter_;
  unsigned version_;
  int position_;
};

// Filters of a graph: a counted snapshot.
class FilterEnumerator final : public ComObject<IEnumFilters> {
public:
  explicit FilterEnumerator(std::vector<ComPtr<IBaseFilter>> filters, std::size_t position = 0);
  HRESULT QueryInterface(REFIID iid, void **object) override;
  HRESULT Next(ULONG count, IBaseFilter **filters, ULONG *fetched) override;
  HRESULT Skip(ULONG count) override;
  HRESULT Reset() override;
  HRESULT Clone(IEnumFilters **clone) override;

private:
  std::vector<ComPtr<IBaseFilter>> filters_;
  std::size_t position_;
};

} // namespace graph

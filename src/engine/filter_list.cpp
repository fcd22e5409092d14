#include "engine/filter_list.h"

TFilterList::TFilterList(IFilterGraph *graph) : graph_(graph) {
  ComPtr<IEnumFilters> filters;
  if (!graph_ || FAILED(graph_->EnumFilters(&filters)) || !filters) return;
  for (;;) {
    ComPtr<IBaseFilter> filter;
    ULONG fetched = 0;
    if (filters->Next(1, &filter, &fetched) != S_OK || !filter) break;
    filters_.push_back(std::move(filter));
  }
}

int TFilterList::Remove(IBaseFilter *filter) {
  for (std::size_t i = 0; i < filters_.size(); ++i) {
    if (filters_[i].Get() == filter) {
      filters_.erase(filters_.begin() + static_cast<std::ptrdiff_t>(i));
      return static_cast<int>(i);
    }
  }
  return -1;
}

TPinList::TPinList(IBaseFilter *filter) : filter_(filter) {
  ComPtr<IEnumPins> pins;
  if (!filter_ || FAILED(filter_->EnumPins(&pins)) || !pins) return;
  for (;;) {
    ComPtr<IPin> pin;
    ULONG fetched = 0;
    if (pins->Next(1, &pin, &fetched) != S_OK || !pin) break;
    pins_.push_back(std::move(pin));
  }
}

bool TPinList::Connected(int index) const {
  ComPtr<IPin> peer;
  return SUCCEEDED(pins_.at(index)->ConnectedTo(&peer)) && peer;
}

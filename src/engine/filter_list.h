// Snapshots of a graph's filters and of a filter's pins, taken by enumeration when the
// list is made.
#pragma once

#include "dshow/strmif.h"

#include <vector>

class TFilterList {
public:
  // Enumerates the graph's filters in the graph's order (empty when the graph is none
  // or cannot enumerate).
  explicit TFilterList(IFilterGraph *graph);

  IFilterGraph *Graph() const { return graph_.Get(); }
  int Count() const { return static_cast<int>(filters_.size()); }
  IBaseFilter *First() const { return filters_.empty() ? nullptr : filters_.front().Get(); }
  IBaseFilter *operator[](int index) const { return filters_.at(index).Get(); }
  // Removes the first entry that is this very filter; returns its index, or -1.
  int Remove(IBaseFilter *filter);

private:
  ComPtr<IFilterGraph> graph_;
  std::vector<ComPtr<IBaseFilter>> filters_;
};

class TPinList {
public:
  // Enumerates the filter's pins (nothing when the filter is none).
  explicit TPinList(IBaseFilter *filter);

  IBaseFilter *Filter() const { return filter_.Get(); }
  int Count() const { return static_cast<int>(pins_.size()); }
  IPin *operator[](int index) const { return pins_.at(index).Get(); }
  // Whether the pin at index has a peer.
  bool Connected(int index) const;

private:
  ComPtr<IBaseFilter> filter_;
  std::vector<ComPtr<IPin>> pins_;
};

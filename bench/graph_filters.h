// The first filter of a built graph that offers interface I, for the benchmarks
// that reach the renderer or the navigator of a graph they did not build themselves.
#pragma once

#include "media/playback.h"

template <class I> ComPtr<I> FirstFilterWith(IGraphBuilder *graph) {
  ComPtr<IEnumFilters> filters;
  if (FAILED(graph->EnumFilters(&filters))) return nullptr;
  ComPtr<IBaseFilter> f;
  while (filters->Next(1, &f, nullptr) == S_OK) {
    ComPtr<I> wanted;
    if (SUCCEEDED(f->QueryInterface(IID_PPV_ARGS(&wanted))) && wanted) return wanted;
  }
  return nullptr;
}

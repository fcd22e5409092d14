// How the graph manager and the builders choose and create filters (internal to the
// platform's builders): the catalogue of filter classes that can be put into a graph
// on their own, the moniker that names one of them, and the callbacks of the graph's
// site, asked before and after each filter is created and for a pin nothing renders.
//
// All of these run on the thread that builds the graph.
#pragma once

#include "dshow/strmif.h"

#include <string>
#include <utility>
#include <vector>

namespace graph {

struct CatalogFilter {
  CLSID clsid;
  std::u16string friendlyName;
  DWORD merit = 0; // higher first
  std::vector<std::pair<GUID, GUID>> inputs; // major type, subtype (GUID_NULL: any subtype)
};

// Adds or replaces a class in the catalogue; RevokeCatalogFilter takes it out again.
void RegisterCatalogFilter(CatalogFilter filter);
void RevokeCatalogFilter(REFCLSID clsid);
// Classes that take the type on an input, registered with the class registry, best
// merit first (catalogue order among equals).
std::vector<CatalogFilter> MatchingFilters(REFGUID major, REFGUID subtype);
// The catalogue entry of a class, or one named after `fallbackName`.
CatalogFilter CatalogEntryOf(REFCLSID clsid, const std::u16string &fallbackName);

// A moniker for a catalogue class: its property bag holds "CLSID" (braced text) and
// "FriendlyName"; BindToObject creates the filter through the class registry.
ComPtr<IMoniker> CreateFilterMoniker(const CatalogFilter &filter);

// Asks the site of `graph` (IAMGraphBuilderCallback::SelectedFilter), creates the
// filter, asks the site again (CreatedFilter). Null when the class is refused
// before or after creation or cannot be created; *refused tells a refusal apart.
// Each step is written to the graph's log.
ComPtr<IBaseFilter> CreateSelectedFilter(IUnknown *graph, const CatalogFilter &filter, bool *refused = nullptr);

// IAMFilterGraphCallback::UnableToRenderPin of the graph's site; S_FALSE without one.
HRESULT UnableToRenderPin(IUnknown *graph, IPin *pin);

// Writes a line to the graph's log when the graph is this platform's and logging.
void LogToGraph(IUnknown *graph, const std::string &line);

} // namespace graph

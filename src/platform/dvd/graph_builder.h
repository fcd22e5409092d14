// The DVD graph builder (CLSID_DvdGraphBuilder): finds the volume, adds the navigator
// to its graph and renders each stream through decoders and renderers made by the
// class registry.
#pragma once

#include "dshow/dshow.h"

#include <string>
#include <vector>

namespace dvd {

HRESULT CreateDvdGraphBuilder(REFIID iid, void **object);

// Where the builder looks for a volume when given no path (tests replace it).
void SetDriveListForTests(std::vector<std::string> drives);

} // namespace dvd

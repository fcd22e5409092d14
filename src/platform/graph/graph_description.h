// Reading a filter graph for outside inspection (internal to graph/): the view the
// running object table publishes, and the media type names the log shares.
#pragma once

#include "dshow/strmif.h"
#include "win/running_objects.h"

#include <string>

namespace graph {

// A filter graph's state, filters, pins and connections, read through its
// interfaces only. Not described (described = false) for anything but a graph.
RunningObjectView DescribeGraph(IUnknown *object);

// "Video", "MPEG2_VIDEO"... for the types of this platform, the braced GUID otherwise.
std::string MediaTypeName(REFGUID guid);
// "720x480 4:3 29.970 fps", "48000 Hz 2 ch 32-bit float", "none", "<guid> 12 bytes".
std::string FormatSummary(const AM_MEDIA_TYPE &mt);

} // namespace graph

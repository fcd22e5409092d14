#include "graph/graph_description.h"

#include "dshow/control.h"
#include "dshow/errors.h"
#include "dshow/uuids.h"
#include "graph/dvd_stream.h"
#include "graph/graph_log.h"
#include "graph/raw_formats.h"

#include <cstdio>
#include <cstring>
#include <utility>

namespace graph {

namespace {

struct Named {
  const GUID *guid;
  const char *name;
};

const Named kNames[] = {
    {&MEDIATYPE_Video, "Video"},
    {&MEDIATYPE_Audio, "Audio"},
    {&MEDIATYPE_Stream, "Stream"},
    {&MEDIATYPE_MPEG2_PES, "MPEG2_PES"},
    {&MEDIATYPE_DVD_ENCRYPTED_PACK, "DVD_ENCRYPTED_PACK"},
    {&MEDIATYPE_DVD_NAVIGATION, "DVD_NAVIGATION"},
    {&MEDIASUBTYPE_MPEG2_VIDEO, "MPEG2_VIDEO"},
    {&MEDIASUBTYPE_MPEG2_AUDIO, "MPEG2_AUDIO"},
    {&MEDIASUBTYPE_DOLBY_AC3, "DOLBY_AC3"},
    {&MEDIASUBTYPE_DVD_SUBPICTURE, "DVD_SUBPICTURE"},
    {&MEDIASUBTYPE_DVD_LPCM_AUDIO, "DVD_LPCM_AUDIO"},
    {&MEDIASUBTYPE_DTS, "DTS"},
    {&MEDIASUBTYPE_MPEG1AudioPayload, "MPEG1AudioPayload"},
    {&MEDIASUBTYPE_PCM, "PCM"},
    {&MEDIASUBTYPE_RGB32, "RGB32"},
    {&MEDIASUBTYPE_ARGB32, "ARGB32"},
};

template <class T> bool FormatAs(const AM_MEDIA_TYPE &mt, T *out) {
  if (!mt.pbFormat || mt.cbFormat < sizeof(T)) return false;
  std::memcpy(out, mt.pbFormat, sizeof(T));
  return true;
}

std::string Printf(const char *format, auto... args) {
  char buf[128];
  std::snprintf(buf, sizeof buf, format, args...);
  return buf;
}

std::string NameOf(IBaseFilter *filter) {
  FILTER_INFO info{};
  if (FAILED(filter->QueryFilterInfo(&info))) return "?";
  if (info.pGraph) info.pGraph->Release();
  info.achName[MAX_FILTER_NAME - 1] = 0;
  return ToUtf8(info.achName);
}

// "filter/pin" of a pin, with its filter's name in the graph.
std::string PinPath(IPin *pin) {
  PIN_INFO info{};
  if (FAILED(pin->QueryPinInfo(&info))) return "?";
  std::string filter = "?";
  if (info.pFilter) {
    filter = NameOf(info.pFilter);
    info.pFilter->Release();
  }
  info.achName[MAX_PIN_NAME - 1] = 0;
  return filter + "/" + ToUtf8(info.achName);
}

std::string StateName(IUnknown *object) {
  ComPtr<IMediaControl> control;
  if (FAILED(object->QueryInterface(IID_PPV_ARGS(&control))) || !control) return "Unknown";
  OAFilterState state = State_Stopped;
  const HRESULT hr = control->GetState(0, &state);
  if (FAILED(hr)) return "Unknown";
  std::string name = state == State_Running ? "Running" : state == State_Paused ? "Paused" : "Stopped";
  if (hr == VFW_S_STATE_INTERMEDIATE) name += " (changing)";
  return name;
}

} // namespace

std::string MediaTypeName(REFGUID guid) {
  for (const Named &n : kNames)
    if (*n.guid == guid) return n.name;
  return GuidToString(guid);
}

std::string FormatSummary(const AM_MEDIA_TYPE &mt) {
  if (mt.formattype == FORMAT_RgbFrame) {
    RgbFrameFormat f{};
    if (FormatAs(mt, &f)) {
      std::string s = Printf("%ldx%ld %ld:%ld", long(f.width), long(f.height), long(f.aspectX), long(f.aspectY));
      if (f.frameDuration > 0) s += Printf(" %.3f fps", double(UNITS) / double(f.frameDuration));
      return s;
    }
  } else if (mt.formattype == FORMAT_PcmAudio) {
    PcmAudioFormat f{};
    if (FormatAs(mt, &f))
      return Printf("%ld Hz %ld ch %ld-bit %s", long(f.sampleRate), long(f.channels), long(f.bitsPerSample),
                    f.isFloat ? "float" : "integer");
  } else if (mt.majortype == MEDIATYPE_DVD_ENCRYPTED_PACK) {
    DvdVideoFormat v{};
    DvdAudioFormat a{};
    if (mt.subtype == MEDIASUBTYPE_MPEG2_VIDEO && FormatAs(mt, &v))
      return Printf("%ldx%ld %ld:%ld %.3f fps", long(v.width), long(v.height), long(v.aspectX), long(v.aspectY),
                    v.framesPerSecondTimes1000 / 1000.0);
    if (mt.subtype != MEDIASUBTYPE_DVD_SUBPICTURE && mt.subtype != MEDIASUBTYPE_MPEG2_VIDEO && FormatAs(mt, &a))
      return Printf("%ld Hz %ld ch", long(a.sampleRate), long(a.channels));
  }
  if (!mt.pbFormat || mt.cbFormat == 0) return "none";
  return GuidToString(mt.formattype) + Printf(" %lu bytes", static_cast<unsigned long>(mt.cbFormat));
}

RunningObjectView DescribeGraph(IUnknown *object) {
  RunningObjectView view;
  ComPtr<IFilterGraph> graph;
  if (!object || FAILED(object->QueryInterface(IID_PPV_ARGS(&graph))) || !graph) return view;
  view.described = true;
  view.kind = "FilterGraph";
  view.state = StateName(object);

  ComPtr<IEnumFilters> filters;
  if (FAILED(graph->EnumFilters(&filters)) || !filters) return view;
  ComPtr<IBaseFilter> filter;
  while (filters->Next(1, &filter, nullptr) == S_OK && filter) {
    CLSID clsid = GUID_NULL;
    filter->GetClassID(&clsid);
    const std::string name = NameOf(filter.Get());
    view.filters.push_back({name, GuidToString(clsid)});

    ComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(&pins)) || !pins) continue;
    ComPtr<IPin> pin;
    while (pins->Next(1, &pin, nullptr) == S_OK && pin) {
      PIN_INFO info{};
      std::string pinName = "?";
      PIN_DIRECTION dir = PINDIR_INPUT;
      if (SUCCEEDED(pin->QueryPinInfo(&info))) {
        if (info.pFilter) info.pFilter->Release();
        info.achName[MAX_PIN_NAME - 1] = 0;
        pinName = ToUtf8(info.achName);
        dir = info.dir;
      }
      ComPtr<IPin> peer;
      const bool connected = pin->ConnectedTo(&peer) == S_OK && peer;
      view.pins.push_back({name, pinName, dir == PINDIR_OUTPUT ? "out" : "in", connected ? PinPath(peer.Get()) : ""});
      if (!connected || dir != PINDIR_OUTPUT) continue;
      RunningObjectView::Connection c{name + "/" + pinName, PinPath(peer.Get()), "", "", ""};
      AM_MEDIA_TYPE mt{};
      if (SUCCEEDED(pin->ConnectionMediaType(&mt))) {
        c.majorType = MediaTypeName(mt.majortype);
        c.subtype = MediaTypeName(mt.subtype);
        c.format = FormatSummary(mt);
        FreeMediaType(mt);
      }
      view.connections.push_back(std::move(c));
    }
  }
  return view;
}

} // namespace graph

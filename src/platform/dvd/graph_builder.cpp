#include "dvd/graph_builder.h"

#include "dvd/navigator.h"
#include "graph/builder_callbacks.h"
#include "graph/graph_log.h"
#include "dvd/volume.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace dvd {
namespace {

std::mutex g_drivesLock;
std::optional<std::vector<std::string>> g_drives;

std::vector<std::string> Drives() {
  std::lock_guard g(g_drivesLock);
  return g_drives ? *g_drives : DefaultDrives();
}

bool ClassOf(IBaseFilter *f, const CLSID &clsid) {
  CLSID c{};
  return SUCCEEDED(f->GetClassID(&c)) && c == clsid;
}

// The first pin of `f` in direction `dir` that is not connected.
ComPtr<IPin> FreePin(IBaseFilter *f, PIN_DIRECTION dir, IPin *after = nullptr) {
  ComPtr<IEnumPins> pins;
  if (FAILED(f->EnumPins(&pins)) || !pins) return nullptr;
  ComPtr<IPin> pin;
  bool passed = after == nullptr;
  while (pins->Next(1, &pin, nullptr) == S_OK) {
    if (!passed) {
      passed = pin.Get() == after;
      continue;
    }
    PIN_DIRECTION d;
    ComPtr<IPin> peer;
    if (SUCCEEDED(pin->QueryDirection(&d)) && d == dir && pin->ConnectedTo(&peer) == VFW_E_NOT_CONNECTED)
      return pin;
  }
  return nullptr;
}

class DvdGraphBuilder : public ComObject<IDvdGraphBuilder> {
public:
  HRESULT QueryInterface(REFIID iid, void **object) override { return QueryFrom<IDvdGraphBuilder>(iid, object); }

  HRESULT GetFiltergraph(IGraphBuilder **graph) override {
    if (!graph) return E_POINTER;
    *graph = nullptr;
    HRESULT hr = EnsureGraph();
    if (FAILED(hr)) return hr;
    return graph_.CopyTo(graph);
  }

  HRESULT GetDvdInterface(REFIID iid, void **object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IDvdControl2 && iid != IID_IDvdInfo2) return E_NOINTERFACE;
    HRESULT hr = EnsureNavigator();
    if (FAILED(hr)) return hr;
    return navigator_->QueryInterface(iid, object);
  }

  HRESULT RenderDvdVideoVolume(LPCWSTR path, DWORD, AM_DVD_RENDERSTATUS *status) override {
    AM_DVD_RENDERSTATUS local{};
    if (!status) status = &local;
    *status = {};
    HRESULT hr = EnsureGraph();
    if (FAILED(hr)) return hr;
    std::string open;
    if (path && *path) {
      switch (CheckVolume(WideToUtf8(path), &open)) {
      case VolumeCheck::Ok: break;
      case VolumeCheck::NotDvd: status->bDvdVolInvalid = TRUE; return S_FALSE;
      case VolumeCheck::Unreadable: return HRESULT_FROM_WIN32(ERROR_READ_FAULT);
      case VolumeCheck::NotReady: return HRESULT_FROM_WIN32(ERROR_NOT_READY);
      }
    } else if (!FindVolume(Drives(), &open)) {
      status->bDvdVolUnknown = TRUE;
      return S_FALSE;
    }
    hr = EnsureNavigator();
    if (FAILED(hr)) return hr;
    FILTER_INFO info{};
    if (SUCCEEDED(navigator_->QueryFilterInfo(&info)) && info.pGraph) {
      bool ours = info.pGraph == static_cast<IFilterGraph *>(graph_.Get());
      info.pGraph->Release();
      if (!ours) return VFW_E_DVD_RENDERFAIL;
    } else {
      hr = graph_->AddFilter(navigator_.Get(), u"DVD Navigator");
      if (FAILED(hr)) return hr;
    }
    hr = static_cast<Navigator *>(navigator_.Get())->OpenVolume(open);
    if (FAILED(hr)) return hr;

    ComPtr<IBaseFilter> videoDecoder;
    const bool video = RenderStream(StreamKind::Video, [&] { return RenderVideo(videoDecoder); });
    const bool audio = RenderStream(StreamKind::Audio, [&] { return RenderAudio(); });
    const bool subpicture = RenderStream(StreamKind::Subpicture, [&] { return RenderSubpicture(videoDecoder.Get()); });
    status->iNumStreams = 3;
    if (!video) status->dwFailedStreamsFlag |= AM_DVD_STREAM_VIDEO;
    if (!audio) status->dwFailedStreamsFlag |= AM_DVD_STREAM_AUDIO;
    if (!subpicture) status->dwFailedStreamsFlag |= AM_DVD_STREAM_SUBPIC;
    status->iNumStreamsFailed = !video + !audio + !subpicture;
    graph::LogToGraph(graph_.Get(), std::string("Rendered the DVD volume ") + open + ": video " + (video ? "ok" : "failed") +
                                        ", audio " + (audio ? "ok" : "failed") + ", subpicture " +
                                        (subpicture ? "ok" : "failed"));
    return status->iNumStreamsFailed ? S_FALSE : S_OK;
  }

  ~DvdGraphBuilder() override = default;

private:
  HRESULT EnsureGraph() {
    if (graph_) return S_OK;
    return CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                            reinterpret_cast<void **>(graph_.ReleaseAndGetAddressOf()));
  }

  HRESULT EnsureNavigator() {
    if (navigator_) return S_OK;
    return Navigator::Create(IID_IBaseFilter, reinterpret_cast<void **>(navigator_.ReleaseAndGetAddressOf()));
  }

  ComPtr<IPin> NavPin(StreamKind kind) {
    return ComPtr<IPin>(&static_cast<Navigator *>(navigator_.Get())->Pin(kind));
  }

  // A filter of class `clsid` added to the graph, or null (class missing, or refused
  // by the graph's site before or after creation).
  ComPtr<IBaseFilter> Add(const CLSID &clsid, const char16_t *name) {
    return Add(graph::CatalogEntryOf(clsid, name));
  }
  ComPtr<IBaseFilter> Add(const graph::CatalogFilter &entry) {
    ComPtr<IBaseFilter> f = graph::CreateSelectedFilter(graph_.Get(), entry);
    if (!f || FAILED(graph_->AddFilter(f.Get(), entry.friendlyName.c_str()))) return nullptr;
    return f;
  }

  // The decoders that take the stream's type, best first; the platform's own class
  // when the catalogue has none.
  std::vector<graph::CatalogFilter> DecodersFor(StreamKind kind, const CLSID &own, const char16_t *ownName) {
    std::vector<graph::CatalogFilter> list;
    ComPtr<IEnumMediaTypes> types;
    AM_MEDIA_TYPE *mt = nullptr;
    if (SUCCEEDED(NavPin(kind)->EnumMediaTypes(&types)) && types && types->Next(1, &mt, nullptr) == S_OK && mt) {
      list = graph::MatchingFilters(mt->majortype, mt->subtype);
      DeleteMediaType(mt);
    }
    if (list.empty()) list.push_back(graph::CatalogEntryOf(own, ownName));
    return list;
  }

  // A stream nothing renders is offered to the site's filter graph callback; its S_OK
  // makes the builder try the stream once more.
  bool RenderStream(StreamKind kind, const std::function<bool()> &attempt) {
    if (attempt()) return true;
    ComPtr<IPin> pin = NavPin(kind);
    if (graph::UnableToRenderPin(graph_.Get(), pin.Get()) != S_OK) return false;
    return attempt();
  }

  // Connects `out` to some free input pin of `to`.
  bool ConnectTo(IPin *out, IBaseFilter *to) {
    ComPtr<IPin> in;
    IPin *after = nullptr;
    while ((in = FreePin(to, PINDIR_INPUT, after))) {
      if (SUCCEEDED(graph_->ConnectDirect(out, in.Get(), nullptr))) return true;
      after = in.Get();
    }
    return false;
  }

  // Decoder then renderer for one stream, trying each decoder in turn; the filters an
  // attempt added go again when it fails.
  bool RenderThrough(StreamKind kind, const std::vector<graph::CatalogFilter> &decoders, IBaseFilter *renderer,
                     const CLSID &rendererClass, const char16_t *rendererName, ComPtr<IBaseFilter> *decoderOut) {
    for (const graph::CatalogFilter &candidate : decoders)
      if (RenderThrough(kind, candidate, renderer, rendererClass, rendererName, decoderOut)) return true;
    return false;
  }

  bool RenderThrough(StreamKind kind, const graph::CatalogFilter &decoderClass, IBaseFilter *renderer,
                     const CLSID &rendererClass, const char16_t *rendererName, ComPtr<IBaseFilter> *decoderOut) {
    ComPtr<IPin> out = NavPin(kind);
    ComPtr<IBaseFilter> decoder = Add(decoderClass);
    if (!decoder) return false;
    ComPtr<IBaseFilter> ownRenderer;
    bool ok = ConnectTo(out.Get(), decoder.Get());
    if (ok && !renderer) {
      ownRenderer = Add(rendererClass, rendererName);
      renderer = ownRenderer.Get();
    }
    ComPtr<IPin> decoded = ok ? FreePin(decoder.Get(), PINDIR_OUTPUT) : nullptr;
    ok = ok && renderer && decoded && ConnectTo(decoded.Get(), renderer);
    if (!ok) {
      graph_->RemoveFilter(decoder.Get()); // also breaks its connections
      if (ownRenderer) graph_->RemoveFilter(ownRenderer.Get());
      return false;
    }
    if (decoderOut) *decoderOut = decoder;
    return true;
  }

  // A video renderer already in the graph with a free input (the video window's own).
  ComPtr<IBaseFilter> ExistingVideoRenderer() {
    ComPtr<IEnumFilters> filters;
    if (FAILED(graph_->EnumFilters(&filters)) || !filters) return nullptr;
    ComPtr<IBaseFilter> f;
    while (filters->Next(1, &f, nullptr) == S_OK)
      if ((ClassOf(f.Get(), CLSID_VideoRenderer) || ClassOf(f.Get(), CLSID_VideoMixingRenderer9)) &&
          FreePin(f.Get(), PINDIR_INPUT))
        return f;
    return nullptr;
  }

  bool RenderVideo(ComPtr<IBaseFilter> &decoder) {
    ComPtr<IBaseFilter> renderer = ExistingVideoRenderer();
    return RenderThrough(StreamKind::Video, DecodersFor(StreamKind::Video, CLSID_MpegVideoDecoder, u"MPEG Video Decoder"),
                         renderer.Get(), CLSID_VideoRenderer, u"Video Renderer", std::addressof(decoder));
  }

  bool RenderAudio() {
    return RenderThrough(StreamKind::Audio, DecodersFor(StreamKind::Audio, CLSID_DvdAudioDecoder, u"DVD Audio Decoder"),
                         nullptr, CLSID_DSoundRender, u"Audio Renderer", nullptr);
  }

  bool RenderSubpicture(IBaseFilter *videoDecoder) {
    ComPtr<IPin> out = NavPin(StreamKind::Subpicture);
    // The video decoder's own subpicture input, when it has one.
    if (videoDecoder && ConnectTo(out.Get(), videoDecoder)) return true;
    ComPtr<IBaseFilter> decoder = Add(CLSID_SubpictureDecoder, u"Subpicture Decoder");
    if (!decoder) return false;
    ComPtr<IPin> decoded;
    bool ok = ConnectTo(out.Get(), decoder.Get()) && (decoded = FreePin(decoder.Get(), PINDIR_OUTPUT));
    if (ok) {
      ComPtr<IBaseFilter> renderer = ExistingVideoRenderer();
      ok = (videoDecoder && ConnectTo(decoded.Get(), videoDecoder)) || (renderer && ConnectTo(decoded.Get(), renderer.Get()));
    }
    if (!ok) graph_->RemoveFilter(decoder.Get());
    return ok;
  }

  ComPtr<IGraphBuilder> graph_;
  ComPtr<IBaseFilter> navigator_;
};

} // namespace

HRESULT CreateDvdGraphBuilder(REFIID iid, void **object) { return CreateComObject<DvdGraphBuilder>(iid, object); }

void SetDriveListForTests(std::vector<std::string> drives) {
  std::lock_guard g(g_drivesLock);
  g_drives = std::move(drives);
}

} // namespace dvd

#include "dvd/navigator.h"

#include "dshow/errors.h"
#include "dshow/uuids.h"

#include <limits>
#include <vector>

namespace dvd {
namespace {
const GUID &SubtypeFor(AudioCoding coding) {
  switch (coding) {
  case AudioCoding::Mpeg: return MEDIASUBTYPE_MPEG2_AUDIO;
  case AudioCoding::Lpcm: return MEDIASUBTYPE_DVD_LPCM_AUDIO;
  case AudioCoding::Dts: return MEDIASUBTYPE_DTS;
  default: return MEDIASUBTYPE_DOLBY_AC3;
  }
}

// The format the streams have before the first title set is reached.
StreamFormat FirstFormat(const DiscInfo &disc, StreamKind kind) {
  StreamFormat f;
  f.kind = kind;
  const StreamSet *set = &disc.videoManagerMenus;
  if (!disc.titleSets.empty()) set = &disc.titleSets[0].titles;
  f.video.width = set->video.width;
  f.video.height = set->video.height;
  f.video.aspectX = set->video.wide ? 16 : 4;
  f.video.aspectY = set->video.wide ? 9 : 3;
  f.video.letterboxAllowed = set->video.letterboxAllowed ? TRUE : FALSE;
  f.video.framesPerSecondTimes1000 = set->video.pal ? 25000 : 29970;
  f.coding = set->audio.empty() ? AudioCoding::Ac3 : set->audio[0].coding;
  if (f.coding == AudioCoding::None) f.coding = AudioCoding::Ac3;
  f.audio.sampleRate = 48000;
  f.audio.channels = 2;
  if (!set->audio.empty()) {
    f.audio.sampleRate = set->audio[0].sampleRate;
    f.audio.channels = set->audio[0].channels;
    f.audio.bitsPerSample = set->audio[0].bitsPerSample;
    f.audio.languageCode = set->audio[0].language;
  }
  if (!set->subpictureLanguages.empty()) f.subpicture.languageCode = set->subpictureLanguages[0];
  return f;
}
} // namespace

graph::MediaType MediaTypeFor(const StreamFormat &f) {
  switch (f.kind) {
  case StreamKind::Video: {
    graph::MediaType mt(MEDIATYPE_DVD_ENCRYPTED_PACK, MEDIASUBTYPE_MPEG2_VIDEO, FORMAT_None);
    mt.SetFormat(FORMAT_None, &f.video, sizeof f.video);
    return mt;
  }
  case StreamKind::Audio: {
    graph::MediaType mt(MEDIATYPE_DVD_ENCRYPTED_PACK, SubtypeFor(f.coding), FORMAT_None);
    mt.SetFormat(FORMAT_None, &f.audio, sizeof f.audio);
    return mt;
  }
  default: {
    graph::MediaType mt(MEDIATYPE_DVD_ENCRYPTED_PACK, MEDIASUBTYPE_DVD_SUBPICTURE, FORMAT_None);
    mt.SetFormat(FORMAT_None, &f.subpicture, sizeof f.subpicture);
    return mt;
  }
  }
}

// --- Pins ----------------------------------------------------------------------------

NavigatorPin::NavigatorPin(Navigator *nav, std::u16string name, StreamKind kind)
    : OutputPin(nav, std::move(name)), nav_(nav), kind_(kind) {}

HRESULT NavigatorPin::CheckMediaType(const AM_MEDIA_TYPE &mt) {
  if (mt.majortype != MEDIATYPE_DVD_ENCRYPTED_PACK) return VFW_E_TYPE_NOT_ACCEPTED;
  switch (kind_) {
  case StreamKind::Video: return mt.subtype == MEDIASUBTYPE_MPEG2_VIDEO ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
  case StreamKind::Audio:
    return mt.subtype == MEDIASUBTYPE_DOLBY_AC3 || mt.subtype == MEDIASUBTYPE_MPEG2_AUDIO ||
                   mt.subtype == MEDIASUBTYPE_DVD_LPCM_AUDIO || mt.subtype == MEDIASUBTYPE_DTS
               ? S_OK
               : VFW_E_TYPE_NOT_ACCEPTED;
  default: return mt.subtype == MEDIASUBTYPE_DVD_SUBPICTURE ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
  }
}

HRESULT NavigatorPin::GetMediaType(int index, graph::MediaType *mt) {
  StreamFormat f = FirstFormat(nav_->Engine().Disc(), kind_);
  if (kind_ == StreamKind::Audio) {
    // The disc's first coding first, then the others a decoder may take.
    std::vector<AudioCoding> order = {f.coding};
    for (AudioCoding c : {AudioCoding::Ac3, AudioCoding::Mpeg, AudioCoding::Lpcm, AudioCoding::Dts})
      if (c != f.coding) order.push_back(c);
    if (index < 0 || index >= static_cast<int>(order.size())) return S_FALSE;
    f.coding = order[static_cast<std::size_t>(index)];
    *mt = MediaTypeFor(f);
    return S_OK;
  }
  if (index != 0) return S_FALSE;
  *mt = MediaTypeFor(f);
  return S_OK;
}

// --- Filter ----------------------------------------------------------------------------

Navigator::Navigator()
    : BaseFilter(CLSID_DVDNavigator, u"DVD Navigator"), video_(this, u"Video", StreamKind::Video),
      audio_(this, u"Audio", StreamKind::Audio), subpicture_(this, u"SubPicture", StreamKind::Subpicture),
      dvd_(this), engine_(this) {}

Navigator::~Navigator() { engine_.Stop(); }

HRESULT Navigator::Create(REFIID iid, void **object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  auto *nav = new (std::nothrow) Navigator();
  if (!nav) return E_OUTOFMEMORY;
  HRESULT hr = nav->QueryInterface(iid, object);
  nav->Release();
  return hr;
}

HRESULT Navigator::OpenVolume(const std::string &path) {
  if (State() != State_Stopped) return VFW_E_NOT_STOPPED;
  HRESULT hr = engine_.Open(path);
  if (SUCCEEDED(hr)) path_ = path;
  return hr;
}

graph::BasePin *Navigator::GetPin(int index) {
  switch (index) {
  case 0: return &video_;
  case 1: return &audio_;
  case 2: return &subpicture_;
  default: return nullptr;
  }
}

NavigatorPin &Navigator::Pin(StreamKind kind) {
  return kind == StreamKind::Video ? video_ : kind == StreamKind::Audio ? audio_ : subpicture_;
}

HRESULT Navigator::QueryExtraInterface(REFIID iid, void **object) {
  if (iid == IID_IDvdControl2) return Expose(static_cast<IDvdControl2 *>(&dvd_), object);
  if (iid == IID_IDvdInfo2) return Expose(static_cast<IDvdInfo2 *>(&dvd_), object);
  return BaseFilter::QueryExtraInterface(iid, object);
}

HRESULT Navigator::OnPause(FILTER_STATE from) {
  ComPtr<IPictureGeometry> renderer;
  if (from == State_Stopped) {
    // Looked up here, on the graph's thread: the navigator's own thread asks it often
    // and must not take the graph's lock for it.
    ComPtr<IEnumFilters> filters;
    if (IFilterGraph *graph = Graph(); graph && SUCCEEDED(graph->EnumFilters(&filters)) && filters) {
      ComPtr<IBaseFilter> f;
      while (!renderer && filters->Next(1, &f, nullptr) == S_OK) f.As(&renderer);
    }
  }
  {
    std::lock_guard g(clockLock_);
    if (from == State_Running) playedBefore_ += WallSinceRun();
    if (from == State_Stopped) renderer_ = renderer;
  }
  engine_.Pause();
  return S_OK;
}

HRESULT Navigator::OnRun(media::StreamTime) {
  {
    std::lock_guard g(clockLock_);
    runWall_ = std::chrono::steady_clock::now();
  }
  engine_.Run();
  return S_OK;
}

HRESULT Navigator::OnStop() {
  // The thread may be blocked in a downstream Receive: a flush lets it go.
  NavigatorPin *pins[] = {&video_, &audio_, &subpicture_};
  for (NavigatorPin *p : pins)
    if (p->IsConnected()) p->DeliverBeginFlush();
  engine_.Stop();
  for (NavigatorPin *p : pins)
    if (p->IsConnected()) p->DeliverEndFlush();
  std::lock_guard g(clockLock_);
  playedBefore_ = media::StreamTime();
  renderer_ = nullptr;
  return S_OK;
}

HRESULT Navigator::PictureGeometry(RECT *dest, LONG *width, LONG *height) {
  IFilterGraph *graph = Graph();
  if (!graph) return VFW_E_NOT_IN_GRAPH;
  ComPtr<IEnumFilters> filters;
  if (FAILED(graph->EnumFilters(&filters)) || !filters) return VFW_E_DVD_GRAPHNOTREADY;
  ComPtr<IBaseFilter> f;
  while (filters->Next(1, &f, nullptr) == S_OK) {
    ComPtr<IPictureGeometry> geometry;
    if (SUCCEEDED(f.As(&geometry)) && geometry && geometry->GetPictureGeometry(dest, width, height) == S_OK)
      return S_OK;
  }
  return VFW_E_DVD_GRAPHNOTREADY;
}

// --- Output ----------------------------------------------------------------------------

void Navigator::DeliverSample(StreamKind kind, const BYTE *data, std::size_t size, const SampleInfo &info) {
  NavigatorPin &pin = Pin(kind);
  if (!pin.IsConnected() || size > static_cast<std::size_t>(std::numeric_limits<LONG>::max())) return;
  graph::SampleRing &ring = kind == StreamKind::Video   ? videoSamples_
                            : kind == StreamKind::Audio ? audioSamples_
                                                        : subpictureSamples_;
  ComPtr<graph::MediaSample> sample = ring.Take(data, static_cast<LONG>(size));
  if (!sample) return;
  if (info.hasTime) {
    const REFERENCE_TIME start = info.start.ticks();
    sample->SetTime(&start, nullptr);
  }
  sample->SetDiscontinuity(info.discontinuity ? TRUE : FALSE);
  sample->SetSyncPoint(info.sync ? TRUE : FALSE);
  sample->SetPreroll(info.preroll ? TRUE : FALSE);
  if (info.newFormat) {
    graph::MediaType mt = MediaTypeFor(*info.newFormat);
    sample->SetMediaType(&mt.Get());
  }
  pin.Deliver(sample.Get());
}

void Navigator::Flush() {
  for (NavigatorPin *p : {&video_, &audio_, &subpicture_}) {
    if (!p->IsConnected()) continue;
    p->DeliverBeginFlush();
    p->DeliverEndFlush();
    p->DeliverNewSegment(media::StreamTime(), media::StreamTime(std::numeric_limits<REFERENCE_TIME>::max()), 1.0);
  }
}

void Navigator::FlushStream(StreamKind kind) {
  NavigatorPin &p = Pin(kind);
  if (!p.IsConnected()) return;
  p.DeliverBeginFlush();
  p.DeliverEndFlush();
  p.DeliverNewSegment(media::StreamTime(), media::StreamTime(std::numeric_limits<REFERENCE_TIME>::max()), 1.0);
}

void Navigator::EndOfStream() {
  for (NavigatorPin *p : {&video_, &audio_, &subpicture_})
    if (p->IsConnected()) p->DeliverEndOfStream();
}

void Navigator::Drain() {
  for (NavigatorPin *p : {&video_, &audio_})
    if (ComPtr<IDvdDecoderControl> c = p->PeerAs<IDvdDecoderControl>()) c->Drain();
}

void Navigator::SetScanMode(bool scanning) {
  for (NavigatorPin *p : {&video_, &audio_})
    if (ComPtr<IDvdDecoderControl> c = p->PeerAs<IDvdDecoderControl>()) c->SetScanMode(scanning ? TRUE : FALSE);
}

void Navigator::SetPalette(const DWORD entries[16]) {
  if (ComPtr<IDvdSubpictureSink> s = subpicture_.PeerAs<IDvdSubpictureSink>()) s->SetPalette(entries);
}

void Navigator::SetHighlight(const DvdHighlight &highlight) {
  if (ComPtr<IDvdSubpictureSink> s = subpicture_.PeerAs<IDvdSubpictureSink>()) s->SetHighlight(&highlight);
}

void Navigator::SetSubpictureDisplay(bool on) {
  if (ComPtr<IDvdSubpictureSink> s = subpicture_.PeerAs<IDvdSubpictureSink>()) s->SetDisplay(on ? TRUE : FALSE);
}

media::StreamTime Navigator::WallSinceRun() const {
  auto d = std::chrono::steady_clock::now() - runWall_;
  return media::StreamTime(std::chrono::duration_cast<std::chrono::microseconds>(d).count() * 10);
}

void Navigator::Notify(LONG code, LONG_PTR param1, LONG_PTR param2) { NotifyEvent(code, param1, param2); }

bool Navigator::Shown(media::StreamTime *start) {
  ComPtr<IPictureGeometry> renderer;
  {
    std::lock_guard g(clockLock_);
    renderer = renderer_;
  }
  return renderer && renderer->GetShownTime(start) == S_OK;
}

bool Navigator::Now(media::StreamTime *now) {
  if (State() != State_Running) return false;
  HRESULT hr = StreamTime(now);
  if (SUCCEEDED(hr)) return true;
  if (hr != VFW_E_NO_CLOCK) return false;
  // No clock in the graph: the wall clock since Run paces the streams.
  std::lock_guard g(clockLock_);
  *now = playedBefore_ + WallSinceRun();
  return true;
}

} // namespace dvd

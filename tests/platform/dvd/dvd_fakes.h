// Stand-ins for the decoders and renderers: filters registered under the real class
// identifiers that accept the navigator's streams, count what arrives, answer the
// navigator's control interfaces and (the video renderer) a scripted picture rectangle.
#pragma once

#include "dshow/dshow.h"
#include "graph/dvd_stream.h"
#include "graph/filter_base.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace dvdfakes {

class PackInputPin : public graph::InputPin, public IDvdDecoderControl, public IDvdSubpictureSink {
public:
  PackInputPin(graph::BaseFilter *filter, std::u16string name, GUID subtype, graph::OutputPin *forward);
  HRESULT QueryInterface(REFIID iid, void **object) override { return InputPin::QueryInterface(iid, object); }
  ULONG AddRef() override { return InputPin::AddRef(); }
  ULONG Release() override { return InputPin::Release(); }
  HRESULT CheckMediaType(const AM_MEDIA_TYPE &mt) override;
  HRESULT QueryExtraInterface(REFIID iid, void **object) override;

  HRESULT Drain() override { ++drains; return S_OK; }
  HRESULT SetScanMode(BOOL scanning) override { scanMode = scanning != FALSE; return S_OK; }
  HRESULT SetPalette(const DWORD *) override { ++palettes; return S_OK; }
  HRESULT SetHighlight(const DvdHighlight *h) override;
  HRESULT SetDisplay(BOOL on) override { display = on != FALSE; return S_OK; }

  std::atomic<int> samples{0}, drains{0}, palettes{0}, discontinuities{0}, typeChanges{0};
  // While set, Receive blocks until a flush (a renderer holding a full queue).
  std::atomic<bool> block{false};
  std::atomic<bool> scanMode{false}, display{false};
  std::mutex lock;
  DvdHighlight lastHighlight{};
  // Received start times of samples that carry one.
  std::vector<REFERENCE_TIME> times;

protected:
  HRESULT OnReceive(IMediaSample *sample) override;
  HRESULT OnBeginFlush() override;
  HRESULT OnEndFlush() override;
  HRESULT OnEndOfStream() override;

private:
  std::condition_variable unblock_;
  GUID subtype_; // GUID_NULL: any DVD stream type
  graph::OutputPin *forward_;
};

class DecodedPin : public graph::OutputPin {
public:
  DecodedPin(graph::BaseFilter *filter, GUID major) : OutputPin(filter, u"Out"), major_(major) {}
  HRESULT CheckMediaType(const AM_MEDIA_TYPE &mt) override { return mt.majortype == major_ ? S_OK : S_FALSE; }
  HRESULT GetMediaType(int index, graph::MediaType *mt) override;

private:
  GUID major_;
};

// A decoder: a DVD input (optionally a second one for subpictures) and a decoded output.
class FakeDecoder : public graph::BaseFilter {
public:
  FakeDecoder(const CLSID &clsid, GUID inSubtype, GUID outMajor, bool subpictureInput);
  int PinCount() override { return spu ? 3 : 2; }
  graph::BasePin *GetPin(int i) override;
  DecodedPin out;
  PackInputPin in;
  std::unique_ptr<PackInputPin> spu;
};

class FakeRenderer : public graph::FilterImpl<IPictureGeometry> {
public:
  FakeRenderer(const CLSID &clsid, bool video, bool secondInput);
  int PinCount() override { return in2 ? 2 : 1; }
  graph::BasePin *GetPin(int i) override { return i == 0 ? &in : i == 1 ? in2.get() : nullptr; }
  HRESULT GetPictureGeometry(RECT *dest, LONG *width, LONG *height) override;
  HRESULT GetShownTime(media::StreamTime *) override { return S_FALSE; }
  HRESULT QueryExtraInterface(REFIID iid, void **object) override;

  PackInputPin in;
  std::unique_ptr<PackInputPin> in2;
  bool video;
  std::mutex lock;
  RECT dest{0, 0, 720, 480};
  LONG width = 720, height = 480;
};

// Registers the fakes under the decoder and renderer classes for its lifetime and
// keeps the last of each made.
class FakeClasses {
public:
  explicit FakeClasses(bool subpictureInputOnVideoDecoder = true);
  ~FakeClasses();
  ComPtr<FakeDecoder> videoDecoder, audioDecoder, subpictureDecoder;
  ComPtr<FakeRenderer> videoRenderer, audioRenderer;

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

} // namespace dvdfakes

// Builds the playback chain a DVD graph has, with the VOB test source in the
// navigator's place: source -> video decoder -> video renderer (or mixing renderer)
// and source -> audio decoder -> audio renderer, in the real graph manager.
#pragma once

#include "media/vob_source.h"
#include "render/renderer_probe.h"

#include "dshow/dshow.h"

#include <QElapsedTimer>
#include <QTest>

#include <string>
#include <vector>

struct Playback {
  ComPtr<IGraphBuilder> graph;
  ComPtr<testmedia::VobSource> source;
  ComPtr<IBaseFilter> videoDecoder, audioDecoder, videoRenderer, audioRenderer;
  ComPtr<IMediaControl> control;
  ComPtr<IMediaEvent> events;
  std::string error;

  static ComPtr<IPin> PinOf(IBaseFilter *filter, const char16_t *name) {
    ComPtr<IPin> pin;
    filter->FindPin(reinterpret_cast<LPCWSTR>(name), &pin);
    return pin;
  }

  // audio: false builds the video branch only.
  bool Build(const std::string &vob, REFCLSID renderer = CLSID_VideoRenderer, bool audio = true,
             testmedia::StreamKind audioKind = testmedia::StreamKind::Ac3) {
    CoInitialize(nullptr);
    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph))))
      return Fail("no graph");
    source = testmedia::VobSource::Open(vob, audioKind, 0, &error);
    if (!source) return false;
    if (FAILED(CoCreateInstance(CLSID_MpegVideoDecoder, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&videoDecoder))) ||
        FAILED(CoCreateInstance(renderer, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&videoRenderer))))
      return Fail("no video filters");
    graph->AddFilter(source.Get(), u"Source");
    graph->AddFilter(videoDecoder.Get(), u"Video Decoder");
    graph->AddFilter(videoRenderer.Get(), u"Video Renderer");
    ComPtr<IPin> rendererIn;
    ComPtr<IEnumPins> pins;
    videoRenderer->EnumPins(&pins);
    pins->Next(1, &rendererIn, nullptr);
    if (FAILED(graph->ConnectDirect(&source->Video(), PinOf(videoDecoder.Get(), u"Video").Get(), nullptr)) ||
        FAILED(graph->ConnectDirect(&source->Subpicture(), PinOf(videoDecoder.Get(), u"SubPicture").Get(), nullptr)) ||
        FAILED(graph->ConnectDirect(PinOf(videoDecoder.Get(), u"Video Output").Get(), rendererIn.Get(), nullptr)))
      return Fail("video connections");
    if (audio) {
      if (FAILED(CoCreateInstance(CLSID_DvdAudioDecoder, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&audioDecoder))) ||
          FAILED(CoCreateInstance(CLSID_DSoundRender, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&audioRenderer))))
        return Fail("no audio filters");
      graph->AddFilter(audioDecoder.Get(), u"Audio Decoder");
      graph->AddFilter(audioRenderer.Get(), u"Audio Renderer");
      if (FAILED(graph->ConnectDirect(&source->Audio(), PinOf(audioDecoder.Get(), u"Audio").Get(), nullptr)) ||
          FAILED(graph->ConnectDirect(PinOf(audioDecoder.Get(), u"Audio Output").Get(),
                                      PinOf(audioRenderer.Get(), u"Audio Input pin (rendered)").Get(), nullptr)))
        return Fail("audio connections");
    }
    graph.As(&control);
    graph.As(&events);
    return true;
  }

  ComPtr<IRendererProbe> Probe() {
    ComPtr<IRendererProbe> probe;
    videoRenderer.As(&probe);
    return probe;
  }

  // Spins the GUI loop until the event comes (true) or the time is up.
  bool WaitFor(LONG wanted, int ms, LONG_PTR *param1 = nullptr) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
      LONG code;
      LONG_PTR p1, p2;
      while (SUCCEEDED(events->GetEvent(&code, &p1, &p2, 0))) {
        events->FreeEventParams(code, p1, p2);
        if (code == wanted) {
          if (param1) *param1 = p1;
          return true;
        }
      }
      QTest::qWait(5);
    }
    return false;
  }

  ~Playback() {
    if (control) control->Stop();
  }

private:
  bool Fail(const char *what) {
    error = what;
    return false;
  }
};

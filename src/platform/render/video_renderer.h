// The video renderer (CLSID_VideoRenderer): one RGB32 input pin "Input", its own
// window (window class "VideoRenderer") driven through IVideoWindow, pictures shown
// with their display aspect (letterboxed, black bars).
#pragma once

#include "render/video_renderer_base.h"
#include "render/video_window.h"

#include <QPointer>

namespace render {

class VideoRenderer final : public VideoRendererBase, public VideoWindowImpl {
public:
  static HRESULT Create(REFIID iid, void **object);
  VideoRenderer(); // use Create

  HRESULT QueryInterface(REFIID iid, void **object) override { return BaseFilter::QueryInterface(iid, object); }
  ULONG AddRef() override { return BaseFilter::AddRef(); }
  ULONG Release() override { return BaseFilter::Release(); }

  int PinCount() override { return 1; }
  graph::BasePin *GetPin(int index) override { return index == 0 ? &input_ : nullptr; }

private:
  ~VideoRenderer() override;

  HRESULT QueryExtraInterface(REFIID iid, void **object) override;
  VideoWidget *Surface() override { return widget_.data(); }
  bool NativeSize(LONG *width, LONG *height) override;
  HRESULT OnPause(FILTER_STATE from) override;

  QPointer<VideoWidget> widget_; // the owner window may delete it first
  VideoInputPin input_{this, u"Input"};
};

} // namespace render

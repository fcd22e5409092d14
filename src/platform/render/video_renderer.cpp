#include "render/video_renderer.h"

#include "render/gui_thread.h"

#include "dshow/uuids.h"

namespace render {

HRESULT VideoRenderer::Create(REFIID iid, void **object) { return CreateComObject<VideoRenderer>(iid, object); }

VideoRenderer::VideoRenderer() : VideoRendererBase(CLSID_VideoRenderer, u"Video Renderer") {
  RunOnGui([this] {
    widget_ = new VideoWidget("VideoRenderer");
    widget_->setWindowTitle(QStringLiteral("Video Renderer"));
    widget_->resize(720, 480);
    ConnectSurface(widget_);
  });
  AttachWindow(widget_);
}

VideoRenderer::~VideoRenderer() {
  ShutDownPresenter(); // no picture reaches the widget after this
  AttachWindow(nullptr);
  QPointer<VideoWidget> w = widget_;
  widget_ = nullptr;
  if (w) w->Detach();
  PostToGui([w] { delete w.data(); });
}

HRESULT VideoRenderer::QueryExtraInterface(REFIID iid, void **object) {
  if (iid == IID_IVideoWindow) return Expose(static_cast<IVideoWindow *>(this), object);
  return VideoRendererBase::QueryExtraInterface(iid, object);
}

bool VideoRenderer::NativeSize(LONG *width, LONG *height) {
  RgbFrameFormat f{};
  if (!Format(&f)) return false;
  *width = f.width;
  *height = f.height;
  return true;
}

HRESULT VideoRenderer::OnPause(FILTER_STATE from) {
  HRESULT hr = VideoRendererBase::OnPause(from);
  if (from == State_Stopped) {
    LONG w = 0, h = 0;
    if (NativeSize(&w, &h)) SizeToPicture(w, h);
    AutoShowNow();
  }
  return hr;
}

} // namespace render

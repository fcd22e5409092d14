// What the video renderer and the mixing renderer share: the input pin (I420 pictures
// from the decoder's pool, or RGB32), the
// picture format, the presenter thread that shows each picture at its time, frame
// step, rate, the picture geometry for the navigator and the probe. The derived
// class owns the widget that shows the pictures and creates it on the GUI thread.
#pragma once

#include "render/renderer_probe.h"
#include "render/video_presenter.h"
#include "render/video_widget.h"

#include "dshow/control.h"
#include "graph/dvd_stream.h"
#include "graph/filter_base.h"
#include "graph/raw_formats.h"

#include <memory>
#include <mutex>
#include <optional>

namespace render {

class VideoRendererBase;

class VideoInputPin : public graph::InputPin {
public:
  // Only stream 0 is shown; the pins of further streams take their samples and drop them.
  VideoInputPin(VideoRendererBase *owner, std::u16string name, int stream = 0);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE &mt) override;
  HRESULT CompleteConnect(IPin *peer) override;
  void BreakConnect() override;

protected:
  HRESULT OnReceive(IMediaSample *sample) override;
  HRESULT OnEndOfStream() override;
  HRESULT OnBeginFlush() override;
  HRESULT OnEndFlush() override;

private:
  VideoRendererBase *owner_;
  int stream_;
};

class VideoRendererBase
    : public graph::FilterImpl<IVideoFrameStep, IMediaSeeking, IPictureGeometry, IRendererProbe> {
public:
  // IVideoFrameStep (while paused; stepObject must be null)
  HRESULT Step(DWORD frames, IUnknown *stepObject) override;
  HRESULT CanStep(LONG multiple, IUnknown *stepObject) override;
  HRESULT CancelStep() override;
  // IMediaSeeking: the rate paces presentation; the position is the shown picture's.
  HRESULT GetCapabilities(DWORD *capabilities) override;
  HRESULT GetCurrentPosition(LONGLONG *position) override;
  HRESULT GetDuration(LONGLONG *duration) override;
  HRESULT SetRate(double rate) override;
  HRESULT GetRate(double *rate) override;
  // IPictureGeometry
  HRESULT GetPictureGeometry(RECT *dest, LONG *pictureWidth, LONG *pictureHeight) override;
  HRESULT GetShownTime(media::StreamTime *start) override;
  // IRendererProbe
  void SetPresentedCallback(std::function<void(const PresentedFrame &)> callback) override;
  long long DroppedFrames() override;
  QWidget *PictureWidget() override { return Surface(); }

  // For the input pin.
  HRESULT Receive(IMediaSample *sample);
  void EndOfStream() { presenter_->EndOfStream(); }
  // Also a picture already handed to the surface and not yet painted is dropped.
  void BeginFlush();
  void EndFlush() { presenter_->EndFlush(); }
  // The picture format; for I420 (yuv) the stride is the luma plane's.
  void SetFormat(const RgbFrameFormat &format, bool yuv = false);
  void ClearFormat();
  bool Format(RgbFrameFormat *format, bool *yuv = nullptr);

protected:
  VideoRendererBase(REFCLSID clsid, std::u16string name);
  ~VideoRendererBase() override;

  // The widget that shows the pictures now (may change); null while there is none.
  virtual VideoWidget *Surface() = 0;
  // Whether the surface's picture is given in its parent's client area (windowless)
  // rather than its own.
  virtual bool SurfaceInParent() { return false; }
  // Hands a picture to the surface (presenter thread).
  virtual void Show(VideoFrame frame);
  // Sets up a new surface (GUI thread): stream clock and watcher.
  void ConnectSurface(VideoWidget *surface);
  // Stops the presenter thread; a derived destructor calls it before its widgets go.
  void ShutDownPresenter();

  HRESULT OnStop() override;
  HRESULT OnPause(FILTER_STATE from) override;
  HRESULT OnRun(media::StreamTime start) override;
  bool TransitionPending() override;

private:
  std::unique_ptr<VideoPresenter> presenter_;
  std::mutex formatLock_;
  std::optional<RgbFrameFormat> format_;
  bool yuv_ = false;
  std::atomic<REFERENCE_TIME> position_{0};
  static constexpr REFERENCE_TIME kNoneShown = INT64_MIN;
  std::atomic<REFERENCE_TIME> shown_{kNoneShown}; // since the last flush or stop
  std::function<void(const PresentedFrame &)> presented_; // GUI thread
};

} // namespace render

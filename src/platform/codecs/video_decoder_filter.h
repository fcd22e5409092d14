// The MPEG video decoder filter (CLSID_MpegVideoDecoder).
//   "Video" in:        MPEG-2 elementary stream from the navigator (dvd_stream.h);
//                      answers IDvdDecoderControl (Drain, scan mode).
//   "SubPicture" in:   subpicture packets; answers IDvdSubpictureSink (palette,
//                      highlight, display switch).
//   "Video Output":    I420 pictures (or RGB32 for a renderer that takes only that,
//                      graph/raw_formats.h) from a reused pool, with their times and
//                      the subpicture and button highlight blended in.
// Decoding runs on the filter's own threads (DecodeThread), one for the pictures and
// one for the subpictures: the pins only queue the compressed samples, so the
// navigator never waits for a picture or a subpicture to decode. A flush drops what
// waits and anything decoded from it. When the video is idle (drained before a still,
// or at end of stream), a change of highlight or a new subpicture re-delivers the last
// picture with the new overlay at once; one that comes while the video goes idle is
// caught when it gets there.
#pragma once

#include "codecs/decode_thread.h"
#include "codecs/decoder_input_pin.h"
#include "codecs/mpeg_video_decoder.h"
#include "codecs/picture_pool.h"
#include "codecs/rgb_converter.h"
#include "codecs/spu_assembler.h"
#include "codecs/spu_overlay.h"

#include "graph/dvd_stream.h"
#include "graph/filter_base.h"
#include "graph/raw_formats.h"

#include <atomic>
#include <mutex>

namespace codecs {

class VideoDecoderFilter;

class VideoStreamPin : public DecoderInputPin {
public:
  explicit VideoStreamPin(VideoDecoderFilter *owner);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE &mt) override;
  HRESULT CompleteConnect(IPin *peer) override;

private:
  VideoDecoderFilter *owner_;
};

class SubpicturePin : public graph::InputPin, public IDvdSubpictureSink {
public:
  explicit SubpicturePin(VideoDecoderFilter *owner);
  HRESULT QueryInterface(REFIID iid, void **object) override { return InputPin::QueryInterface(iid, object); }
  ULONG AddRef() override { return InputPin::AddRef(); }
  ULONG Release() override { return InputPin::Release(); }
  HRESULT CheckMediaType(const AM_MEDIA_TYPE &mt) override;
  HRESULT QueryExtraInterface(REFIID iid, void **object) override;
  HRESULT SetPalette(const DWORD entries[16]) override;
  HRESULT SetHighlight(const DvdHighlight *highlight) override;
  HRESULT SetDisplay(BOOL on) override;

  // The subpicture thread: assembles and parses a queued sample.
  void Decode(IMediaSample *sample);

protected:
  HRESULT OnReceive(IMediaSample *sample) override;
  HRESULT OnBeginFlush() override;
  HRESULT OnEndFlush() override;

private:
  VideoDecoderFilter *owner_;
  SpuAssembler assembler_; // the subpicture thread (and EndFlush, once that thread let go)
};

class PictureOutputPin : public graph::OutputPin {
public:
  explicit PictureOutputPin(VideoDecoderFilter *owner);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE &mt) override;
  HRESULT GetMediaType(int index, graph::MediaType *mt) override;
  HRESULT CompleteConnect(IPin *peer) override;

private:
  VideoDecoderFilter *owner_;
};

class VideoDecoderFilter final : public graph::FilterImpl<>, public DecoderInput {
public:
  static HRESULT Create(REFIID iid, void **object);
  VideoDecoderFilter(); // use Create

  int PinCount() override { return 3; }
  graph::BasePin *GetPin(int index) override;

  // For the pins.
  HRESULT Decode(IMediaSample *sample);
  HRESULT DrainDecoder();
  void SetScanning(bool scanning) override;
  void FlushDecoder() override;
  HRESULT DeliverEnd();
  void AddSubpicture(SpuPicture picture);
  void FlushSubpictures() { overlay_.Flush(); }
  SubpictureOverlay &Overlay() { return overlay_; }
  // Re-delivers the last picture with the current overlay when the video is idle.
  void RefreshStill();
  void SetInputFormat(const DvdVideoFormat &format);
  RgbFrameFormat OutputFormat();
  PictureOutputPin &Output() override { return output_; }
  void SetYuvOutput(bool yuv) { yuvOut_ = yuv; }
  DecodeThread &Queue() override { return queue_; }
  DecodeThread &SubpictureQueue() { return spuQueue_; }

  // The compressed-sample queue: room for the 0.7-1 s by which discs mux pictures
  // ahead of their sound, at DVD's highest rate.
  static constexpr DecodeThread::Limits kQueueLimits{4u << 20, 4096, media::StreamTime::Seconds(2)};
  // The subpicture queue: parsing keeps up with any stream, so it holds back the
  // navigator only while a still is re-delivered.
  static constexpr DecodeThread::Limits kSubpictureQueueLimits{512u << 10, 512, media::StreamTime::Seconds(10)};

private:
  ~VideoDecoderFilter() override = default;
  HRESULT OnStop() override;
  void OnPicture(const DecodedPicture &picture);
  // Sends `frame`: an I420 picture with no subpicture over it goes out as the decoder's
  // own planes (no copy); otherwise it is written into a pool sample (I420 or RGB32, as
  // connected) with the overlay on top.
  HRESULT DeliverPicture(const AVFrame *frame, const RgbFrameFormat &format, MaybeTime start,
                         media::StreamTime duration);
  // The pool sample for DeliverPicture's copy; S_FALSE when the picture cannot be converted.
  HRESULT DrawPicture(const AVFrame *frame, const RgbFrameFormat &format, MaybeTime overlayTime,
                      ComPtr<graph::MediaSample> &out);
  // Stream lock held, the video just gone idle: shows the overlay's changes that came
  // while it went there and found it not yet idle.
  void CatchUpStill();

  std::timed_mutex stream_; // decoder, last picture and delivery: one at a time
  MpegVideoDecoder decoder_;
  bool decoderOpen_ = false;
  RgbConverter converter_;
  PicturePool pool_;                 // output samples, reused
  std::atomic<bool> yuvOut_{true};   // I420 out (else RGB32), as connected
  SubpictureOverlay overlay_;
  std::mutex formatLock_;
  RgbFrameFormat format_{720, 480, 720 * 4, 4, 3, 333667};
  bool formatSent_ = false;          // a type went out with a sample since connecting
  RgbFrameFormat sentFormat_{};
  bool discontinuity_ = false;       // mark the next output sample
  std::atomic<bool> idle_{false};    // drained, nothing decoded since
  // The last picture as decoded, without overlay: a reference to the decoder's own
  // buffers (no copy), kept for the still refresh.
  FramePtr last_{av_frame_alloc()};
  bool hasLast_ = false;
  bool pictureSinceFlush_ = false;   // last_ is not from before the last flush
  std::atomic<std::uint64_t> overlayChanges_{0}; // bumped by every change of the overlay
  std::uint64_t overlayShown_ = 0;   // the count the last delivered picture was drawn with
  RgbFrameFormat lastFormat_{};
  MaybeTime lastStart_;
  media::StreamTime lastDuration_;
  HRESULT deliverResult_ = S_OK;

  VideoStreamPin video_{this};
  SubpicturePin subpicture_{this};
  PictureOutputPin output_{this};
  // Last: they stop before anything they call goes.
  DecodeThread queue_{"qdvd-video", kQueueLimits,
                      {[this](IMediaSample *s) { Decode(s); }, [this] { DrainDecoder(); }, [this] { DeliverEnd(); }}};
  DecodeThread spuQueue_{"qdvd-spu", kSubpictureQueueLimits,
                         {[this](IMediaSample *s) { subpicture_.Decode(s); }, [] {}, [] {}}};
};

} // namespace codecs

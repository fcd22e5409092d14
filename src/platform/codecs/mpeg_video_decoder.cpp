#include "codecs/mpeg_video_decoder.h"

#include "codecs/ffmpeg_log.h"

#include <numeric>

namespace codecs {

MpegVideoDecoder::MpegVideoDecoder(Output output, Deinterlacer::Library filterLibrary)
    : output_(std::move(output)), deinterlacer_(filterLibrary) {}

bool MpegVideoDecoder::Open() {
  RouteFfmpegLog(); // the library's complaints about this stream go to qdvd.decode
  const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_MPEG2VIDEO);
  if (!codec) return false;
  ctx_.reset(avcodec_alloc_context3(codec));
  packet_.reset(av_packet_alloc());
  frame_.reset(av_frame_alloc());
  parser_.reset(av_parser_init(AV_CODEC_ID_MPEG2VIDEO));
  if (!ctx_ || !packet_ || !frame_ || !parser_) return false;
  ctx_->pkt_timebase = AVRational{1, 10000000};
  ctx_->thread_count = 1; // the streaming thread decodes; output order must not wait on others
  return avcodec_open2(ctx_.get(), codec, nullptr) >= 0;
}

void MpegVideoDecoder::Decode(const uint8_t *data, std::size_t size, MaybeTime pts) {
  if (!ctx_) return;
  ParsePacket(parser_.get(), ctx_.get(), padded_, data, size, pts,
              [this](const uint8_t *unit, int unitSize, MaybeTime time) { SendPacket(unit, unitSize, time); });
}

void MpegVideoDecoder::Drain() {
  if (!ctx_) return;
  uint8_t *out = nullptr;
  int outSize = 0;
  av_parser_parse2(parser_.get(), ctx_.get(), &out, &outSize, nullptr, 0, kNoTime, kNoTime, 0);
  if (outSize > 0) SendPacket(out, outSize, FromAvTime(parser_->pts));
  avcodec_send_packet(ctx_.get(), nullptr);
  ReceiveAll();
  deinterlacer_.Drain([this](const AVFrame *f) { EmitFiltered(f); });
  inFilter_.clear();
  avcodec_flush_buffers(ctx_.get());
  parser_.reset(av_parser_init(AV_CODEC_ID_MPEG2VIDEO));
}

void MpegVideoDecoder::Flush() {
  if (!ctx_) return;
  avcodec_flush_buffers(ctx_.get());
  parser_.reset(av_parser_init(AV_CODEC_ID_MPEG2VIDEO));
  deinterlacer_.Reset();
  inFilter_.clear();
  nextTime_.reset();
}

void MpegVideoDecoder::SetScanMode(bool scanning) {
  if (!ctx_) return;
  ctx_->skip_frame = scanning ? AVDISCARD_NONKEY : AVDISCARD_DEFAULT;
  // Key frames far apart are no neighbours to deinterlace with.
  if (scanning && !scanning_) {
    deinterlacer_.Drain([this](const AVFrame *f) { EmitFiltered(f); });
    inFilter_.clear();
  }
  scanning_ = scanning;
}

void MpegVideoDecoder::SendPacket(const uint8_t *data, int size, MaybeTime pts) {
  packet_->data = const_cast<uint8_t *>(data);
  packet_->size = size;
  packet_->pts = ToAvTime(pts);
  packet_->dts = kNoTime;
  // A damaged picture gives an error here: skip it and go on with the next one.
  avcodec_send_packet(ctx_.get(), packet_.get());
  packet_->data = nullptr;
  packet_->size = 0;
  ReceiveAll();
}

media::StreamTime MpegVideoDecoder::FrameDuration(const AVFrame *f) const {
  media::StreamTime base = defaultDuration_;
  if (ctx_->framerate.num > 0 && ctx_->framerate.den > 0)
    base = media::StreamTime::Seconds(1) * ctx_->framerate.den / ctx_->framerate.num;
  return base + base * f->repeat_pict / 2;
}

void MpegVideoDecoder::ReceiveAll() {
  while (avcodec_receive_frame(ctx_.get(), frame_.get()) == 0) {
    DecodedPicture pic{};
    pic.start = frame_->pts != kNoTime ? FromAvTime(frame_->pts) : nextTime_;
    pic.duration = FrameDuration(frame_.get());
    long long ax = frame_->width, ay = frame_->height;
    if (frame_->sample_aspect_ratio.num > 0 && frame_->sample_aspect_ratio.den > 0) {
      ax *= frame_->sample_aspect_ratio.num;
      ay *= frame_->sample_aspect_ratio.den;
    }
    long long g = std::gcd(ax, ay);
    pic.aspectX = g ? static_cast<int>(ax / g) : 4;
    pic.aspectY = g ? static_cast<int>(ay / g) : 3;
    if (pic.start) nextTime_ = *pic.start + pic.duration;
    if (!scanning_ && deinterlacer_.Wants(frame_.get())) {
      inFilter_.push_back(pic);
      frame_->pts = ToAvTime(pic.start);
      if (deinterlacer_.Push(frame_.get(), [this](const AVFrame *f) { EmitFiltered(f); })) {
        av_frame_unref(frame_.get());
        continue;
      }
      inFilter_.clear(); // no filter: the picture goes out as it is
    }
    Emit(frame_.get(), pic);
    av_frame_unref(frame_.get());
  }
}

void MpegVideoDecoder::EmitFiltered(const AVFrame *frame) {
  // One picture out per picture in, in order; the time confirms which one it is.
  while (inFilter_.size() > 1 && inFilter_.front().start != FromAvTime(frame->pts)) inFilter_.pop_front();
  if (inFilter_.empty()) return;
  DecodedPicture noted = inFilter_.front();
  inFilter_.pop_front();
  Emit(frame, noted);
}

void MpegVideoDecoder::Emit(const AVFrame *frame, const DecodedPicture &noted) {
  DecodedPicture pic = noted;
  pic.frame = frame;
  output_(pic);
}

} // namespace codecs

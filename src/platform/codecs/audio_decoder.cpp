#include "codecs/audio_decoder.h"

#include "codecs/ffmpeg_log.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <cstdlib>

namespace codecs {
namespace {

// Times closer than this to the running time are taken as continuous.
constexpr media::StreamTime kJitter = media::StreamTime::Milliseconds(2);

AVCodecID CodecOf(AudioCoding coding) {
  switch (coding) {
  case AudioCoding::Ac3: return AV_CODEC_ID_AC3;
  case AudioCoding::Mpeg: return AV_CODEC_ID_MP2;
  case AudioCoding::Dts: return AV_CODEC_ID_DTS;
  case AudioCoding::Lpcm: return AV_CODEC_ID_PCM_DVD;
  }
  return AV_CODEC_ID_NONE;
}

} // namespace

AudioDecoder::AudioDecoder(Output output) : output_(std::move(output)) {}

AudioDecoder::~AudioDecoder() { av_channel_layout_uninit(&swrInLayout_); }

bool AudioDecoder::Open(AudioCoding coding, int sampleRate, int channels, int bitsPerSample) {
  ctx_.reset();
  parser_.reset();
  swr_.reset();
  av_channel_layout_uninit(&swrInLayout_);
  swrInRate_ = 0;
  swrInFormat_ = -1;
  nextTime_.reset();
  coding_ = coding;
  if (coding == AudioCoding::Lpcm) {
    int quant = bitsPerSample == 24 ? 2 : bitsPerSample == 20 ? 1 : bitsPerSample == 16 ? 0 : -1;
    int freq = sampleRate == 48000 ? 0 : sampleRate == 96000 ? 1 : -1;
    if (quant < 0 || freq < 0 || channels < 1 || channels > 8) return false;
    // The LPCM header that the navigator removed, rebuilt for FFmpeg's decoder.
    lpcmHeader_[0] = 0;
    lpcmHeader_[1] = static_cast<uint8_t>(quant << 6 | freq << 4 | (channels - 1));
    lpcmHeader_[2] = 0x80;
  }
  RouteFfmpegLog(); // the library's complaints about this stream go to qdvd.decode
  const AVCodec *codec = avcodec_find_decoder(CodecOf(coding));
  if (!codec) return false;
  CodecContextPtr ctx(avcodec_alloc_context3(codec));
  if (!ctx) return false;
  ctx->pkt_timebase = AVRational{1, 10000000};
  if (avcodec_open2(ctx.get(), codec, nullptr) < 0) return false;
  if (coding != AudioCoding::Lpcm) {
    parser_.reset(av_parser_init(codec->id));
    if (!parser_) return false;
  }
  if (!packet_) packet_.reset(av_packet_alloc());
  if (!frame_) frame_.reset(av_frame_alloc());
  if (!packet_ || !frame_) return false;
  ctx_ = std::move(ctx);
  return true;
}

void AudioDecoder::Decode(const uint8_t *data, std::size_t size, MaybeTime pts) {
  if (!ctx_ || size == 0) return;
  if (coding_ == AudioCoding::Lpcm) {
    lpcmPacket_.assign(lpcmHeader_, lpcmHeader_ + 3);
    lpcmPacket_.insert(lpcmPacket_.end(), data, data + size);
    const int length = static_cast<int>(lpcmPacket_.size());
    lpcmPacket_.resize(lpcmPacket_.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    SendPacket(lpcmPacket_.data(), length, pts);
    return;
  }
  ParsePacket(parser_.get(), ctx_.get(), padded_, data, size, pts,
              [this](const uint8_t *unit, int unitSize, MaybeTime time) { SendPacket(unit, unitSize, time); });
}

void AudioDecoder::Drain() {
  if (!ctx_) return;
  if (parser_) {
    uint8_t *out = nullptr;
    int outSize = 0;
    av_parser_parse2(parser_.get(), ctx_.get(), &out, &outSize, nullptr, 0, kNoTime, kNoTime, 0);
    if (outSize > 0) SendPacket(out, outSize, FromAvTime(parser_->pts));
    parser_.reset(av_parser_init(ctx_->codec_id));
  }
  avcodec_send_packet(ctx_.get(), nullptr);
  ReceiveAll();
  avcodec_flush_buffers(ctx_.get());
}

void AudioDecoder::Flush() {
  if (!ctx_) return;
  avcodec_flush_buffers(ctx_.get());
  if (parser_) parser_.reset(av_parser_init(ctx_->codec_id));
  if (swr_) swr_init(swr_.get()); // drops what the resampler holds
  nextTime_.reset();
}

void AudioDecoder::SendPacket(const uint8_t *data, int size, MaybeTime pts) {
  packet_->data = const_cast<uint8_t *>(data);
  packet_->size = size;
  packet_->pts = ToAvTime(pts);
  packet_->dts = kNoTime;
  avcodec_send_packet(ctx_.get(), packet_.get()); // a damaged frame is skipped
  packet_->data = nullptr;
  packet_->size = 0;
  ReceiveAll();
}

void AudioDecoder::ReceiveAll() {
  while (avcodec_receive_frame(ctx_.get(), frame_.get()) == 0) {
    MaybeTime start = FromAvTime(frame_->pts);
    if (!start || (nextTime_ && std::llabs((*start - *nextTime_).ticks()) < kJitter.ticks())) start = nextTime_;
    if (start) Convert(frame_.get(), *start);
    av_frame_unref(frame_.get());
  }
}

bool AudioDecoder::Convert(const AVFrame *frame, media::StreamTime start) {
  if (frame->sample_rate <= 0 || frame->ch_layout.nb_channels <= 0) return false;
  if (!swr_ || swrInRate_ != frame->sample_rate || swrInFormat_ != frame->format ||
      av_channel_layout_compare(&swrInLayout_, &frame->ch_layout) != 0) {
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    SwrContext *s = nullptr;
    if (swr_alloc_set_opts2(&s, &stereo, AV_SAMPLE_FMT_FLT, kOutputRate, const_cast<AVChannelLayout *>(&frame->ch_layout),
                            static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr) < 0)
      return false;
    swr_.reset(s);
    if (swr_init(s) < 0) {
      swr_.reset();
      return false;
    }
    av_channel_layout_uninit(&swrInLayout_);
    av_channel_layout_copy(&swrInLayout_, &frame->ch_layout);
    swrInRate_ = frame->sample_rate;
    swrInFormat_ = frame->format;
  }
  const int capacity = swr_get_out_samples(swr_.get(), frame->nb_samples);
  if (capacity <= 0) return false;
  out_.resize(static_cast<std::size_t>(capacity) * kOutputChannels);
  uint8_t *dst = reinterpret_cast<uint8_t *>(out_.data());
  const int frames = swr_convert(swr_.get(), &dst, capacity, const_cast<const uint8_t **>(frame->extended_data),
                                 frame->nb_samples);
  if (frames <= 0) return false;
  nextTime_ = start + media::ToStreamTime(media::SampleCount48k(frames));
  output_(out_.data(), frames, start);
  return true;
}

} // namespace codecs

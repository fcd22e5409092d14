// A source filter for tests and benchmarks: reads an authored disc's VOB with
// VobReader and pushes its streams as the DVD navigator does (dvd_stream.h): output
// pins "Video", "Audio" (the chosen audio stream) and "SubPicture", times on one
// continuous timeline, the first sample of each stream marked as a discontinuity.
// Running, its own thread pushes everything and then sends end of stream; it stops
// promptly on Stop. Without running, a test can push packets itself (PushUntil).
#pragma once

#include "media/vob_reader.h"

#include "graph/dvd_stream.h"
#include "graph/filter_base.h"

#include <atomic>
#include <functional>
#include <thread>

namespace testmedia {

class VobSource;

class VobOutputPin : public graph::OutputPin {
public:
  VobOutputPin(VobSource *owner, std::u16string name);
  void SetType(graph::MediaType type) { type_ = std::move(type); }
  HRESULT CheckMediaType(const AM_MEDIA_TYPE &mt) override;
  HRESULT GetMediaType(int index, graph::MediaType *mt) override;
  bool first = true;

private:
  graph::MediaType type_;
};

class VobSource final : public graph::FilterImpl<> {
public:
  // Null (and `error` set) when the file cannot be read.
  static ComPtr<VobSource> Open(const std::string &path, StreamKind audio, int audioStream, std::string *error);

  int PinCount() override { return 3; }
  graph::BasePin *GetPin(int index) override;
  VobOutputPin &Video() { return video_; }
  VobOutputPin &Audio() { return audio_; }
  VobOutputPin &Subpicture() { return subpicture_; }
  const VobInfo &Info() const { return reader_.Info(); }

  // Pushes packets on the caller's thread until `stop` says so for a packet (that
  // packet is not sent) or the file ends; false at the end of the file.
  bool PushUntil(const std::function<bool(const VobPacket &)> &stop);
  void Rewind() { reader_.Rewind(); }
  // Packets the streaming thread sent.
  long long Sent() const { return sent_.load(); }

private:
  VobSource(StreamKind audio, int audioStream);
  ~VobSource() override;
  HRESULT OnPause(FILTER_STATE from) override;
  HRESULT OnStop() override;
  HRESULT Send(const VobPacket &packet);
  void Stream();
  void Join();

  VobReader reader_;
  StreamKind audioKind_;
  int audioStream_;
  VobOutputPin video_, audio_, subpicture_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<long long> sent_{0};
};

} // namespace testmedia

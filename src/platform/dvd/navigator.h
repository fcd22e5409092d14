// The DVD navigator filter (CLSID_DVDNavigator): three output pins ("Video", "Audio",
// "SubPicture") fed by its engine's thread, and IDvdControl2/IDvdInfo2 for the player.
//
// IDvdControl2::Stop and IMediaFilter::Stop share a signature, so the two DVD
// interfaces live on an inner object whose counts go to the filter.
#pragma once

#include "dvd/engine.h"
#include "graph/filter_base.h"
#include "graph/sample_ring.h"

#include <atomic>
#include <chrono>
#include <string>

namespace dvd {

class Navigator;

class NavigatorPin : public graph::OutputPin {
public:
  NavigatorPin(Navigator *nav, std::u16string name, StreamKind kind);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE &mt) override;
  HRESULT GetMediaType(int index, graph::MediaType *mt) override;
  StreamKind Kind() const { return kind_; }
  // The interface the connected input pin answers, or null.
  template <class I> ComPtr<I> PeerAs() const {
    ComPtr<I> out;
    if (ComPtr<IPin> peer = Peer()) peer.As(&out);
    return out;
  }

private:
  Navigator *nav_;
  StreamKind kind_;
};

// Text conversions for paths.
std::string WideToUtf8(LPCWSTR text);
std::u16string Utf8ToWide(const std::string &text);

// The media type of a stream format as the pins carry it.
graph::MediaType MediaTypeFor(const StreamFormat &format);

class Navigator;

class DvdInterfaces : public IDvdControl2, public IDvdInfo2 {
public:
  explicit DvdInterfaces(Navigator *nav) : nav_(nav) {}
  HRESULT QueryInterface(REFIID iid, void **object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // IDvdControl2
  HRESULT PlayTitle(ULONG title, DWORD flags, IDvdCmd **cmd) override;
  HRESULT PlayChapterInTitle(ULONG title, ULONG chapter, DWORD flags, IDvdCmd **cmd) override;
  HRESULT PlayAtTimeInTitle(ULONG title, DVD_HMSF_TIMECODE *time, DWORD flags, IDvdCmd **cmd) override;
  HRESULT Stop() override;
  HRESULT ReturnFromSubmenu(DWORD flags, IDvdCmd **cmd) override;
  HRESULT PlayAtTime(DVD_HMSF_TIMECODE *time, DWORD flags, IDvdCmd **cmd) override;
  HRESULT PlayChapter(ULONG chapter, DWORD flags, IDvdCmd **cmd) override;
  HRESULT PlayPrevChapter(DWORD flags, IDvdCmd **cmd) override;
  HRESULT ReplayChapter(DWORD flags, IDvdCmd **cmd) override;
  HRESULT PlayNextChapter(DWORD flags, IDvdCmd **cmd) override;
  HRESULT PlayForwards(double speed, DWORD flags, IDvdCmd **cmd) override;
  HRESULT PlayBackwards(double speed, DWORD flags, IDvdCmd **cmd) override;
  HRESULT ShowMenu(DVD_MENU_ID menu, DWORD flags, IDvdCmd **cmd) override;
  HRESULT Resume(DWORD flags, IDvdCmd **cmd) override;
  HRESULT SelectRelativeButton(DVD_RELATIVE_BUTTON button) override;
  HRESULT ActivateButton() override;
  HRESULT SelectButton(ULONG button) override;
  HRESULT SelectAndActivateButton(ULONG button) override;
  HRESULT StillOff() override;
  HRESULT Pause(BOOL state) override;
  HRESULT SelectAudioStream(ULONG stream, DWORD flags, IDvdCmd **cmd) override;
  HRESULT SelectSubpictureStream(ULONG stream, DWORD flags, IDvdCmd **cmd) override;
  HRESULT SetSubpictureState(BOOL state, DWORD flags, IDvdCmd **cmd) override;
  HRESULT SelectAngle(ULONG angle, DWORD flags, IDvdCmd **cmd) override;
  HRESULT SelectParentalLevel(ULONG level) override;
  HRESULT SetDVDDirectory(LPCWSTR path) override;
  HRESULT ActivateAtPosition(POINT point) override;
  HRESULT SelectAtPosition(POINT point) override;
  HRESULT AcceptParentalLevelChange(BOOL accept) override;
  HRESULT SetOption(DVD_OPTION_FLAG flag, BOOL state) override;
  HRESULT SetState(IDvdState *state, DWORD flags, IDvdCmd **cmd) override;

  // IDvdInfo2
  HRESULT GetCurrentDomain(DVD_DOMAIN *domain) override;
  HRESULT GetCurrentLocation(DVD_PLAYBACK_LOCATION2 *location) override;
  HRESULT GetTotalTitleTime(DVD_HMSF_TIMECODE *time, ULONG *flags) override;
  HRESULT GetCurrentButton(ULONG *available, ULONG *current) override;
  HRESULT GetCurrentAngle(ULONG *available, ULONG *current) override;
  HRESULT GetCurrentAudio(ULONG *available, ULONG *current) override;
  HRESULT GetCurrentSubpicture(ULONG *available, ULONG *current, BOOL *disabled) override;
  HRESULT GetCurrentUOPS(ULONG *uops) override;
  HRESULT GetAudioLanguage(ULONG stream, LCID *language) override;
  HRESULT GetSubpictureLanguage(ULONG stream, LCID *language) override;
  HRESULT GetDVDVolumeInfo(ULONG *volumes, ULONG *volume, DVD_DISC_SIDE *side, ULONG *titles) override;
  HRESULT GetNumberOfChapters(ULONG title, ULONG *chapters) override;
  HRESULT GetDVDDirectory(LPWSTR path, ULONG size, ULONG *actual) override;
  HRESULT IsAudioStreamEnabled(ULONG stream, BOOL *enabled) override;
  HRESULT GetDiscID(LPCWSTR path, ULONGLONG *id) override;
  HRESULT GetState(IDvdState **state) override;
  HRESULT GetButtonAtPosition(POINT point, ULONG *button) override;
  HRESULT GetButtonRect(ULONG button, RECT *rect) override;
  HRESULT GetAudioAttributes(ULONG stream, DVD_AudioAttributes *attributes) override;

private:
  HRESULT Ready();
  // Posts a command; hands out an IDvdCmd when asked and waits (bounded) with
  // DVD_CMD_FLAG_Block.
  HRESULT Send(std::function<HRESULT(NavEngine &)> command, DWORD flags, IDvdCmd **cmd);
  HRESULT CheckOp(int uop);
  // The stored-picture point and button under a window point.
  HRESULT PointToButton(POINT point, POINT *picture, int *button);

  Navigator *nav_;
};

class Navigator : public graph::BaseFilter, private NavOutput {
public:
  static HRESULT Create(REFIID iid, void **object);

  // Opens a volume (the builder's check has passed). Only while stopped.
  HRESULT OpenVolume(const std::string &path);
  NavEngine &Engine() { return engine_; }
  const std::string &VolumePath() const { return path_; }
  // Options set with IDvdControl2::SetOption, bit n for option n.
  std::atomic<DWORD> options{0};
  // Where the video renderer draws the picture now (IPictureGeometry of a filter in
  // the graph). GUI thread.
  HRESULT PictureGeometry(RECT *dest, LONG *width, LONG *height);

  int PinCount() override { return 3; }
  graph::BasePin *GetPin(int index) override;
  NavigatorPin &Pin(StreamKind kind);

protected:
  HRESULT OnStop() override;
  HRESULT OnPause(FILTER_STATE from) override;
  HRESULT OnRun(media::StreamTime start) override;
  HRESULT QueryExtraInterface(REFIID iid, void **object) override;

private:
  Navigator();
  ~Navigator() override;

  // NavOutput
  void DeliverSample(StreamKind kind, const BYTE *data, std::size_t size, const SampleInfo &info) override;
  void Flush() override;
  void FlushStream(StreamKind kind) override;
  void EndOfStream() override;
  void Drain() override;
  void SetScanMode(bool scanning) override;
  void SetPalette(const DWORD entries[16]) override;
  void SetHighlight(const DvdHighlight &highlight) override;
  void SetSubpictureDisplay(bool on) override;
  void Notify(LONG code, LONG_PTR param1, LONG_PTR param2) override;
  bool Now(media::StreamTime *now) override;
  bool Shown(media::StreamTime *start) override;

  NavigatorPin video_, audio_, subpicture_;
  // Navigator thread: the packets' samples, reused once the decoders let go of them
  // (room for the second or so by which discs mux pictures ahead of their sound).
  graph::SampleRing videoSamples_{768, kPackSize}, audioSamples_{256, kPackSize}, subpictureSamples_{32, kPackSize};
  DvdInterfaces dvd_;
  NavEngine engine_;
  std::string path_;
  std::mutex clockLock_;
  std::chrono::steady_clock::time_point runWall_{}; // stands in for a missing clock
  media::StreamTime playedBefore_; // stream time played before the last Run, without a clock
  media::StreamTime WallSinceRun() const;
  ComPtr<IPictureGeometry> renderer_; // clockLock_: the video renderer, from pause to stop
};

} // namespace dvd

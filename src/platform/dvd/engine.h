// The navigator's engine: one opened volume, the thread that runs the navigation
// library's block loop, demultiplexes and paces the streams, and the commands that
// the player sends. It talks to the graph only through NavOutput, so the filter
// (navigator.h) is a thin adapter and the engine can be driven on its own.
//
// Threads: the caller's thread (the GUI) posts commands and reads snapshots; it
// never waits on the navigator thread except in CommandState::Wait, which is bounded.
// The navigator thread owns the navigation library handle while it runs.
#pragma once

#include "dshow/dvd.h"
#include "dvd/demux.h"
#include "dvd/disc_info.h"
#include "dvd/nav_session.h"
#include "dvd/recent_packets.h"
#include "dvd/state_record.h"
#include "dvd/timecode.h"
#include "dvd/timeline.h"
#include "graph/dvd_stream.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace dvd {

// The format a stream has from one sample on.
struct StreamFormat {
  StreamKind kind = StreamKind::Video;
  AudioCoding coding = AudioCoding::None;
  DvdVideoFormat video{};
  DvdAudioFormat audio{};
  DvdSubpictureFormat subpicture{};
};

struct SampleInfo {
  bool hasTime = false;
  media::StreamTime start;
  bool discontinuity = false;
  bool sync = false;
  bool preroll = false;
  const StreamFormat *newFormat = nullptr; // the stream's format changes with this sample
};

// Where the engine's output goes. Called on the navigator thread unless noted.
class NavOutput {
public:
  virtual ~NavOutput() = default;
  virtual void DeliverSample(StreamKind kind, const BYTE *data, std::size_t size, const SampleInfo &info) = 0;
  // Begin and end a flush on every stream, then a new segment.
  virtual void Flush() = 0;
  // The same on one stream only (another sound track or subtitle stream was chosen).
  virtual void FlushStream(StreamKind kind) = 0;
  virtual void EndOfStream() = 0;
  // Decoders deliver what they hold (before a still).
  virtual void Drain() = 0;
  virtual void SetScanMode(bool scanning) = 0;
  virtual void SetPalette(const DWORD entries[16]) = 0;
  virtual void SetHighlight(const DvdHighlight &highlight) = 0;
  virtual void SetSubpictureDisplay(bool on) = 0;
  // Any thread.
  virtual void Notify(LONG code, LONG_PTR param1, LONG_PTR param2) = 0;
  // Any thread: the stream time now; false when the graph is not running.
  virtual bool Now(media::StreamTime *now) = 0;
  // Navigator thread: the stream time of the last picture put on the screen since the
  // last flush; false when none is known. A picture shown ahead of the clock after a
  // flush makes the events that describe it due.
  virtual bool Shown(media::StreamTime *) { return false; }
};

// The outcome of one command, shared with the IDvdCmd handed to the caller.
class CommandState {
public:
  void Start();
  void Finish(HRESULT hr);
  // Waits at most `ms` for the end: the command's result, or VFW_E_TIMEOUT.
  HRESULT WaitEnd(int ms);
  HRESULT WaitStart(int ms);
  bool Done();

private:
  std::mutex lock_;
  std::condition_variable cv_;
  bool started_ = false, done_ = false;
  HRESULT hr_ = S_OK;
};

// What the caller's thread may read at any time.
struct Snapshot {
  bool open = false;
  bool streaming = false; // the thread runs (graph paused or running)
  NavDomain domain = NavDomain::Stop;
  int titleSet = 0;
  int title = 0, chapter = 0, pgcn = 0, pgn = 0;
  int menuId = 0;
  FrameRate rate = FrameRate::Fps30;
  DWORD prohibitedOps = 0;
  int buttonCount = 0, currentButton = 0;
  std::vector<ButtonArea> buttons;
  LONG pictureWidth = 720, pictureHeight = 480;
  int audio = 15;          // SPRM1
  int subpicture = 62;     // SPRM2
  int angle = 1, angleCount = 1;
  bool still = false;
  double speed = 1.0;      // negative: backwards
  bool stopped = false;    // after the end of the disc's program or a read error
};

// A place to play from: a bookmark, or a time in a title.
struct RestoreTarget {
  StateRecord record;
  bool bySector = true;    // seek to the VOBU by sector (bookmarks), else by time
};

class NavEngine {
public:
  explicit NavEngine(NavOutput *output);
  ~NavEngine();
  NavEngine(const NavEngine &) = delete;
  NavEngine &operator=(const NavEngine &) = delete;

  // Opens a volume (only while the thread does not run). S_OK, VFW_E_DVD_INVALID_DISC.
  HRESULT Open(const std::string &path);
  bool IsOpen() const;
  // The disc's information; unchanged while open.
  const DiscInfo &Disc() const { return disc_; }
  std::optional<media::Ticks90k> TitleDuration(int title) const; // none: unknown or implausible

  // The filter's states: Pause starts the thread parked, Run lets it read, Stop ends
  // it (the caller unblocks downstream first).
  void Pause();
  void Run();
  void Stop();

  // Posts a command to the navigator thread. Null when the thread does not run.
  std::shared_ptr<CommandState> Post(std::function<HRESULT(NavEngine &)> command);

  Snapshot GetSnapshot() const;
  // The picture on screen now: program chain time and its VOBU.
  bool Shown(ShownVobu *vobu, media::Ticks90k *time90k) const;
  // A bookmark of the point on screen.
  bool MakeState(StateRecord *record) const;

  void SetHmsfEvents(bool on) { hmsfEvents_ = on; }
  void SetParentalEvents(bool on) { parentalEvents_ = on; }
  bool ParentalEvents() const { return parentalEvents_; }

  // --- Commands: run on the navigator thread through Post --------------------------
  HRESULT DoPlayTitle(int title);
  HRESULT DoPlayChapter(int title, int chapter);
  HRESULT DoNextChapter();
  HRESULT DoPrevChapter();
  HRESULT DoReplayChapter();
  HRESULT DoMenu(int menuId);
  HRESULT DoResume();
  HRESULT DoReturnFromSubmenu();
  HRESULT DoStop();
  HRESULT DoStillOff();
  HRESULT DoSelectButton(int button);
  HRESULT DoActivateButton();
  HRESULT DoSelectAndActivateButton(int button);
  HRESULT DoSelectRelativeButton(int direction);
  HRESULT DoPointAt(POINT picture, bool activate); // a stored-picture point
  HRESULT DoSetStreams(int audio, int subpicture, int display, int angle);
  HRESULT DoPlayAtTime(int title, media::Ticks90k time); // title 0: the current one
  HRESULT DoRestore(const StateRecord &record);
  HRESULT DoScan(double speed);                      // 1 normal, >1 forward, <0 backward
  HRESULT DoPauseNavigation(bool paused);

private:
  static constexpr HRESULT kPending = 0x00045001; // a command that finishes later

  struct Command {
    std::function<HRESULT(NavEngine &)> run;
    std::shared_ptr<CommandState> state;
  };

  void ThreadMain();
  bool RunCommands();
  void Step();
  // Waits until the stream time reaches `until` (or a command, pause or quit arrives),
  // sending due time events. True when the time was reached.
  bool WaitUntil(media::StreamTime until, bool forever = false);
  bool Interrupted();
  media::StreamTime NowOr(media::StreamTime fallback);

  // Blocks and events.
  void OnBlock(const BYTE *data, std::size_t size);
  bool DeliverPending();
  void OnNavPacket();
  void OnVtsChange(const NavEvent &ev);
  void OnCellChange(const NavEvent &ev);
  void OnHighlight(int button);
  void OnStill(int seconds);
  // Playback ends; with an error, why is posted as the graph's error abort (a volume
  // that is no longer there is reported as such, whatever the read said).
  void OnStopped(bool error, const std::string &message, HRESULT why = HRESULT_FROM_WIN32(ERROR_READ_FAULT));
  // The opened volume is no longer where it was opened (a disc folder or image moved
  // away or deleted). Looks at most once a second; navigator thread only.
  bool VolumeGone();
  // A pack still scrambled: the disc cannot be played here; told once, then it stops.
  void OnScrambled();
  void UpdateLocation();
  // `chosen`: the viewer chose the streams; a stream that changes is handed on anew
  // from the picture on screen (Replay).
  void UpdateStreams(bool chosen = false);
  void Replay(StreamKind kind, int id);
  void UpdateButtons(bool force);
  void ShowHighlight(int button);
  void FlushAll();
  // Ends the still on screen; `skip`: the library is told to go on past it, just before
  // the next read (not when a jump comes first: see PrepareJump).
  void LeaveStill(bool skip);
  void AfterActivation();
  void PrepareJump();
  // After a jump the library carried out: the still left behind is not skipped.
  HRESULT Jumped(bool ok, HRESULT failure);
  void QueueTimeMark(media::StreamTime at, media::Ticks90k time90k);
  void SendDueTimeMarks(media::StreamTime now);
  // How far ahead of the clock a picture may be shown (the presenter's pre-roll after
  // a flush); the shown picture's time when it lies ahead of `now` within that, else now.
  static constexpr media::StreamTime kShownAhead = media::StreamTime::Milliseconds(300);
  media::StreamTime ShownAhead(media::StreamTime now);
  bool StatusDueWithin(media::StreamTime until) const; // a status event is queued up to then
  // Title and chapter events: sent once the first picture of the next VOBU shows.
  void QueueStatus(LONG code, LONG_PTR p1, LONG_PTR p2);
  void ScheduleStatus(media::StreamTime at);
  void EndScan(bool notify);
  HRESULT Fail(); // maps the library's refusal
  StreamSet CurrentStreams() const;
  void SetFormats();

  NavOutput *out_;
  DiscInfo disc_;
  std::vector<std::optional<media::Ticks90k>> titleDurations_;
  std::unique_ptr<NavSession> session_;

  // Shared with the caller's thread.
  mutable std::mutex lock_;
  std::condition_variable wake_;
  std::deque<Command> commands_;
  Snapshot snap_;
  ShownHistory shown_;
  bool threadRunning_ = false;
  bool reading_ = false; // graph running
  bool quit_ = false;
  std::thread thread_;
  std::atomic<bool> hmsfEvents_{false};
  std::atomic<bool> parentalEvents_{false};

  // Navigator thread only.
  Timeline timeline_;
  std::chrono::steady_clock::time_point volumeChecked_{};
  PciCopy pci_;
  DsiCopy dsi_;
  DWORD navSector_ = 0;
  media::Ticks90k timeAtNav_; // program chain time of the last navigation packet
  int blockInVobu_ = 0;
  bool haveNav_ = false;
  bool navSinceFlush_ = false; // a navigation packet was read since the last flush
  bool idle_ = false;          // stopped: nothing to read until a command moves the machine
  bool navPaused_ = false;     // IDvdControl2::Pause
  bool stillSkipDue_ = false;  // the library is told to skip its still before the next read
  struct Still {
    bool active = false;
    bool forever = false;
    media::StreamTime until;
  } still_;
  bool discontinuity_[3] = {true, true, true};
  bool expectSeekHop_ = false;
  int noProgress_ = 0;
  int audioId_ = -1, subpictureId_ = -1;
  std::optional<StreamFormat> pendingFormat_[3];
  StreamFormat formats_[3];
  std::vector<BYTE> pendingBlock_;
  int pendingIndex_ = 0;
  RecentPackets recent_;
  media::StreamTime lastNow_; // the stream time last seen while running
  // A time event, or (code != 0) a status event, sent when stream time reaches `at`:
  // the picture it describes is then on the screen.
  struct TimeMark {
    media::StreamTime at;
    media::Ticks90k time90k;
    LONG code = 0;
    LONG_PTR p1 = 0, p2 = 0;
  };
  std::vector<TimeMark> pendingStatus_; // waiting for the stream time of the next VOBU
  std::deque<TimeMark> marks_;
  LONGLONG lastSecond_ = -1; // whole seconds of the last time event
  // Scans.
  double speed_ = 1.0;
  media::StreamTime scanStreamBase_;
  std::optional<media::Ticks90k> scanTimeBase_; // program chain time where the scan began
  media::StreamTime scanKeyTime_;
  bool scanKeyDone_ = false;
  // Restores and timed jumps.
  std::optional<RestoreTarget> restore_;
  int restorePhase_ = 0;
  std::shared_ptr<CommandState> restoreCmd_;
  std::shared_ptr<CommandState> currentCmd_;
  std::optional<media::Ticks90k> prerollUntil_; // what is before it is decoded and dropped
};

} // namespace dvd

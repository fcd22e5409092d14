// IDvdControl2: checks what can be answered at once on the caller's thread, then
// queues the command to the navigator thread.
#include "dvd/navigator.h"

#include "dshow/errors.h"
#include "dshow/evcode.h"
#include "dvd/state_object.h"
#include "dvd/uops.h"


namespace dvd {
namespace {
constexpr int kBlockMs = 5000;

class DvdCmd : public ComObject<IDvdCmd> {
public:
  explicit DvdCmd(std::shared_ptr<CommandState> state) : state_(std::move(state)) {}
  HRESULT QueryInterface(REFIID iid, void **object) override { return QueryFrom<IDvdCmd>(iid, object); }
  HRESULT WaitForStart() override { return state_->WaitStart(kBlockMs); }
  HRESULT WaitForEnd() override { return state_->WaitEnd(kBlockMs); }

private:
  std::shared_ptr<CommandState> state_;
};

bool IsMenu(NavDomain d) { return d == NavDomain::VideoManagerMenu || d == NavDomain::TitleSetMenu; }

} // namespace

std::string WideToUtf8(LPCWSTR text) {
  std::string out;
  for (const WCHAR *p = text; p && *p; ++p) {
    char32_t c = *p;
    if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) c = 0x10000 + ((c - 0xD800) << 10) + (*++p - 0xDC00);
    if (c < 0x80) out += static_cast<char>(c);
    else if (c < 0x800) out += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
    else if (c < 0x10000)
      out += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
    else
      out += {static_cast<char>(0xF0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3F)),
              static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
  }
  return out;
}

HRESULT DvdInterfaces::QueryInterface(REFIID iid, void **object) { return nav_->QueryInterface(iid, object); }
ULONG DvdInterfaces::AddRef() { return nav_->AddRef(); }
ULONG DvdInterfaces::Release() { return nav_->Release(); }

HRESULT DvdInterfaces::Ready() {
  if (!nav_->Graph()) return VFW_E_NOT_IN_GRAPH;
  if (!nav_->Engine().IsOpen() || nav_->State() == State_Stopped) return VFW_E_DVD_GRAPHNOTREADY;
  return S_OK;
}

HRESULT DvdInterfaces::CheckOp(int uop) {
  HRESULT hr = Ready();
  if (FAILED(hr)) return hr;
  Snapshot s = nav_->Engine().GetSnapshot();
  if (s.prohibitedOps & (1u << uop)) return VFW_E_DVD_OPERATION_INHIBITED;
  return S_OK;
}

HRESULT DvdInterfaces::Send(std::function<HRESULT(NavEngine &)> command, DWORD flags, IDvdCmd **cmd) {
  if (cmd) *cmd = nullptr;
  std::shared_ptr<CommandState> state = nav_->Engine().Post(std::move(command));
  if (!state) return VFW_E_DVD_GRAPHNOTREADY;
  if (cmd) *cmd = new DvdCmd(state);
  if (flags & DVD_CMD_FLAG_Block) return state->WaitEnd(kBlockMs);
  return S_OK;
}

HRESULT DvdInterfaces::PlayTitle(ULONG title, DWORD flags, IDvdCmd **cmd) {
  HRESULT hr = CheckOp(kUopTitlePlay);
  if (FAILED(hr)) return hr;
  if (title < 1 || title > nav_->Engine().Disc().titles.size()) return E_INVALIDARG;
  return Send([title](NavEngine &e) { return e.DoPlayTitle(static_cast<int>(title)); }, flags, cmd);
}

HRESULT DvdInterfaces::PlayChapterInTitle(ULONG title, ULONG chapter, DWORD flags, IDvdCmd **cmd) {
  HRESULT hr = CheckOp(kUopChapterSearchOrPlay);
  if (FAILED(hr)) return hr;
  const auto &titles = nav_->Engine().Disc().titles;
  if (title < 1 || title > titles.size() || chapter < 1 ||
      chapter > static_cast<ULONG>(titles[title - 1].chapters))
    return E_INVALIDARG;
  return Send([title, chapter](NavEngine &e) { return e.DoPlayChapter(static_cast<int>(title), static_cast<int>(chapter)); },
              flags, cmd);
}

HRESULT DvdInterfaces::PlayAtTimeInTitle(ULONG title, DVD_HMSF_TIMECODE *time, DWORD flags, IDvdCmd **cmd) {
  if (!time) return E_POINTER;
  HRESULT hr = CheckOp(kUopTitleOrTimePlay);
  if (FAILED(hr)) return hr;
  if (title < 1 || title > nav_->Engine().Disc().titles.size()) return E_INVALIDARG;
  const FrameRate rate = nav_->Engine().GetSnapshot().rate;
  const media::Ticks90k t = TimecodeTo90k(*time, rate);
  return Send([title, t](NavEngine &e) { return e.DoPlayAtTime(static_cast<int>(title), t); }, flags, cmd);
}

HRESULT DvdInterfaces::PlayAtTime(DVD_HMSF_TIMECODE *time, DWORD flags, IDvdCmd **cmd) {
  if (!time) return E_POINTER;
  HRESULT hr = CheckOp(kUopTimeOrChapterSearch);
  if (FAILED(hr)) return hr;
  Snapshot s = nav_->Engine().GetSnapshot();
  if (s.domain != NavDomain::Title) return VFW_E_DVD_INVALIDDOMAIN;
  const media::Ticks90k t = TimecodeTo90k(*time, s.rate);
  return Send([t](NavEngine &e) { return e.DoPlayAtTime(0, t); }, flags, cmd);
}

HRESULT DvdInterfaces::Stop() {
  HRESULT hr = CheckOp(kUopStop);
  if (FAILED(hr)) return hr;
  return Send([](NavEngine &e) { return e.DoStop(); }, 0, nullptr);
}

HRESULT DvdInterfaces::ReturnFromSubmenu(DWORD flags, IDvdCmd **cmd) {
  HRESULT hr = CheckOp(kUopGoUp);
  if (FAILED(hr)) return hr;
  if (!IsMenu(nav_->Engine().GetSnapshot().domain)) return VFW_E_DVD_INVALIDDOMAIN;
  return Send([](NavEngine &e) { return e.DoReturnFromSubmenu(); }, flags, cmd);
}

HRESULT DvdInterfaces::PlayChapter(ULONG chapter, DWORD flags, IDvdCmd **cmd) {
  HRESULT hr = CheckOp(kUopTimeOrChapterSearch);
  if (FAILED(hr)) return hr;
  Snapshot s = nav_->Engine().GetSnapshot();
  if (s.domain != NavDomain::Title) return VFW_E_DVD_INVALIDDOMAIN;
  const auto &titles = nav_->Engine().Disc().titles;
  if (s.title < 1 || s.title > static_cast<int>(titles.size()) || chapter < 1 ||
      chapter > static_cast<ULONG>(titles[static_cast<std::size_t>(s.title - 1)].chapters))
    return E_INVALIDARG;
  const int title = s.title;
  return Send([title, chapter](NavEngine &e) { return e.DoPlayChapter(title, static_cast<int>(chapter)); }, flags, cmd);
}

HRESULT DvdInterfaces::PlayPrevChapter(DWORD flags, IDvdCmd **cmd) {
  HRESULT hr = CheckOp(kUopPrevOrTopSearch);
  if (FAILED(hr)) return hr;
  Snapshot s = nav_->Engine().GetSnapshot();
  if (s.domain != NavDomain::Title) return VFW_E_DVD_INVALIDDOMAIN;
  if (s.chapter <= 1) return VFW_E_DVD_OPERATION_INHIBITED;
  return Send([](NavEngine &e) { return e.DoPrevChapter(); }, flags, cmd);
}

HRESULT DvdInterfaces::ReplayChapter(DWORD flags, IDvdCmd **cmd) {
  HRESULT hr = CheckOp(kUopPrevOrTopSearch);
  if (FAILED(hr)) return hr;
  if (nav_->Engine().GetSnapshot().domain != NavDomain::Title) return VFW_E_DVD_INVALIDDOMAIN;
  return Send([](NavEngine &e) { return e.DoReplayChapter(); }, flags, cmd);
}

HRESULT DvdInterfaces::PlayNextChapter(DWORD flags, IDvdCmd **cmd) {
  HRESULT hr = CheckOp(kUopNextSearch);
  if (FAILED(hr)) return hr;
  Snapshot s = nav_->Engine().GetSnapshot();
  if (s.domain != NavDomain::Title) return VFW_E_DVD_INVALIDDOMAIN;
  const auto &titles = nav_->Engine().Disc().titles;
  if (s.title >= 1 && s.title <= static_cast<int>(titles.size()) &&
      s.chapter >= titles[static_cast<std::size_t>(s.title - 1)].chapters)
    return VFW_E_DVD_OPERATION_INHIBITED;
  return Send([](NavEngine &e) { return e.DoNextChapter(); }, flags, cmd);
}

HRESULT DvdInterfaces::PlayForwards(double speed, DWORD flags, IDvdCmd **cmd) {
  if (!(speed >= 0.1 && speed <= 64.0)) return VFW_E_DVD_WRONG_SPEED;
  HRESULT hr = CheckOp(kUopForwardScan);
  if (FAILED(hr)) return hr;
  Snapshot s = nav_->Engine().GetSnapshot();
  // Normal speed is always allowed; scans only in a title.
  if (speed != 1.0 && s.domain != NavDomain::Title) return VFW_E_DVD_INVALIDDOMAIN;
  if (speed < 1.0) speed = 1.0; // slow motion is not offered: play at normal speed
  return Send([speed](NavEngine &e) { return e.DoScan(speed); }, flags, cmd);
}

HRESULT DvdInterfaces::PlayBackwards(double speed, DWORD flags, IDvdCmd **cmd) {
  if (!(speed >= 0.1 && speed <= 64.0)) return VFW_E_DVD_WRONG_SPEED;
  HRESULT hr = CheckOp(kUopBackwardScan);
  if (FAILED(hr)) return hr;
  if (nav_->Engine().GetSnapshot().domain != NavDomain::Title) return VFW_E_DVD_INVALIDDOMAIN;
  return Send([speed](NavEngine &e) { return e.DoScan(-speed); }, flags, cmd);
}

HRESULT DvdInterfaces::ShowMenu(DVD_MENU_ID menu, DWORD flags, IDvdCmd **cmd) {
  if (menu < DVD_MENU_Title || menu > DVD_MENU_Chapter) return E_INVALIDARG;
  HRESULT hr = CheckOp(kUopTitleMenu + (menu - DVD_MENU_Title));
  if (FAILED(hr)) return hr;
  const DiscInfo &disc = nav_->Engine().Disc();
  Snapshot s = nav_->Engine().GetSnapshot();
  bool exists;
  if (menu == DVD_MENU_Title) {
    exists = disc.videoManagerMenuIds & (1u << DVD_MENU_Title);
  } else {
    // Other menus belong to the current title set (the first one before any is entered).
    int ts = s.titleSet > 0 ? s.titleSet : 1;
    exists = ts <= static_cast<int>(disc.titleSets.size()) &&
             (disc.titleSets[static_cast<std::size_t>(ts - 1)].menuIds & (1u << menu));
  }
  if (!exists) return VFW_E_DVD_MENU_DOES_NOT_EXIST;
  const int id = menu;
  return Send([id](NavEngine &e) { return e.DoMenu(id); }, flags, cmd);
}

HRESULT DvdInterfaces::Resume(DWORD flags, IDvdCmd **cmd) {
  HRESULT hr = CheckOp(kUopResume);
  if (FAILED(hr)) return hr;
  if (!IsMenu(nav_->Engine().GetSnapshot().domain)) return VFW_E_DVD_INVALIDDOMAIN;
  return Send([](NavEngine &e) { return e.DoResume(); }, flags, cmd);
}

HRESULT DvdInterfaces::SelectRelativeButton(DVD_RELATIVE_BUTTON button) {
  if (button < DVD_Relative_Upper || button > DVD_Relative_Right) return E_INVALIDARG;
  HRESULT hr = CheckOp(kUopButton);
  if (FAILED(hr)) return hr;
  Snapshot s = nav_->Engine().GetSnapshot();
  if (s.buttonCount == 0) return IsMenu(s.domain) ? VFW_E_DVD_NO_BUTTON : VFW_E_DVD_INVALIDDOMAIN;
  const int dir = button;
  return Send([dir](NavEngine &e) { return e.DoSelectRelativeButton(dir); }, 0, nullptr);
}

HRESULT DvdInterfaces::ActivateButton() {
  HRESULT hr = CheckOp(kUopButton);
  if (FAILED(hr)) return hr;
  Snapshot s = nav_->Engine().GetSnapshot();
  if (s.buttonCount == 0) return IsMenu(s.domain) ? VFW_E_DVD_NO_BUTTON : VFW_E_DVD_INVALIDDOMAIN;
  return Send([](NavEngine &e) { return e.DoActivateButton(); }, 0, nullptr);
}

HRESULT DvdInterfaces::SelectButton(ULONG button) {
  HRESULT hr = CheckOp(kUopButton);
  if (FAILED(hr)) return hr;
  Snapshot s = nav_->Engine().GetSnapshot();
  if (s.buttonCount == 0) return IsMenu(s.domain) ? VFW_E_DVD_NO_BUTTON : VFW_E_DVD_INVALIDDOMAIN;
  if (button < 1 || button > static_cast<ULONG>(s.buttonCount)) return E_INVALIDARG;
  return Send([button](NavEngine &e) { return e.DoSelectButton(static_cast<int>(button)); }, 0, nullptr);
}

HRESULT DvdInterfaces::SelectAndActivateButton(ULONG button) {
  HRESULT hr = CheckOp(kUopButton);
  if (FAILED(hr)) return hr;
  Snapshot s = nav_->Engine().GetSnapshot();
  if (s.buttonCount == 0) return IsMenu(s.domain) ? VFW_E_DVD_NO_BUTTON : VFW_E_DVD_INVALIDDOMAIN;
  if (button < 1 || button > static_cast<ULONG>(s.buttonCount)) return E_INVALIDARG;
  return Send([button](NavEngine &e) { return e.DoSelectAndActivateButton(static_cast<int>(button)); }, 0, nullptr);
}

HRESULT DvdInterfaces::StillOff() {
  HRESULT hr = CheckOp(kUopStillOff);
  if (FAILED(hr)) return hr;
  if (!nav_->Engine().GetSnapshot().still) return VFW_E_DVD_INVALIDDOMAIN;
  return Send([](NavEngine &e) { return e.DoStillOff(); }, 0, nullptr);
}

HRESULT DvdInterfaces::Pause(BOOL state) {
  HRESULT hr = state ? CheckOp(kUopPause) : Ready();
  if (FAILED(hr)) return hr;
  const bool paused = state != FALSE;
  return Send([paused](NavEngine &e) { return e.DoPauseNavigation(paused); }, 0, nullptr);
}

HRESULT DvdInterfaces::SelectAudioStream(ULONG stream, DWORD flags, IDvdCmd **cmd) {
  HRESULT hr = CheckOp(kUopAudioStream);
  if (FAILED(hr)) return hr;
  Snapshot s = nav_->Engine().GetSnapshot();
  if (s.domain != NavDomain::Title) return VFW_E_DVD_INVALIDDOMAIN;
  ULONG available = 0;
  GetCurrentAudio(&available, nullptr);
  if (stream >= available) return VFW_E_DVD_STREAM_DISABLED;
  return Send([stream](NavEngine &e) { return e.DoSetStreams(static_cast<int>(stream), -1, -1, -1); }, flags, cmd);
}

HRESULT DvdInterfaces::SelectSubpictureStream(ULONG stream, DWORD flags, IDvdCmd **cmd) {
  HRESULT hr = CheckOp(kUopSubpictureStream);
  if (FAILED(hr)) return hr;
  Snapshot s = nav_->Engine().GetSnapshot();
  if (s.domain != NavDomain::Title) return VFW_E_DVD_INVALIDDOMAIN;
  ULONG available = 0;
  GetCurrentSubpicture(&available, nullptr, nullptr);
  if (stream >= available) return VFW_E_DVD_STREAM_DISABLED;
  return Send([stream](NavEngine &e) { return e.DoSetStreams(-1, static_cast<int>(stream), -1, -1); }, flags, cmd);
}

HRESULT DvdInterfaces::SetSubpictureState(BOOL state, DWORD flags, IDvdCmd **cmd) {
  HRESULT hr = CheckOp(kUopSubpictureStream);
  if (FAILED(hr)) return hr;
  if (nav_->Engine().GetSnapshot().domain != NavDomain::Title) return VFW_E_DVD_INVALIDDOMAIN;
  const int on = state ? 1 : 0;
  return Send([on](NavEngine &e) { return e.DoSetStreams(-1, -1, on, -1); }, flags, cmd);
}

HRESULT DvdInterfaces::SelectAngle(ULONG angle, DWORD flags, IDvdCmd **cmd) {
  HRESULT hr = CheckOp(kUopAngle);
  if (FAILED(hr)) return hr;
  Snapshot s = nav_->Engine().GetSnapshot();
  if (s.domain != NavDomain::Title) return VFW_E_DVD_INVALIDDOMAIN;
  if (angle < 1 || angle > static_cast<ULONG>(s.angleCount)) return E_INVALIDARG;
  return Send([angle](NavEngine &e) { return e.DoSetStreams(-1, -1, -1, static_cast<int>(angle)); }, flags, cmd);
}

HRESULT DvdInterfaces::SelectParentalLevel(ULONG level) {
  if ((level < 1 || level > 8) && level != 0xFFFFFFFFu) return E_INVALIDARG;
  // The navigation library keeps no parental level; the change is reported when asked for.
  if (nav_->Engine().ParentalEvents()) nav_->NotifyEvent(EC_DVD_PARENTAL_LEVEL_CHANGE, static_cast<LONG_PTR>(level), 0);
  return S_OK;
}

HRESULT DvdInterfaces::SetDVDDirectory(LPCWSTR path) {
  if (!path) return E_POINTER;
  if (nav_->State() != State_Stopped) return VFW_E_DVD_INVALIDDOMAIN;
  return nav_->OpenVolume(WideToUtf8(path));
}

HRESULT DvdInterfaces::AcceptParentalLevelChange(BOOL) { return S_OK; }

HRESULT DvdInterfaces::SetOption(DVD_OPTION_FLAG flag, BOOL state) {
  if (flag < DVD_ResetOnStop || flag > DVD_EnableCC) return E_INVALIDARG;
  if (state) nav_->options |= 1u << flag;
  else nav_->options &= ~(1u << flag);
  switch (flag) {
  case DVD_HMSF_TimeCodeEvents: nav_->Engine().SetHmsfEvents(state != FALSE); return S_OK;
  case DVD_NotifyParentalLevelChange: nav_->Engine().SetParentalEvents(state != FALSE); return S_OK;
  default: return S_OK; // kept; nothing here depends on them
  }
}

HRESULT DvdInterfaces::SetState(IDvdState *state, DWORD flags, IDvdCmd **cmd) {
  if (cmd) *cmd = nullptr;
  if (!state) return E_POINTER;
  HRESULT hr = Ready();
  if (FAILED(hr)) return hr;
  StateRecord record;
  hr = RecordFromState(state, &record);
  if (FAILED(hr)) return hr;
  if (record.discId != nav_->Engine().Disc().discId) return VFW_E_DVD_STATE_WRONG_DISC;
  if (record.domain == static_cast<BYTE>(NavDomain::Title)) {
    const auto &titles = nav_->Engine().Disc().titles;
    if (record.title > titles.size() || record.chapter > titles[record.title - 1].chapters)
      return VFW_E_DVD_STATE_CORRUPT;
  }
  return Send([record](NavEngine &e) { return e.DoRestore(record); }, flags, cmd);
}

} // namespace dvd

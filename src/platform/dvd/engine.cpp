// Engine life cycle, the navigator thread's loop and the command queue.
#include "dvd/engine.h"

#include "com/log.h"
#include "dshow/errors.h"
#include "dshow/evcode.h"

#include <chrono>
#include <limits>

namespace dvd {

// --- CommandState ------------------------------------------------------------------

void CommandState::Start() {
  std::lock_guard g(lock_);
  started_ = true;
  cv_.notify_all();
}

void CommandState::Finish(HRESULT hr) {
  std::lock_guard g(lock_);
  if (done_) return;
  started_ = done_ = true;
  hr_ = hr;
  cv_.notify_all();
}

HRESULT CommandState::WaitEnd(int ms) {
  std::unique_lock g(lock_);
  if (!cv_.wait_for(g, std::chrono::milliseconds(ms), [&] { return done_; })) return VFW_E_TIMEOUT;
  return hr_;
}

HRESULT CommandState::WaitStart(int ms) {
  std::unique_lock g(lock_);
  if (!cv_.wait_for(g, std::chrono::milliseconds(ms), [&] { return started_; })) return VFW_E_TIMEOUT;
  return S_OK;
}

bool CommandState::Done() {
  std::lock_guard g(lock_);
  return done_;
}

// --- NavEngine ---------------------------------------------------------------------

NavEngine::NavEngine(NavOutput *output) : out_(output) {}

NavEngine::~NavEngine() { Stop(); }

HRESULT NavEngine::Open(const std::string &path) {
  {
    std::lock_guard g(lock_);
    if (threadRunning_) return VFW_E_WRONG_STATE;
  }
  DiscInfo info;
  if (!ReadDiscInfo(path, &info)) return VFW_E_DVD_INVALID_DISC;
  std::string error;
  std::unique_ptr<NavSession> session = NavSession::Open(path, &error);
  if (!session) return VFW_E_DVD_INVALID_DISC;
  qCDebug(lcNav, "opened %s: %zu titles", path.c_str(), info.titles.size());
  std::vector<std::optional<media::Ticks90k>> durations;
  for (int t = 1; t <= static_cast<int>(info.titles.size()); ++t) {
    std::optional<media::Ticks90k> total;
    std::vector<media::Ticks90k> ends = session->ChapterEnds(t, &total);
    // A damaged information file gives absurd times; keep only plausible ones.
    bool plausible = total && *total > media::Ticks90k() &&
                     *total < media::Ticks90k(24LL * 3600 * media::Ticks90k::kPerSecond);
    for (std::size_t i = 0; plausible && i < ends.size(); ++i)
      if (ends[i] > *total || (i > 0 && ends[i] < ends[i - 1])) plausible = false;
    durations.push_back(plausible ? total : std::nullopt);
  }
  std::lock_guard g(lock_);
  session_ = std::move(session);
  disc_ = std::move(info);
  titleDurations_ = std::move(durations);
  snap_ = Snapshot{};
  snap_.open = true;
  snap_.domain = NavDomain::FirstPlay;
  shown_.Clear();
  idle_ = false;
  stillSkipDue_ = false;
  return S_OK;
}

bool NavEngine::IsOpen() const {
  std::lock_guard g(lock_);
  return session_ != nullptr;
}

std::optional<media::Ticks90k> NavEngine::TitleDuration(int title) const {
  if (title < 1 || title > static_cast<int>(titleDurations_.size())) return std::nullopt;
  return titleDurations_[static_cast<std::size_t>(title - 1)];
}

void NavEngine::Pause() {
  std::lock_guard g(lock_);
  reading_ = false;
  if (!session_ || threadRunning_) {
    wake_.notify_all();
    return;
  }
  quit_ = false;
  threadRunning_ = true;
  snap_.streaming = true;
  thread_ = std::thread([this] { ThreadMain(); });
}

void NavEngine::Run() {
  Pause();
  std::lock_guard g(lock_);
  reading_ = true;
  wake_.notify_all();
}

void NavEngine::Stop() {
  std::thread thread;
  std::deque<Command> dropped;
  {
    std::lock_guard g(lock_);
    quit_ = true;
    reading_ = false;
    wake_.notify_all();
    thread = std::move(thread_);
  }
  if (thread.joinable()) thread.join();
  std::lock_guard g(lock_);
  threadRunning_ = false;
  snap_.streaming = false;
  dropped.swap(commands_);
  for (Command &c : dropped) c.state->Finish(VFW_E_DVD_CMD_CANCELLED);
  if (restoreCmd_) restoreCmd_->Finish(VFW_E_DVD_CMD_CANCELLED);
  restoreCmd_.reset();
}

std::shared_ptr<CommandState> NavEngine::Post(std::function<HRESULT(NavEngine &)> command) {
  std::lock_guard g(lock_);
  if (!threadRunning_ || quit_) return nullptr;
  auto state = std::make_shared<CommandState>();
  commands_.push_back({std::move(command), state});
  wake_.notify_all();
  return state;
}

Snapshot NavEngine::GetSnapshot() const {
  std::lock_guard g(lock_);
  return snap_;
}

bool NavEngine::Shown(ShownVobu *vobu, media::Ticks90k *time90k) const {
  media::StreamTime now;
  bool haveNow = out_->Now(&now);
  std::lock_guard g(lock_);
  if (!haveNow) now = media::StreamTime(std::numeric_limits<REFERENCE_TIME>::max() / 2);
  return shown_.At(now, vobu, time90k);
}

bool NavEngine::MakeState(StateRecord *record) const {
  ShownVobu vobu;
  media::Ticks90k time;
  bool have = Shown(&vobu, &time);
  Snapshot s = GetSnapshot();
  if (!s.open) return false;
  StateRecord r;
  r.discId = disc_.discId;
  r.domain = static_cast<BYTE>(s.domain);
  r.audio = static_cast<BYTE>(s.audio);
  r.subpicture = static_cast<BYTE>(s.subpicture);
  r.angle = static_cast<BYTE>(s.angle >= 1 && s.angle <= 9 ? s.angle : 1);
  if (s.domain == NavDomain::Title && have && vobu.title > 0) {
    r.title = static_cast<BYTE>(vobu.title);
    r.chapter = static_cast<WORD>(vobu.chapter);
    r.pgcn = static_cast<WORD>(vobu.pgcn);
    r.pgn = static_cast<WORD>(vobu.pgn);
    r.time90k = time;
    r.pgcSector = vobu.sector;
  } else if (s.domain == NavDomain::Title) {
    r.title = static_cast<BYTE>(s.title);
    r.chapter = static_cast<WORD>(s.chapter);
    r.pgcn = static_cast<WORD>(s.pgcn);
    r.pgn = static_cast<WORD>(s.pgn);
  } else {
    r.menu = static_cast<BYTE>(s.menuId);
  }
  if (r.domain == static_cast<BYTE>(NavDomain::Title) && (r.title < 1 || r.chapter < 1 || r.pgcn < 1 || r.pgn < 1))
    return false;
  *record = r;
  return true;
}

media::StreamTime NavEngine::NowOr(media::StreamTime fallback) {
  media::StreamTime now;
  return out_->Now(&now) ? now : fallback;
}

bool NavEngine::Interrupted() {
  std::lock_guard g(lock_);
  return quit_ || !reading_ || !commands_.empty();
}

bool NavEngine::RunCommands() {
  bool any = false;
  for (;;) {
    Command cmd;
    {
      std::lock_guard g(lock_);
      if (quit_ || commands_.empty()) return any;
      cmd = std::move(commands_.front());
      commands_.pop_front();
    }
    any = true;
    cmd.state->Start();
    currentCmd_ = cmd.state;
    HRESULT hr = cmd.run(*this);
    currentCmd_.reset();
    if (hr != kPending) cmd.state->Finish(hr);
  }
}

void NavEngine::ThreadMain() {
  // Whatever was queued downstream before a stop is gone: start clean.
  FlushAll();
  while (true) {
    RunCommands();
    {
      std::unique_lock g(lock_);
      if (quit_) break;
      if (!reading_) {
        wake_.wait(g, [&] { return quit_ || !commands_.empty() || reading_; });
        continue;
      }
      if ((idle_ || navPaused_) && !still_.active) {
        wake_.wait(g, [&] { return quit_ || !commands_.empty() || !reading_; });
        continue;
      }
    }
    if (still_.active) {
      if (still_.forever) {
        std::unique_lock g(lock_);
        wake_.wait(g, [&] { return quit_ || !commands_.empty() || !reading_; });
        continue;
      }
      if (!WaitUntil(still_.until)) continue;
      // A timed still is over.
      LeaveStill(true);
      continue;
    }
    Step();
  }
  // Leave nothing half done for the next run.
  still_ = Still{};
  pendingBlock_.clear();
  marks_.clear();
  timeline_.Break();
  std::lock_guard g(lock_);
  snap_.still = false;
}

media::StreamTime NavEngine::ShownAhead(media::StreamTime now) {
  media::StreamTime shown;
  if (!out_->Shown(&shown) || shown <= now || shown > now + kShownAhead) return now;
  return shown;
}

bool NavEngine::StatusDueWithin(media::StreamTime until) const {
  for (const TimeMark &m : marks_) {
    if (m.at > until) return false;
    if (m.code != 0) return true;
  }
  return false;
}

bool NavEngine::WaitUntil(media::StreamTime until, bool forever) {
  for (;;) {
    media::StreamTime now;
    bool haveNow = out_->Now(&now);
    if (haveNow) {
      lastNow_ = now;
      SendDueTimeMarks(std::max(now, ShownAhead(now)));
    }
    if (!forever && haveNow && now >= until) return true;
    media::StreamTime wait = media::StreamTime::Milliseconds(20); // while the clock is unknown
    if (haveNow && !forever) wait = until - now;
    if (haveNow && !marks_.empty()) wait = std::min(wait, std::max(marks_.front().at - now, media::StreamTime()));
    // A status event whose picture may be shown ahead of the clock (the first after a
    // flush) is looked at often, so that it goes out with that picture.
    if (haveNow && StatusDueWithin(now + kShownAhead)) wait = std::min(wait, media::StreamTime::Milliseconds(4));
    wait = std::clamp(wait, media::StreamTime::Milliseconds(1), media::StreamTime::Milliseconds(100));
    std::unique_lock g(lock_);
    if (quit_ || !reading_ || !commands_.empty()) return false;
    wake_.wait_for(g, std::chrono::microseconds(wait.ticks() / 10));
    if (quit_ || !reading_ || !commands_.empty()) return false;
  }
}

} // namespace dvd

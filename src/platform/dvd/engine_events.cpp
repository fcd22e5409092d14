// The navigation library's events: navigation packets, title-set and cell changes,
// streams, buttons and highlights, stills, and the end of playback.
#include "dvd/engine.h"

#include "com/log.h"
#include "dshow/evcode.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include <sys/stat.h>

namespace dvd {
namespace {
// Where new material starts after a jump, ahead of the clock: room for its first picture
// and sound to be read and decoded. The first picture shows as soon as it is decoded and
// stays until the clock reaches it, so this is also how long it stands still.
constexpr media::StreamTime kMargin = media::StreamTime::Milliseconds(40);
}

void NavEngine::OnNavPacket() {
  session_->KeepNavPacket(&pci_, &dsi_);
  DWORD sector = 0, length = 0;
  session_->Position(&sector, &length);
  navSector_ = sector;
  timeAtNav_ = session_->CurrentTime();
  blockInVobu_ = 0;
  haveNav_ = true;
  navSinceFlush_ = true;
  noProgress_ = std::max(0, noProgress_ - 1);
  const media::StreamTime now = NowOr(media::StreamTime());
  Snapshot s = GetSnapshot();

  if (restore_ && s.domain == NavDomain::Title) {
    const StateRecord &r = restore_->record;
    if (restorePhase_ == 0) {
      bool moved = false;
      if (restore_->bySector) moved = session_->SectorSearch(r.pgcSector);
      if (!moved) moved = session_->TimeSearch(r.time90k);
      if (restore_->bySector) {
        // The title's pre-commands have run: now the streams can be set.
        int audio = r.audio <= 7 ? r.audio : -1;
        int spu = (r.subpicture & 0x3F) <= 31 ? (r.subpicture & 0x3F) : -1;
        session_->SetStreams(audio, spu, (r.subpicture & 0x40) ? 1 : 0, r.angle > 1 ? r.angle : -1);
      }
      restorePhase_ = 1;
      if (moved) return; // the VOBU we seek comes next
    }
    // Show the saved picture first: what lies before it is decoded and dropped.
    prerollUntil_ = r.time90k;
    const media::Ticks90k skip = std::max(media::Ticks90k(), r.time90k - timeAtNav_);
    timeline_.MapAt(pci_.vobuStart, pci_.vobuEnd, now + kMargin - media::ToStreamTime(skip));
    if (restoreCmd_) restoreCmd_->Finish(S_OK);
    restoreCmd_.reset();
    restore_.reset();
    UpdateStreams();
  }

  media::StreamTime start;
  if (speed_ != 1.0) {
    if (!scanKeyDone_ && scanTimeBase_) out_->Drain();
    if (!scanTimeBase_) {
      scanTimeBase_ = timeAtNav_;
      scanStreamBase_ = now + kMargin;
    }
    scanKeyDone_ = false;
    const media::Ticks90k moved = timeAtNav_ - *scanTimeBase_;
    const media::StreamTime travelled = media::ToStreamTime(moved < media::Ticks90k() ? -moved : moved);
    scanKeyTime_ = scanStreamBase_ + media::StreamTime(static_cast<REFERENCE_TIME>(travelled.ticks() / std::abs(speed_)));
    start = scanKeyTime_;
    timeline_.MapAt(pci_.vobuStart, pci_.vobuEnd, start);
  } else {
    start = timeline_.OnVobu(pci_.vobuStart, pci_.vobuEnd, now, kMargin);
  }
  ScheduleStatus(start);
  ShownVobu shown;
  shown.streamStart = start;
  shown.time90k = timeAtNav_;
  shown.duration90k = speed_ != 1.0 ? media::Ticks90k() : pci_.vobuEnd - pci_.vobuStart;
  shown.backwards = speed_ < 0;
  shown.sector = navSector_;
  shown.title = s.domain == NavDomain::Title ? s.title : 0;
  shown.chapter = s.chapter;
  shown.pgcn = s.pgcn;
  shown.pgn = s.pgn;
  {
    std::lock_guard g(lock_);
    shown_.Push(shown);
  }
  UpdateButtons(false);
}

void NavEngine::UpdateLocation() {
  NavDomain domain = session_->Domain();
  int title = 0, part = 0, t2 = 0, pgcn = 0, pgn = 0, angle = 1, angles = 1;
  session_->TitlePart(&title, &part);
  if (domain == NavDomain::Title) session_->TitleProgram(&t2, &pgcn, &pgn);
  session_->Angle(&angle, &angles);
  Snapshot old;
  {
    std::lock_guard g(lock_);
    old = snap_;
    snap_.domain = domain;
    snap_.stopped = false;
    if (domain == NavDomain::Title) {
      snap_.title = title;
      snap_.chapter = part;
      snap_.pgcn = pgcn;
      snap_.pgn = pgn;
      snap_.menuId = 0;
    } else {
      snap_.title = 0;
      snap_.chapter = 0;
      // The menu id reads 0 when the menu was reached by program chain number.
      snap_.menuId = part ? part : (domain == NavDomain::VideoManagerMenu ? 2 : 3);
    }
    snap_.angle = angle;
    snap_.angleCount = angles;
  }
  if (domain != old.domain) out_->Notify(EC_DVD_DOMAIN_CHANGE, static_cast<LONG_PTR>(domain), 0);
  if (domain != old.domain || title != old.title) {
    // The buttons of the last navigation packet belong to where the machine was.
    pci_ = PciCopy{};
    UpdateButtons(false);
  }
  if (domain == NavDomain::Title) {
    bool newTitle = old.domain != NavDomain::Title || old.title != title;
    // Sent when the place's first picture shows, not when its cell is read.
    if (newTitle) QueueStatus(EC_DVD_TITLE_CHANGE, title, 0);
    if (newTitle || old.chapter != part) QueueStatus(EC_DVD_CHAPTER_START, part, 0);
  } else if (speed_ != 1.0) {
    EndScan(true);
  }
  if (angle != old.angle || angles != old.angleCount) out_->Notify(EC_DVD_ANGLE_CHANGE, angles, angle);
}

void NavEngine::OnVtsChange(const NavEvent &ev) {
  {
    std::lock_guard g(lock_);
    snap_.titleSet = ev.newTitleSet > 0 ? ev.newTitleSet : 0;
  }
  UpdateLocation();
  UpdateStreams();
  SetFormats();
  for (bool &d : discontinuity_) d = true;
}

void NavEngine::OnCellChange(const NavEvent &) {
  UpdateLocation();
  UpdateStreams();
}

void NavEngine::UpdateStreams(bool chosen) {
  const int audio = session_->AudioRegister();
  const int audioId = session_->AudioStreamId();
  const int spu = session_->SubpictureRegister();
  const int spuId = session_->SubpictureStreamId(true);
  Snapshot old;
  {
    std::lock_guard g(lock_);
    old = snap_;
    snap_.audio = audio;
    snap_.subpicture = spu;
  }
  if (audio != old.audio) out_->Notify(EC_DVD_AUDIO_STREAM_CHANGE, audio, 0);
  if ((spu & 0x3F) != (old.subpicture & 0x3F) || (spu & 0x40) != (old.subpicture & 0x40))
    out_->Notify(EC_DVD_SUBPICTURE_STREAM_CHANGE, spu & 0x3F, (spu & 0x40) ? TRUE : FALSE);
  const bool displayChanged = (spu & 0x40) != (old.subpicture & 0x40);
  if (displayChanged || subpictureId_ != spuId) out_->SetSubpictureDisplay((spu & 0x40) != 0);
  // A choice while a title plays takes effect from the picture on screen; otherwise the
  // new stream starts where the reading is.
  const bool replay = chosen && old.domain == NavDomain::Title && speed_ == 1.0 && !still_.active;
  const bool audioChanged = audioId != audioId_, spuChanged = spuId != subpictureId_;
  if (audioChanged) {
    audioId_ = audioId;
    discontinuity_[1] = true;
  }
  if (spuChanged) {
    subpictureId_ = spuId;
    discontinuity_[2] = true;
  }
  SetFormats();
  if (replay && audioChanged) Replay(StreamKind::Audio, audioId_);
  // Subtitles switched on again show the caption under way, also one whose unit was
  // read before the switch.
  if (replay && (spuChanged || (displayChanged && (spu & 0x40)))) Replay(StreamKind::Subpicture, subpictureId_);
}

void NavEngine::UpdateButtons(bool force) {
  const int count = pci_.valid && pci_.highlightStatus ? pci_.buttonCount : 0;
  const int current = count > 0 ? session_->CurrentButton() : 0;
  Snapshot old;
  {
    std::lock_guard g(lock_);
    old = snap_;
    snap_.buttonCount = count;
    snap_.currentButton = current;
    snap_.buttons = count > 0 ? pci_.buttons : std::vector<ButtonArea>{};
    snap_.prohibitedOps = pci_.prohibitedOps;
  }
  bool areasChanged = old.buttons.size() != static_cast<std::size_t>(count);
  for (std::size_t i = 0; !areasChanged && i < old.buttons.size(); ++i) {
    const ButtonArea &a = old.buttons[i], &b = pci_.buttons[i];
    areasChanged = a.x0 != b.x0 || a.y0 != b.y0 || a.x1 != b.x1 || a.y1 != b.y1;
  }
  if (count != old.buttonCount || current != old.currentButton) out_->Notify(EC_DVD_BUTTON_CHANGE, count, current);
  if (count > 0 && (force || areasChanged || current != old.currentButton)) ShowHighlight(current);
  if (count == 0 && old.buttonCount > 0) ShowHighlight(0);
  if (pci_.prohibitedOps != old.prohibitedOps) out_->Notify(EC_DVD_VALID_UOPS_CHANGE, pci_.prohibitedOps, 0);
}

void NavEngine::OnHighlight(int button) {
  // One highlight event comes at the start even where there are no buttons.
  if (!pci_.valid || !pci_.highlightStatus || pci_.buttonCount <= 0) return;
  int old;
  {
    std::lock_guard g(lock_);
    old = snap_.currentButton;
    snap_.currentButton = button;
  }
  ShowHighlight(button);
  if (old != button) out_->Notify(EC_DVD_BUTTON_CHANGE, pci_.buttonCount, button);
}

void NavEngine::ShowHighlight(int button) {
  DvdHighlight h{};
  NavHighlightArea area;
  if (button > 0 && pci_.valid && session_->HighlightArea(pci_, button, false, &area)) {
    h.visible = TRUE;
    h.area = {area.x0, area.y0, area.x1 + 1, area.y1 + 1};
    const DWORD p = area.palette;
    for (int i = 0; i < 4; ++i) {
      h.colour[i] = static_cast<BYTE>((p >> (16 + 4 * i)) & 0xF);
      h.contrast[i] = static_cast<BYTE>((p >> (4 * i)) & 0xF);
    }
  }
  out_->SetHighlight(h);
}

void NavEngine::OnStill(int seconds) {
  if (!navSinceFlush_) {
    // The still of the cell left behind: a jump ran once the library had reached it
    // (while the decoders drained for it, or during it) and nothing of the new place
    // was read; or the reading starts again at a still. Skipping it would not do: the
    // library keeps a skip until the next end of a cell with a still and spends it
    // there, so a menu reached within the new place's first cell would end at once
    // (and, with no command after it, stop the machine). Starting the program the
    // machine is in again clears the old still and keeps that of the new place.
    if (!session_->TopProgram()) session_->StillSkip();
    return;
  }
  out_->Drain();
  // A still shows at once: what describes it is due now.
  ScheduleStatus(media::StreamTime());
  SendDueTimeMarks(media::StreamTime(std::numeric_limits<REFERENCE_TIME>::max()));
  noProgress_ = 0;
  still_.active = true;
  still_.forever = seconds >= 255;
  const media::StreamTime begin = std::max(NowOr(media::StreamTime()), timeline_.DeliveredEnd());
  still_.until = begin + media::StreamTime::Seconds(seconds);
  int buttons;
  {
    std::lock_guard g(lock_);
    snap_.still = true;
    buttons = snap_.buttonCount;
  }
  out_->Notify(EC_DVD_STILL_ON, buttons > 0 ? FALSE : TRUE, still_.forever ? -1 : seconds);
}

void NavEngine::LeaveStill(bool skip) {
  if (!still_.active) return;
  still_.active = false;
  if (skip) stillSkipDue_ = true;
  {
    std::lock_guard g(lock_);
    snap_.still = false;
  }
  out_->Notify(EC_DVD_STILL_OFF, 0, 0);
}

void NavEngine::OnScrambled() {
  qCWarning(lcNav, "%s is scrambled (CSS) and was read without unscrambling: not played", disc_.path.c_str());
  out_->Notify(EC_DVD_ERROR, DVD_ERROR_CopyProtectFail, 0);
  OnStopped(false, {});
}

bool NavEngine::VolumeGone() {
  const auto now = std::chrono::steady_clock::now();
  if (now - volumeChecked_ < std::chrono::seconds(1)) return false;
  volumeChecked_ = now;
  struct stat st {};
  return !disc_.path.empty() && stat(disc_.path.c_str(), &st) != 0;
}

void NavEngine::OnStopped(bool error, const std::string &message, HRESULT why) {
  if (error) {
    volumeChecked_ = {};
    if (VolumeGone()) why = HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    qCWarning(lcNav, "playback stopped on %s: %s (%08x)", disc_.path.c_str(), message.c_str(), unsigned(why));
    out_->Notify(EC_DVD_WARNING, DVD_WARNING_Read, 0);
    out_->Notify(EC_DVD_ERROR, DVD_ERROR_Unexpected, 0);
    out_->Notify(EC_ERRORABORT, why, 0);
  }
  if (speed_ != 1.0) {
    speed_ = 1.0;
    out_->SetScanMode(false);
  }
  out_->EndOfStream();
  idle_ = true;
  pendingBlock_.clear();
  if (restoreCmd_) restoreCmd_->Finish(error ? VFW_E_DVD_OPERATION_INHIBITED : VFW_E_DVD_CMD_CANCELLED);
  restoreCmd_.reset();
  restore_.reset();
  NavDomain old;
  {
    std::lock_guard g(lock_);
    old = snap_.domain;
    snap_.domain = NavDomain::Stop;
    snap_.stopped = true;
    snap_.speed = 1.0;
    snap_.title = snap_.chapter = 0;
    snap_.buttonCount = snap_.currentButton = 0;
    snap_.buttons.clear();
  }
  if (old != NavDomain::Stop) out_->Notify(EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_Stop, 0);
  out_->Notify(EC_DVD_PLAYBACK_STOPPED, 0, 0);
}

} // namespace dvd

// Commands, carried out on the navigator thread between blocks.
#include "dvd/engine.h"

#include "dshow/errors.h"
#include "dshow/evcode.h"

namespace dvd {

HRESULT NavEngine::Fail() { return VFW_E_DVD_OPERATION_INHIBITED; }

// The still on screen ends without telling the library to skip it: a skip it was told
// of before a jump stays pending past the jump and is spent at the next end of a cell
// with a still, the first menu the new place reaches. A still the library still holds
// after the jump is cleared where it comes (OnStill).
void NavEngine::PrepareJump() {
  LeaveStill(false);
  AfterActivation();
}

void NavEngine::AfterActivation() {
  pendingBlock_.clear();
  pendingIndex_ = 0;
  prerollUntil_.reset();
  noProgress_ = 0;
  idle_ = false;
  stillSkipDue_ = false;
  // A seek's hop not yet read merges with the jump's: the new place is flushed.
  expectSeekHop_ = false;
  if (restoreCmd_) restoreCmd_->Finish(VFW_E_DVD_CMD_CANCELLED);
  restoreCmd_.reset();
  restore_.reset();
}

// A refused jump leaves everything as it was, the still on screen included.
HRESULT NavEngine::Jumped(bool ok, HRESULT failure) {
  if (!ok) return failure;
  PrepareJump();
  return S_OK;
}

HRESULT NavEngine::DoPlayTitle(int title) { return Jumped(session_->TitlePlay(title), Fail()); }

HRESULT NavEngine::DoPlayChapter(int title, int chapter) { return Jumped(session_->PartPlay(title, chapter), Fail()); }

HRESULT NavEngine::DoNextChapter() { return Jumped(session_->NextProgram(), Fail()); }

HRESULT NavEngine::DoPrevChapter() { return Jumped(session_->PrevProgram(), Fail()); }

HRESULT NavEngine::DoReplayChapter() { return Jumped(session_->TopProgram(), Fail()); }

HRESULT NavEngine::DoMenu(int menuId) {
  EndScan(true);
  return Jumped(session_->MenuCall(menuId), VFW_E_DVD_MENU_DOES_NOT_EXIST);
}

HRESULT NavEngine::DoResume() { return Jumped(session_->MenuCall(0), VFW_E_DVD_NO_RESUME_INFORMATION); }

HRESULT NavEngine::DoReturnFromSubmenu() { return Jumped(session_->GoUp(), Fail()); }

HRESULT NavEngine::DoStop() {
  EndScan(false);
  PrepareJump();
  return session_->StopPlayback() ? S_OK : Fail();
}

HRESULT NavEngine::DoStillOff() {
  if (!still_.active) return S_FALSE;
  LeaveStill(true);
  return S_OK;
}

HRESULT NavEngine::DoSelectButton(int button) {
  if (!pci_.valid || pci_.buttonCount <= 0) return VFW_E_DVD_NO_BUTTON;
  if (!session_->SelectButton(pci_, button)) return VFW_E_DVD_NO_BUTTON;
  OnHighlight(session_->CurrentButton());
  return S_OK;
}

HRESULT NavEngine::DoActivateButton() {
  if (!pci_.valid || pci_.buttonCount <= 0) return VFW_E_DVD_NO_BUTTON;
  if (!session_->ActivateButton(pci_)) return Fail();
  LeaveStill(false);
  AfterActivation();
  return S_OK;
}

HRESULT NavEngine::DoSelectAndActivateButton(int button) {
  if (!pci_.valid || pci_.buttonCount <= 0) return VFW_E_DVD_NO_BUTTON;
  if (!session_->SelectAndActivateButton(pci_, button)) return VFW_E_DVD_NO_BUTTON;
  LeaveStill(false);
  AfterActivation();
  return S_OK;
}

HRESULT NavEngine::DoSelectRelativeButton(int direction) {
  if (!pci_.valid || pci_.buttonCount <= 0) return VFW_E_DVD_NO_BUTTON;
  if (!session_->SelectRelativeButton(pci_, direction)) return Fail();
  OnHighlight(session_->CurrentButton());
  return S_OK;
}

HRESULT NavEngine::DoPointAt(POINT p, bool activate) {
  if (!pci_.valid || pci_.buttonCount <= 0) return VFW_E_DVD_NO_BUTTON;
  if (!activate) {
    if (!session_->MouseSelect(pci_, p.x, p.y)) return VFW_E_DVD_NO_BUTTON;
    OnHighlight(session_->CurrentButton());
    return S_OK;
  }
  if (!session_->MouseActivate(pci_, p.x, p.y)) return VFW_E_DVD_NO_BUTTON;
  LeaveStill(false);
  AfterActivation();
  return S_OK;
}

HRESULT NavEngine::DoSetStreams(int audio, int subpicture, int display, int angle) {
  if (!session_->SetStreams(audio, subpicture, display, angle)) return Fail();
  UpdateStreams(true);
  return S_OK;
}

HRESULT NavEngine::DoPlayAtTime(int title, media::Ticks90k time) {
  Snapshot s = GetSnapshot();
  if (title == 0) title = s.title;
  if (title < 1) return VFW_E_DVD_INVALIDDOMAIN;
  if (s.domain == NavDomain::Title && s.title == title && !still_.active && session_->TimeSearch(time)) {
    AfterActivation();
    prerollUntil_ = time;
    return S_OK;
  }
  if (!session_->TitlePlay(title)) return Fail();
  PrepareJump();
  RestoreTarget target;
  target.record.title = static_cast<BYTE>(title);
  target.record.time90k = time;
  target.bySector = false;
  restore_ = target;
  restorePhase_ = 0;
  restoreCmd_ = currentCmd_;
  return kPending;
}

HRESULT NavEngine::DoRestore(const StateRecord &r) {
  EndScan(true);
  if (r.domain == static_cast<BYTE>(NavDomain::Title)) {
    if (!session_->ProgramPlay(r.title, r.pgcn, r.pgn) && !session_->PartPlay(r.title, r.chapter)) return Fail();
    PrepareJump();
    restore_ = RestoreTarget{r, true};
    restorePhase_ = 0;
    restoreCmd_ = currentCmd_;
    return kPending;
  }
  if (r.domain == static_cast<BYTE>(NavDomain::VideoManagerMenu) ||
      r.domain == static_cast<BYTE>(NavDomain::TitleSetMenu)) {
    // Menus cannot be resumed exactly: the title menu is the way back in.
    return Jumped(session_->MenuCall(2), VFW_E_DVD_MENU_DOES_NOT_EXIST);
  }
  return S_OK;
}

HRESULT NavEngine::DoScan(double speed) {
  if (speed == speed_) return S_OK;
  if (speed == 1.0) {
    EndScan(true);
    return S_OK;
  }
  if (GetSnapshot().domain != NavDomain::Title || still_.active) return VFW_E_DVD_INVALIDDOMAIN;
  const bool wasScanning = speed_ != 1.0;
  speed_ = speed;
  scanTimeBase_.reset();
  scanKeyDone_ = true;
  if (!wasScanning) out_->SetScanMode(true);
  FlushAll();
  if (haveNav_ && session_->SectorSearch(navSector_)) expectSeekHop_ = true;
  {
    std::lock_guard g(lock_);
    snap_.speed = speed;
  }
  out_->Notify(EC_DVD_PLAYBACK_RATE_CHANGE, static_cast<LONG_PTR>(speed * 10000), 0);
  return S_OK;
}

HRESULT NavEngine::DoPauseNavigation(bool paused) {
  if (paused == navPaused_) return S_OK;
  navPaused_ = paused;
  if (!paused) {
    // What was queued ran late during the pause: start again from this VOBU.
    FlushAll();
    if (haveNav_ && GetSnapshot().domain == NavDomain::Title && session_->SectorSearch(navSector_))
      expectSeekHop_ = true;
  }
  return S_OK;
}

} // namespace dvd

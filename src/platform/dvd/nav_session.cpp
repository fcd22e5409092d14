// The only file that includes the navigation library's headers: their enumerators
// (DVD_MENU_Title, DVD_DOMAIN_FirstPlay...) clash with the platform's DVD names.
#include "dvd/nav_session.h"

#include "dvd/ifo_check.h"
#include "dvd/library_log.h"

#include <dvdnav/dvdnav.h>

#include <algorithm>
#include <cstring>

namespace dvd {
namespace {

static_assert(sizeof(pci_t) <= sizeof(PciCopy::raw), "PCI copy too small");

DWORD UopBits(const user_ops_t &u) {
  const unsigned bits[25] = {u.title_or_time_play,
                             u.chapter_search_or_play,
                             u.title_play,
                             u.stop,
                             u.go_up,
                             u.time_or_chapter_search,
                             u.prev_or_top_pg_search,
                             u.next_pg_search,
                             u.forward_scan,
                             u.backward_scan,
                             u.title_menu_call,
                             u.root_menu_call,
                             u.subpic_menu_call,
                             u.audio_menu_call,
                             u.angle_menu_call,
                             u.chapter_menu_call,
                             u.resume,
                             u.button_select_or_activate,
                             u.still_off,
                             u.pause_on,
                             u.audio_stream_change,
                             u.subpic_stream_change,
                             u.angle_change,
                             u.karaoke_audio_pres_mode_change,
                             u.video_pres_mode_change};
  DWORD out = 0;
  for (int i = 0; i < 25; ++i)
    if (bits[i]) out |= 1u << i;
  return out;
}

NavDomain FromLibraryDomain(int d) {
  switch (d) {
  case DVD_DOMAIN_FirstPlay: return NavDomain::FirstPlay;
  case DVD_DOMAIN_VTSTitle: return NavDomain::Title;
  case DVD_DOMAIN_VMGM: return NavDomain::VideoManagerMenu;
  case DVD_DOMAIN_VTSMenu: return NavDomain::TitleSetMenu;
  default: return NavDomain::Stop;
  }
}

pci_t *AsPci(PciCopy &copy) { return reinterpret_cast<pci_t *>(copy.raw.data()); }

} // namespace

struct NavSession::Impl {
  dvdnav_t *nav = nullptr;
  BYTE buffer[DVD_VIDEO_LB_LEN];
  BYTE *cached = nullptr; // a cache block to hand back before the next read
  bool stopped = false;
  std::vector<bool> titlesWithTimes; // index 0 is title 1

  void ReleaseCached() {
    if (cached) dvdnav_free_cache_block(nav, cached);
    cached = nullptr;
  }
  bool Ok(dvdnav_status_t st) { return st == DVDNAV_STATUS_OK; }
};

NavSession::NavSession(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

NavSession::~NavSession() {
  if (impl_->nav) {
    impl_->ReleaseCached();
    dvdnav_close(impl_->nav);
  }
}

std::unique_ptr<NavSession> NavSession::Open(const std::string &path, std::string *error) {
  auto impl = std::make_unique<Impl>();
  // The navigation library parses the information files with libdvdread and then
  // trusts them: the damage that would crash either refuses the volume here.
  if (dvd_reader_t *reader = DVDOpen2(nullptr, ReadLibraryLogger(), path.c_str())) {
    std::string fault;
    const bool safe = DiscIfoFilesSafe(reader, &fault);
    if (safe) impl->titlesWithTimes = TitlesWithSoundChapters(reader);
    DVDClose(reader);
    if (!safe) {
      if (error) *error = "The volume cannot be opened: " + fault + ".";
      return nullptr;
    }
  }
  if (dvdnav_open2(&impl->nav, nullptr, NavLibraryLogger(), path.c_str()) != DVDNAV_STATUS_OK || !impl->nav) {
    if (error) *error = "The volume cannot be opened.";
    impl->nav = nullptr;
    return nullptr;
  }
  dvdnav_set_readahead_flag(impl->nav, 1);
  dvdnav_set_PGC_positioning_flag(impl->nav, 1);
  dvdnav_menu_language_select(impl->nav, const_cast<char *>("en"));
  dvdnav_audio_language_select(impl->nav, const_cast<char *>("en"));
  dvdnav_spu_language_select(impl->nav, const_cast<char *>("en"));
  return std::unique_ptr<NavSession>(new NavSession(std::move(impl)));
}

std::string NavSession::LastError() {
  const char *e = dvdnav_err_to_string(impl_->nav);
  return e ? e : "";
}

NavEvent NavSession::Next() {
  Impl &m = *impl_;
  m.ReleaseCached();
  NavEvent ev;
  BYTE *buf = m.buffer;
  int event = 0, len = 0;
  const bool ok = dvdnav_get_next_cache_block(m.nav, &buf, &event, &len) == DVDNAV_STATUS_OK;
  // A cache block handed out must go back, even with a failure: the library frees the
  // handle only once every block is back.
  if (buf && buf != m.buffer) m.cached = buf;
  if (!ok) {
    ev.kind = NavEvent::Error;
    ev.error = LastError();
    return ev;
  }
  ev.data = buf;
  ev.size = len > 0 ? static_cast<std::size_t>(len) : 0;
  switch (event) {
  case DVDNAV_BLOCK_OK: ev.kind = NavEvent::Block; break;
  case DVDNAV_NOP: ev.kind = NavEvent::Nop; break;
  case DVDNAV_STILL_FRAME:
    ev.kind = NavEvent::Still;
    ev.stillSeconds = reinterpret_cast<dvdnav_still_event_t *>(buf)->length;
    break;
  case DVDNAV_SPU_STREAM_CHANGE: ev.kind = NavEvent::SpuStreamChange; break;
  case DVDNAV_AUDIO_STREAM_CHANGE:
    ev.kind = NavEvent::AudioStreamChange;
    ev.audioRegister = reinterpret_cast<dvdnav_audio_stream_change_event_t *>(buf)->logical;
    audioRegister_ = ev.audioRegister;
    break;
  case DVDNAV_VTS_CHANGE: {
    auto *e = reinterpret_cast<dvdnav_vts_change_event_t *>(buf);
    ev.kind = NavEvent::VtsChange;
    ev.newTitleSet = e->new_vtsN;
    ev.newDomain = FromLibraryDomain(e->new_domain);
    break;
  }
  case DVDNAV_CELL_CHANGE: {
    auto *e = reinterpret_cast<dvdnav_cell_change_event_t *>(buf);
    ev.kind = NavEvent::CellChange;
    ev.cell = e->cellN;
    ev.program = e->pgN;
    ev.pgcLength = media::Ticks90k(e->pgc_length);
    break;
  }
  case DVDNAV_NAV_PACKET: ev.kind = NavEvent::NavPacket; break;
  case DVDNAV_STOP: ev.kind = NavEvent::Stop; break;
  case DVDNAV_HIGHLIGHT:
    ev.kind = NavEvent::Highlight;
    ev.button = static_cast<int>(reinterpret_cast<dvdnav_highlight_event_t *>(buf)->buttonN);
    break;
  case DVDNAV_SPU_CLUT_CHANGE:
    ev.kind = NavEvent::ClutChange;
    std::memcpy(ev.clut.data(), buf, sizeof(DWORD) * 16);
    break;
  case DVDNAV_HOP_CHANNEL: ev.kind = NavEvent::HopChannel; break;
  case DVDNAV_WAIT: ev.kind = NavEvent::Wait; break;
  default: ev.kind = NavEvent::Nop; break;
  }
  return ev;
}

NavDomain NavSession::Domain() {
  dvdnav_t *n = impl_->nav;
  if (dvdnav_is_domain_vts(n)) return NavDomain::Title;
  if (dvdnav_is_domain_vtsm(n)) return NavDomain::TitleSetMenu;
  if (dvdnav_is_domain_vmgm(n)) return NavDomain::VideoManagerMenu;
  if (dvdnav_is_domain_fp(n)) return NavDomain::FirstPlay;
  return NavDomain::Stop;
}

bool NavSession::TitlePart(int *title, int *part) {
  int32_t t = 0, p = 0;
  if (!impl_->Ok(dvdnav_current_title_info(impl_->nav, &t, &p))) return false;
  *title = t;
  *part = p;
  return true;
}

bool NavSession::TitleProgram(int *title, int *pgcn, int *pgn) {
  int32_t t = 0, c = 0, p = 0;
  if (!impl_->Ok(dvdnav_current_title_program(impl_->nav, &t, &c, &p))) return false;
  *title = t;
  *pgcn = c;
  *pgn = p;
  return true;
}

bool NavSession::Position(DWORD *sector, DWORD *length) {
  uint32_t pos = 0, len = 0;
  if (!impl_->Ok(dvdnav_get_position(impl_->nav, &pos, &len))) return false;
  *sector = pos;
  *length = len;
  return true;
}

media::Ticks90k NavSession::CurrentTime() { return media::Ticks90k(dvdnav_get_current_time(impl_->nav)); }

int NavSession::Titles() {
  int32_t n = 0;
  return impl_->Ok(dvdnav_get_number_of_titles(impl_->nav, &n)) ? n : 0;
}

int NavSession::Chapters(int title) {
  int32_t n = 0;
  return impl_->Ok(dvdnav_get_number_of_parts(impl_->nav, title, &n)) ? n : 0;
}

std::vector<media::Ticks90k> NavSession::ChapterEnds(int title, std::optional<media::Ticks90k> *total) {
  // The library walks the title's tables without checking them all: a title whose
  // chapters lead nowhere has no times and an unknown duration.
  const auto &sound = impl_->titlesWithTimes;
  if (title < 1 || title > static_cast<int>(sound.size()) || !sound[static_cast<std::size_t>(title - 1)]) {
    if (total) total->reset();
    return {};
  }
  uint64_t *times = nullptr, duration = 0;
  uint32_t n = dvdnav_describe_title_chapters(impl_->nav, title, &times, &duration);
  std::vector<media::Ticks90k> out;
  for (uint32_t i = 0; i < n && times; ++i) out.push_back(media::Ticks90k(static_cast<LONGLONG>(times[i])));
  free(times);
  if (total) *total = media::Ticks90k(static_cast<LONGLONG>(duration));
  return out;
}

int NavSession::AudioRegister() {
  // The register as the disc set it: the physical number alone is ambiguous (the first
  // AC-3 and the first MPEG stream are both 0).
  if (audioRegister_ >= 0 && audioRegister_ <= 7 && Domain() == NavDomain::Title) return audioRegister_;
  int physical = dvdnav_get_active_audio_stream(impl_->nav);
  if (physical < 0) return 15;
  int logical = dvdnav_get_audio_logical_stream(impl_->nav, static_cast<uint8_t>(physical));
  return logical < 0 ? 15 : logical;
}

int NavSession::AudioStreamId() {
  int physical = dvdnav_get_active_audio_stream(impl_->nav);
  if (physical < 0 || physical > 7) return -1;
  int logical = AudioRegister();
  int format = dvdnav_audio_stream_format(impl_->nav, static_cast<uint8_t>(logical > 7 ? 0 : logical));
  switch (format) {
  case DVD_AUDIO_FORMAT_AC3: return 0x80 + physical;
  case DVD_AUDIO_FORMAT_DTS: return 0x88 + physical;
  case DVD_AUDIO_FORMAT_LPCM: return 0xA0 + physical;
  case DVD_AUDIO_FORMAT_MPEG:
  case DVD_AUDIO_FORMAT_MPEG2_EXT: return 0xC0 + physical;
  default: return -1;
  }
}

int NavSession::SubpictureRegister() {
  int physical = dvdnav_get_active_spu_stream(impl_->nav);
  if (physical < 0) return 62;
  int logical = dvdnav_get_spu_logical_stream(impl_->nav, static_cast<uint8_t>(physical & 0x1F));
  if (logical < 0) logical = 62;
  return logical | ((physical & 0x80) ? 0 : 0x40);
}

int NavSession::SubpictureStreamId(bool) {
  int physical = dvdnav_get_active_spu_stream(impl_->nav);
  if (physical < 0 || (physical & 0x7F) > 31) return -1;
  return 0x20 + (physical & 0x1F);
}

bool NavSession::Angle(int *current, int *count) {
  int32_t c = 0, n = 0;
  if (!impl_->Ok(dvdnav_get_angle_info(impl_->nav, &c, &n))) return false;
  *current = c;
  *count = n;
  return true;
}

void NavSession::KeepNavPacket(PciCopy *pci, DsiCopy *dsi) {
  if (pci) {
    const pci_t *src = dvdnav_get_current_nav_pci(impl_->nav);
    *pci = PciCopy{};
    if (src) {
      std::memcpy(pci->raw.data(), src, sizeof(pci_t));
      pci->valid = true;
      pci->vobuStart = media::Pts90k(src->pci_gi.vobu_s_ptm);
      pci->vobuEnd = media::Pts90k(src->pci_gi.vobu_e_ptm);
      pci->prohibitedOps = UopBits(src->pci_gi.vobu_uop_ctl);
      const hl_gi_t &hl = src->hli.hl_gi;
      pci->highlightStatus = hl.hli_ss & 3;
      pci->buttonCount = pci->highlightStatus ? (hl.btn_ns & 0x3F) : 0;
      if (pci->buttonCount > 36) pci->buttonCount = 36;
      pci->forcedSelect = hl.fosl_btnn & 0x3F;
      for (int i = 0; i < pci->buttonCount; ++i) {
        const btni_t &b = src->hli.btnit[i];
        pci->buttons.push_back({i + 1, static_cast<LONG>(b.x_start), static_cast<LONG>(b.y_start),
                                static_cast<LONG>(b.x_end), static_cast<LONG>(b.y_end)});
      }
    }
  }
  if (dsi) {
    const dsi_t *src = dvdnav_get_current_nav_dsi(impl_->nav);
    *dsi = DsiCopy{};
    if (src) {
      dsi->sector = src->dsi_gi.nv_pck_lbn;
      dsi->vobuEnd = src->dsi_gi.vobu_ea;
      dsi->firstRefEnd = src->dsi_gi.vobu_1stref_ea;
    }
  }
}

bool NavSession::StillSkip() { return impl_->Ok(dvdnav_still_skip(impl_->nav)); }
bool NavSession::WaitSkip() { return impl_->Ok(dvdnav_wait_skip(impl_->nav)); }
bool NavSession::TitlePlay(int title) { return impl_->Ok(dvdnav_title_play(impl_->nav, title)); }
bool NavSession::PartPlay(int title, int part) { return impl_->Ok(dvdnav_part_play(impl_->nav, title, part)); }
bool NavSession::ProgramPlay(int title, int pgcn, int pgn) {
  return impl_->Ok(dvdnav_program_play(impl_->nav, title, pgcn, pgn));
}
bool NavSession::MenuCall(int menuId) {
  return impl_->Ok(dvdnav_menu_call(impl_->nav, static_cast<DVDMenuID_t>(menuId)));
}
bool NavSession::NextProgram() { return impl_->Ok(dvdnav_next_pg_search(impl_->nav)); }
bool NavSession::PrevProgram() { return impl_->Ok(dvdnav_prev_pg_search(impl_->nav)); }
bool NavSession::TopProgram() { return impl_->Ok(dvdnav_top_pg_search(impl_->nav)); }
bool NavSession::GoUp() { return impl_->Ok(dvdnav_go_up(impl_->nav)); }
bool NavSession::SectorSearch(LONGLONG sector) {
  return impl_->Ok(dvdnav_sector_search(impl_->nav, sector, SEEK_SET));
}
bool NavSession::TimeSearch(media::Ticks90k time) {
  return impl_->Ok(dvdnav_time_search(impl_->nav, static_cast<uint64_t>(std::max<LONGLONG>(0, time.ticks()))));
}
bool NavSession::StopPlayback() { return impl_->Ok(dvdnav_stop(impl_->nav)); }
bool NavSession::AngleChange(int angle) { return impl_->Ok(dvdnav_angle_change(impl_->nav, angle)); }

int NavSession::CurrentButton() {
  int32_t b = 0;
  return impl_->Ok(dvdnav_get_current_highlight(impl_->nav, &b)) ? b : 0;
}
bool NavSession::SelectButton(PciCopy &pci, int button) {
  return impl_->Ok(dvdnav_button_select(impl_->nav, AsPci(pci), button));
}
bool NavSession::ActivateButton(PciCopy &pci) { return impl_->Ok(dvdnav_button_activate(impl_->nav, AsPci(pci))); }
bool NavSession::SelectAndActivateButton(PciCopy &pci, int button) {
  return impl_->Ok(dvdnav_button_select_and_activate(impl_->nav, AsPci(pci), button));
}
bool NavSession::SelectRelativeButton(PciCopy &pci, int direction) {
  switch (direction) {
  case 1: return impl_->Ok(dvdnav_upper_button_select(impl_->nav, AsPci(pci)));
  case 2: return impl_->Ok(dvdnav_lower_button_select(impl_->nav, AsPci(pci)));
  case 3: return impl_->Ok(dvdnav_left_button_select(impl_->nav, AsPci(pci)));
  case 4: return impl_->Ok(dvdnav_right_button_select(impl_->nav, AsPci(pci)));
  default: return false;
  }
}

bool NavSession::MouseSelect(PciCopy &pci, LONG x, LONG y) {
  return impl_->Ok(dvdnav_mouse_select(impl_->nav, AsPci(pci), x, y));
}
bool NavSession::MouseActivate(PciCopy &pci, LONG x, LONG y) {
  return impl_->Ok(dvdnav_mouse_activate(impl_->nav, AsPci(pci), x, y));
}

bool NavSession::HighlightArea(PciCopy &pci, int button, bool action, NavHighlightArea *area) {
  dvdnav_highlight_area_t hl{};
  if (!impl_->Ok(dvdnav_get_highlight_area(AsPci(pci), button, action ? 1 : 0, &hl))) return false;
  area->x0 = hl.sx;
  area->y0 = hl.sy;
  area->x1 = hl.ex;
  area->y1 = hl.ey;
  area->palette = hl.palette;
  return true;
}

bool NavSession::SetStreams(int audio, int subpicture, int display, int angle) {
  vm_cmd_t cmd{};
  cmd.bytes[0] = 0x51;
  if (audio >= 0) cmd.bytes[3] = static_cast<uint8_t>(0x80 | (audio & 0x07));
  const int previousAudio = audioRegister_;
  if (audio >= 0) audioRegister_ = audio & 0x07;
  if (subpicture >= 0 || display >= 0) {
    int current = SubpictureRegister();
    int stream = subpicture >= 0 ? subpicture : (current & 0x3F);
    bool on = display >= 0 ? display != 0 : (current & 0x40) != 0;
    cmd.bytes[4] = static_cast<uint8_t>(0x80 | (on ? 0x40 : 0) | (stream & 0x3F));
  }
  if (angle >= 1) cmd.bytes[5] = static_cast<uint8_t>(0x80 | (angle & 0x0F));
  int button = CurrentButton();
  if (impl_->Ok(dvdnav_button_activate_cmd(impl_->nav, button > 0 ? button : 1, &cmd))) return true;
  audioRegister_ = previousAudio;
  return false;
}

} // namespace dvd

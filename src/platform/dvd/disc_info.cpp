#include "dvd/disc_info.h"

#include "dvd/ifo_check.h"
#include "dvd/library_log.h"

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>

namespace dvd {
namespace {

dvd_reader_t *OpenReader(const std::string &path) {
  return DVDOpen2(nullptr, ReadLibraryLogger(), path.c_str());
}

VideoInfo ReadVideo(const video_attr_t &v) {
  VideoInfo info;
  info.pal = v.video_format == 1;
  info.height = info.pal ? 576 : 480;
  static const LONG kWidths[4] = {720, 704, 352, 352};
  info.width = kWidths[v.picture_size & 3];
  if (v.picture_size == 3) info.height /= 2;
  info.wide = v.display_aspect_ratio == 3;
  info.letterboxAllowed = info.wide && (v.permitted_df == 0 || v.permitted_df == 2);
  return info;
}

AudioStreamInfo ReadAudio(const audio_attr_t &a) {
  AudioStreamInfo info;
  switch (a.audio_format) {
  case 0: info.coding = AudioCoding::Ac3; break;
  case 2:
  case 3: info.coding = AudioCoding::Mpeg; break;
  case 4: info.coding = AudioCoding::Lpcm; break;
  case 6: info.coding = AudioCoding::Dts; break;
  default: info.coding = AudioCoding::None; break;
  }
  info.channels = a.channels + 1;
  info.sampleRate = a.sample_frequency == 1 ? 96000 : 48000;
  if (info.coding == AudioCoding::Lpcm) {
    static const LONG kBits[4] = {16, 20, 24, 0};
    info.bitsPerSample = kBits[a.quantization & 3];
  }
  info.language = a.lang_type == 1 ? a.lang_code : 0;
  return info;
}

WORD SubpictureLanguage(const subp_attr_t &s) { return s.type == 1 ? s.lang_code : 0; }

// Menu ids that have an entry program chain in any language unit.
unsigned MenuIds(const pgci_ut_t *ut) {
  unsigned ids = 0;
  if (!ut || !ut->lu) return 0;
  for (int l = 0; l < ut->nr_of_lus; ++l) {
    const pgcit_t *pgcit = ut->lu[l].pgcit;
    if (!pgcit || !pgcit->pgci_srp) continue;
    for (int i = 0; i < pgcit->nr_of_pgci_srp; ++i) {
      BYTE id = pgcit->pgci_srp[i].entry_id;
      if (id & 0x80) ids |= 1u << (id & 0x0F);
    }
  }
  return ids;
}

} // namespace

bool ReadDiscId(const std::string &path, ULONGLONG *id) {
  dvd_reader_t *reader = OpenReader(path);
  if (!reader) return false;
  unsigned char digest[16] = {};
  bool ok = DVDDiscID(reader, digest) == 0;
  DVDClose(reader);
  if (!ok) return false;
  ULONGLONG v = 0;
  for (int i = 0; i < 8; ++i) v = v << 8 | digest[i];
  *id = v;
  return true;
}

bool ReadDiscInfo(const std::string &path, DiscInfo *info) {
  dvd_reader_t *reader = OpenReader(path);
  if (!reader) return false;
  // Damage that would crash libdvdread's own parsing refuses the disc first.
  if (!DiscIfoFilesSafe(reader, nullptr)) {
    DVDClose(reader);
    return false;
  }
  DiscInfo out;
  out.path = path;
  unsigned char digest[16] = {};
  if (DVDDiscID(reader, digest) == 0)
    for (int i = 0; i < 8; ++i) out.discId = out.discId << 8 | digest[i];
  ifo_handle_t *vmg = ifoOpen(reader, 0);
  if (!vmg || !vmg->vmgi_mat || !vmg->tt_srpt) {
    if (vmg) ifoClose(vmg);
    DVDClose(reader);
    return false;
  }
  const vmgi_mat_t &mat = *vmg->vmgi_mat;
  out.videoManagerMenus.video = ReadVideo(mat.vmgm_video_attr);
  if (mat.nr_of_vmgm_audio_streams) out.videoManagerMenus.audio.push_back(ReadAudio(mat.vmgm_audio_attr));
  if (mat.nr_of_vmgm_subp_streams) out.videoManagerMenus.subpictureLanguages.push_back(SubpictureLanguage(mat.vmgm_subp_attr));
  out.videoManagerMenuIds = MenuIds(vmg->pgci_ut);
  const int titleSets = mat.vmg_nr_of_title_sets;
  for (int i = 0; i < vmg->tt_srpt->nr_of_srpts; ++i) {
    const title_info_t &t = vmg->tt_srpt->title[i];
    out.titles.push_back({t.title_set_nr, t.nr_of_ptts, t.nr_of_angles ? t.nr_of_angles : 1});
  }
  ifoClose(vmg);
  out.titleSets.resize(static_cast<std::size_t>(titleSets));
  for (int n = 1; n <= titleSets && n <= 99; ++n) {
    ifo_handle_t *vts = ifoOpen(reader, n);
    if (!vts) continue;
    if (vts->vtsi_mat) {
      const vtsi_mat_t &v = *vts->vtsi_mat;
      TitleSetInfo &set = out.titleSets[static_cast<std::size_t>(n - 1)];
      set.menuIds = MenuIds(vts->pgci_ut);
      set.menus.video = ReadVideo(v.vtsm_video_attr);
      if (v.nr_of_vtsm_audio_streams) set.menus.audio.push_back(ReadAudio(v.vtsm_audio_attr));
      if (v.nr_of_vtsm_subp_streams) set.menus.subpictureLanguages.push_back(SubpictureLanguage(v.vtsm_subp_attr));
      set.titles.video = ReadVideo(v.vts_video_attr);
      for (int a = 0; a < v.nr_of_vts_audio_streams && a < 8; ++a) set.titles.audio.push_back(ReadAudio(v.vts_audio_attr[a]));
      for (int s = 0; s < v.nr_of_vts_subp_streams && s < 32; ++s)
        set.titles.subpictureLanguages.push_back(SubpictureLanguage(v.vts_subp_attr[s]));
    }
    ifoClose(vts);
  }
  DVDClose(reader);
  *info = std::move(out);
  return true;
}

} // namespace dvd

// IDvdInfo2: answered from the engine's snapshot and the disc's information, without
// waiting for the navigator thread.
#include "dvd/navigator.h"

#include "dshow/errors.h"
#include "dvd/languages.h"
#include "dvd/state_object.h"
#include "dvd/uops.h"

namespace dvd {
namespace {
const StreamSet *Streams(const DiscInfo &disc, const Snapshot &s) {
  bool haveSet = s.titleSet >= 1 && s.titleSet <= static_cast<int>(disc.titleSets.size());
  if (s.domain == NavDomain::Title && haveSet) return &disc.titleSets[static_cast<std::size_t>(s.titleSet - 1)].titles;
  if (s.domain == NavDomain::TitleSetMenu && haveSet)
    return &disc.titleSets[static_cast<std::size_t>(s.titleSet - 1)].menus;
  return &disc.videoManagerMenus;
}
} // namespace

std::u16string Utf8ToWide(const std::string &text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    char32_t cp = c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (extra) cp = c & (0x3F >> extra);
    ++i;
    for (int k = 0; k < extra && i < text.size(); ++k, ++i) cp = cp << 6 | (static_cast<unsigned char>(text[i]) & 0x3F);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

HRESULT DvdInterfaces::GetCurrentDomain(DVD_DOMAIN *domain) {
  if (!domain) return E_POINTER;
  Snapshot s = nav_->Engine().GetSnapshot();
  if (!s.open) return VFW_E_DVD_GRAPHNOTREADY;
  *domain = static_cast<DVD_DOMAIN>(s.domain);
  return S_OK;
}

HRESULT DvdInterfaces::GetCurrentLocation(DVD_PLAYBACK_LOCATION2 *location) {
  if (!location) return E_POINTER;
  Snapshot s = nav_->Engine().GetSnapshot();
  if (!s.open) return VFW_E_DVD_GRAPHNOTREADY;
  *location = {};
  location->TitleNum = static_cast<ULONG>(s.title);
  location->ChapterNum = static_cast<ULONG>(s.chapter);
  location->TimeCodeFlags = TimecodeFlags(s.rate);
  ShownVobu vobu;
  media::Ticks90k time;
  if (s.domain == NavDomain::Title && nav_->Engine().Shown(&vobu, &time) && vobu.title == s.title) {
    location->TimeCode = TimecodeFrom90k(time, s.rate);
    location->ChapterNum = static_cast<ULONG>(vobu.chapter);
  }
  return S_OK;
}

HRESULT DvdInterfaces::GetTotalTitleTime(DVD_HMSF_TIMECODE *time, ULONG *flags) {
  if (!time) return E_POINTER;
  Snapshot s = nav_->Engine().GetSnapshot();
  if (s.domain != NavDomain::Title) return VFW_E_DVD_INVALIDDOMAIN;
  const std::optional<media::Ticks90k> total = nav_->Engine().TitleDuration(s.title);
  if (!total) return VFW_E_DVD_NO_ATTRIBUTES;
  *time = TimecodeFrom90k(*total, s.rate);
  if (flags) *flags = TimecodeFlags(s.rate);
  return S_OK;
}

HRESULT DvdInterfaces::GetCurrentButton(ULONG *available, ULONG *current) {
  if (!available || !current) return E_POINTER;
  Snapshot s = nav_->Engine().GetSnapshot();
  *available = static_cast<ULONG>(s.buttonCount);
  *current = static_cast<ULONG>(s.currentButton);
  if (s.buttonCount == 0 && s.domain != NavDomain::VideoManagerMenu && s.domain != NavDomain::TitleSetMenu)
    return VFW_E_DVD_INVALIDDOMAIN;
  return S_OK;
}

HRESULT DvdInterfaces::GetCurrentAngle(ULONG *available, ULONG *current) {
  if (!available || !current) return E_POINTER;
  Snapshot s = nav_->Engine().GetSnapshot();
  *available = static_cast<ULONG>(s.angleCount > 0 ? s.angleCount : 1);
  *current = static_cast<ULONG>(s.angle > 0 ? s.angle : 1);
  return s.domain == NavDomain::Title ? S_OK : VFW_E_DVD_INVALIDDOMAIN;
}

HRESULT DvdInterfaces::GetCurrentAudio(ULONG *available, ULONG *current) {
  if (!available) return E_POINTER;
  Snapshot s = nav_->Engine().GetSnapshot();
  if (!s.open) return VFW_E_DVD_GRAPHNOTREADY;
  *available = static_cast<ULONG>(Streams(nav_->Engine().Disc(), s)->audio.size());
  if (current) *current = static_cast<ULONG>(s.audio <= 7 ? s.audio : 0);
  return S_OK;
}

HRESULT DvdInterfaces::GetCurrentSubpicture(ULONG *available, ULONG *current, BOOL *disabled) {
  if (!available) return E_POINTER;
  Snapshot s = nav_->Engine().GetSnapshot();
  if (!s.open) return VFW_E_DVD_GRAPHNOTREADY;
  *available = static_cast<ULONG>(Streams(nav_->Engine().Disc(), s)->subpictureLanguages.size());
  if (current) *current = static_cast<ULONG>((s.subpicture & 0x3F) <= 31 ? (s.subpicture & 0x3F) : 0);
  if (disabled) *disabled = (s.subpicture & 0x40) ? FALSE : TRUE;
  return S_OK;
}

HRESULT DvdInterfaces::GetCurrentUOPS(ULONG *uops) {
  if (!uops) return E_POINTER;
  *uops = nav_->Engine().GetSnapshot().prohibitedOps;
  return S_OK;
}

HRESULT DvdInterfaces::GetAudioLanguage(ULONG stream, LCID *language) {
  if (!language) return E_POINTER;
  Snapshot s = nav_->Engine().GetSnapshot();
  if (!s.open) return VFW_E_DVD_GRAPHNOTREADY;
  const StreamSet *set = Streams(nav_->Engine().Disc(), s);
  if (stream >= set->audio.size()) return E_INVALIDARG;
  *language = LcidFromIsoCode(set->audio[stream].language);
  return S_OK;
}

HRESULT DvdInterfaces::GetSubpictureLanguage(ULONG stream, LCID *language) {
  if (!language) return E_POINTER;
  Snapshot s = nav_->Engine().GetSnapshot();
  if (!s.open) return VFW_E_DVD_GRAPHNOTREADY;
  const StreamSet *set = Streams(nav_->Engine().Disc(), s);
  if (stream >= set->subpictureLanguages.size()) return E_INVALIDARG;
  *language = LcidFromIsoCode(set->subpictureLanguages[stream]);
  return S_OK;
}

HRESULT DvdInterfaces::GetAudioAttributes(ULONG stream, DVD_AudioAttributes *attributes) {
  if (!attributes) return E_POINTER;
  Snapshot s = nav_->Engine().GetSnapshot();
  if (!s.open) return VFW_E_DVD_GRAPHNOTREADY;
  const StreamSet *set = Streams(nav_->Engine().Disc(), s);
  if (stream >= set->audio.size()) return E_INVALIDARG;
  const AudioStreamInfo &a = set->audio[stream];
  *attributes = DVD_AudioAttributes{};
  switch (a.coding) {
  case AudioCoding::Ac3: attributes->AudioFormat = DVD_AudioFormat_AC3; break;
  case AudioCoding::Mpeg: attributes->AudioFormat = DVD_AudioFormat_MPEG1; break;
  case AudioCoding::Lpcm: attributes->AudioFormat = DVD_AudioFormat_LPCM; break;
  case AudioCoding::Dts: attributes->AudioFormat = DVD_AudioFormat_DTS; break;
  default: attributes->AudioFormat = DVD_AudioFormat_Other; break;
  }
  attributes->Language = LcidFromIsoCode(a.language);
  attributes->dwFrequency = static_cast<DWORD>(a.sampleRate);
  attributes->bQuantization = static_cast<BYTE>(a.bitsPerSample);
  attributes->bNumberOfChannels = static_cast<BYTE>(a.channels);
  return S_OK;
}

HRESULT DvdInterfaces::GetDVDVolumeInfo(ULONG *volumes, ULONG *volume, DVD_DISC_SIDE *side, ULONG *titles) {
  if (!volumes || !volume || !side || !titles) return E_POINTER;
  if (!nav_->Engine().IsOpen()) return VFW_E_DVD_GRAPHNOTREADY;
  *volumes = 1;
  *volume = 1;
  *side = DVD_SIDE_A;
  *titles = static_cast<ULONG>(nav_->Engine().Disc().titles.size());
  return S_OK;
}

HRESULT DvdInterfaces::GetNumberOfChapters(ULONG title, ULONG *chapters) {
  if (!chapters) return E_POINTER;
  if (!nav_->Engine().IsOpen()) return VFW_E_DVD_GRAPHNOTREADY;
  const auto &titles = nav_->Engine().Disc().titles;
  if (title < 1 || title > titles.size()) return E_INVALIDARG;
  *chapters = static_cast<ULONG>(titles[title - 1].chapters);
  return S_OK;
}

HRESULT DvdInterfaces::GetDVDDirectory(LPWSTR path, ULONG size, ULONG *actual) {
  if (!actual) return E_POINTER;
  if (!nav_->Engine().IsOpen()) return VFW_E_DVD_GRAPHNOTREADY;
  std::u16string wide = Utf8ToWide(nav_->VolumePath());
  *actual = static_cast<ULONG>(wide.size() + 1);
  if (!path) return size == 0 ? S_OK : E_POINTER;
  if (size < wide.size() + 1) return E_INVALIDARG;
  std::copy(wide.begin(), wide.end(), path);
  path[wide.size()] = 0;
  return S_OK;
}

HRESULT DvdInterfaces::IsAudioStreamEnabled(ULONG stream, BOOL *enabled) {
  if (!enabled) return E_POINTER;
  ULONG available = 0;
  HRESULT hr = GetCurrentAudio(&available, nullptr);
  if (FAILED(hr)) return hr;
  if (stream >= 8) return E_INVALIDARG;
  *enabled = stream < available ? TRUE : FALSE;
  return S_OK;
}

HRESULT DvdInterfaces::GetDiscID(LPCWSTR path, ULONGLONG *id) {
  if (!id) return E_POINTER;
  if (!path) {
    if (!nav_->Engine().IsOpen()) return VFW_E_DVD_GRAPHNOTREADY;
    *id = nav_->Engine().Disc().discId;
    return S_OK;
  }
  return ReadDiscId(WideToUtf8(path), id) ? S_OK : VFW_E_DVD_INVALID_DISC;
}

HRESULT DvdInterfaces::GetState(IDvdState **state) {
  if (!state) return E_POINTER;
  *state = nullptr;
  StateRecord record;
  if (!nav_->Engine().MakeState(&record)) return VFW_E_DVD_NO_RESUME_INFORMATION;
  return StateObject::CreateFrom(record, state);
}

HRESULT DvdInterfaces::GetButtonAtPosition(POINT point, ULONG *button) {
  if (!button) return E_POINTER;
  POINT picture{};
  int found = 0;
  HRESULT hr = PointToButton(point, &picture, &found);
  if (FAILED(hr)) return hr;
  *button = static_cast<ULONG>(found);
  return S_OK;
}

HRESULT DvdInterfaces::GetButtonRect(ULONG button, RECT *rect) {
  if (!rect) return E_POINTER;
  Snapshot s = nav_->Engine().GetSnapshot();
  if (s.buttonCount == 0) return VFW_E_DVD_INVALIDDOMAIN;
  for (const ButtonArea &b : s.buttons)
    if (b.number == static_cast<int>(button)) {
      *rect = {b.x0, b.y0, b.x1 + 1, b.y1 + 1};
      return S_OK;
    }
  return VFW_E_DVD_NO_BUTTON;
}

// --- Pointing ------------------------------------------------------------------------

HRESULT DvdInterfaces::PointToButton(POINT point, POINT *picture, int *button) {
  if (!nav_->Graph()) return VFW_E_NOT_IN_GRAPH;
  Snapshot s = nav_->Engine().GetSnapshot();
  if (!s.open) return VFW_E_DVD_GRAPHNOTREADY;
  const bool menu = s.domain == NavDomain::VideoManagerMenu || s.domain == NavDomain::TitleSetMenu;
  if (s.buttonCount == 0) return menu ? VFW_E_DVD_NO_BUTTON : VFW_E_DVD_INVALIDDOMAIN;
  RECT dest{};
  LONG width = 0, height = 0;
  HRESULT hr = nav_->PictureGeometry(&dest, &width, &height);
  if (FAILED(hr)) return hr;
  if (!WindowToPicture(dest, width, height, point, picture)) return VFW_E_DVD_NO_BUTTON;
  // The renderer may scale a picture of another stored size than the menu's.
  if (width != s.pictureWidth || height != s.pictureHeight) {
    picture->x = static_cast<LONG>(static_cast<LONGLONG>(picture->x) * s.pictureWidth / width);
    picture->y = static_cast<LONG>(static_cast<LONGLONG>(picture->y) * s.pictureHeight / height);
  }
  *button = ButtonAt(s.buttons, *picture);
  return *button ? S_OK : VFW_E_DVD_NO_BUTTON;
}

HRESULT DvdInterfaces::SelectAtPosition(POINT point) {
  HRESULT hr = CheckOp(kUopButton);
  if (FAILED(hr)) return hr;
  POINT picture{};
  int button = 0;
  hr = PointToButton(point, &picture, &button);
  if (FAILED(hr)) return hr;
  return Send([picture](NavEngine &e) { return e.DoPointAt(picture, false); }, 0, nullptr);
}

HRESULT DvdInterfaces::ActivateAtPosition(POINT point) {
  HRESULT hr = CheckOp(kUopButton);
  if (FAILED(hr)) return hr;
  POINT picture{};
  int button = 0;
  hr = PointToButton(point, &picture, &button);
  if (FAILED(hr)) return hr;
  return Send([picture](NavEngine &e) { return e.DoPointAt(picture, true); }, 0, nullptr);
}

} // namespace dvd

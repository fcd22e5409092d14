// Dispatch of the DVD navigator's events.
#include "engine/check_result.h"
#include "engine/filter_graph.h"

#include "win/locale.h"

#include <cstdint>

namespace {

LONG Low32(LONG_PTR param) { return static_cast<LONG>(static_cast<std::uint32_t>(static_cast<ULONG_PTR>(param))); }
ULONG ULow32(LONG_PTR param) { return static_cast<ULONG>(static_cast<ULONG_PTR>(param)); }

void RaiseNotify(const TNotifyEvent &handler, QObject *sender) {
  if (handler) handler(sender);
}

} // namespace

void TFilterGraph::DispatchDvdEvent(LONG event, LONG_PTR param1, LONG_PTR param2) {
  const LONG p1 = Low32(param1);
  const LONG p2 = Low32(param2);
  switch (event) {
  case EC_DVD_DOMAIN_CHANGE:
    switch (p1) {
    case DVD_DOMAIN_FirstPlay: RaiseNotify(OnDVDDomainFirstPlay, this); break;
    case DVD_DOMAIN_VideoManagerMenu: RaiseNotify(OnDVDDomainVideoManagerMenu, this); break;
    case DVD_DOMAIN_VideoTitleSetMenu: RaiseNotify(OnDVDDomainVideoTitleSetMenu, this); break;
    case DVD_DOMAIN_Title: RaiseNotify(OnDVDDomainTitle, this); break;
    case DVD_DOMAIN_Stop: RaiseNotify(OnDVDDomainStop, this); break;
    default: break;
    }
    break;
  case EC_DVD_TITLE_CHANGE:
    if (OnDVDTitleChange) OnDVDTitleChange(this, p1);
    break;
  case EC_DVD_CHAPTER_START:
    if (OnDVDChapterStart) OnDVDChapterStart(this, p1);
    break;
  case EC_DVD_AUDIO_STREAM_CHANGE:
    if (OnDVDAudioStreamChange) RaiseStreamLanguage(event, p1);
    break;
  case EC_DVD_SUBPICTURE_STREAM_CHANGE:
    if (OnDVDSubpictureStreamChange) RaiseStreamLanguage(event, p1);
    break;
  case EC_DVD_ANGLE_CHANGE:
    if (OnDVDAngleChange) OnDVDAngleChange(this, p1, p2);
    break;
  case EC_DVD_BUTTON_CHANGE:
    if (OnDVDButtonChange) OnDVDButtonChange(this, p1, p2);
    break;
  case EC_DVD_VALID_UOPS_CHANGE:
    if (OnDVDValidUOPSChange) OnDVDValidUOPSChange(this, p1);
    break;
  case EC_DVD_STILL_ON:
    if (OnDVDStillOn) OnDVDStillOn(this, p1 == 1, p2);
    break;
  case EC_DVD_STILL_OFF:
    RaiseNotify(OnDVDStillOff, this);
    break;
  case EC_DVD_CURRENT_TIME:
    if (OnDVDCurrentTime) {
      const tagDVD_TIMECODE t = TimeCodeFromValue(ULow32(param1));
      const LONG frate = t.FrameRateCode == 1 ? 25 : t.FrameRateCode == 3 ? 30 : 0;
      OnDVDCurrentTime(this, t.Hours1 + 10 * t.Hours10, t.Minutes1 + 10 * t.Minutes10, t.Seconds1 + 10 * t.Seconds10,
                       t.Frames1 + 10 * t.Frames10, frate);
    }
    break;
  case EC_DVD_ERROR:
    switch (p1) {
    case DVD_ERROR_Unexpected: RaiseNotify(OnDVDErrorUnexpected, this); break;
    case DVD_ERROR_CopyProtectFail: RaiseNotify(OnDVDErrorCopyProtectFail, this); break;
    case DVD_ERROR_InvalidDVD1_0Disc: RaiseNotify(OnDVDErrorInvalidDVD1_0Disc, this); break;
    case DVD_ERROR_InvalidDiscRegion: RaiseNotify(OnDVDErrorInvalidDiscRegion, this); break;
    case DVD_ERROR_LowParentalLevel: RaiseNotify(OnDVDErrorLowParentalLevel, this); break;
    case DVD_ERROR_MacrovisionFail: RaiseNotify(OnDVDErrorMacrovisionFail, this); break;
    case DVD_ERROR_IncompatibleSystemAndDecoderRegions:
      RaiseNotify(OnDVDErrorIncompatibleSystemAndDecoderRegions, this);
      break;
    case DVD_ERROR_IncompatibleDiscAndDecoderRegions:
      RaiseNotify(OnDVDErrorIncompatibleDiscAndDecoderRegions, this);
      break;
    default: break;
    }
    break;
  case EC_DVD_WARNING:
    switch (p1) {
    case DVD_WARNING_InvalidDVD1_0Disc: RaiseNotify(OnDVDWarningInvalidDVD1_0Disc, this); break;
    case DVD_WARNING_FormatNotSupported: RaiseNotify(OnDVDWarningFormatNotSupported, this); break;
    case DVD_WARNING_IllegalNavCommand: RaiseNotify(OnDVDWarningIllegalNavCommand, this); break;
    case DVD_WARNING_Open: RaiseNotify(OnDVDWarningOpen, this); break;
    case DVD_WARNING_Seek: RaiseNotify(OnDVDWarningSeek, this); break;
    case DVD_WARNING_Read: RaiseNotify(OnDVDWarningRead, this); break;
    default: break;
    }
    break;
  case EC_DVD_CHAPTER_AUTOSTOP:
    RaiseNotify(OnDVDChapterAutoStop, this);
    break;
  case EC_DVD_NO_FP_PGC:
    RaiseNotify(OnDVDNoFP_PGC, this);
    break;
  case EC_DVD_PLAYBACK_RATE_CHANGE:
    if (OnDVDPlaybackRateChange) OnDVDPlaybackRateChange(this, static_cast<float>(static_cast<double>(p1) / 10000.0));
    break;
  case EC_DVD_PARENTAL_LEVEL_CHANGE:
    if (OnDVDParentalLevelChange) OnDVDParentalLevelChange(this, p1);
    break;
  case EC_DVD_PLAYBACK_STOPPED:
    RaiseNotify(OnDVDPlaybackStopped, this);
    break;
  case EC_DVD_ANGLES_AVAILABLE:
    if (OnDVDAnglesAvailable) OnDVDAnglesAvailable(this, p1 == 1);
    break;
  case EC_DVD_PLAYPERIOD_AUTOSTOP:
    RaiseNotify(OnDVDPlayPeriodAutoStop, this);
    break;
  case EC_DVD_BUTTON_AUTO_ACTIVATED:
    if (OnDVDButtonAutoActivated) OnDVDButtonAutoActivated(this, ULow32(param1));
    break;
  case EC_DVD_CMD_START:
    if (OnDVDCMDStart) OnDVDCMDStart(this, ULow32(param1));
    break;
  case EC_DVD_CMD_END:
    if (OnDVDCMDEnd) OnDVDCMDEnd(this, ULow32(param1));
    break;
  case EC_DVD_DISC_EJECTED:
    RaiseNotify(OnDVDDiscEjected, this);
    break;
  case EC_DVD_DISC_INSERTED:
    RaiseNotify(OnDVDDiscInserted, this);
    break;
  case EC_DVD_CURRENT_HMSF_TIME:
    if (OnDVDCurrentHMSFTime) {
      const tagDVD_TIMECODE timeCode = TimeCodeFromValue(ULow32(param2));
      OnDVDCurrentHMSFTime(this, HmsfFromValue(ULow32(param1)), timeCode);
    }
    break;
  case EC_DVD_KARAOKE_MODE:
    if (OnDVDKaraokeMode) OnDVDKaraokeMode(this, p1 != 0);
    break;
  default:
    break;
  }
}

// The stream's language: its identifier from the navigator, its English name from the
// locale tables. Without the navigator's information interface the event is skipped.
void TFilterGraph::RaiseStreamLanguage(LONG event, LONG stream) {
  ComPtr<IDvdInfo2> info;
  if (FAILED(QueryInterface(&info)) || !info) return;
  LCID lcid = 0;
  if (event == EC_DVD_AUDIO_STREAM_CHANGE)
    CheckResult(info->GetAudioLanguage(static_cast<ULONG>(stream), &lcid));
  else
    CheckResult(info->GetSubpictureLanguage(static_cast<ULONG>(stream), &lcid));
  char buffer[261] = {};
  GetLocaleInfoA(lcid, LOCALE_SENGLANGUAGE, buffer, 260);
  const QString lang = QString::fromLocal8Bit(buffer);
  if (event == EC_DVD_AUDIO_STREAM_CHANGE) {
    if (OnDVDAudioStreamChange) OnDVDAudioStreamChange(this, stream, static_cast<LONG>(lcid), lang);
  } else if (OnDVDSubpictureStreamChange) {
    OnDVDSubpictureStreamChange(this, stream, static_cast<LONG>(lcid), lang);
  }
}

// Every graph and DVD event row: queued into the real graph, fetched through the
// notification window, decoded into its handler's arguments.
#include "engine_fixture.h"

#include "win/locale.h"

namespace {

struct Row {
  LONG code;
  LONG_PTR param1, param2;
  std::string expected; // empty: no specific event
};

class EventTableTest : public EngineTest {
protected:
  std::string Ptr(const void *p) const {
    if (!p) return "0";
    if (p == static_cast<IBaseFilter *>(filter.Get()) || p == static_cast<IUnknown *>(filter.Get())) return "F";
    if (p == static_cast<IPin *>(&filter->out)) return "P";
    return "other";
  }
  void Record(std::string text) { raised.push_back(std::move(text)); }
  template <class... A> void Record(const char *name, A... args) {
    std::string text = name;
    ((text += " " + Text(args)), ...);
    raised.push_back(text);
  }
  template <class T> std::string Text(T v) {
    if constexpr (std::is_pointer_v<T>)
      return Ptr(v);
    else if constexpr (std::is_same_v<T, bool>)
      return v ? "1" : "0";
    else if constexpr (std::is_floating_point_v<T>)
      return QString::number(v).toStdString();
    else if constexpr (std::is_same_v<T, QString>)
      return "'" + v.toStdString() + "'";
    else if constexpr (std::is_same_v<T, std::u16string>)
      return QString::fromStdU16String(v).toStdString();
    else
      return std::to_string(static_cast<long long>(v));
  }
  void AssignAll();

  ComPtr<TestFilter> filter = TestFilter::Make("f", false, true);
  Trace raised;
};

void EventTableTest::AssignAll() {
  auto notify = [this](const char *name) { return [this, name](QObject *s) { Record(s == &fg ? name : "bad sender"); }; };
  fg.OnGraphComplete = [this](QObject *, HRESULT r, IBaseFilter *f) { Record("Complete", r, f); };
  fg.OnGraphUserAbort = notify("UserAbort");
  fg.OnGraphErrorAbort = [this](QObject *, HRESULT r) { Record("ErrorAbort", r); };
  fg.OnGraphStreamErrorStopped = [this](QObject *, HRESULT o, ULONG v) { Record("StreamErrorStopped", o, v); };
  fg.OnGraphStreamErrorStillPlaying = [this](QObject *, HRESULT o, ULONG v) { Record("StreamErrorStillPlaying", o, v); };
  fg.OnGraphErrorStillPlaying = [this](QObject *, HRESULT r) { Record("ErrorStillPlaying", r); };
  fg.OnGraphPaletteChanged = notify("PaletteChanged");
  fg.OnGraphVideoSizeChanged = [this](QObject *, WORD w, WORD h) { Record("VideoSize", w, h); };
  fg.OnGraphQualityChange = notify("QualityChange");
  fg.OnGraphClockChanged = notify("ClockChanged");
  fg.OnGraphPaused = [this](QObject *, HRESULT r) { Record("Paused", r); };
  fg.OnGraphOpeningFile = [this](QObject *, bool o) { Record("OpeningFile", o); };
  fg.OnGraphBufferingData = [this](QObject *, bool b) { Record("BufferingData", b); };
  fg.OnGraphFullscreenLost = [this](QObject *, IBaseFilter *f) { Record("FullscreenLost", f); };
  fg.OnGraphOleEvent = [this](QObject *, const std::u16string &a, const std::u16string &b) { Record("OleEvent", a, b); };
  fg.OnGraphStreamControlStopped = [this](QObject *, IPin *p, ULONG c) { Record("StreamControlStopped", p, c); };
  fg.OnGraphStreamControlStarted = [this](QObject *, IPin *p, ULONG c) { Record("StreamControlStarted", p, c); };
  fg.OnGraphEndOfSegment = [this](QObject *, LONGLONG t, ULONG n) { Record("EndOfSegment", t, n); };
  fg.OnGraphDeviceLost = [this](QObject *, IUnknown *d, bool r) { Record("DeviceLost", d, r); };
  fg.OnGraphStepComplete = notify("StepComplete");
  fg.OnGraphTimeCodeAvailable = [this](QObject *, IBaseFilter *f, ULONG d) { Record("TimeCodeAvailable", f, d); };
  fg.OnGraphEXTDeviceModeChange = [this](QObject *, ULONG m, ULONG d) { Record("EXTDeviceModeChange", m, d); };
  fg.OnGraphChanged = notify("GraphChanged");
  fg.OnGraphClockUnset = notify("ClockUnset");
  fg.OnGraphVMRRenderDevice = [this](QObject *, LONG d) { Record("VMRRenderDevice", d); };
  fg.OnGraphSNDDevInError = [this](QObject *, SNDDEV_ERR w, ULONG e) { Record("SNDDevInError", w, e); };
  fg.OnGraphSNDDevOutError = [this](QObject *, SNDDEV_ERR w, ULONG e) { Record("SNDDevOutError", w, e); };

  fg.OnDVDDomainFirstPlay = notify("DomainFirstPlay");
  fg.OnDVDDomainVideoManagerMenu = notify("DomainVideoManagerMenu");
  fg.OnDVDDomainVideoTitleSetMenu = notify("DomainVideoTitleSetMenu");
  fg.OnDVDDomainTitle = notify("DomainTitle");
  fg.OnDVDDomainStop = notify("DomainStop");
  fg.OnDVDTitleChange = [this](QObject *, LONG t) { Record("TitleChange", t); };
  fg.OnDVDChapterStart = [this](QObject *, LONG c) { Record("ChapterStart", c); };
  fg.OnDVDAudioStreamChange = [this](QObject *, LONG s, LONG l, const QString &n) { Record("Audio", s, l, n); };
  fg.OnDVDSubpictureStreamChange = [this](QObject *, LONG s, LONG l, const QString &n) { Record("Sub", s, l, n); };
  fg.OnDVDAngleChange = [this](QObject *, LONG t, LONG c) { Record("AngleChange", t, c); };
  fg.OnDVDButtonChange = [this](QObject *, LONG t, LONG c) { Record("ButtonChange", t, c); };
  fg.OnDVDValidUOPSChange = [this](QObject *, LONG u) { Record("ValidUOPS", u); };
  fg.OnDVDStillOn = [this](QObject *, bool n, LONG s) { Record("StillOn", n, s); };
  fg.OnDVDStillOff = notify("StillOff");
  fg.OnDVDCurrentTime = [this](QObject *, LONG h, LONG m, LONG s, LONG f, LONG r) { Record("Time", h, m, s, f, r); };
  fg.OnDVDErrorUnexpected = notify("ErrorUnexpected");
  fg.OnDVDErrorCopyProtectFail = notify("ErrorCopyProtectFail");
  fg.OnDVDErrorInvalidDVD1_0Disc = notify("ErrorInvalidDVD1_0Disc");
  fg.OnDVDErrorInvalidDiscRegion = notify("ErrorInvalidDiscRegion");
  fg.OnDVDErrorLowParentalLevel = notify("ErrorLowParentalLevel");
  fg.OnDVDErrorMacrovisionFail = notify("ErrorMacrovisionFail");
  fg.OnDVDErrorIncompatibleSystemAndDecoderRegions = notify("ErrorIncompatibleSystemAndDecoderRegions");
  fg.OnDVDErrorIncompatibleDiscAndDecoderRegions = notify("ErrorIncompatibleDiscAndDecoderRegions");
  fg.OnDVDWarningInvalidDVD1_0Disc = notify("WarningInvalidDVD1_0Disc");
  fg.OnDVDWarningFormatNotSupported = notify("WarningFormatNotSupported");
  fg.OnDVDWarningIllegalNavCommand = notify("WarningIllegalNavCommand");
  fg.OnDVDWarningOpen = notify("WarningOpen");
  fg.OnDVDWarningSeek = notify("WarningSeek");
  fg.OnDVDWarningRead = notify("WarningRead");
  fg.OnDVDChapterAutoStop = notify("ChapterAutoStop");
  fg.OnDVDNoFP_PGC = notify("NoFP_PGC");
  fg.OnDVDPlaybackRateChange = [this](QObject *, float r) { Record("Rate", r); };
  fg.OnDVDParentalLevelChange = [this](QObject *, LONG l) { Record("ParentalLevel", l); };
  fg.OnDVDPlaybackStopped = notify("PlaybackStopped");
  fg.OnDVDAnglesAvailable = [this](QObject *, bool a) { Record("AnglesAvailable", a); };
  fg.OnDVDPlayPeriodAutoStop = notify("PlayPeriodAutoStop");
  fg.OnDVDButtonAutoActivated = [this](QObject *, ULONG b) { Record("ButtonAutoActivated", b); };
  fg.OnDVDCMDStart = [this](QObject *, ULONG c) { Record("CMDStart", c); };
  fg.OnDVDCMDEnd = [this](QObject *, ULONG c) { Record("CMDEnd", c); };
  fg.OnDVDDiscEjected = notify("DiscEjected");
  fg.OnDVDDiscInserted = notify("DiscInserted");
  fg.OnDVDCurrentHMSFTime = [this](QObject *, tagDVD_HMSF_TIMECODE h, const tagDVD_TIMECODE &t) {
    Record("HMSF", h.bHours, h.bMinutes, h.bSeconds, h.bFrames, t.Hours1, t.Hours10, t.Minutes1, t.Minutes10,
           t.Seconds1, t.Seconds10, t.Frames1, t.Frames10, t.FrameRateCode);
  };
  fg.OnDVDKaraokeMode = [this](QObject *, bool p) { Record("Karaoke", p); };
}

std::string LanguageName(LCID lcid) {
  char buffer[261] = {};
  GetLocaleInfoA(lcid, LOCALE_SENGLANGUAGE, buffer, 260);
  return buffer;
}

TEST_F(EventTableTest, EveryRowRaisesItsEventWithDecodedArguments) {
  ActivateDvd();
  AssignAll();
  ComPtr<IMediaEventSink> sink = Query<IMediaEventSink>();
  ASSERT_NE(sink, nullptr);
  Query<IMediaEvent>()->CancelDefaultHandling(EC_COMPLETE);
  const auto f = reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter *>(filter.Get()));
  const auto fu = reinterpret_cast<LONG_PTR>(static_cast<IUnknown *>(static_cast<IBaseFilter *>(filter.Get())));
  const auto pin = reinterpret_cast<LONG_PTR>(static_cast<IPin *>(&filter->out));
  LONGLONG streamTime = 123456789012;
  const auto text = [](const char16_t *s) { return reinterpret_cast<LONG_PTR>(s); };
  const std::string audio = "Audio 2 1026 '" + LanguageName(0x402) + "'";
  const std::string sub = "Sub 3 2051 '" + LanguageName(0x803) + "'";
  const Row rows[] = {
      {EC_COMPLETE, E_FAIL, f, "Complete -2147467259 F"},
      {EC_USERABORT, 0, 0, "UserAbort"},
      {EC_ERRORABORT, E_FAIL, 0, "ErrorAbort -2147467259"},
      {EC_STREAM_ERROR_STOPPED, VFW_E_NOT_CONNECTED, 7, "StreamErrorStopped -2147220983 7"},
      {EC_STREAM_ERROR_STILLPLAYING, VFW_E_NOT_CONNECTED, 8, "StreamErrorStillPlaying -2147220983 8"},
      {EC_ERROR_STILLPLAYING, E_FAIL, 0, "ErrorStillPlaying -2147467259"},
      {EC_PALETTE_CHANGED, 0, 0, "PaletteChanged"},
      {EC_VIDEO_SIZE_CHANGED, 0x01E002D0, 0, "VideoSize 720 480"},
      {EC_QUALITY_CHANGE, 0, 0, "QualityChange"},
      {EC_CLOCK_CHANGED, 0, 0, "ClockChanged"},
      {EC_PAUSED, S_OK, 0, "Paused 0"},
      {EC_OPENING_FILE, 1, 0, "OpeningFile 1"},
      {EC_OPENING_FILE, 2, 0, "OpeningFile 0"},
      {EC_BUFFERING_DATA, 1, 0, "BufferingData 1"},
      {EC_BUFFERING_DATA, 0, 0, "BufferingData 0"},
      {EC_FULLSCREEN_LOST, 0, f, "FullscreenLost F"},
      {EC_OLE_EVENT, text(u"one"), text(u"two"), "OleEvent one two"},
      {EC_STREAM_CONTROL_STOPPED, pin, 9, "StreamControlStopped P 9"},
      {EC_STREAM_CONTROL_STARTED, pin, 10, "StreamControlStarted P 10"},
      {EC_END_OF_SEGMENT, reinterpret_cast<LONG_PTR>(&streamTime), 3, "EndOfSegment 123456789012 3"},
      {EC_DEVICE_LOST, fu, 1, "DeviceLost F 1"},
      {EC_DEVICE_LOST, fu, 2, "DeviceLost F 0"},
      {EC_STEP_COMPLETE, 0, 0, "StepComplete"},
      {EC_TIMECODE_AVAILABLE, f, 11, "TimeCodeAvailable F 11"},
      {EC_EXTDEVICE_MODE_CHANGE, 12, 13, "EXTDeviceModeChange 12 13"},
      {EC_GRAPH_CHANGED, 0, 0, "GraphChanged"},
      {EC_CLOCK_UNSET, 0, 0, "ClockUnset"},
      {EC_VMR_RENDERDEVICE_SET, 2, 0, "VMRRenderDevice 2"},
      {EC_SNDDEV_IN_ERROR, SNDDEV_ERROR_Write, 14, "SNDDevInError 9 14"},
      {EC_SNDDEV_OUT_ERROR, SNDDEV_ERROR_Open, 15, "SNDDevOutError 1 15"},
      {EC_TIME, 1, 2, ""},
      {EC_DVD_DOMAIN_CHANGE, 1, 0, "DomainFirstPlay"},
      {EC_DVD_DOMAIN_CHANGE, 2, 0, "DomainVideoManagerMenu"},
      {EC_DVD_DOMAIN_CHANGE, 3, 0, "DomainVideoTitleSetMenu"},
      {EC_DVD_DOMAIN_CHANGE, 4, 0, "DomainTitle"},
      {EC_DVD_DOMAIN_CHANGE, 5, 0, "DomainStop"},
      {EC_DVD_DOMAIN_CHANGE, 6, 0, ""},
      {EC_DVD_TITLE_CHANGE, static_cast<LONG_PTR>(0x100000005LL), 0, "TitleChange 5"},
      {EC_DVD_CHAPTER_START, 4, 0, "ChapterStart 4"},
      {EC_DVD_AUDIO_STREAM_CHANGE, 2, 0, audio},
      {EC_DVD_SUBPICTURE_STREAM_CHANGE, 3, 0, sub},
      {EC_DVD_ANGLE_CHANGE, 3, 1, "AngleChange 3 1"},
      {EC_DVD_BUTTON_CHANGE, 5, 2, "ButtonChange 5 2"},
      {EC_DVD_VALID_UOPS_CHANGE, 0x1234, 0, "ValidUOPS 4660"},
      {EC_DVD_STILL_ON, 1, 10, "StillOn 1 10"},
      {EC_DVD_STILL_ON, 2, -1, "StillOn 0 -1"},
      {EC_DVD_STILL_OFF, 0, 0, "StillOff"},
      {EC_DVD_CURRENT_TIME, 0x12345678, 0, "Time 21 43 65 27 0"},
      {EC_DVD_CURRENT_TIME, 0x01020301, 0, "Time 10 20 30 0 25"},
      {EC_DVD_CURRENT_TIME, 0x00000003, 0, "Time 0 0 0 0 30"},
      {EC_DVD_CURRENT_TIME, 0x00000002, 0, "Time 0 0 0 0 0"},
      {EC_DVD_ERROR, 1, 0, "ErrorUnexpected"},
      {EC_DVD_ERROR, 2, 0, "ErrorCopyProtectFail"},
      {EC_DVD_ERROR, 3, 0, "ErrorInvalidDVD1_0Disc"},
      {EC_DVD_ERROR, 4, 0, "ErrorInvalidDiscRegion"},
      {EC_DVD_ERROR, 5, 0, "ErrorLowParentalLevel"},
      {EC_DVD_ERROR, 6, 0, "ErrorMacrovisionFail"},
      {EC_DVD_ERROR, 7, 0, "ErrorIncompatibleSystemAndDecoderRegions"},
      {EC_DVD_ERROR, 8, 0, "ErrorIncompatibleDiscAndDecoderRegions"},
      {EC_DVD_ERROR, 9, 0, ""},
      {EC_DVD_WARNING, 1, 0, "WarningInvalidDVD1_0Disc"},
      {EC_DVD_WARNING, 2, 0, "WarningFormatNotSupported"},
      {EC_DVD_WARNING, 3, 0, "WarningIllegalNavCommand"},
      {EC_DVD_WARNING, 4, 0, "WarningOpen"},
      {EC_DVD_WARNING, 5, 0, "WarningSeek"},
      {EC_DVD_WARNING, 6, 0, "WarningRead"},
      {EC_DVD_WARNING, 7, 0, ""},
      {EC_DVD_CHAPTER_AUTOSTOP, 0, 0, "ChapterAutoStop"},
      {EC_DVD_NO_FP_PGC, 0, 0, "NoFP_PGC"},
      {EC_DVD_PLAYBACK_RATE_CHANGE, 10000, 0, "Rate 1"},
      {EC_DVD_PLAYBACK_RATE_CHANGE, -20000, 0, "Rate -2"},
      {EC_DVD_PLAYBACK_RATE_CHANGE, 15000, 0, "Rate 1.5"},
      {EC_DVD_PARENTAL_LEVEL_CHANGE, 8, 0, "ParentalLevel 8"},
      {EC_DVD_PLAYBACK_STOPPED, 0, 0, "PlaybackStopped"},
      {EC_DVD_ANGLES_AVAILABLE, 1, 0, "AnglesAvailable 1"},
      {EC_DVD_ANGLES_AVAILABLE, 2, 0, "AnglesAvailable 0"},
      {EC_DVD_PLAYPERIOD_AUTOSTOP, 0, 0, "PlayPeriodAutoStop"},
      {EC_DVD_BUTTON_AUTO_ACTIVATED, 4, 0, "ButtonAutoActivated 4"},
      {EC_DVD_CMD_START, 77, 0, "CMDStart 77"},
      {EC_DVD_CMD_END, 78, 0, "CMDEnd 78"},
      {EC_DVD_DISC_EJECTED, 0, 0, "DiscEjected"},
      {EC_DVD_DISC_INSERTED, 0, 0, "DiscInserted"},
      {EC_DVD_CURRENT_HMSF_TIME, 0x00231501, 0x12345678, "HMSF 1 21 35 0 1 2 3 4 5 6 7 2 0"},
      {EC_DVD_KARAOKE_MODE, 2, 0, "Karaoke 1"},
      {EC_DVD_KARAOKE_MODE, 0, 0, "Karaoke 0"},
  };
  for (const Row &row : rows) {
    raised.clear();
    ASSERT_EQ(sink->Notify(row.code, row.param1, row.param2), S_OK) << std::hex << row.code;
    SendMessageA(fg.NotificationWindow(), WM_GRAPHNOTIFY, 0, 0);
    EXPECT_EQ(raised, row.expected.empty() ? Trace{} : Trace{row.expected}) << std::hex << row.code;
  }
  raised.clear();
  ProcessPostedMessages();
  EXPECT_TRUE(raised.empty());
  EXPECT_TRUE(errors.empty());
}

} // namespace

// DVD graph builder, navigator control and information interfaces.
#pragma once

#include "dshow/strmif.h"

using LCID = DWORD;

struct DVD_HMSF_TIMECODE {
  BYTE bHours;
  BYTE bMinutes;
  BYTE bSeconds;
  BYTE bFrames;
};

constexpr ULONG DVD_TC_FLAG_25fps = 0x1;
constexpr ULONG DVD_TC_FLAG_30fps = 0x2;
constexpr ULONG DVD_TC_FLAG_DropFrame = 0x4;
constexpr ULONG DVD_TC_FLAG_Interpolated = 0x8;

struct AM_DVD_RENDERSTATUS {
  HRESULT hrVPEStatus;
  BOOL bDvdVolInvalid;
  BOOL bDvdVolUnknown;
  BOOL bNoLine21In;
  BOOL bNoLine21Out;
  INT iNumStreams;
  INT iNumStreamsFailed;
  DWORD dwFailedStreamsFlag;
};
static_assert(sizeof(AM_DVD_RENDERSTATUS) == 32);

// Rendering flags.
constexpr DWORD AM_DVD_HWDEC_PREFER = 0x01;
constexpr DWORD AM_DVD_HWDEC_ONLY = 0x02;
constexpr DWORD AM_DVD_SWDEC_PREFER = 0x04;
constexpr DWORD AM_DVD_SWDEC_ONLY = 0x08;
constexpr DWORD AM_DVD_NOVPE = 0x100;
constexpr DWORD AM_DVD_DO_NOT_CLEAR = 0x200;
constexpr DWORD AM_DVD_VMR9_ONLY = 0x800;
constexpr DWORD AM_DVD_EVR_ONLY = 0x1000;

// Failed-stream kinds in AM_DVD_RENDERSTATUS::dwFailedStreamsFlag.
constexpr DWORD AM_DVD_STREAM_VIDEO = 0x01;
constexpr DWORD AM_DVD_STREAM_AUDIO = 0x02;
constexpr DWORD AM_DVD_STREAM_SUBPIC = 0x04;

enum DVD_DOMAIN {
  DVD_DOMAIN_FirstPlay = 1,
  DVD_DOMAIN_VideoManagerMenu = 2,
  DVD_DOMAIN_VideoTitleSetMenu = 3,
  DVD_DOMAIN_Title = 4,
  DVD_DOMAIN_Stop = 5,
};

enum DVD_MENU_ID {
  DVD_MENU_Title = 2,
  DVD_MENU_Root = 3,
  DVD_MENU_Subpicture = 4,
  DVD_MENU_Audio = 5,
  DVD_MENU_Angle = 6,
  DVD_MENU_Chapter = 7,
};

enum DVD_OPTION_FLAG {
  DVD_ResetOnStop = 1,
  DVD_NotifyParentalLevelChange = 2,
  DVD_HMSF_TimeCodeEvents = 3,
  DVD_AudioDuringFFwdRew = 4,
  DVD_EnableNonblockingAPIs = 5,
  DVD_CacheSizeInMB = 6,
  DVD_EnablePortableBookmarks = 7,
  DVD_EnableExtendedCopyProtectErrors = 8,
  DVD_NotifyPositionChange = 9,
  DVD_IncreaseOutputControl = 10,
  DVD_EnableStreaming = 11,
  DVD_EnableESOutput = 12,
  DVD_EnableTitleLength = 13,
  DVD_DisableStillThrottle = 14,
  DVD_EnableLoggingEvents = 15,
  DVD_MaxReadBurstInKB = 16,
  DVD_ReadBurstPeriodInMS = 17,
  DVD_RestartDisc = 18,
  DVD_EnableCC = 19,
};

enum DVD_RELATIVE_BUTTON {
  DVD_Relative_Upper = 1,
  DVD_Relative_Lower = 2,
  DVD_Relative_Left = 3,
  DVD_Relative_Right = 4,
};

constexpr DWORD DVD_CMD_FLAG_None = 0x0;
constexpr DWORD DVD_CMD_FLAG_Flush = 0x1;
constexpr DWORD DVD_CMD_FLAG_SendEvents = 0x2;
constexpr DWORD DVD_CMD_FLAG_Block = 0x4;
constexpr DWORD DVD_CMD_FLAG_StartWhenRendered = 0x8;
constexpr DWORD DVD_CMD_FLAG_EndAfterRendered = 0x10;

enum DVD_AUDIO_FORMAT {
  DVD_AudioFormat_AC3 = 0,
  DVD_AudioFormat_MPEG1 = 1,
  DVD_AudioFormat_MPEG1_DRC = 2,
  DVD_AudioFormat_MPEG2 = 3,
  DVD_AudioFormat_MPEG2_DRC = 4,
  DVD_AudioFormat_LPCM = 5,
  DVD_AudioFormat_DTS = 6,
  DVD_AudioFormat_SDDS = 7,
  DVD_AudioFormat_Other = 8,
};

enum DVD_AUDIO_APPMODE { DVD_AudioMode_None = 0, DVD_AudioMode_Karaoke = 1, DVD_AudioMode_Surround = 2, DVD_AudioMode_Other = 3 };

struct DVD_AudioAttributes {
  DVD_AUDIO_APPMODE AppMode;
  BYTE AppModeData;
  DVD_AUDIO_FORMAT AudioFormat;
  LCID Language;
  DWORD LanguageExtension;
  BOOL fHasMultichannelInfo;
  DWORD dwFrequency;
  BYTE bQuantization;
  BYTE bNumberOfChannels;
  DWORD dwReserved[2];
};

struct DVD_PLAYBACK_LOCATION2 {
  ULONG TitleNum;
  ULONG ChapterNum;
  DVD_HMSF_TIMECODE TimeCode;
  ULONG TimeCodeFlags;
};

enum DVD_DISC_SIDE { DVD_SIDE_A = 1, DVD_SIDE_B = 2 };

// Sub-codes of EC_DVD_ERROR and EC_DVD_WARNING.
enum DVD_ERROR {
  DVD_ERROR_Unexpected = 1,
  DVD_ERROR_CopyProtectFail = 2,
  DVD_ERROR_InvalidDVD1_0Disc = 3,
  DVD_ERROR_InvalidDiscRegion = 4,
  DVD_ERROR_LowParentalLevel = 5,
  DVD_ERROR_MacrovisionFail = 6,
  DVD_ERROR_IncompatibleSystemAndDecoderRegions = 7,
  DVD_ERROR_IncompatibleDiscAndDecoderRegions = 8,
};
enum DVD_WARNING {
  DVD_WARNING_InvalidDVD1_0Disc = 1,
  DVD_WARNING_FormatNotSupported = 2,
  DVD_WARNING_IllegalNavCommand = 3,
  DVD_WARNING_Open = 4,
  DVD_WARNING_Seek = 5,
  DVD_WARNING_Read = 6,
};

QDVD_DECLARE_IID(IDvdCmd, 0x5A4A97E4, 0x94EE, 0x4A55, 0x97, 0x51, 0x74, 0xB5, 0x64, 0x3A, 0xA2, 0x7D)
struct IDvdCmd : IUnknown {
  virtual HRESULT WaitForStart() = 0;
  // Returns when the command has been carried out (S_OK) or has failed (its failure code).
  virtual HRESULT WaitForEnd() = 0;
};

QDVD_DECLARE_IID(IDvdState, 0x86303D6D, 0x1C4A, 0x4087, 0xAB, 0x42, 0xF7, 0x11, 0x16, 0x70, 0x48, 0xEF)
struct IDvdState : IUnknown {
  virtual HRESULT GetDiscID(ULONGLONG *id) = 0;
  virtual HRESULT GetParentalLevel(ULONG *level) = 0;
};

QDVD_DECLARE_IID(IDvdControl2, 0x33BC7430, 0xEEC0, 0x11D2, 0x82, 0x01, 0x00, 0xA0, 0xC9, 0xD7, 0x48, 0x42)
struct IDvdControl2 : IUnknown {
  virtual HRESULT PlayTitle(ULONG title, DWORD flags, IDvdCmd **cmd) = 0;
  virtual HRESULT PlayChapterInTitle(ULONG title, ULONG chapter, DWORD flags, IDvdCmd **cmd) = 0;
  virtual HRESULT PlayAtTimeInTitle(ULONG title, DVD_HMSF_TIMECODE *time, DWORD flags, IDvdCmd **cmd) = 0;
  virtual HRESULT Stop() = 0;
  virtual HRESULT ReturnFromSubmenu(DWORD flags, IDvdCmd **cmd) = 0;
  virtual HRESULT PlayAtTime(DVD_HMSF_TIMECODE *time, DWORD flags, IDvdCmd **cmd) = 0;
  virtual HRESULT PlayChapter(ULONG chapter, DWORD flags, IDvdCmd **cmd) = 0;
  virtual HRESULT PlayPrevChapter(DWORD flags, IDvdCmd **cmd) = 0;
  virtual HRESULT ReplayChapter(DWORD flags, IDvdCmd **cmd) = 0;
  virtual HRESULT PlayNextChapter(DWORD flags, IDvdCmd **cmd) = 0;
  virtual HRESULT PlayForwards(double speed, DWORD flags, IDvdCmd **cmd) = 0;
  virtual HRESULT PlayBackwards(double speed, DWORD flags, IDvdCmd **cmd) = 0;
  virtual HRESULT ShowMenu(DVD_MENU_ID menu, DWORD flags, IDvdCmd **cmd) = 0;
  virtual HRESULT Resume(DWORD flags, IDvdCmd **cmd) = 0;
  virtual HRESULT SelectRelativeButton(DVD_RELATIVE_BUTTON button) = 0;
  virtual HRESULT ActivateButton() = 0;
  virtual HRESULT SelectButton(ULONG button) = 0;
  virtual HRESULT SelectAndActivateButton(ULONG button) = 0;
  virtual HRESULT StillOff() = 0;
  virtual HRESULT Pause(BOOL state) = 0;
  virtual HRESULT SelectAudioStream(ULONG stream, DWORD flags, IDvdCmd **cmd) = 0;
  virtual HRESULT SelectSubpictureStream(ULONG stream, DWORD flags, IDvdCmd **cmd) = 0;
  virtual HRESULT SetSubpictureState(BOOL state, DWORD flags, IDvdCmd **cmd) = 0;
  virtual HRESULT SelectAngle(ULONG angle, DWORD flags, IDvdCmd **cmd) = 0;
  virtual HRESULT SelectParentalLevel(ULONG level) = 0;
  virtual HRESULT SetDVDDirectory(LPCWSTR path) = 0;
  // The point is in the coordinates of the window that shows the picture.
  virtual HRESULT ActivateAtPosition(POINT point) = 0;
  virtual HRESULT SelectAtPosition(POINT point) = 0;
  virtual HRESULT AcceptParentalLevelChange(BOOL accept) = 0;
  virtual HRESULT SetOption(DVD_OPTION_FLAG flag, BOOL state) = 0;
  virtual HRESULT SetState(IDvdState *state, DWORD flags, IDvdCmd **cmd) = 0;
};

QDVD_DECLARE_IID(IDvdInfo2, 0x34151510, 0xEEC0, 0x11D2, 0x82, 0x01, 0x00, 0xA0, 0xC9, 0xD7, 0x48, 0x42)
struct IDvdInfo2 : IUnknown {
  virtual HRESULT GetCurrentDomain(DVD_DOMAIN *domain) = 0;
  virtual HRESULT GetCurrentLocation(DVD_PLAYBACK_LOCATION2 *location) = 0;
  virtual HRESULT GetTotalTitleTime(DVD_HMSF_TIMECODE *time, ULONG *flags) = 0;
  virtual HRESULT GetCurrentButton(ULONG *available, ULONG *current) = 0;
  virtual HRESULT GetCurrentAngle(ULONG *available, ULONG *current) = 0;
  virtual HRESULT GetCurrentAudio(ULONG *available, ULONG *current) = 0;
  virtual HRESULT GetCurrentSubpicture(ULONG *available, ULONG *current, BOOL *disabled) = 0;
  virtual HRESULT GetCurrentUOPS(ULONG *uops) = 0;
  virtual HRESULT GetAudioLanguage(ULONG stream, LCID *language) = 0;
  virtual HRESULT GetSubpictureLanguage(ULONG stream, LCID *language) = 0;
  virtual HRESULT GetDVDVolumeInfo(ULONG *volumes, ULONG *volume, DVD_DISC_SIDE *side, ULONG *titles) = 0;
  virtual HRESULT GetNumberOfChapters(ULONG title, ULONG *chapters) = 0;
  virtual HRESULT GetDVDDirectory(LPWSTR path, ULONG size, ULONG *actual) = 0;
  virtual HRESULT IsAudioStreamEnabled(ULONG stream, BOOL *enabled) = 0;
  virtual HRESULT GetDiscID(LPCWSTR path, ULONGLONG *id) = 0;
  virtual HRESULT GetState(IDvdState **state) = 0;
  virtual HRESULT GetButtonAtPosition(POINT point, ULONG *button) = 0;
  virtual HRESULT GetButtonRect(ULONG button, RECT *rect) = 0;
  virtual HRESULT GetAudioAttributes(ULONG stream, DVD_AudioAttributes *attributes) = 0;
};

QDVD_DECLARE_IID(IDvdGraphBuilder, 0xFCC152B6, 0xF372, 0x11D0, 0x8E, 0x00, 0x00, 0xC0, 0x4F, 0xD7, 0xC0, 0x8B)
struct IDvdGraphBuilder : IUnknown {
  virtual HRESULT GetFiltergraph(IGraphBuilder **graph) = 0;
  virtual HRESULT GetDvdInterface(REFIID iid, void **object) = 0;
  // path: a DVD-Video volume, or nullptr to look for one. status is filled in.
  virtual HRESULT RenderDvdVideoVolume(LPCWSTR path, DWORD flags, AM_DVD_RENDERSTATUS *status) = 0;
};

// Event types of the filter graph component. Sender is the component in every case;
// interface arguments are the event's parameters as they are, without a reference of
// their own.
#pragma once

#include "dshow/evcode.h"
#include "dshow/strmif.h"
#include "engine/dvd_timecode.h"
#include "framework/component.h"

#include <QString>

#include <functional>
#include <string>

using TOnDSEvent = std::function<void(TComponent *sender, LONG event, LONG_PTR param1, LONG_PTR param2)>;

// General graph events.
using TOnDSResult = std::function<void(QObject *sender, HRESULT result)>;
using TOnGraphComplete = std::function<void(QObject *sender, HRESULT result, IBaseFilter *renderer)>;
using TOnGraphBufferingData = std::function<void(QObject *sender, bool buffering)>;
using TOnGraphOpeningFile = std::function<void(QObject *sender, bool opening)>;
using TOnGraphDeviceLost = std::function<void(QObject *sender, IUnknown *device, bool removed)>;
using TOnGraphEndOfSegment = std::function<void(QObject *sender, LONGLONG streamTime, ULONG numSegment)>;
using TOnGraphFullscreenLost = std::function<void(QObject *sender, IBaseFilter *renderer)>;
using TOnGraphOleEvent =
    std::function<void(QObject *sender, const std::u16string &string1, const std::u16string &string2)>;
using TOnGraphSNDDevError = std::function<void(QObject *sender, SNDDEV_ERR occurWhen, ULONG errorCode)>;
using TOnGraphStreamControl = std::function<void(QObject *sender, IPin *pinSender, ULONG cookie)>;
using TOnGraphStreamError = std::function<void(QObject *sender, HRESULT operation, ULONG value)>;
using TOnGraphVideoSizeChanged = std::function<void(QObject *sender, WORD width, WORD height)>;
using TOnGraphTimeCodeAvailable = std::function<void(QObject *sender, IBaseFilter *from, ULONG deviceID)>;
using TOnGraphEXTDeviceModeChange = std::function<void(QObject *sender, ULONG newMode, ULONG deviceID)>;
using TOnGraphVMRRenderDevice = std::function<void(QObject *sender, LONG renderDevice)>;

// DVD events.
using TOnDVDAudioStreamChange = std::function<void(QObject *sender, LONG stream, LONG lcid, const QString &lang)>;
using TOnDVDSubpictureStreamChange =
    std::function<void(QObject *sender, LONG subNum, LONG lcid, const QString &lang)>;
using TOnDVDCurrentTime =
    std::function<void(QObject *sender, LONG hours, LONG minutes, LONG seconds, LONG frames, LONG frate)>;
using TOnDVDTitleChange = std::function<void(QObject *sender, LONG title)>;
using TOnDVDChapterStart = std::function<void(QObject *sender, LONG chapter)>;
using TOnDVDChange = std::function<void(QObject *sender, LONG total, LONG current)>;
using TOnDVDValidUOPSChange = std::function<void(QObject *sender, LONG uops)>;
using TOnDVDStillOn = std::function<void(QObject *sender, bool noButtonAvailable, LONG seconds)>;
using TOnDVDPlaybackRateChange = std::function<void(QObject *sender, float rate)>;
using TOnDVDParentalLevelChange = std::function<void(QObject *sender, LONG level)>;
using TOnDVDAnglesAvailable = std::function<void(QObject *sender, bool available)>;
using TOnDVDButtonAutoActivated = std::function<void(QObject *sender, ULONG button)>;
using TOnDVDCMD = std::function<void(QObject *sender, ULONG cmdID)>;
using TOnDVDCurrentHMSFTime =
    std::function<void(QObject *sender, tagDVD_HMSF_TIMECODE hmsfTimeCode, const tagDVD_TIMECODE &timeCode)>;
using TOnDVDKaraokeMode = std::function<void(QObject *sender, bool played)>;

// Graph builder callbacks (no sender). True accepts the filter or handles the pin.
using TOnSelectedFilter = std::function<bool(IMoniker *moniker, const std::u16string &filterName, const GUID &classID)>;
using TOnCreatedFilter = std::function<bool(IBaseFilter *filter, const GUID &classID)>;
using TOnUnableToRender = std::function<bool(IPin *pin)>;

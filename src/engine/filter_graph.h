// TFilterGraph: the non-visual component that owns one filter graph of its Mode,
// answers interface queries from it, renders a DVD volume, runs, pauses and stops it,
// holds volume, balance and rate, and turns the graph's notifications into events.
//
// Other components join the graph as members (they contribute a filter) and as
// listeners (they hear raw events and control notifications), see graph_interfaces.h.
// The component itself answers IServiceProvider, IAMFilterGraphCallback and
// IAMGraphBuilderCallback; its AddRef and Release do not own (component-style
// counting), so the graph may hold it as its site without keeping it alive.
#pragma once

#include "com/objidl.h"
#include "dshow/control.h"
#include "dshow/dvd.h"
#include "engine/graph_events.h"
#include "engine/graph_interfaces.h"
#include "framework/component.h"
#include "win/winuser.h"

#include <QString>

#include <string>
#include <vector>

enum TGraphMode { gmNormal = 0, gmCapture = 1, gmDVD = 2 };

// Message the graph posts to the notification window while events wait.
constexpr UINT WM_GRAPHNOTIFY = WM_APP + 1;

class TFilterGraph : public TComponent,
                     public IServiceProvider,
                     public IAMFilterGraphCallback,
                     public IAMGraphBuilderCallback {
  Q_OBJECT
public:
  explicit TFilterGraph(QObject *owner = nullptr);
  ~TFilterGraph() override;

  // Activates when AutoCreate is set, then ends loading.
  void Loaded() override;

  // IUnknown: the component's own interfaces, then (while active) those of its graph
  // and builders.
  HRESULT QueryInterface(REFIID iid, void **object) override;
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  template <class Q> HRESULT QueryInterface(Q **object) {
    return QueryInterface(IidOf<Q>(), reinterpret_cast<void **>(object));
  }

  // Published properties.
  QString LogFile() const { return logFile_; }
  void SetLogFile(const QString &name);
  bool Active() const { return active_; }
  void SetActive(bool active);
  bool AutoCreate() const { return autoCreate_; }
  void SetAutoCreate(bool autoCreate) { autoCreate_ = autoCreate; }
  TGraphMode Mode() const { return mode_; }
  void SetMode(TGraphMode mode);
  bool GraphEdit() const { return graphEdit_; }
  void SetGraphEdit(bool graphEdit);
  bool LinearVolume() const { return linearVolume_; }
  void SetLinearVolume(bool linear);

  // Public properties: the stored values; setting one reaches the graph's audio
  // renderer or seeking interface when the graph has one.
  LONG Volume() const { return volume_; }
  void SetVolume(LONG volume);
  LONG Balance() const { return balance_; }
  void SetBalance(LONG balance);
  double Rate() const { return rate_; }
  void SetRate(double rate);

  // Members and listeners (plain pointers, in order of addition).
  void AddMember(IGraphMember *member);
  void RemoveMember(IGraphMember *member);
  void AddListener(IGraphListener *listener);
  void RemoveListener(IGraphListener *listener);

  // Transport. False without a graph that can be controlled; a failure raises
  // EDirectShowException after the listeners were told.
  bool Play();
  bool Pause();
  bool Stop();
  // Stops the graph and removes every filter except the members', which stay
  // disconnected. Nothing while inactive.
  void ClearGraph();

  // Builds the DVD playback graph for a volume (empty path: look for one). Without a
  // DVD graph builder returns VFW_E_DVD_RENDERFAIL and does nothing else; a failure
  // code of the builder raises.
  HRESULT RenderDvdVolume(AM_DVD_RENDERSTATUS &status, const std::u16string &path, DWORD flags);

  // DVD bookmarks: the navigator's state in a compound file holding one stream
  // "BookMark" (the state's class identifier, then the state). Saving needs an active
  // DVD graph whose navigator can tell its state; anything that stops a save on the way
  // leaves an earlier file as it was. Restoring needs the navigator's control; a file
  // that is missing or holds no state of ours changes nothing, while a state that the
  // navigator refuses (another disc) raises its error. A stopped or paused graph is run
  // first. Blocks until the navigator has jumped to the saved point.
  void SaveDvdBookmark(const std::u16string &fileName);
  void RestoreDvdBookmark(const std::u16string &fileName);

  // The notification window's handle (graph events arrive there).
  HWND NotificationWindow() const { return notifyWindow_; }

  // IServiceProvider: the component object itself (a TFilterGraph *, not counted) for
  // SID_FilterGraphComponent asked as both service and interface.
  HRESULT QueryService(REFGUID service, REFIID iid, void **object) override;
  // IAMGraphBuilderCallback and IAMFilterGraphCallback, called by the graph manager.
  HRESULT SelectedFilter(IMoniker *moniker) override;
  HRESULT CreatedFilter(IBaseFilter *filter) override;
  HRESULT UnableToRenderPin(IPin *pin) override;

  // Events.
  TNotifyEvent OnActivate;
  TOnDSEvent OnDSEvent;

  TOnGraphComplete OnGraphComplete;
  TNotifyEvent OnGraphUserAbort;
  TOnDSResult OnGraphErrorAbort;
  TOnGraphStreamError OnGraphStreamErrorStopped;
  TOnGraphStreamError OnGraphStreamErrorStillPlaying;
  TOnDSResult OnGraphErrorStillPlaying;
  TNotifyEvent OnGraphPaletteChanged;
  TOnGraphVideoSizeChanged OnGraphVideoSizeChanged;
  TNotifyEvent OnGraphQualityChange;
  TNotifyEvent OnGraphClockChanged;
  TOnDSResult OnGraphPaused;
  TOnGraphOpeningFile OnGraphOpeningFile;
  TOnGraphBufferingData OnGraphBufferingData;
  TOnGraphFullscreenLost OnGraphFullscreenLost;
  TOnGraphOleEvent OnGraphOleEvent;
  TOnGraphStreamControl OnGraphStreamControlStopped;
  TOnGraphStreamControl OnGraphStreamControlStarted;
  TOnGraphEndOfSegment OnGraphEndOfSegment;
  TOnGraphDeviceLost OnGraphDeviceLost;
  TNotifyEvent OnGraphStepComplete;
  TOnGraphTimeCodeAvailable OnGraphTimeCodeAvailable;
  TOnGraphEXTDeviceModeChange OnGraphEXTDeviceModeChange;
  TNotifyEvent OnGraphChanged;
  TNotifyEvent OnGraphClockUnset;
  TOnGraphVMRRenderDevice OnGraphVMRRenderDevice;
  TOnGraphSNDDevError OnGraphSNDDevInError;
  TOnGraphSNDDevError OnGraphSNDDevOutError;

  TNotifyEvent OnDVDDomainFirstPlay;
  TNotifyEvent OnDVDDomainVideoManagerMenu;
  TNotifyEvent OnDVDDomainVideoTitleSetMenu;
  TNotifyEvent OnDVDDomainTitle;
  TNotifyEvent OnDVDDomainStop;
  TOnDVDTitleChange OnDVDTitleChange;
  TOnDVDChapterStart OnDVDChapterStart;
  TOnDVDAudioStreamChange OnDVDAudioStreamChange;
  TOnDVDSubpictureStreamChange OnDVDSubpictureStreamChange;
  TOnDVDChange OnDVDAngleChange;
  TOnDVDChange OnDVDButtonChange;
  TOnDVDValidUOPSChange OnDVDValidUOPSChange;
  TOnDVDStillOn OnDVDStillOn;
  TNotifyEvent OnDVDStillOff;
  TOnDVDCurrentTime OnDVDCurrentTime;
  TNotifyEvent OnDVDErrorUnexpected;
  TNotifyEvent OnDVDErrorCopyProtectFail;
  TNotifyEvent OnDVDErrorInvalidDVD1_0Disc;
  TNotifyEvent OnDVDErrorInvalidDiscRegion;
  TNotifyEvent OnDVDErrorLowParentalLevel;
  TNotifyEvent OnDVDErrorMacrovisionFail;
  TNotifyEvent OnDVDErrorIncompatibleSystemAndDecoderRegions;
  TNotifyEvent OnDVDErrorIncompatibleDiscAndDecoderRegions;
  TNotifyEvent OnDVDWarningInvalidDVD1_0Disc;
  TNotifyEvent OnDVDWarningFormatNotSupported;
  TNotifyEvent OnDVDWarningIllegalNavCommand;
  TNotifyEvent OnDVDWarningOpen;
  TNotifyEvent OnDVDWarningSeek;
  TNotifyEvent OnDVDWarningRead;
  TNotifyEvent OnDVDChapterAutoStop;
  TNotifyEvent OnDVDNoFP_PGC;
  TOnDVDPlaybackRateChange OnDVDPlaybackRateChange;
  TOnDVDParentalLevelChange OnDVDParentalLevelChange;
  TNotifyEvent OnDVDPlaybackStopped;
  TOnDVDAnglesAvailable OnDVDAnglesAvailable;
  TNotifyEvent OnDVDPlayPeriodAutoStop;
  TOnDVDButtonAutoActivated OnDVDButtonAutoActivated;
  TOnDVDCMD OnDVDCMDStart;
  TOnDVDCMD OnDVDCMDEnd;
  TNotifyEvent OnDVDDiscEjected;
  TNotifyEvent OnDVDDiscInserted;
  TOnDVDCurrentHMSFTime OnDVDCurrentHMSFTime;
  TOnDVDKaraokeMode OnDVDKaraokeMode;

  TOnSelectedFilter OnSelectedFilter;
  TOnCreatedFilter OnCreatedFilter;
  TOnUnableToRender OnUnableToRender;

protected:
  // Hands one fetched event to the listeners, then OnDSEvent, then its own event.
  // Parameters are pointer-sized; the 32-bit values are their low 32 bits.
  virtual void DispatchGraphEvent(LONG event, LONG_PTR param1, LONG_PTR param2);

private:
  LRESULT NotificationProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void PumpGraphEvents();
  void DispatchDvdEvent(LONG event, LONG_PTR param1, LONG_PTR param2);
  void RaiseStreamLanguage(LONG event, LONG stream);

  void Activate();
  void Deactivate();
  void AddMemberFilter(IGraphMember *member);
  void RemoveMemberFilter(IGraphMember *member);
  void ControlNotify(LONG code, LONG param);
  // Runs one transport command: false without IMediaControl; listeners hear `code`
  // first, then the command's result goes through CheckResult.
  HRESULT Transport(LONG code, HRESULT (IMediaControl::*command)(), bool *reached);
  void DisconnectAll();
  void ApplyAudioAndRate();

  // Running object table registration and the graph log.
  void RegisterGraph();
  void RevokeGraph();
  bool OpenLog(const QString &name);
  void CloseLog();

  bool active_ = false;
  bool autoCreate_ = false;
  HWND notifyWindow_ = nullptr;
  TGraphMode mode_ = gmNormal;
  LONG volume_ = 10000;
  LONG balance_ = 0;
  double rate_ = 1.0;
  bool linearVolume_ = true;
  std::vector<IGraphMember *> members_;
  std::vector<IGraphListener *> listeners_;
  ComPtr<IGraphBuilder> graph_;
  ComPtr<ICaptureGraphBuilder2> captureBuilder_;
  ComPtr<IDvdGraphBuilder> dvdBuilder_;
  ComPtr<IMediaEventEx> mediaEvent_;
  bool graphEdit_ = false;
  DWORD rotCookie_ = 0;
  QString logFile_;
  HANDLE logHandle_ = nullptr; // the open log, or nullptr
};

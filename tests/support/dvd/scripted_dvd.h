// A DVD graph builder and navigator that write their calls to a trace, for the tests
// of the graph component and of the player: the builder hands out its graph (a real
// graph manager unless a test gives its own), answers GetDvdInterface with the
// navigator's control and information interfaces as scripted, and rendering puts the
// filters it was given into the graph. ScopedScriptedDvd replaces CLSID_DvdGraphBuilder
// for a test's scope.
#pragma once

#include "com/registry.h"
#include "dshow/dshow.h"

#include <optional>
#include <string>
#include <vector>

using Trace = std::vector<std::string>;

// "IDvdInfo2" for the interfaces the tests meet, the GUID otherwise.
std::string IidName(REFIID iid);

// The navigator. Control calls write "<call>" ("<call> <flags>" for the commands that
// can hand out a command object, with the speed or menu where there is one) and answer
// `result`; the audio and subpicture languages are 0x400 and 0x800 + stream, written
// as "GetAudioLanguage <stream>"; the rest of the information is not implemented.
class ScriptedNavigator : public ComObject<IDvdControl2, IDvdInfo2> {
public:
  explicit ScriptedNavigator(Trace *trace) : trace(trace) {}
  HRESULT QueryInterface(REFIID iid, void **object) override {
    return QueryFrom<IDvdControl2, IDvdInfo2>(iid, object);
  }

  // IDvdControl2
  HRESULT PlayTitle(ULONG, DWORD, IDvdCmd **) override { return Call("PlayTitle"); }
  HRESULT PlayChapterInTitle(ULONG, ULONG, DWORD, IDvdCmd **) override { return Call("PlayChapterInTitle"); }
  HRESULT PlayAtTimeInTitle(ULONG, DVD_HMSF_TIMECODE *, DWORD, IDvdCmd **) override {
    return Call("PlayAtTimeInTitle");
  }
  HRESULT Stop() override { return Call("Stop"); }
  HRESULT ReturnFromSubmenu(DWORD, IDvdCmd **) override { return Call("ReturnFromSubmenu"); }
  HRESULT PlayAtTime(DVD_HMSF_TIMECODE *, DWORD, IDvdCmd **) override { return Call("PlayAtTime"); }
  HRESULT PlayChapter(ULONG, DWORD, IDvdCmd **) override { return Call("PlayChapter"); }
  HRESULT PlayPrevChapter(DWORD flags, IDvdCmd **cmd) override { return Command("PlayPrevChapter", flags, cmd); }
  HRESULT ReplayChapter(DWORD, IDvdCmd **) override { return Call("ReplayChapter"); }
  HRESULT PlayNextChapter(DWORD flags, IDvdCmd **cmd) override { return Command("PlayNextChapter", flags, cmd); }
  HRESULT PlayForwards(double speed, DWORD flags, IDvdCmd **cmd) override;
  HRESULT PlayBackwards(double speed, DWORD flags, IDvdCmd **cmd) override;
  HRESULT ShowMenu(DVD_MENU_ID menu, DWORD flags, IDvdCmd **cmd) override;
  HRESULT Resume(DWORD, IDvdCmd **) override { return Call("Resume"); }
  HRESULT SelectRelativeButton(DVD_RELATIVE_BUTTON) override { return Call("SelectRelativeButton"); }
  HRESULT ActivateButton() override { return Call("ActivateButton"); }
  HRESULT SelectButton(ULONG) override { return Call("SelectButton"); }
  HRESULT SelectAndActivateButton(ULONG) override { return Call("SelectAndActivateButton"); }
  HRESULT StillOff() override { return Call("StillOff"); }
  HRESULT Pause(BOOL) override { return Call("Pause"); }
  HRESULT SelectAudioStream(ULONG, DWORD, IDvdCmd **) override { return Call("SelectAudioStream"); }
  HRESULT SelectSubpictureStream(ULONG, DWORD, IDvdCmd **) override { return Call("SelectSubpictureStream"); }
  HRESULT SetSubpictureState(BOOL, DWORD, IDvdCmd **) override { return Call("SetSubpictureState"); }
  HRESULT SelectAngle(ULONG, DWORD, IDvdCmd **) override { return Call("SelectAngle"); }
  HRESULT SelectParentalLevel(ULONG) override { return Call("SelectParentalLevel"); }
  HRESULT SetDVDDirectory(LPCWSTR) override { return Call("SetDVDDirectory"); }
  HRESULT ActivateAtPosition(POINT) override { return Call("ActivateAtPosition"); }
  HRESULT SelectAtPosition(POINT) override { return Call("SelectAtPosition"); }
  HRESULT AcceptParentalLevelChange(BOOL) override { return Call("AcceptParentalLevelChange"); }
  HRESULT SetOption(DVD_OPTION_FLAG flag, BOOL state) override;
  HRESULT SetState(IDvdState *, DWORD, IDvdCmd **) override { return Call("SetState"); }

  // IDvdInfo2
  HRESULT GetAudioLanguage(ULONG stream, LCID *language) override;
  HRESULT GetSubpictureLanguage(ULONG stream, LCID *language) override;
  HRESULT GetCurrentDomain(DVD_DOMAIN *) override { return E_NOTIMPL; }
  HRESULT GetCurrentLocation(DVD_PLAYBACK_LOCATION2 *) override { return E_NOTIMPL; }
  HRESULT GetTotalTitleTime(DVD_HMSF_TIMECODE *, ULONG *) override { return E_NOTIMPL; }
  HRESULT GetCurrentButton(ULONG *, ULONG *) override { return E_NOTIMPL; }
  HRESULT GetCurrentAngle(ULONG *, ULONG *) override { return E_NOTIMPL; }
  HRESULT GetCurrentAudio(ULONG *, ULONG *) override { return E_NOTIMPL; }
  HRESULT GetCurrentSubpicture(ULONG *, ULONG *, BOOL *) override { return E_NOTIMPL; }
  HRESULT GetCurrentUOPS(ULONG *) override { return E_NOTIMPL; }
  HRESULT GetDVDVolumeInfo(ULONG *, ULONG *, DVD_DISC_SIDE *, ULONG *) override { return E_NOTIMPL; }
  HRESULT GetNumberOfChapters(ULONG, ULONG *) override { return E_NOTIMPL; }
  HRESULT GetDVDDirectory(LPWSTR, ULONG, ULONG *) override { return E_NOTIMPL; }
  HRESULT IsAudioStreamEnabled(ULONG, BOOL *) override { return E_NOTIMPL; }
  HRESULT GetDiscID(LPCWSTR, ULONGLONG *) override { return E_NOTIMPL; }
  HRESULT GetState(IDvdState **) override { return E_NOTIMPL; }
  HRESULT GetButtonAtPosition(POINT, ULONG *) override { return E_NOTIMPL; }
  HRESULT GetButtonRect(ULONG, RECT *) override { return E_NOTIMPL; }
  HRESULT GetAudioAttributes(ULONG, DVD_AudioAttributes *) override { return E_NOTIMPL; }

  Trace *trace;
  HRESULT result = S_OK;         // what the control calls answer
  HRESULT languageResult = S_OK; // what the language queries answer
  bool handOutCommands = false;  // commands hand out a command object ("command released" when it goes)

private:
  HRESULT Call(const std::string &what);
  HRESULT Command(const std::string &what, DWORD flags, IDvdCmd **cmd);
};

// What a builder answers. A builder reads the script at each call, so a test may change
// it between the player's calls.
struct DvdScript {
  HRESULT graphResult = S_OK;   // GetFiltergraph fails with this when it is a failure
  HRESULT renderResult = S_OK;  // RenderDvdVideoVolume
  AM_DVD_RENDERSTATUS status{}; // written when the render succeeds
  bool controlAvailable = true; // GetDvdInterface gives IDvdControl2
  bool infoAvailable = true;    // GetDvdInterface gives IDvdInfo2
  bool withVideo = false;       // the video renderers among the rendered filters join too
  bool traceQueries = false;    // "builder.QueryInterface <iid>", "builder.GetDvdInterface <iid>"
};

class ScriptedDvdBuilder : public ComObject<IDvdGraphBuilder> {
public:
  // Over `graph`, or a new real graph manager; answering `script`, or its own.
  explicit ScriptedDvdBuilder(Trace *trace, const DvdScript *script = nullptr, ComPtr<IGraphBuilder> graph = {});
  ~ScriptedDvdBuilder() override; // writes "builder released"
  HRESULT QueryInterface(REFIID iid, void **object) override;
  HRESULT GetFiltergraph(IGraphBuilder **graph) override;
  HRESULT GetDvdInterface(REFIID iid, void **object) override;
  // Writes "RenderDvdVideoVolume <path or (none)> <flags>"; the filters join the graph
  // even when the answer is a failure, as a builder that stopped half way leaves them.
  HRESULT RenderDvdVideoVolume(LPCWSTR path, DWORD flags, AM_DVD_RENDERSTATUS *status) override;

  struct Rendered {
    ComPtr<IBaseFilter> filter;
    std::u16string name;
    bool video = false;
  };
  const DvdScript &Script() const { return *script_; }

  Trace *trace;
  DvdScript script; // used when no script was given
  ComPtr<IGraphBuilder> graph;
  ComPtr<ScriptedNavigator> navigator;
  std::vector<Rendered> rendered;    // what rendering adds to the graph, in order
  std::vector<std::u16string> paths; // as rendered, (none) left out

private:
  const DvdScript *script_;
};

// Replaces the DVD graph builder for a scope; each creation makes a new Builder (made as
// Builder(trace, &script)), reachable as `last`.
template <class Builder = ScriptedDvdBuilder> class ScopedScriptedDvd {
public:
  explicit ScopedScriptedDvd(Trace *trace) {
    registration_.emplace(CLSID_DvdGraphBuilder, [this, trace](REFIID iid, void **object) -> HRESULT {
      auto *builder = new Builder(trace, &script);
      last = builder;
      ++created;
      HRESULT hr = builder->QueryInterface(iid, object);
      builder->Release();
      return hr;
    });
  }
  DvdScript script;
  Builder *last = nullptr;
  int created = 0;

private:
  std::optional<ScopedClassRegistration> registration_;
};

// The sound track, subtitle and angle choices: read from a scripted navigator, shown as
// ticked items, turned into navigator commands, stepped by the keys.
#include "app/player_keys.h"
#include "app/stream_menus.h"
#include "framework/menus.h"
#include "scripted_render.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include <map>

namespace {

// The navigator's answers, set by each test.
class StreamInfoFake : public ComObject<IDvdInfo2> {
public:
  HRESULT QueryInterface(REFIID iid, void **object) override { return QueryFrom<IDvdInfo2>(iid, object); }
  HRESULT GetCurrentDomain(DVD_DOMAIN *d) override {
    *d = domain;
    return S_OK;
  }
  HRESULT GetCurrentLocation(DVD_PLAYBACK_LOCATION2 *) override { return E_NOTIMPL; }
  HRESULT GetTotalTitleTime(DVD_HMSF_TIMECODE *, ULONG *) override { return E_NOTIMPL; }
  HRESULT GetCurrentButton(ULONG *, ULONG *) override { return E_NOTIMPL; }
  HRESULT GetCurrentAngle(ULONG *available, ULONG *current) override {
    *available = angles;
    if (current) *current = angle;
    return S_OK;
  }
  HRESULT GetCurrentAudio(ULONG *available, ULONG *current) override {
    *available = static_cast<ULONG>(audio.size());
    if (current) *current = audioCurrent;
    return S_OK;
  }
  HRESULT GetCurrentSubpicture(ULONG *available, ULONG *current, BOOL *disabled) override {
    *available = static_cast<ULONG>(subpictures.size());
    if (current) *current = subpictureCurrent;
    if (disabled) *disabled = subpictureOff;
    return S_OK;
  }
  HRESULT GetCurrentUOPS(ULONG *) override { return E_NOTIMPL; }
  HRESULT GetAudioLanguage(ULONG stream, LCID *language) override {
    if (stream >= audio.size()) return E_INVALIDARG;
    *language = audio[stream].Language;
    return S_OK;
  }
  HRESULT GetSubpictureLanguage(ULONG stream, LCID *language) override {
    if (stream >= subpictures.size()) return E_INVALIDARG;
    *language = subpictures[stream];
    return S_OK;
  }
  HRESULT GetDVDVolumeInfo(ULONG *, ULONG *, DVD_DISC_SIDE *, ULONG *) override { return E_NOTIMPL; }
  HRESULT GetNumberOfChapters(ULONG, ULONG *) override { return E_NOTIMPL; }
  HRESULT GetDVDDirectory(LPWSTR, ULONG, ULONG *) override { return E_NOTIMPL; }
  HRESULT IsAudioStreamEnabled(ULONG, BOOL *) override { return E_NOTIMPL; }
  HRESULT GetDiscID(LPCWSTR, ULONGLONG *) override { return E_NOTIMPL; }
  HRESULT GetState(IDvdState **) override { return E_NOTIMPL; }
  HRESULT GetButtonAtPosition(POINT, ULONG *) override { return E_NOTIMPL; }
  HRESULT GetButtonRect(ULONG, RECT *) override { return E_NOTIMPL; }
  HRESULT GetAudioAttributes(ULONG stream, DVD_AudioAttributes *a) override {
    if (stream >= audio.size() || !attributesKnown) return E_INVALIDARG;
    *a = audio[stream];
    return S_OK;
  }

  DVD_DOMAIN domain = DVD_DOMAIN_Title;
  std::vector<DVD_AudioAttributes> audio;
  ULONG audioCurrent = 0;
  bool attributesKnown = true;
  std::vector<LCID> subpictures;
  ULONG subpictureCurrent = 0;
  BOOL subpictureOff = TRUE;
  ULONG angles = 1, angle = 1;
};

DVD_AudioAttributes Audio(LCID language, DVD_AUDIO_FORMAT format, int channels) {
  DVD_AudioAttributes a{};
  a.Language = language;
  a.AudioFormat = format;
  a.bNumberOfChannels = static_cast<BYTE>(channels);
  return a;
}

// The authored disc's title: English AC-3 and Italian MPEG sound, Italian subtitles.
ComPtr<StreamInfoFake> AuthoredTitle() {
  ComPtr<StreamInfoFake> info;
  info.Attach(new StreamInfoFake);
  info->audio = {Audio(0x0409, DVD_AudioFormat_AC3, 2), Audio(0x0410, DVD_AudioFormat_MPEG1, 2)};
  info->subpictures = {0x0410};
  return info;
}

// A control interface that writes the stream commands with their arguments.
class StreamControl : public ScriptedNavigator {
public:
  explicit StreamControl(Trace *trace) : ScriptedNavigator(trace), trace_(trace) {}
  HRESULT SelectAudioStream(ULONG s, DWORD f, IDvdCmd **) override { return Write("audio", s, f); }
  HRESULT SelectSubpictureStream(ULONG s, DWORD f, IDvdCmd **) override { return Write("subpicture", s, f); }
  HRESULT SetSubpictureState(BOOL on, DWORD f, IDvdCmd **) override { return Write("display", on, f); }
  HRESULT SelectAngle(ULONG a, DWORD f, IDvdCmd **) override { return Write("angle", a, f); }
  std::map<std::string, HRESULT> answers;

private:
  HRESULT Write(const std::string &what, long value, DWORD flags) {
    trace_->push_back(what + " " + std::to_string(value) + " " + std::to_string(flags));
    return answers.count(what) ? answers[what] : S_OK;
  }
  Trace *trace_;
};

std::vector<QString> Captions(TMenuItem *menu) {
  std::vector<QString> out;
  for (int i = 0; i < menu->Count(); ++i)
    out.push_back(menu->Items(i)->Caption());
  return out;
}

int Ticked(TMenuItem *menu) {
  int ticked = -1, count = 0;
  for (int i = 0; i < menu->Count(); ++i)
    if (menu->Items(i)->isChecked()) ticked = i, ++count;
  return count == 1 ? ticked : -2 - count;
}

struct Menus {
  TMenuItem root, audio, subtitles, angle;
  Menus() {
    root.Add(&audio);
    root.Add(&subtitles);
    root.Add(&angle);
  }
  ~Menus() {
    root.Remove(&angle);
    root.Remove(&subtitles);
    root.Remove(&audio);
  }
  std::vector<std::pair<int, int>> chosen;
  void Fill(const StreamChoices &c) {
    FillStreamMenus(c, &audio, &subtitles, &angle, [this](int kind, int value) { chosen.push_back({kind, value}); });
  }
};

} // namespace

TEST(StreamChoices, NamesTheStreamsInItalianWithFormatAndChannels) {
  ComPtr<StreamInfoFake> info = AuthoredTitle();
  info->audioCurrent = 1;
  StreamChoices c = ReadStreamChoices(info.Get());
  EXPECT_TRUE(c.enabled);
  EXPECT_EQ(c.audio, (std::vector<QString>{"Inglese (AC-3, 2 canali)", "Italiano (MPEG, 2 canali)"}));
  EXPECT_EQ(c.audioCurrent, 1);
  EXPECT_EQ(c.subtitles, std::vector<QString>{"Italiano"});
  EXPECT_EQ(c.subtitleCurrent, -1); // shown off
  EXPECT_EQ(c.angles, 1);

  info->subpictureOff = FALSE;
  EXPECT_EQ(ReadStreamChoices(info.Get()).subtitleCurrent, 0);

  // Unknown languages, one channel, six channels; attributes the navigator cannot give
  // still leave one item per stream, named by language.
  info->audio = {Audio(0, DVD_AudioFormat_DTS, 6), Audio(0x0407, DVD_AudioFormat_LPCM, 1)};
  info->subpictures = {0, 0x040C};
  c = ReadStreamChoices(info.Get());
  EXPECT_EQ(c.audio, (std::vector<QString>{"Traccia 1 (DTS, 6 canali)", "Tedesco (LPCM, 1 canale)"}));
  EXPECT_EQ(c.subtitles, (std::vector<QString>{"Sottotitoli 1", "Francese"}));
  info->attributesKnown = false;
  c = ReadStreamChoices(info.Get());
  ASSERT_EQ(c.audio.size(), 2u);
  EXPECT_TRUE(c.audio[1].startsWith("Tedesco (")) << c.audio[1].toStdString();

  // Nothing to choose outside a title or without a navigator.
  for (DVD_DOMAIN d :
       {DVD_DOMAIN_VideoManagerMenu, DVD_DOMAIN_VideoTitleSetMenu, DVD_DOMAIN_Stop, DVD_DOMAIN_FirstPlay}) {
    info->domain = d;
    EXPECT_FALSE(ReadStreamChoices(info.Get()).enabled) << d;
  }
  EXPECT_FALSE(ReadStreamChoices(nullptr).enabled);
}

TEST(StreamChoices, MenusTickWhatPlaysAndEachItemChoosesItsStream) {
  Menus m;
  ComPtr<StreamInfoFake> info = AuthoredTitle();
  m.Fill(ReadStreamChoices(info.Get()));
  EXPECT_EQ(Captions(&m.audio), (std::vector<QString>{"Inglese (AC-3, 2 canali)", "Italiano (MPEG, 2 canali)"}));
  EXPECT_EQ(Ticked(&m.audio), 0);
  EXPECT_EQ(Captions(&m.subtitles), (std::vector<QString>{"Nessuno", "Italiano"}));
  EXPECT_EQ(Ticked(&m.subtitles), 0);
  EXPECT_TRUE(m.audio.Enabled() && m.subtitles.Enabled());
  EXPECT_FALSE(m.angle.Visible());
  EXPECT_EQ(m.angle.Count(), 0);

  m.audio.Items(1)->trigger();
  m.subtitles.Items(1)->trigger();
  m.subtitles.Items(0)->trigger();
  EXPECT_EQ(m.chosen, (std::vector<std::pair<int, int>>{{0, 1}, {1, 0}, {1, -1}}));

  // Opened again after the change: the items follow the navigator, none is added twice.
  info->audioCurrent = 1;
  info->subpictureOff = FALSE;
  info->angles = 3;
  info->angle = 2;
  m.Fill(ReadStreamChoices(info.Get()));
  EXPECT_EQ(m.audio.Count(), 2);
  EXPECT_EQ(Ticked(&m.audio), 1);
  EXPECT_EQ(Ticked(&m.subtitles), 1);
  EXPECT_TRUE(m.angle.Visible());
  EXPECT_EQ(Captions(&m.angle), (std::vector<QString>{"1", "2", "3"}));
  EXPECT_EQ(Ticked(&m.angle), 1);
  m.chosen.clear();
  m.angle.Items(2)->trigger();
  EXPECT_EQ(m.chosen, (std::vector<std::pair<int, int>>{{2, 3}}));

  // A disc with one audio stream offers one item.
  info->audio.resize(1);
  info->audioCurrent = 0;
  m.Fill(ReadStreamChoices(info.Get()));
  EXPECT_EQ(Captions(&m.audio), std::vector<QString>{"Inglese (AC-3, 2 canali)"});

  // In a disc menu: disabled and empty.
  info->domain = DVD_DOMAIN_VideoManagerMenu;
  m.Fill(ReadStreamChoices(info.Get()));
  EXPECT_FALSE(m.audio.Enabled());
  EXPECT_FALSE(m.subtitles.Enabled());
  EXPECT_FALSE(m.angle.Visible());
  EXPECT_EQ(m.audio.Count() + m.subtitles.Count() + m.angle.Count(), 0);
}

TEST(StreamChoices, ChoicesBecomeNavigatorCommandsAndForbiddenOnesChangeNothing) {
  Trace trace;
  ComPtr<StreamControl> control;
  control.Attach(new StreamControl(&trace));
  ChooseStream(control.Get(), 0, 1);
  ChooseStream(control.Get(), 1, 0);
  ChooseStream(control.Get(), 1, -1);
  ChooseStream(control.Get(), 2, 2);
  EXPECT_EQ(trace, (Trace{"audio 1 0", "subpicture 0 0", "display 1 0", "display 0 0", "angle 2 0"}));

  // A subpicture stream the disc forbids is not switched on either.
  trace.clear();
  control->answers["subpicture"] = VFW_E_DVD_OPERATION_INHIBITED;
  control->answers["audio"] = VFW_E_DVD_OPERATION_INHIBITED;
  ChooseStream(control.Get(), 1, 0);
  ChooseStream(control.Get(), 0, 0);
  EXPECT_EQ(trace, (Trace{"subpicture 0 0", "audio 0 0"}));
  ChooseStream(nullptr, 0, 0); // no navigator: nothing happens
}

TEST(StreamChoices, KeysStepAudioRoundAndSubtitlesThroughNone) {
  StreamChoices c;
  c.enabled = true;
  c.audio = {"a", "b", "c"};
  c.audioCurrent = 2;
  EXPECT_EQ(NextAudioStream(c), 0);
  c.audioCurrent = 0;
  EXPECT_EQ(NextAudioStream(c), 1);
  c.audio.resize(1);
  EXPECT_EQ(NextAudioStream(c), -2);

  c.subtitles = {"x", "y"};
  std::vector<int> seen;
  c.subtitleCurrent = -1;
  for (int i = 0; i < 4; ++i)
    seen.push_back(c.subtitleCurrent = NextSubtitleChoice(c));
  EXPECT_EQ(seen, (std::vector<int>{0, 1, -1, 0}));
  c.subtitles.clear();
  EXPECT_EQ(NextSubtitleChoice(c), -2);
  c.enabled = false;
  c.audio = {"a", "b"};
  EXPECT_EQ(NextAudioStream(c), -2);

  // The key handler takes A and S without modifiers only, and nothing else; with no
  // graph they do nothing.
  QWidget window;
  new TPlayerKeys(&window);
  auto press = [&](int key, Qt::KeyboardModifiers mods) {
    QKeyEvent e(QEvent::KeyPress, key, mods);
    e.ignore();
    QCoreApplication::sendEvent(&window, &e);
    return e.isAccepted();
  };
  EXPECT_TRUE(press(Qt::Key_A, Qt::NoModifier));
  EXPECT_TRUE(press(Qt::Key_S, Qt::NoModifier));
  EXPECT_FALSE(press(Qt::Key_A, Qt::ControlModifier));
  EXPECT_FALSE(press(Qt::Key_D, Qt::NoModifier));
}

// The DVD graph builder and navigator with the real graph manager, on the test discs.
// Decoders and renderers are stand-ins (dvd_fakes.h); events are read with GetEvent.
#include "dshow/dshow.h"
#include "dvd/graph_builder.h"
#include "dvd/volume.h"
#include "damaged_disc.h"
#include "dvd_fakes.h"
#include "dvd_graph.h"
#include "support/scoped_env.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <filesystem>
#include <thread>

using namespace dvdfakes;

namespace {
#define NEED_DISCS() NEEDS_DISCS()

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Seconds into the title from GetCurrentLocation.
double TitleSeconds(IDvdInfo2 *info, ULONG *title = nullptr, ULONG *chapter = nullptr) {
  DVD_PLAYBACK_LOCATION2 loc{};
  if (FAILED(info->GetCurrentLocation(&loc))) return -1;
  if (title) *title = loc.TitleNum;
  if (chapter) *chapter = loc.ChapterNum;
  const double fps = (loc.TimeCodeFlags & DVD_TC_FLAG_25fps) ? 25 : 30;
  return loc.TimeCode.bHours * 3600.0 + loc.TimeCode.bMinutes * 60 + loc.TimeCode.bSeconds + loc.TimeCode.bFrames / fps;
}

// Until the menu's still is up.
int UntilStill(DvdGraph &g, int from = 0) { return g.WaitFor(EC_DVD_STILL_ON, nullptr, from); }

// An IStream over a byte vector, written for these tests.
class TestStream : public ComObject<IStream> {
public:
  HRESULT QueryInterface(REFIID iid, void **o) override { return QueryFrom<ISequentialStream, IStream>(iid, o); }
  HRESULT Read(void *buffer, ULONG size, ULONG *read) override {
    ULONG n = static_cast<ULONG>(std::min<std::size_t>(size, bytes.size() - std::min(pos, bytes.size())));
    std::copy_n(bytes.begin() + static_cast<long>(pos), n, static_cast<BYTE *>(buffer));
    pos += n;
    if (read) *read = n;
    return n == size ? S_OK : S_FALSE;
  }
  HRESULT Write(const void *buffer, ULONG size, ULONG *written) override {
    const BYTE *b = static_cast<const BYTE *>(buffer);
    bytes.insert(bytes.end(), b, b + size);
    if (written) *written = size;
    return S_OK;
  }
  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER *at) override {
    if (origin != STREAM_SEEK_SET) return STG_E_INVALIDFUNCTION;
    pos = static_cast<std::size_t>(move);
    if (at) *at = pos;
    return S_OK;
  }
  HRESULT SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
  HRESULT Commit(DWORD) override { return S_OK; }
  std::vector<BYTE> bytes;
  std::size_t pos = 0;
};

ComPtr<TestStream> StreamOf(std::vector<BYTE> bytes) {
  ComPtr<TestStream> s;
  s.Attach(new TestStream);
  s->bytes = std::move(bytes);
  return s;
}

// A fresh state object loaded from bytes: the load's result.
HRESULT LoadState(const std::vector<BYTE> &bytes, ComPtr<IDvdState> *state) {
  ComPtr<IPersistStream> persist;
  HRESULT hr = CoCreateInstance(CLSID_DVDState, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistStream,
                                reinterpret_cast<void **>(persist.ReleaseAndGetAddressOf()));
  if (FAILED(hr)) return hr;
  ComPtr<TestStream> s = StreamOf(bytes);
  hr = persist->Load(s.Get());
  if (SUCCEEDED(hr) && state) persist.As(state);
  return hr;
}
} // namespace

TEST(DvdBuilder, RendersThroughTheRegisteredDecodersOrCountsTheFailures) {
  NEED_DISCS();
  {
    // Without decoders and renderers every stream fails, honestly.
    CoInitialize(nullptr);
    ScopedClassRegistration v(CLSID_MpegVideoDecoder, nullptr), a(CLSID_DvdAudioDecoder, nullptr),
        s(CLSID_SubpictureDecoder, nullptr);
    DvdGraph g("ntsc_menu");
    EXPECT_EQ(g.rendered, S_FALSE);
    EXPECT_FALSE(g.status.bDvdVolInvalid);
    EXPECT_FALSE(g.status.bDvdVolUnknown);
    EXPECT_EQ(g.status.iNumStreams, 3);
    EXPECT_EQ(g.status.iNumStreamsFailed, 3);
    EXPECT_EQ(g.status.dwFailedStreamsFlag, AM_DVD_STREAM_VIDEO | AM_DVD_STREAM_AUDIO | AM_DVD_STREAM_SUBPIC);
    // Nothing half-built stays behind: only the navigator is in the graph.
    ComPtr<IEnumFilters> filters;
    ASSERT_EQ(g.graph->EnumFilters(&filters), S_OK);
    ComPtr<IBaseFilter> f;
    int n = 0;
    while (filters->Next(1, &f, nullptr) == S_OK) ++n;
    EXPECT_EQ(n, 1);
  }
  {
    FakeClasses fakes;
    DvdGraph g("ntsc_menu");
    EXPECT_EQ(g.rendered, S_OK);
    EXPECT_EQ(g.status.iNumStreamsFailed, 0);
    EXPECT_EQ(g.status.dwFailedStreamsFlag, 0u);
    ASSERT_TRUE(fakes.videoDecoder && fakes.videoDecoder->spu);
    EXPECT_TRUE(fakes.videoDecoder->spu->IsConnected()); // the decoder's own subpicture input
    EXPECT_FALSE(fakes.subpictureDecoder);
    ASSERT_EQ(g.Run(), S_OK);
    ASSERT_GE(UntilStill(g), 0);
    EXPECT_GT(fakes.videoDecoder->in.samples.load(), 0);
    EXPECT_GT(fakes.videoRenderer->in.samples.load(), 0);
    EXPECT_GE(fakes.videoDecoder->in.drains.load(), 1); // before the still
    EXPECT_GT(fakes.videoDecoder->spu->palettes.load(), 0);
  }
  {
    // A decoder without a subpicture input: the subpicture decoder is added, and a
    // video renderer already in the graph is used.
    FakeClasses fakes(false);
    CoInitialize(nullptr);
    ComPtr<IDvdGraphBuilder> builder;
    ASSERT_EQ(CoCreateInstance(CLSID_DvdGraphBuilder, nullptr, CLSCTX_INPROC_SERVER, IID_IDvdGraphBuilder,
                               reinterpret_cast<void **>(builder.ReleaseAndGetAddressOf())),
              S_OK);
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(builder->GetFiltergraph(&graph), S_OK);
    ComPtr<IBaseFilter> windowRenderer;
    ASSERT_EQ(CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                               reinterpret_cast<void **>(windowRenderer.ReleaseAndGetAddressOf())),
              S_OK);
    ComPtr<FakeRenderer> own = fakes.videoRenderer;
    ASSERT_EQ(graph->AddFilter(windowRenderer.Get(), u"Window renderer"), S_OK);
    std::string path = FixturePath("pal_wide");
    std::u16string wide(path.begin(), path.end());
    AM_DVD_RENDERSTATUS status{};
    EXPECT_EQ(builder->RenderDvdVideoVolume(wide.c_str(), AM_DVD_HWDEC_PREFER, &status), S_OK);
    EXPECT_EQ(fakes.videoRenderer, own); // no second renderer was made
    EXPECT_TRUE(own->in.IsConnected());
    ASSERT_TRUE(fakes.subpictureDecoder);
    EXPECT_TRUE(fakes.subpictureDecoder->in.IsConnected());
  }
}

TEST(DvdBuilder, FindsVolumesAndReportsWhatIsNone) {
  NEED_DISCS();
  FakeClasses fakes;
  {
    DvdGraph g("not_a_dvd");
    EXPECT_EQ(g.rendered, S_FALSE);
    EXPECT_TRUE(g.status.bDvdVolInvalid);
    EXPECT_EQ(g.status.iNumStreams, 0);
  }
  {
    DvdGraph g("no/such/folder");
    EXPECT_EQ(g.rendered, S_FALSE);
    EXPECT_TRUE(g.status.bDvdVolInvalid);
  }
  for (const char *path : {"ntsc_menu/VIDEO_TS/VIDEO_TS.IFO", "ntsc_menu", "ntsc_menu/VIDEO_TS", "ntsc_menu.iso"}) {
    if (!HaveFixture(path)) continue;
    DvdGraph g(path);
    EXPECT_EQ(g.rendered, S_OK) << path;
    EXPECT_FALSE(g.status.bDvdVolInvalid) << path;
    ULONG volumes = 0, volume = 0, titles = 0;
    DVD_DISC_SIDE side{};
    EXPECT_EQ(g.info->GetDVDVolumeInfo(&volumes, &volume, &side, &titles), S_OK) << path;
    EXPECT_EQ(titles, 2u) << path;
  }
  {
    // No path: the variable names nothing and there is no drive.
    ScopedEnv env("DVD_DEVICE", "/nowhere/dvd");
    dvd::SetDriveListForTests({"/dev/sr97"});
    DvdGraph g("", false);
    EXPECT_EQ(g.rendered, S_FALSE);
    EXPECT_TRUE(g.status.bDvdVolUnknown);
    EXPECT_FALSE(g.status.bDvdVolInvalid);
  }
  {
    ScopedEnv env("DVD_DEVICE", FixturePath("pal_wide").c_str());
    DvdGraph g("", false);
    EXPECT_EQ(g.rendered, S_OK);
    ULONGLONG id = 0, palId = 0;
    EXPECT_EQ(g.info->GetDiscID(nullptr, &id), S_OK);
    std::string pal = FixturePath("pal_wide");
    std::u16string wide(pal.begin(), pal.end());
    EXPECT_EQ(g.info->GetDiscID(wide.c_str(), &palId), S_OK);
    EXPECT_EQ(id, palId);
  }
  dvd::SetDriveListForTests(dvd::DefaultDrives());
}

TEST(DvdNavigator, MenusTitlesChaptersAndTime) {
  NEED_DISCS();
  FakeClasses fakes;
  DvdGraph g("ntsc_menu");
  ASSERT_EQ(g.rendered, S_OK);
  // Not running yet: commands are refused, queries answer.
  EXPECT_EQ(g.dvd->PlayTitle(1, 0, nullptr), VFW_E_DVD_GRAPHNOTREADY);
  EXPECT_EQ(g.dvd->SetOption(DVD_HMSF_TimeCodeEvents, TRUE), S_OK);
  ASSERT_EQ(g.Run(), S_OK);
  int menu = g.WaitFor(EC_DVD_DOMAIN_CHANGE, P1(DVD_DOMAIN_VideoManagerMenu));
  ASSERT_GE(menu, 0);
  ASSERT_GE(g.WaitFor(EC_DVD_BUTTON_CHANGE, P1(4), menu), 0);
  ASSERT_GE(UntilStill(g, menu), 0);
  DVD_DOMAIN domain{};
  EXPECT_EQ(g.info->GetCurrentDomain(&domain), S_OK);
  EXPECT_EQ(domain, DVD_DOMAIN_VideoManagerMenu);
  ULONG available = 0, current = 0;
  EXPECT_EQ(g.info->GetCurrentButton(&available, &current), S_OK);
  EXPECT_EQ(available, 4u);
  EXPECT_EQ(current, 1u);
  // Pointing at the picture at its stored size (the renderer's rectangle is 720 x 480).
  EXPECT_EQ(g.dvd->SelectAtPosition({300, 130}), S_OK); // button 1 is already selected
  int from = g.Count();
  EXPECT_EQ(g.dvd->SelectAtPosition({300, 230}), S_OK);
  int changed = g.WaitFor(EC_DVD_BUTTON_CHANGE, P1(4), from);
  ASSERT_GE(changed, 0);
  EXPECT_EQ(g.seen[changed].p2, 2);
  EXPECT_EQ(g.dvd->SelectAtPosition({300, 190}), VFW_E_DVD_NO_BUTTON); // between buttons
  ULONG button = 0;
  EXPECT_EQ(g.info->GetButtonAtPosition({200, 300}, &button), S_OK);
  EXPECT_EQ(button, 3u);
  RECT rect{};
  EXPECT_EQ(g.info->GetButtonRect(2, &rect), S_OK);
  EXPECT_EQ(rect.top, 200);

  // Button 1 plays title 1: domain, title and chapter, in that order.
  from = g.Count();
  EXPECT_EQ(g.dvd->ActivateAtPosition({300, 150}), S_OK);
  int dom = g.WaitFor(EC_DVD_DOMAIN_CHANGE, P1(DVD_DOMAIN_Title), from);
  int title = g.WaitFor(EC_DVD_TITLE_CHANGE, P1(1), from);
  int chapter = g.WaitFor(EC_DVD_CHAPTER_START, P1(1), from);
  ASSERT_GE(dom, 0);
  EXPECT_LT(dom, title);
  EXPECT_LT(title, chapter);
  EXPECT_EQ(g.dvd->SelectAtPosition({300, 150}), VFW_E_DVD_INVALIDDOMAIN);

  // Time events with hours, minutes, seconds and frames: one per second of play.
  std::vector<GraphEvent> times;
  int at = chapter;
  while (times.size() < 4) {
    at = g.WaitFor(EC_DVD_CURRENT_HMSF_TIME, nullptr, at + 1, 3);
    ASSERT_GE(at, 0) << "time events stopped after " << times.size();
    times.push_back(g.seen[at]);
  }
  for (std::size_t i = 1; i < times.size(); ++i) {
    DVD_HMSF_TIMECODE a, b;
    std::memcpy(&a, &times[i - 1].p1, sizeof a);
    std::memcpy(&b, &times[i].p1, sizeof b);
    EXPECT_EQ(b.bSeconds, a.bSeconds + 1);
    EXPECT_NEAR(times[i].at - times[i - 1].at, 1.0, 0.35);
    EXPECT_EQ(static_cast<DWORD>(times[i].p2) & 0x3, 3u); // packed with the 30 fps code
  }
  EXPECT_EQ(g.WaitFor(EC_DVD_CURRENT_TIME, nullptr, chapter, 0), -1); // only one kind at a time

  // Chapters.
  from = g.Count();
  EXPECT_EQ(g.dvd->PlayChapterInTitle(1, 1, DVD_CMD_FLAG_Block, nullptr), S_OK);
  ASSERT_GE(g.WaitFor(EC_DVD_CHAPTER_START, P1(1), from), 0);
  ASSERT_TRUE(WaitFor([&] { return TitleSeconds(g.info.Get()) > 0; })) << "chapter 1 does not play";
  from = g.Count();
  EXPECT_EQ(g.dvd->PlayNextChapter(0, nullptr), S_OK);
  ASSERT_GE(g.WaitFor(EC_DVD_CHAPTER_START, P1(2), from), 0);
  from = g.Count();
  ComPtr<IDvdCmd> cmd;
  EXPECT_EQ(g.dvd->PlayPrevChapter(0, &cmd), S_OK);
  ASSERT_TRUE(cmd);
  EXPECT_EQ(cmd->WaitForEnd(), S_OK);
  ASSERT_GE(g.WaitFor(EC_DVD_CHAPTER_START, P1(1), from), 0);
  ULONG t = 0, c = 0;
  WaitFor([&] { return TitleSeconds(g.info.Get(), &t, &c) >= 0 && t == 1 && c == 1; }, 5000);
  EXPECT_EQ(t, 1u);
  EXPECT_EQ(c, 1u);

  // Menus: the root menu of the title set, then the title menu.
  from = g.Count();
  EXPECT_EQ(g.dvd->ShowMenu(DVD_MENU_Root, 0, nullptr), S_OK);
  ASSERT_GE(g.WaitFor(EC_DVD_DOMAIN_CHANGE, P1(DVD_DOMAIN_VideoTitleSetMenu), from), 0);
  ASSERT_GE(UntilStill(g, from), 0);
  // Root menu button 3 plays chapter 3.
  from = g.Count();
  EXPECT_EQ(g.dvd->ActivateAtPosition({360, 310}), S_OK);
  ASSERT_GE(g.WaitFor(EC_DVD_CHAPTER_START, P1(3), from), 0);
  from = g.Count();
  EXPECT_EQ(g.dvd->ShowMenu(DVD_MENU_Title, 0, nullptr), S_OK);
  ASSERT_GE(g.WaitFor(EC_DVD_DOMAIN_CHANGE, P1(DVD_DOMAIN_VideoManagerMenu), from), 0);
  EXPECT_EQ(g.dvd->ShowMenu(DVD_MENU_Angle, 0, nullptr), VFW_E_DVD_MENU_DOES_NOT_EXIST);
  EXPECT_EQ(g.dvd->PlayNextChapter(0, nullptr), VFW_E_DVD_INVALIDDOMAIN);

  // Languages of the title set's streams.
  from = g.Count();
  EXPECT_EQ(g.dvd->PlayTitle(1, 0, nullptr), S_OK);
  ASSERT_GE(g.WaitFor(EC_DVD_TITLE_CHANGE, P1(1), from), 0);
  LCID lcid = 0;
  EXPECT_EQ(g.info->GetAudioLanguage(0, &lcid), S_OK);
  EXPECT_EQ(lcid, 0x0409u);
  EXPECT_EQ(g.info->GetAudioLanguage(1, &lcid), S_OK);
  EXPECT_EQ(lcid, 0x0410u);
  EXPECT_EQ(g.info->GetSubpictureLanguage(0, &lcid), S_OK);
  EXPECT_EQ(lcid, 0x0410u);
  EXPECT_EQ(g.info->GetAudioLanguage(2, &lcid), E_INVALIDARG);
  // Their formats: AC-3 and MPEG, both stereo at 48 kHz.
  DVD_AudioAttributes audio{};
  EXPECT_EQ(g.info->GetAudioAttributes(0, &audio), S_OK);
  EXPECT_EQ(audio.AudioFormat, DVD_AudioFormat_AC3);
  EXPECT_EQ(audio.Language, 0x0409u);
  EXPECT_EQ(audio.bNumberOfChannels, 2);
  EXPECT_EQ(audio.dwFrequency, 48000u);
  EXPECT_EQ(g.info->GetAudioAttributes(1, &audio), S_OK);
  EXPECT_EQ(audio.AudioFormat, DVD_AudioFormat_MPEG1);
  EXPECT_EQ(audio.Language, 0x0410u);
  EXPECT_EQ(audio.bNumberOfChannels, 2);
  EXPECT_EQ(g.info->GetAudioAttributes(2, &audio), E_INVALIDARG);
  EXPECT_EQ(g.info->GetAudioAttributes(0, nullptr), E_POINTER);
  DVD_HMSF_TIMECODE total{};
  EXPECT_EQ(g.info->GetTotalTitleTime(&total, nullptr), S_OK);
  EXPECT_EQ(total.bSeconds, 12);
  ULONG chapters = 0;
  EXPECT_EQ(g.info->GetNumberOfChapters(2, &chapters), S_OK);
  EXPECT_EQ(chapters, 2u);
}

// A menu reached from a title, or from another menu's still, shows its own still with
// its buttons and stays there until told; the title resumes from it. The navigation
// library keeps a still that was skipped before a jump pending for the next cell end,
// where it would end a menu with no post command: the machine would stop.
TEST(DvdNavigator, MenusCalledFromTitlesAndStillsStayOnTheirStills) {
  NEED_DISCS();
  FakeClasses fakes;
  DvdGraph g("ntsc_menu");
  ASSERT_EQ(g.Run(), S_OK);
  ASSERT_GE(UntilStill(g), 0);
  // At the menu's still, with its buttons, and still there after a while.
  auto inMenu = [&](DVD_DOMAIN expected, int from, const char *what) {
    SCOPED_TRACE(what);
    ASSERT_GE(g.WaitFor(EC_DVD_DOMAIN_CHANGE, P1(expected), from), 0);
    ASSERT_GE(UntilStill(g, from), 0);
    EXPECT_EQ(g.WaitFor(EC_DVD_PLAYBACK_STOPPED, nullptr, from, 1.0), -1) << "the menu ended in a stop";
    DVD_DOMAIN domain{};
    EXPECT_EQ(g.info->GetCurrentDomain(&domain), S_OK);
    EXPECT_EQ(domain, expected);
    ULONG available = 0, current = 0;
    EXPECT_EQ(g.info->GetCurrentButton(&available, &current), S_OK);
    EXPECT_EQ(available, 4u);
    EXPECT_EQ(current, 1u);
  };
  auto playing = [&](ULONG chapter, int from) {
    ULONG t = 0, c = 0;
    EXPECT_TRUE(WaitFor([&] { return TitleSeconds(g.info.Get(), &t, &c) > 0.5 && t == 1 && c == chapter; }, 5000))
        << "title " << t << " chapter " << c;
    EXPECT_EQ(g.WaitFor(EC_DVD_PLAYBACK_STOPPED, nullptr, from, 0), -1);
  };

  // Title 1 from the title menu's still by number, then the root menu in its first cell.
  int from = g.Count();
  ASSERT_EQ(g.dvd->PlayTitle(1, 0, nullptr), S_OK);
  ASSERT_GE(g.WaitFor(EC_DVD_CHAPTER_START, P1(1), from), 0);
  playing(1, from);
  from = g.Count();
  ASSERT_EQ(g.dvd->ShowMenu(DVD_MENU_Root, 0, nullptr), S_OK);
  inMenu(DVD_DOMAIN_VideoTitleSetMenu, from, "root menu from title 1");

  // From that still to the title menu, and from its still back to the root menu.
  from = g.Count();
  ASSERT_EQ(g.dvd->ShowMenu(DVD_MENU_Title, 0, nullptr), S_OK);
  inMenu(DVD_DOMAIN_VideoManagerMenu, from, "title menu from the root menu");
  from = g.Count();
  ASSERT_EQ(g.dvd->ShowMenu(DVD_MENU_Root, 0, nullptr), S_OK);
  inMenu(DVD_DOMAIN_VideoTitleSetMenu, from, "root menu from the title menu");

  // A chapter by number from the menu's still, the root menu again, and Resume.
  from = g.Count();
  ASSERT_EQ(g.dvd->PlayChapterInTitle(1, 2, 0, nullptr), S_OK);
  ASSERT_GE(g.WaitFor(EC_DVD_CHAPTER_START, P1(2), from), 0);
  playing(2, from);
  from = g.Count();
  ASSERT_EQ(g.dvd->ShowMenu(DVD_MENU_Root, 0, nullptr), S_OK);
  inMenu(DVD_DOMAIN_VideoTitleSetMenu, from, "root menu from chapter 2");
  from = g.Count();
  EXPECT_EQ(g.dvd->ReturnFromSubmenu(DVD_CMD_FLAG_Block, nullptr), VFW_E_DVD_OPERATION_INHIBITED); // none above
  ASSERT_EQ(g.dvd->Resume(0, nullptr), S_OK);
  ASSERT_GE(g.WaitFor(EC_DVD_DOMAIN_CHANGE, P1(DVD_DOMAIN_Title), from), 0);
  playing(2, from);
  const double resumed = TitleSeconds(g.info.Get());
  EXPECT_GE(resumed, 4.0); // chapter 2 starts at 4 s: not from the top of the title
}

// The title menu called from a title, menus that the disc lacks, and the menu's still
// across pauses and a stop of the graph and the navigator's own pause.
TEST(DvdNavigator, MenuStillsOutlastPausesAndStops) {
  NEED_DISCS();
  FakeClasses fakes;
  DvdGraph g("ntsc_menu");
  ASSERT_EQ(g.Run(), S_OK);
  ASSERT_GE(UntilStill(g), 0);
  auto buttons = [&] {
    ULONG available = 0, current = 0;
    g.info->GetCurrentButton(&available, &current);
    return available;
  };
  auto domain = [&] {
    DVD_DOMAIN d{};
    g.info->GetCurrentDomain(&d);
    return d;
  };
  int from = g.Count();
  ASSERT_EQ(g.dvd->PlayTitle(1, 0, nullptr), S_OK);
  ASSERT_TRUE(WaitFor([&] { return TitleSeconds(g.info.Get()) > 0.5; })) << "title 1 does not play";
  // No such menus on this disc: refused, and the title plays on.
  EXPECT_EQ(g.dvd->ShowMenu(DVD_MENU_Audio, DVD_CMD_FLAG_Block, nullptr), VFW_E_DVD_MENU_DOES_NOT_EXIST);
  EXPECT_EQ(g.dvd->ShowMenu(DVD_MENU_Subpicture, DVD_CMD_FLAG_Block, nullptr), VFW_E_DVD_MENU_DOES_NOT_EXIST);
  const double at = TitleSeconds(g.info.Get());
  EXPECT_TRUE(WaitFor([&] { return TitleSeconds(g.info.Get()) > at + 0.4; })) << "title 1 stopped at " << at;

  // The navigator paused and resumed in the title's first cell, then the title menu.
  EXPECT_EQ(g.dvd->Pause(TRUE), S_OK);
  EXPECT_EQ(g.dvd->Pause(FALSE), S_OK);
  from = g.Count();
  ASSERT_EQ(g.dvd->ShowMenu(DVD_MENU_Title, 0, nullptr), S_OK);
  ASSERT_GE(g.WaitFor(EC_DVD_DOMAIN_CHANGE, P1(DVD_DOMAIN_VideoManagerMenu), from), 0);
  ASSERT_GE(UntilStill(g, from), 0);
  EXPECT_EQ(g.WaitFor(EC_DVD_PLAYBACK_STOPPED, nullptr, from, 1.0), -1);
  EXPECT_EQ(buttons(), 4u);

  // The graph paused and run again, then stopped and run again, at the still.
  from = g.Count();
  ASSERT_EQ(g.control->Pause(), S_OK);
  ASSERT_EQ(g.Run(), S_OK);
  EXPECT_EQ(g.WaitFor(EC_DVD_PLAYBACK_STOPPED, nullptr, from, 1.0), -1);
  EXPECT_EQ(domain(), DVD_DOMAIN_VideoManagerMenu);
  EXPECT_EQ(buttons(), 4u);
  from = g.Count();
  ASSERT_EQ(g.control->Stop(), S_OK);
  ASSERT_EQ(g.Run(), S_OK);
  ASSERT_GE(UntilStill(g, from), 0) << "the menu does not show again";
  EXPECT_EQ(g.WaitFor(EC_DVD_PLAYBACK_STOPPED, nullptr, from, 1.0), -1);
  EXPECT_EQ(domain(), DVD_DOMAIN_VideoManagerMenu);
  EXPECT_EQ(buttons(), 4u);

  // Resume from the title menu goes back into title 1.
  from = g.Count();
  ASSERT_EQ(g.dvd->Resume(0, nullptr), S_OK);
  ASSERT_GE(g.WaitFor(EC_DVD_DOMAIN_CHANGE, P1(DVD_DOMAIN_Title), from), 0);
  ULONG title = 0;
  EXPECT_TRUE(WaitFor([&] { return TitleSeconds(g.info.Get(), &title) > at && title == 1; }, 5000)) << title;
}

TEST(DvdNavigator, PointingFollowsThePictureRectangle) {
  NEED_DISCS();
  {
    // Twice the stored size in a larger window.
    FakeClasses fakes;
    DvdGraph g("ntsc_menu");
    ASSERT_EQ(g.Run(), S_OK);
    ASSERT_GE(UntilStill(g), 0);
    {
      std::lock_guard l(fakes.videoRenderer->lock);
      fakes.videoRenderer->dest = {0, 0, 1440, 960};
    }
    int from = g.Count();
    EXPECT_EQ(g.dvd->ActivateAtPosition({720, 460}), S_OK); // title menu button 2: title 2
    ASSERT_GE(g.WaitFor(EC_DVD_TITLE_CHANGE, P1(2), from), 0);
    // Full screen: the renderer's window covers the screen from 0, 0 and the point is
    // in screen coordinates.
    from = g.Count();
    EXPECT_EQ(g.dvd->ShowMenu(DVD_MENU_Root, 0, nullptr), S_OK);
    ASSERT_GE(UntilStill(g, from), 0);
    {
      std::lock_guard l(fakes.videoRenderer->lock);
      fakes.videoRenderer->dest = {107, 0, 1173, 1024}; // 4:3 picture centred on 1280 x 1024
    }
    from = g.Count();
    EXPECT_EQ(g.dvd->ActivateAtPosition({640, 490}), S_OK); // root button 2 (y 200..260 stored)
    ASSERT_GE(g.WaitFor(EC_DVD_CHAPTER_START, P1(2), from), 0);
  }
  {
    // A 16:9 picture letterboxed in a 4:3 window: 640 x 360 at y 60.
    FakeClasses fakes;
    DvdGraph g("pal_wide");
    ASSERT_EQ(g.rendered, S_OK);
    {
      std::lock_guard l(fakes.videoRenderer->lock);
      fakes.videoRenderer->dest = {0, 60, 640, 420};
      fakes.videoRenderer->width = 720;
      fakes.videoRenderer->height = 576;
    }
    ASSERT_EQ(g.Run(), S_OK);
    ASSERT_GE(g.WaitFor(EC_DVD_TITLE_CHANGE, P1(1)), 0); // first play goes straight to title 1
    int from = g.Count();
    EXPECT_EQ(g.dvd->ShowMenu(DVD_MENU_Root, 0, nullptr), S_OK);
    ASSERT_GE(UntilStill(g, from), 0);
    EXPECT_EQ(g.dvd->SelectAtPosition({320, 40}), VFW_E_DVD_NO_BUTTON); // on the bar
    from = g.Count();
    EXPECT_EQ(g.dvd->ActivateAtPosition({320, 300}), S_OK); // stored y 384: "Chapter 2"
    int title = g.WaitFor(EC_DVD_TITLE_CHANGE, P1(1), from);
    ASSERT_GE(title, 0);
    ASSERT_GE(g.WaitFor(EC_DVD_CHAPTER_START, P1(2), from), 0);
  }
}

TEST(DvdNavigator, ScansBothWaysAndBack) {
  NEED_DISCS();
  FakeClasses fakes;
  DvdGraph g("ntsc_menu");
  ASSERT_EQ(g.Run(), S_OK);
  ASSERT_GE(UntilStill(g), 0);
  EXPECT_EQ(g.dvd->PlayForwards(8.0, 0, nullptr), VFW_E_DVD_INVALIDDOMAIN); // not in a menu
  int from = g.Count();
  ASSERT_EQ(g.dvd->PlayTitle(1, 0, nullptr), S_OK);
  ASSERT_GE(g.WaitFor(EC_DVD_CHAPTER_START, P1(1), from), 0);
  ASSERT_TRUE(WaitFor([&] { return TitleSeconds(g.info.Get()) >= 0.5; })) << "title 1 does not play";

  from = g.Count();
  ASSERT_EQ(g.dvd->PlayForwards(8.0, 0, nullptr), S_OK);
  ASSERT_GE(g.WaitFor(EC_DVD_PLAYBACK_RATE_CHANGE, P1(80000), from), 0);
  Sleep(250);
  double w0 = g.Elapsed(), t0 = TitleSeconds(g.info.Get());
  Sleep(500);
  double w1 = g.Elapsed(), t1 = TitleSeconds(g.info.Get());
  double rate = (t1 - t0) / (w1 - w0);
  EXPECT_GT(rate, 4.0) << t0 << " -> " << t1;
  EXPECT_LT(rate, 12.0) << t0 << " -> " << t1;
  EXPECT_TRUE(fakes.videoDecoder->in.scanMode.load());
  EXPECT_TRUE(fakes.audioDecoder->in.scanMode.load());

  from = g.Count();
  ASSERT_EQ(g.dvd->PlayBackwards(8.0, 0, nullptr), S_OK);
  ASSERT_GE(g.WaitFor(EC_DVD_PLAYBACK_RATE_CHANGE, P1(-80000), from), 0);
  Sleep(250);
  w0 = g.Elapsed(), t0 = TitleSeconds(g.info.Get());
  Sleep(500);
  w1 = g.Elapsed(), t1 = TitleSeconds(g.info.Get());
  rate = (t1 - t0) / (w1 - w0);
  EXPECT_LT(rate, -3.0) << t0 << " -> " << t1;
  EXPECT_GT(rate, -12.0) << t0 << " -> " << t1;

  from = g.Count();
  ASSERT_EQ(g.dvd->PlayForwards(1.0, 0, nullptr), S_OK);
  ASSERT_GE(g.WaitFor(EC_DVD_PLAYBACK_RATE_CHANGE, P1(10000), from), 0);
  EXPECT_FALSE(fakes.videoDecoder->in.scanMode.load());
  Sleep(400);
  w0 = g.Elapsed(), t0 = TitleSeconds(g.info.Get());
  Sleep(1000);
  w1 = g.Elapsed(), t1 = TitleSeconds(g.info.Get());
  rate = (t1 - t0) / (w1 - w0);
  EXPECT_GT(rate, 0.5) << t0 << " -> " << t1;
  EXPECT_LT(rate, 1.6) << t0 << " -> " << t1;
}

TEST(DvdNavigator, BookmarksRestoreTitleChapterTimeAndAudio) {
  NEED_DISCS();
  FakeClasses fakes;
  std::vector<BYTE> saved;
  double savedAt = 0;
  ULONGLONG disc = 0;
  {
    DvdGraph g("ntsc_menu");
    ASSERT_EQ(g.Run(), S_OK);
    ASSERT_GE(UntilStill(g), 0);
    int from = g.Count();
    ASSERT_EQ(g.dvd->PlayChapterInTitle(1, 2, 0, nullptr), S_OK);
    ASSERT_GE(g.WaitFor(EC_DVD_CHAPTER_START, P1(2), from), 0);
    from = g.Count();
    ComPtr<IDvdCmd> cmd;
    ASSERT_EQ(g.dvd->SelectAudioStream(1, 0, &cmd), S_OK);
    EXPECT_EQ(cmd->WaitForEnd(), S_OK);
    ASSERT_GE(g.WaitFor(EC_DVD_AUDIO_STREAM_CHANGE, P1(1), from), 0);
    // A second into chapter 2 (it starts at 4 s).
    ASSERT_TRUE(WaitFor([&] { return TitleSeconds(g.info.Get()) > 5.0; })) << "chapter 2 does not play";
    ComPtr<IDvdState> state;
    ASSERT_EQ(g.info->GetState(&state), S_OK);
    savedAt = TitleSeconds(g.info.Get());
    ComPtr<IPersistStream> persist;
    ASSERT_EQ(state.As(&persist), S_OK);
    CLSID clsid{};
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_DVDState);
    ComPtr<TestStream> stream = StreamOf({});
    ASSERT_EQ(persist->Save(stream.Get(), TRUE), S_OK);
    saved = stream->bytes;
    EXPECT_EQ(state->GetDiscID(&disc), S_OK);
  }
  ASSERT_GT(savedAt, 5.0);

  ComPtr<IDvdState> state;
  ASSERT_EQ(LoadState(saved, std::addressof(state)), S_OK);
  ULONGLONG loadedDisc = 0;
  EXPECT_EQ(state->GetDiscID(&loadedDisc), S_OK);
  EXPECT_EQ(loadedDisc, disc);
  {
    DvdGraph g("ntsc_menu");
    ASSERT_EQ(g.Run(), S_OK);
    ASSERT_GE(UntilStill(g), 0);
    ComPtr<IDvdCmd> cmd;
    ASSERT_EQ(g.dvd->SetState(state.Get(), 0, &cmd), S_OK);
    ASSERT_TRUE(cmd);
    EXPECT_EQ(cmd->WaitForEnd(), S_OK);
    ULONG title = 0, chapter = 0;
    double at = -1;
    // Until a picture of the restored place is shown (the time is 0 before).
    WaitFor([&] {
      at = TitleSeconds(g.info.Get(), &title, &chapter);
      return title == 1 && chapter == 2 && at > 0;
    }, 5000);
    EXPECT_EQ(title, 1u);
    EXPECT_EQ(chapter, 2u);
    EXPECT_NEAR(at, savedAt, 1.0);
    ULONG available = 0, current = 0;
    EXPECT_EQ(g.info->GetCurrentAudio(&available, &current), S_OK);
    EXPECT_EQ(current, 1u);
  }
  {
    // Another disc refuses the bookmark.
    DvdGraph g("pal_wide");
    ASSERT_EQ(g.Run(), S_OK);
    ASSERT_GE(g.WaitFor(EC_DVD_TITLE_CHANGE), 0);
    EXPECT_EQ(g.dvd->SetState(state.Get(), 0, nullptr), VFW_E_DVD_STATE_WRONG_DISC);
  }
  // Damaged records are refused whole.
  EXPECT_EQ(LoadState({}, nullptr), VFW_E_DVD_STATE_CORRUPT);
  EXPECT_EQ(LoadState({saved.begin(), saved.begin() + 20}, nullptr), VFW_E_DVD_STATE_CORRUPT);
  std::vector<BYTE> garbage(saved.size());
  for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<BYTE>(i * 37 + 11);
  EXPECT_EQ(LoadState(garbage, nullptr), VFW_E_DVD_STATE_CORRUPT);
  std::vector<BYTE> flipped = saved;
  flipped[20] ^= 0x01;
  EXPECT_EQ(LoadState(flipped, nullptr), VFW_E_DVD_STATE_CORRUPT);
  std::vector<BYTE> newer = saved;
  newer[4] = 9;
  EXPECT_EQ(LoadState(newer, nullptr), VFW_E_DVD_STATE_WRONG_VERSION);
}

TEST(DvdNavigator, DamagedDiscStopsWithErrors) {
  NEED_DISCS();
  FakeClasses fakes;
  DvdGraph g("damaged");
  ASSERT_EQ(g.rendered, S_OK);
  ASSERT_EQ(g.Run(), S_OK);
  ASSERT_GE(UntilStill(g), 0);
  int from = g.Count();
  ASSERT_EQ(g.dvd->PlayTitle(1, 0, nullptr), S_OK);
  int error = g.WaitFor(EC_DVD_ERROR, nullptr, from, 20);
  ASSERT_GE(error, 0);
  EXPECT_GE(g.WaitFor(EC_DVD_WARNING, P1(DVD_WARNING_Read), from, 0), 0);
  ASSERT_GE(g.WaitFor(EC_DVD_PLAYBACK_STOPPED, nullptr, from), 0);
  DVD_DOMAIN domain{};
  EXPECT_EQ(g.info->GetCurrentDomain(&domain), S_OK);
  EXPECT_EQ(domain, DVD_DOMAIN_Stop);
  // Nothing loops after the error.
  int n = g.Count();
  Sleep(500);
  EXPECT_EQ(g.Count(), n);
  // The title's damaged times are not reported as its length.
  EXPECT_EQ(g.dvd->PlayTitle(1, 0, nullptr), S_OK);
  ASSERT_GE(g.WaitFor(EC_DVD_TITLE_CHANGE, P1(1), n), 0);
  DVD_HMSF_TIMECODE total{};
  EXPECT_EQ(g.info->GetTotalTitleTime(&total, nullptr), VFW_E_DVD_NO_ATTRIBUTES);
}

TEST(DvdNavigator, TheCallerNeverWaitsOnABlockedNavigator) {
  NEED_DISCS();
  FakeClasses fakes;
  DvdGraph g("ntsc_menu");
  ASSERT_EQ(g.Run(), S_OK);
  ASSERT_GE(UntilStill(g), 0);
  int from = g.Count();
  ASSERT_EQ(g.dvd->PlayTitle(1, 0, nullptr), S_OK);
  ASSERT_GE(g.WaitFor(EC_DVD_CHAPTER_START, P1(1), from), 0);
  // The video renderer stops taking samples: the navigator thread blocks downstream.
  fakes.videoRenderer->in.block = true;
  Sleep(1500);
  auto timed = [&](auto call) {
    auto t0 = std::chrono::steady_clock::now();
    HRESULT hr = call();
    return std::make_pair(hr, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  };
  auto [hr1, d1] = timed([&] { return g.dvd->PlayNextChapter(0, nullptr); });
  EXPECT_EQ(hr1, S_OK);
  EXPECT_LT(d1, 0.2);
  DVD_PLAYBACK_LOCATION2 loc{};
  auto [hr2, d2] = timed([&] { return g.info->GetCurrentLocation(&loc); });
  EXPECT_EQ(hr2, S_OK);
  EXPECT_LT(d2, 0.2);
  ComPtr<IDvdCmd> cmd;
  ASSERT_EQ(g.dvd->ReplayChapter(0, &cmd), S_OK);
  auto [hr3, d3] = timed([&] { return cmd->WaitForEnd(); });
  EXPECT_LT(d3, 6.0); // bounded even when the thread cannot get to the command
  (void)hr3;
  // Stop lets the blocked thread go at once.
  auto [hr4, d4] = timed([&] { return g.control->Stop(); });
  EXPECT_EQ(hr4, S_OK);
  EXPECT_LT(d4, 2.0);
  fakes.videoRenderer->in.block = false;

  // Once the owner took the navigator out of the graph, its interfaces still answer
  // and refuse commands instead of failing badly.
  ComPtr<IEnumFilters> filters;
  ASSERT_EQ(g.graph->EnumFilters(&filters), S_OK);
  ComPtr<IBaseFilter> f, nav;
  while (filters->Next(1, &f, nullptr) == S_OK) {
    CLSID c{};
    if (SUCCEEDED(f->GetClassID(&c)) && c == CLSID_DVDNavigator) nav = f;
  }
  ASSERT_TRUE(nav);
  ASSERT_EQ(g.graph->RemoveFilter(nav.Get()), S_OK);
  EXPECT_EQ(g.dvd->SelectAtPosition({300, 150}), VFW_E_NOT_IN_GRAPH);
  EXPECT_EQ(g.dvd->ActivateAtPosition({300, 150}), VFW_E_NOT_IN_GRAPH);
  EXPECT_EQ(g.dvd->PlayNextChapter(0, nullptr), VFW_E_NOT_IN_GRAPH);
  ComPtr<IDvdControl2> again;
  EXPECT_EQ(g.builder->GetDvdInterface(IID_IDvdControl2, reinterpret_cast<void **>(again.ReleaseAndGetAddressOf())), S_OK);
  DVD_DOMAIN domain{};
  EXPECT_EQ(g.info->GetCurrentDomain(&domain), S_OK);
  void *other = nullptr;
  EXPECT_EQ(g.builder->GetDvdInterface(IID_IMediaControl, &other), E_NOINTERFACE);
}

TEST(DvdBuilder, DamagedInformationFilesGiveTheInvalidDiscAnswers) {
  NEED_DISCS();
  FakeClasses fakes;
  {
    // Found by fuzzing: a video manager menu chain that libdvdnav would play through a
    // null program map. The volume is no DVD one can open.
    DamagedDisc disc;
    ASSERT_TRUE(disc.Unpack(QDVD_DISC_CORPUS "/crash-a37e85cf555baf6cd2851c97dae59c86321a4fd0"));
    DvdGraph g(disc.Path(), false);
    EXPECT_EQ(g.rendered, S_FALSE);
    EXPECT_TRUE(g.status.bDvdVolInvalid);
  }
  {
    // A title set IFO on which libdvdread's own parsing would write through a null
    // pointer: the volume is found, the disc is invalid.
    DamagedDisc disc;
    ASSERT_TRUE(disc.Unpack(QDVD_DISC_CORPUS "/crash-f2ff02ce4cde10d0a1c2f12d06a62dbb20f8382a"));
    DvdGraph g(disc.Path(), false);
    EXPECT_EQ(g.rendered, VFW_E_DVD_INVALID_DISC);
    EXPECT_FALSE(g.status.bDvdVolInvalid);
  }
  DvdGraph g("pal_wide");
  EXPECT_EQ(g.rendered, S_OK); // and the next disc opens as ever
}

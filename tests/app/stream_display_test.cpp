// Choosing the sound track and the subtitles with real clicks on the player's menus, on
// the real platform and display with the authored discs: the sound is captured through
// SDL's disk driver and its tone measured; the subtitles are looked for on the screen.
#include "app/Unit1.h"
#include "app/Unit3.h"
#include "app/startup.h"
#include "dshow/dshow.h"
#include "engine/filter_graph.h"
#include "framework/application.h"
#include "framework/buttons.h"
#include "framework/label.h"
#include "framework/menus.h"
#include "support/fixtures.h"
#include "support/media/frame_code.h"
#include "support/pointer.h"
#include "support/qt_printers.h"
#include "support/player_display.h"
#include "support/scripted_dialogs.h"
#include "video/video_window.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <unistd.h>

namespace {

constexpr int kRate = 48000;

// Share of a window's energy at `freq` (Goertzel), 0..1.
double ToneShare(const float *v, std::size_t n, double freq) {
  const double w = 2 * M_PI * freq / kRate, c = 2 * std::cos(w);
  double s1 = 0, s2 = 0, energy = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double s = v[i] + c * s1 - s2;
    s2 = s1;
    s1 = s;
    energy += static_cast<double>(v[i]) * v[i];
  }
  return energy > 1e-9 ? 2 * (s1 * s1 + s2 * s2 - c * s1 * s2) / (n * energy) : 0;
}

// What a 50 ms window of sound is: 440 Hz (English), 880 Hz (Italian), silence or other.
enum class Tone { English, Italian, Silence, Other };

class StreamDisplayTest : public PlayerDisplayTest {
protected:
  void SetUp() override {
    char path[] = "/tmp/qdvd-streams-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    sound_ = path;
    // The sound goes to a file, in real time.
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path, 1);
    unsetenv("SDL_DISKAUDIODELAY");
    PlayerDisplayTest::SetUp();
  }

  void TearDown() override {
    PlayerDisplayTest::TearDown();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!sound_.isEmpty()) QFile::remove(sound_);
  }

  ULONG PlayingAudio() {
    ULONG available = 0, current = 99;
    if (auto info = Query<IDvdInfo2>()) info->GetCurrentAudio(&available, &current);
    return current;
  }
  // Seconds into the title as the navigator reports them.
  double TitleSeconds() {
    DVD_PLAYBACK_LOCATION2 loc{};
    auto info = Query<IDvdInfo2>();
    if (!info || FAILED(info->GetCurrentLocation(&loc))) return -1;
    return loc.TimeCode.bHours * 3600.0 + loc.TimeCode.bMinutes * 60 + loc.TimeCode.bSeconds +
           loc.TimeCode.bFrames * 1.001 / 30;
  }

  // --- Real input -------------------------------------------------------------------
  static void Xdotool(const QStringList &args) {
    ASSERT_EQ(QProcess::execute("xdotool", args), 0) << args.join(' ').toStdString();
  }
  static void ClickAt(QPoint at, int button = 1) {
    ASSERT_TRUE(ClickOnScreen(at, button)) << "the click at " << at.x() << "," << at.y() << " did not arrive";
  }
  static void ClickAction(QMenu *menu, QAction *action) {
    ClickAt(menu->mapToGlobal(menu->actionGeometry(action).center()));
  }
  // Right click on the picture: the popup opens.
  void OpenPopup() {
    TVideoWindow *video = Form3->VideoWindow;
    // Low on the left, away from the disc's menu buttons.
    ClickAt(video->mapToGlobal(QPoint(8, video->height() - 8)), 3);
    ASSERT_TRUE(WaitFor([] { return FormDVDPlayer->Popup->isVisible(); }, 3000)) << "the popup does not open";
  }
  // "&DVD" on the control panel's menu bar: its drop-down opens.
  void OpenDvdMenu() {
    QMenuBar *bar = FormDVDPlayer->MenuBar();
    QMenu *menu = FormDVDPlayer->ControlMenu->SubMenu();
    ClickAt(bar->mapToGlobal(bar->actionGeometry(menu->menuAction()).center()));
    ASSERT_TRUE(WaitFor([&] { return menu->isVisible(); }, 3000)) << "the DVD menu does not open";
  }
  static void CloseMenus() {
    Xdotool({"key", "Escape"});
    Xdotool({"key", "Escape"});
    WaitFor([] { return !QApplication::activePopupWidget(); }, 2000);
  }
  // In an open menu, opens the sub-menu `sub` and clicks its item with `caption`.
  static void Choose(QMenu *shown, TMenuItem *sub, const QString &caption) {
    ASSERT_TRUE(sub->Enabled());
    TMenuItem *item = nullptr;
    for (int i = 0; i < sub->Count(); ++i)
      if (sub->Items(i)->Caption() == caption) item = sub->Items(i);
    ASSERT_NE(item, nullptr) << caption.toStdString();
    ClickAction(shown, sub);
    ASSERT_TRUE(WaitFor([&] { return sub->SubMenu() && sub->SubMenu()->isVisible(); }, 3000))
        << sub->Caption().toStdString() << " does not open";
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sub->SubMenu())) << sub->Caption().toStdString() << " is not on the screen";
    ClickAction(sub->SubMenu(), item);
    ASSERT_TRUE(WaitFor([&] { return !shown->isVisible(); }, 3000)) << "the menu stays open";
  }
  static QStringList Items(TMenuItem *sub) {
    QStringList out;
    for (int i = 0; i < sub->Count(); ++i)
      out << sub->Items(i)->Caption() + (sub->Items(i)->isChecked() ? " *" : "");
    return out;
  }

  // --- Sound -----------------------------------------------------------------------
  // Frames written to the sound file so far.
  qint64 SoundFrames() { return QFileInfo(sound_).size() / 8; }
  // The left channel from frame `from`, `count` frames (fewer when not written yet).
  std::vector<float> Sound(qint64 from, qint64 count) {
    QFile f(sound_);
    std::vector<float> out;
    if (!f.open(QIODevice::ReadOnly) || !f.seek(from * 8)) return out;
    const QByteArray bytes = f.read(count * 8);
    const auto *frames = reinterpret_cast<const float *>(bytes.constData());
    for (qsizetype i = 0; i + 1 < bytes.size() / 4; i += 2)
      out.push_back(frames[i]);
    return out;
  }
  // The tones of consecutive 50 ms windows from `from` over `seconds` (waits for them).
  std::vector<Tone> Tones(qint64 from, double seconds) {
    const qint64 count = static_cast<qint64>(seconds * kRate);
    WaitFor([&] { return SoundFrames() >= from + count; }, static_cast<int>(seconds * 1000) + 5000);
    const std::vector<float> s = Sound(from, count);
    std::vector<Tone> out;
    const std::size_t n = kRate / 20;
    for (std::size_t at = 0; at + n <= s.size(); at += n) {
      double energy = 0;
      for (std::size_t i = at; i < at + n; ++i)
        energy += static_cast<double>(s[i]) * s[i];
      const double db = 10 * std::log10(energy / n + 1e-20);
      const double en = ToneShare(&s[at], n, 440), it = ToneShare(&s[at], n, 880);
      out.push_back(db < -40 ? Tone::Silence : en > 0.8 ? Tone::English : it > 0.8 ? Tone::Italian : Tone::Other);
    }
    return out;
  }
  static std::string Describe(const std::vector<Tone> &tones) {
    std::string s;
    for (Tone t : tones)
      s += t == Tone::English ? 'E' : t == Tone::Italian ? 'I' : t == Tone::Silence ? '.' : '?';
    return s;
  }
  static bool All(const std::vector<Tone> &tones, Tone t) {
    return !tones.empty() && std::all_of(tones.begin(), tones.end(), [t](Tone x) { return x == t; });
  }

  // --- Picture ---------------------------------------------------------------------
  QImage Picture() {
    TVideoWindow *video = Form3->VideoWindow;
    const QPoint at = video->mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), video->width(), video->height()).toImage();
  }
  // White pixels in the lower part of the picture, where the caption is authored (the
  // title's own white is all in its top rows).
  int CaptionPixels() {
    const QImage image = Picture();
    int white = 0;
    for (int y = image.height() * 3 / 5; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        white += c.red() > 215 && c.green() > 215 && c.blue() > 215;
      }
    return white;
  }

  // One grab: the frame code of the picture on screen (its frame number in the title,
  // -1 when unreadable) and the caption's white pixels in that same picture.
  struct Look {
    int code = -1;
    int white = 0;
    double reported = -1; // the navigator's location just before the grab, seconds
  };
  Look LookAtPicture() {
    Look look;
    look.reported = TitleSeconds();
    const QImage image = Picture().convertToFormat(QImage::Format_RGB32);
    const QSize w = image.size();
    QRect area(0, 0, w.width(), w.height()); // the 4:3 picture, fitted and centred
    if (w.width() * 3 > w.height() * 4) area = QRect((w.width() - w.height() * 4 / 3) / 2, 0, w.height() * 4 / 3, w.height());
    else area = QRect(0, (w.height() - w.width() * 3 / 4) / 2, w.width(), w.width() * 3 / 4);
    if (area.isEmpty()) return look;
    const QImage picture = image.copy(area);
    look.code = testmedia::ReadFrameCode(picture.constBits(), static_cast<int>(picture.bytesPerLine()), picture.width(),
                                         8 * picture.height() / 480);
    for (int y = image.height() * 3 / 5; y < image.height(); ++y) {
      const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
      for (int x = 0; x < image.width(); ++x)
        look.white += qRed(line[x]) > 215 && qGreen(line[x]) > 215 && qBlue(line[x]) > 215;
    }
    return look;
  }
  // The disc's caption shows from 0.5 s to 3.5 s into each 120-frame chapter: frames 15
  // to 104 of it (the ends may fall either side of a frame by rounding).
  static bool CaptionAuthored(int code) { return code % 120 >= 16 && code % 120 <= 103; }
  static bool ClearAuthored(int code) { return code % 120 <= 13 || code % 120 >= 107; }
  // Grabs until the picture reaches `until` (frame code) or 12 s pass.
  std::vector<Look> Watch(int until) {
    std::vector<Look> out;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 12000) {
      const Look look = LookAtPicture();
      if (look.code >= 0 && look.code < 0xC000) out.push_back(look);
      if (look.code >= until && look.code < 0xC000) break;
      QTest::qWait(15);
    }
    return out;
  }

  void PlayDisc(const char *name) {
    qputenv("DVD_DEVICE", Disc(name).toLocal8Bit());
    ClickAt(FormDVDPlayer->sBitBtn1->mapToGlobal(FormDVDPlayer->sBitBtn1->rect().center()));
    ASSERT_TRUE(WaitFor([] { return Form3->isVisible() && FormDVDPlayer->FilterGraph->Active(); }, 5000));
    ASSERT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form3));
  }
  void StartTitle1() {
    ComPtr<IDvdControl2> dvd = Query<IDvdControl2>();
    ASSERT_TRUE(dvd);
    ComPtr<IDvdCmd> cmd;
    ASSERT_EQ(dvd->PlayTitle(1, 0, &cmd), S_OK);
    ASSERT_TRUE(WaitFor([&] { return Domain() == DVD_DOMAIN_Title; }));
  }

  QString sound_;
};

} // namespace

TEST_F(StreamDisplayTest, TheItalianTrackIsHeardAtOnceAndStaysAfterAChapterSkip) {
  // No graph: the choices are there, disabled.
  OpenDvdMenu();
  EXPECT_FALSE(FormDVDPlayer->Audio1->Enabled());
  EXPECT_FALSE(FormDVDPlayer->Sottotitoli1->Enabled());
  EXPECT_FALSE(FormDVDPlayer->Angolo1->Visible());
  CloseMenus();

  // In the disc's title menu: disabled.
  PlayDisc("ntsc_menu");
  ASSERT_TRUE(WaitFor([&] { return Domain() == DVD_DOMAIN_VideoManagerMenu; }));
  OpenPopup();
  EXPECT_EQ(Domain(), DVD_DOMAIN_VideoManagerMenu);
  EXPECT_FALSE(FormDVDPlayer->Audio2->Enabled());
  EXPECT_FALSE(FormDVDPlayer->Sottotitoli2->Enabled());
  EXPECT_EQ(FormDVDPlayer->Audio2->Count(), 0);
  CloseMenus();

  StartTitle1();
  const qint64 started = SoundFrames();
  // The title's English track plays (allowing for the menu's last silence).
  ASSERT_TRUE(WaitFor([&] {
    const std::vector<Tone> t = Tones(std::max<qint64>(SoundFrames() - kRate / 2, started), 0.3);
    return All(t, Tone::English);
  })) << "the English tone never plays";

  OpenPopup();
  EXPECT_EQ(Items(FormDVDPlayer->Audio2), (QStringList{"Inglese (AC-3, 2 canali) *", "Italiano (MPEG, 2 canali)"}));
  EXPECT_EQ(Items(FormDVDPlayer->Sottotitoli2), (QStringList{"Nessuno *", "Italiano"}));
  EXPECT_FALSE(FormDVDPlayer->Angolo2->Visible());
  QMenu *popup = FormDVDPlayer->Popup;
  ASSERT_NO_FATAL_FAILURE(Choose(popup, FormDVDPlayer->Audio2, "Italiano (MPEG, 2 canali)"));
  const qint64 clicked = SoundFrames();

  // The Italian tone follows the English one without a long gap and stays. (How soon it
  // comes is measured and reported, not held to a time here.)
  const std::vector<Tone> after = Tones(clicked, 2.0);
  const std::string seen = Describe(after);
  const std::size_t first = seen.find('I');
  ASSERT_NE(first, std::string::npos) << seen;
  EXPECT_EQ(seen.find('E', first), std::string::npos) << "the English tone came back: " << seen;
  EXPECT_EQ(seen.find("...................."), std::string::npos) << "the sound stopped: " << seen;
  RecordProperty("italian_after_ms", static_cast<int>(first * 50));
  std::printf("menu click: the Italian tone after %zu ms: %s\n", first * 50, seen.c_str());
  EXPECT_TRUE(All({after.end() - 10, after.end()}, Tone::Italian)) << seen;
  EXPECT_EQ(PlayingAudio(), 1u);

  // The tick follows the track that plays.
  OpenPopup();
  EXPECT_EQ(Items(FormDVDPlayer->Audio2), (QStringList{"Inglese (AC-3, 2 canali)", "Italiano (MPEG, 2 canali) *"}));
  CloseMenus();

  // A chapter skip with the panel's button keeps it.
  const QString chapter = FormDVDPlayer->Labelcap->Caption();
  ClickAt(FormDVDPlayer->sBitBtn7->mapToGlobal(FormDVDPlayer->sBitBtn7->rect().center()));
  ASSERT_TRUE(WaitFor([&] { return FormDVDPlayer->Labelcap->Caption() != chapter; }, 5000)) << "no chapter skip";
  const qint64 skipped = SoundFrames();
  const std::vector<Tone> later = Tones(skipped + kRate / 2, 1.0);
  EXPECT_TRUE(All(later, Tone::Italian)) << "after the skip: " << Describe(later);
  OpenPopup();
  EXPECT_EQ(Items(FormDVDPlayer->Audio2), (QStringList{"Inglese (AC-3, 2 canali)", "Italiano (MPEG, 2 canali) *"}));
  CloseMenus();

  // "A" in the video window steps on to the next track: back to English.
  Form3->activateWindow();
  ASSERT_TRUE(WaitFor([] { return QApplication::activeWindow() == Form3; }, 3000));
  const qint64 keyed = SoundFrames();
  Xdotool({"key", "a"});
  const std::string back = Describe(Tones(keyed, 2.0));
  const std::size_t english = back.find('E');
  ASSERT_NE(english, std::string::npos) << back;
  EXPECT_EQ(back.find('I', english), std::string::npos) << back;
  std::printf("key A: the English tone after %zu ms: %s\n", english * 50, back.c_str());
  EXPECT_EQ(PlayingAudio(), 0u);
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(StreamDisplayTest, ItalianSubtitlesShowAtTheirTimesAndNessunoHidesThem) {
  PlayDisc("ntsc_menu");
  ASSERT_TRUE(WaitFor([&] { return Domain() == DVD_DOMAIN_VideoManagerMenu; }));
  StartTitle1();
  // Early in chapter 1, before its caption: the picture on screen says where.
  ASSERT_TRUE(WaitFor([&] {
    const int code = LookAtPicture().code;
    return code >= 3 && code < 10;
  })) << LookAtPicture().code << " domain " << Domain();

  // Chosen from the control panel's DVD menu.
  FormDVDPlayer->activateWindow();
  OpenDvdMenu();
  EXPECT_EQ(Items(FormDVDPlayer->Sottotitoli1), (QStringList{"Nessuno *", "Italiano"}));
  ASSERT_NO_FATAL_FAILURE(Choose(FormDVDPlayer->ControlMenu->SubMenu(), FormDVDPlayer->Sottotitoli1, "Italiano"));

  // The whole of chapter 2 is watched, into chapter 3: each picture on screen carries
  // the caption exactly when the disc has it at that picture's time.
  std::vector<Look> looks = Watch(240 + 10);
  int shown = 0, hidden = 0, first = -1, last = -1;
  for (const Look &l : looks) {
    if (l.code < 120) continue;
    if (l.code < 240 && l.white > 300) {
      if (first < 0) first = l.code % 120;
      last = l.code % 120;
    }
    if (CaptionAuthored(l.code)) {
      ++shown;
      EXPECT_GT(l.white, 300) << "no caption on frame " << l.code % 120 << " of chapter " << l.code / 120 + 1;
    } else if (ClearAuthored(l.code)) {
      ++hidden;
      EXPECT_LT(l.white, 60) << "a caption on frame " << l.code % 120 << " of chapter " << l.code / 120 + 1;
    }
  }
  EXPECT_GE(shown, 20);
  EXPECT_GE(hidden, 5);
  // The location the navigator reports is that of the picture on screen (its timecode
  // counts whole frames; the grab takes a moment).
  std::vector<double> ahead;
  for (const Look &l : looks)
    if (l.reported >= 0) ahead.push_back(l.reported - l.code * 1.001 / 30);
  ASSERT_FALSE(ahead.empty());
  std::sort(ahead.begin(), ahead.end());
  const double median = ahead[ahead.size() / 2];
  EXPECT_NEAR(median, 0, 0.1) << "the reported location is off the picture by " << median << " s";
  std::printf("reported location minus the picture on screen: median %+.3f s (%+.3f to %+.3f)\n", median,
              ahead.front(), ahead.back());
  RecordProperty("caption_first_frame", first);
  RecordProperty("caption_last_frame", last);
  std::printf("caption of chapter 2 seen from frame %d to frame %d (authored 15 to 104)\n", first, last);

  OpenPopup();
  EXPECT_EQ(Items(FormDVDPlayer->Sottotitoli2), (QStringList{"Nessuno", "Italiano *"}));
  ASSERT_NO_FATAL_FAILURE(Choose(FormDVDPlayer->Popup, FormDVDPlayer->Sottotitoli2, "Nessuno"));
  const int chosenAt = LookAtPicture().code;
  // Chapter 3's caption, under way, goes (the pictures already decoded keep it), and
  // stays away for the rest of its time.
  looks = Watch(240 + 105);
  int cleared = -1, during = 0;
  for (const Look &l : looks) {
    if (l.code < 240 || !CaptionAuthored(l.code)) continue;
    if (cleared < 0 && l.white < 60) cleared = l.code;
    if (cleared >= 0) {
      ++during;
      EXPECT_LT(l.white, 60) << "the caption came back on frame " << l.code % 120 << " of chapter 3";
    }
  }
  ASSERT_GE(cleared, 0) << "Nessuno never hid the caption";
  EXPECT_GE(during, 20);
  std::printf("Nessuno chosen at frame %d of chapter 3: the caption gone from frame %d\n", chosenAt % 120,
              cleared % 120);
}

TEST_F(StreamDisplayTest, SubtitlesSwitchedOnDuringACaptionShowIt) {
  // A caption that began while subtitles were off shows as soon as they are switched
  // on, for the rest of its time.
  PlayDisc("ntsc_menu");
  ASSERT_TRUE(WaitFor([&] { return Domain() == DVD_DOMAIN_VideoManagerMenu; }));
  StartTitle1();
  ASSERT_TRUE(WaitFor([&] {
    const int code = LookAtPicture().code;
    return code >= 30 && code < 40;
  })) << LookAtPicture().code;
  EXPECT_LT(LookAtPicture().white, 60) << "a caption with subtitles off";
  OpenPopup();
  ASSERT_NO_FATAL_FAILURE(Choose(FormDVDPlayer->Popup, FormDVDPlayer->Sottotitoli2, "Italiano"));
  // The closed menus lay over the caption's rows: until the picture has been painted
  // again there, a grab counts their light pixels as a caption.
  const int chosenAt = LookAtPicture().code;
  ASSERT_TRUE(WaitFor([&] { return LookAtPicture().code >= chosenAt + 2; })) << "the picture stands still";
  const std::vector<Look> looks = Watch(120 + 10);
  int first = -1, shown = 0;
  for (const Look &l : looks) {
    if (l.code < 120 && l.white > 300 && first < 0) first = l.code;
    if (first >= 0 && CaptionAuthored(l.code)) {
      ++shown;
      EXPECT_GT(l.white, 300) << "the caption went on frame " << l.code;
    }
    if (ClearAuthored(l.code)) {
      EXPECT_LT(l.white, 60) << "a caption on frame " << l.code;
    }
  }
  ASSERT_GE(first, 0) << "the caption under way never showed";
  EXPECT_LE(first, 100) << "shown only at the end of its time";
  EXPECT_GE(shown, 10);
  RecordProperty("caption_under_way_first_frame", first);
  std::printf("subtitles switched on: the caption under way shows from frame %d\n", first);
}

TEST_F(StreamDisplayTest, ABookmarkKeepsTheItalianTrackAndSubtitles) {
  const QString file = QCoreApplication::applicationDirPath() + "/bookmark.bmk";
  QFile::remove(file);
  PlayDisc("ntsc_menu");
  ASSERT_TRUE(WaitFor([&] { return Domain() == DVD_DOMAIN_VideoManagerMenu; }));
  StartTitle1();
  ASSERT_TRUE(WaitFor([&] { return LookAtPicture().code >= 3; }));
  OpenPopup();
  ASSERT_NO_FATAL_FAILURE(Choose(FormDVDPlayer->Popup, FormDVDPlayer->Audio2, "Italiano (MPEG, 2 canali)"));
  OpenPopup();
  ASSERT_NO_FATAL_FAILURE(Choose(FormDVDPlayer->Popup, FormDVDPlayer->Sottotitoli2, "Italiano"));
  // Saved at the end of chapter 1, before chapter 2's caption. (A caption whose unit
  // lies before the place a bookmark or a jump goes to is not read, so not shown.)
  ASSERT_TRUE(WaitFor([&] {
    const int code = LookAtPicture().code;
    return code >= 105 && code < 112;
  }, 12000));
  OpenPopup();
  ASSERT_NO_FATAL_FAILURE(Choose(FormDVDPlayer->Popup, FormDVDPlayer->Bookmarks2, "&Salva punto"));
  ASSERT_TRUE(WaitFor([&] { return QFileInfo(file).size() > 0; }, 3000)) << "no bookmark written";

  // Elsewhere with English and no subtitles, then back through the menu.
  OpenPopup();
  ASSERT_NO_FATAL_FAILURE(Choose(FormDVDPlayer->Popup, FormDVDPlayer->Audio2, "Inglese (AC-3, 2 canali)"));
  OpenPopup();
  ASSERT_NO_FATAL_FAILURE(Choose(FormDVDPlayer->Popup, FormDVDPlayer->Sottotitoli2, "Nessuno"));
  ClickAt(FormDVDPlayer->sBitBtn7->mapToGlobal(FormDVDPlayer->sBitBtn7->rect().center()));
  ASSERT_TRUE(WaitFor([&] { return LookAtPicture().code >= 240; })) << "no chapter skip";
  OpenPopup();
  ASSERT_NO_FATAL_FAILURE(Choose(FormDVDPlayer->Popup, FormDVDPlayer->Bookmarks2, "&Ripristina punto"));
  ASSERT_TRUE(WaitFor([&] {
    const int code = LookAtPicture().code;
    return code >= 100 && code < 120 + 15;
  })) << "not back at the end of chapter 1: " << LookAtPicture().code;

  const qint64 back = SoundFrames();
  // The caption shows on the pictures of its time.
  const std::vector<Look> looks = Watch(120 + 100);
  ASSERT_FALSE(looks.empty());
  EXPECT_LT(looks.front().code, 120 + 15) << "restored after the caption began";
  int shown = 0;
  for (const Look &l : looks)
    if (l.code >= 120 && l.code < 240 && CaptionAuthored(l.code)) {
      ++shown;
      EXPECT_GT(l.white, 300) << "no caption on frame " << l.code % 120 << " of chapter 2";
    }
  // The Italian track is heard and both choices are ticked.
  // (The first moments after the jump and the cell change may be quiet.)
  const std::vector<Tone> heard = Tones(back + kRate / 5, 1.0);
  EXPECT_EQ(Describe(heard).find('E'), std::string::npos) << Describe(heard);
  EXPECT_TRUE(All({heard.end() - 10, heard.end()}, Tone::Italian)) << Describe(heard);
  OpenPopup();
  EXPECT_EQ(Items(FormDVDPlayer->Audio2), (QStringList{"Inglese (AC-3, 2 canali)", "Italiano (MPEG, 2 canali) *"}));
  EXPECT_EQ(Items(FormDVDPlayer->Sottotitoli2), (QStringList{"Nessuno", "Italiano *"}));
  CloseMenus();
  EXPECT_GE(shown, 5);
  EXPECT_TRUE(dialogs->messages.empty());
  QFile::remove(file);
}

TEST_F(StreamDisplayTest, ADiscWithOneTrackAndNoSubtitlesOffersOneItemAndNessuno) {
  PlayDisc("pal_wide");
  ASSERT_TRUE(WaitFor([&] { return Domain() == DVD_DOMAIN_Title; }));
  OpenPopup();
  EXPECT_EQ(Items(FormDVDPlayer->Audio2), QStringList{"Inglese (AC-3, 2 canali) *"});
  EXPECT_EQ(Items(FormDVDPlayer->Sottotitoli2), QStringList{"Nessuno *"});
  EXPECT_FALSE(FormDVDPlayer->Angolo2->Visible());
  CloseMenus();
}

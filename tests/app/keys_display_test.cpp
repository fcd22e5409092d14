// The player's keys on the real platform and a real display: key presses through
// xdotool (the X server's own input) to the focused window, on the authored menu disc.
// The highlight is judged on the screen, the sound through SDL's disk driver.
#include "display_fixture.h"

#include "app/Unit4.h"
#include "controls/color_trackbar.h"
#include "framework/checkbox.h"
#include "support/media/frame_code.h"

#include <QApplication>
#include <QFile>

#include <cmath>

namespace {

// The title menu's buttons in stored-picture pixels (720 x 480, corners inclusive), as
// the disc script authors them: Up and Down go round 1-2-3-4, Left and Right stay.
const QRect kButtons[] = {QRect(QPoint(160, 120), QPoint(559, 179)), QRect(QPoint(160, 200), QPoint(559, 259)),
                          QRect(QPoint(160, 280), QPoint(559, 339)), QRect(QPoint(160, 360), QPoint(559, 419))};

class KeysDisplayTest : public PlayDisplayTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    sound_ = dir_.filePath("sound.raw");
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(sound_));
    qunsetenv("SDL_DISKAUDIODELAY"); // real-time pace
    PlayDisplayTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    Form3->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form3));
  }
  void TearDown() override {
    PlayDisplayTest::TearDown();
    qputenv("SDL_AUDIODRIVER", "dummy");
  }

  // Gives `window` the keyboard focus and types `keys` (xdotool's key names) on the
  // X server.
  static void Type(QWidget *window, const QString &keys) {
    if (QGuiApplication::focusWindow() != window->windowHandle()) {
      window->raise();
      window->activateWindow();
      ASSERT_TRUE(WaitFor([&] { return QGuiApplication::focusWindow() == window->windowHandle(); }, 5000))
          << "no focus for " << window->objectName().toStdString();
    }
    ASSERT_EQ(QProcess::execute("xdotool", {"key", "--clearmodifiers", keys}), 0) << keys.toStdString();
  }

  ULONG Button() {
    ULONG available = 0, current = 0;
    if (auto info = Query<IDvdInfo2>()) info->GetCurrentButton(&available, &current);
    return current;
  }
  // Where the 4:3 picture lies in the video window, fitted and centred.
  QRect PictureArea() {
    const QSize w = Form3->VideoWindow->size();
    if (w.width() * 3 > w.height() * 4) {
      const int pw = w.height() * 4 / 3;
      return QRect((w.width() - pw) / 2, 0, pw, w.height());
    }
    const int ph = w.width() * 3 / 4;
    return QRect(0, (w.height() - ph) / 2, w.width(), ph);
  }
  // The button whose box shows the yellow highlight on the screen (0: none or several).
  int HighlightOnScreen() {
    const QImage image = Picture().convertToFormat(QImage::Format_RGB32);
    const QRect area = PictureArea();
    int found = 0;
    for (int b = 0; b < 4; ++b) {
      const QRect r = kButtons[b];
      const QRect on(area.x() + r.x() * area.width() / 720, area.y() + r.y() * area.height() / 480,
                     r.width() * area.width() / 720, r.height() * area.height() / 480);
      int yellow = 0, all = 0;
      for (int y = on.top(); y <= on.bottom(); ++y)
        for (int x = on.left(); x <= on.right(); ++x, ++all) {
          const QColor c = image.pixelColor(x, y);
          yellow += c.red() > 110 && c.green() > 110 && c.blue() < 90;
        }
      if (all && yellow * 3 > all) {
        if (found) return 0;
        found = b + 1;
      }
    }
    return found;
  }
  // The frame code of the picture on the screen (-1: none): the title's frame number,
  // 0xC002 for the root menu of title set 1.
  int Code() {
    const QImage picture = Picture().convertToFormat(QImage::Format_RGB32).copy(PictureArea());
    if (picture.isNull()) return -1;
    return testmedia::ReadFrameCode(picture.constBits(), static_cast<int>(picture.bytesPerLine()), picture.width(),
                                    8 * picture.height() / 480);
  }
  bool Highlighted(int button) {
    return WaitFor([&] { return Button() == ULONG(button) && HighlightOnScreen() == button; }, 5000);
  }
  OAFilterState State() {
    OAFilterState s = -1;
    if (auto c = Query<IMediaControl>()) c->GetState(0, &s);
    return s;
  }
  bool PictureStill() {
    const QImage first = Picture();
    QTest::qWait(600); // more than a dozen pictures' time
    return Picture() == first;
  }
  bool FullScreen() {
    return Form3->VideoWindow->FullScreen() && !FormDVDPlayer->isVisible() && Form4->isVisible();
  }
  bool Windowed() { return !Form3->VideoWindow->FullScreen() && FormDVDPlayer->isVisible() && !Form4->isVisible(); }

  long long Frames() { return QFileInfo(sound_).size() / 8; }
  double Level(long long from, long long to) {
    QFile f(sound_);
    if (from < 0 || to <= from || !f.open(QIODevice::ReadOnly) || !f.seek(from * 8)) return -200;
    const QByteArray bytes = f.read((to - from) * 8);
    const auto *s = reinterpret_cast<const float *>(bytes.constData());
    const qsizetype n = bytes.size() / 8;
    double sum = 0;
    for (qsizetype i = 0; i < n; ++i) sum += double(s[2 * i]) * s[2 * i];
    return n == 0 || sum == 0 ? -200 : 10 * std::log10(sum / n);
  }
  // 0.4 s of sound from one device buffer after `change`.
  double LevelAfter(const std::function<void()> &change) {
    change();
    const long long start = Frames() + 2048;
    WaitFor([&] { return Frames() >= start + 19200; }, 3000);
    return Level(start, start + 19200);
  }
  static double DecibelsOf(int linear) { return std::log(linear + 1.0) * 1085.73 / 100.0; }

  QTemporaryDir dir_;
  QString sound_;
};

TEST_F(KeysDisplayTest, ArrowsWalkTheTitleMenuAndEnterStartsTheHighlightedTitle) {
  PlayMenuDisc();
  ASSERT_TRUE(Highlighted(1)) << "button " << Button() << ", on the screen " << HighlightOnScreen();
  const int volume = FormDVDPlayer->JvColorTrackBar1->Position();
  const std::vector<std::pair<QString, int>> walk = {{"Down", 2}, {"Down", 3}, {"Left", 3}, {"Right", 3},
                                                     {"Up", 2},   {"Up", 1},   {"Up", 4},   {"Down", 1},
                                                     {"Down", 2}};
  for (const auto &[key, expected] : walk) {
    SCOPED_TRACE(key.toStdString());
    Type(Form3, key);
    EXPECT_TRUE(Highlighted(expected)) << "button " << Button() << ", on the screen " << HighlightOnScreen();
  }
  // In the menu the arrows moved no slider.
  EXPECT_EQ(FormDVDPlayer->JvColorTrackBar1->Position(), volume);

  // The panel answers the same keys, whichever of its controls has the focus.
  FormDVDPlayer->sBitBtn3->setFocus();
  Type(FormDVDPlayer, "Up");
  EXPECT_TRUE(Highlighted(1));
  Type(FormDVDPlayer, "Down");
  EXPECT_TRUE(Highlighted(2));

  Type(Form3, "Return");
  EXPECT_TRUE(WaitFor([&] { return Domain() == DVD_DOMAIN_Title && Title() == "Titolo: 2"; }))
      << Title().toStdString();
  EXPECT_TRUE(PictureMoves());
  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
}

// The root menu called while title 1 plays shows its picture and buttons and stays
// there; Backspace in it (no menu above it) resumes the title where it was left. The
// same with the title menu.
TEST_F(KeysDisplayTest, BackspaceInTheRootMenuCalledFromATitleResumesTheTitle) {
  constexpr int kRootMenu = 0xC002;
  PlayMenuDisc();
  StartTitle(1);
  ASSERT_TRUE(WaitFor([&] { return Code() >= 30 && Code() < 360; })) << "title 1 does not play: " << Code();
  const int left = Code();
  Press(FormDVDPlayer->sBitBtn10, [&] { return Domain() == DVD_DOMAIN_VideoTitleSetMenu; });
  EXPECT_TRUE(WaitFor([&] { return Code() == kRootMenu; })) << "the root menu does not show: " << Code();
  ASSERT_TRUE(Highlighted(1)) << "button " << Button() << ", on the screen " << HighlightOnScreen();
  // Its pictures come to their still, which holds: the menu neither ends nor plays on.
  EXPECT_TRUE(WaitFor([&] { return PictureStill(); }, 5000)) << "the menu's picture does not come to rest";
  EXPECT_EQ(Domain(), DVD_DOMAIN_VideoTitleSetMenu);
  EXPECT_EQ(Code(), kRootMenu);
  Type(Form3, "Down");
  EXPECT_TRUE(Highlighted(2)) << "button " << Button() << ", on the screen " << HighlightOnScreen();
  Type(Form3, "Up");
  EXPECT_TRUE(Highlighted(1)) << "button " << Button() << ", on the screen " << HighlightOnScreen();

  Type(Form3, "BackSpace");
  ASSERT_TRUE(WaitFor([&] { return Domain() == DVD_DOMAIN_Title; })) << "Backspace did not leave the menu";
  // Back where it was left: the VOBU being read at the call, at most one VOBU (15
  // pictures) before the picture then on the screen.
  EXPECT_TRUE(WaitFor([&] { return Code() >= left - 15 && Code() < 360; })) << left << " -> " << Code();
  EXPECT_EQ(Title(), "Titolo: 1");
  EXPECT_TRUE(PictureMoves());

  // The same from the title menu, called by the main menu's item.
  const int before = Code();
  FormDVDPlayer->TitleMenu->trigger();
  EXPECT_TRUE(WaitFor([&] { return Code() == 0xC001 && MostlyBlue(Picture()); })) << "no title menu: " << Code();
  ASSERT_TRUE(Highlighted(1)) << "button " << Button() << ", on the screen " << HighlightOnScreen();
  EXPECT_TRUE(WaitFor([&] { return PictureStill(); }, 5000));
  EXPECT_EQ(Domain(), DVD_DOMAIN_VideoManagerMenu);
  Type(Form3, "BackSpace");
  ASSERT_TRUE(WaitFor([&] { return Domain() == DVD_DOMAIN_Title; })) << "Backspace did not leave the title menu";
  EXPECT_TRUE(WaitFor([&] { return Code() >= before - 15 && Code() < 360; })) << before << " -> " << Code();
  EXPECT_TRUE(PictureMoves());
  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
}

TEST_F(KeysDisplayTest, SpacePausesAndResumesAndEndsAScan) {
  PlayMenuDisc();
  StartTitle(1);
  ASSERT_TRUE(PictureMoves());
  Type(Form3, "space");
  ASSERT_TRUE(WaitFor([&] { return State() == State_Paused; })) << "Space did not pause";
  EXPECT_TRUE(PictureStill()) << "the picture moves while paused";
  Type(Form3, "space");
  ASSERT_TRUE(WaitFor([&] { return State() == State_Running; })) << "Space did not resume";
  EXPECT_TRUE(PictureMoves());

  // During a scan Space is Play: back to normal speed, still running; the next pauses.
  FormDVDPlayer->sBitBtn5->click();
  ASSERT_TRUE(WaitFor([] { return !FormDVDPlayer->PlayingAtNormalSpeed(); })) << "no scan";
  Type(FormDVDPlayer, "space");
  ASSERT_TRUE(WaitFor([] { return FormDVDPlayer->PlayingAtNormalSpeed(); })) << "the scan goes on";
  EXPECT_EQ(State(), State_Running);
  Type(FormDVDPlayer, "space");
  EXPECT_TRUE(WaitFor([&] { return State() == State_Paused; }));
  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
}

TEST_F(KeysDisplayTest, PageDownAndPageUpSkipChapters) {
  PlayMenuDisc();
  StartTitle(1);
  ASSERT_TRUE(WaitFor([&] { return Chapter() == "Capitolo: 1"; })) << Chapter().toStdString();
  Type(Form3, "Next"); // Page Down
  EXPECT_TRUE(WaitFor([&] { return Chapter() == "Capitolo: 2"; }, 5000)) << Chapter().toStdString();
  Type(FormDVDPlayer, "Prior"); // Page Up
  EXPECT_TRUE(WaitFor([&] { return Chapter() == "Capitolo: 1"; }, 5000)) << Chapter().toStdString();
}

TEST_F(KeysDisplayTest, FullScreenKeysAndEscapeFromEveryWindow) {
  PlayMenuDisc();
  StartTitle(1);
  Type(Form3, "Escape"); // not full screen: nothing at all
  Type(Form3, "f");
  ASSERT_TRUE(WaitFor([&] { return FullScreen(); })) << "F: not full screen";
  // The toolbar takes the focus over the picture; Escape there leaves full screen.
  ASSERT_TRUE(WaitFor([] { return QGuiApplication::focusWindow() == Form4->windowHandle(); }))
      << "the toolbar has no focus";
  Type(Form4, "Escape");
  ASSERT_TRUE(WaitFor([&] { return Windowed(); })) << "Escape: still full screen";
  EXPECT_TRUE(PictureMoves());

  Type(FormDVDPlayer, "alt+Return");
  ASSERT_TRUE(WaitFor([&] { return FullScreen(); })) << "Alt+Enter: not full screen";
  Type(Form4, "F11");
  ASSERT_TRUE(WaitFor([&] { return Windowed(); })) << "F11: still full screen";

  // With the toolbar closed the picture itself has the keys.
  Type(FormDVDPlayer, "F11");
  ASSERT_TRUE(WaitFor([&] { return FullScreen(); }));
  Form4->sBitBtn1->click();
  ASSERT_TRUE(WaitFor([] { return !Form4->isVisible(); }));
  QWidget *picture = nullptr;
  for (QWidget *w : QApplication::topLevelWidgets())
    if (w->isVisible() && w != Form4 && w != Form3 && w != FormDVDPlayer &&
        w->geometry() == QGuiApplication::primaryScreen()->geometry())
      picture = w;
  ASSERT_NE(picture, nullptr) << "no full-screen picture window";
  Type(picture, "Escape");
  ASSERT_TRUE(WaitFor([&] { return !Form3->VideoWindow->FullScreen() && FormDVDPlayer->isVisible(); }))
      << "Escape on the picture: still full screen";
  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
}

TEST_F(KeysDisplayTest, MMutesAndTheArrowsMoveTheVolumeOutsideMenus) {
  PlayMenuDisc();
  StartTitle(1);
  ASSERT_TRUE(WaitFor([&] { return Level(Frames() - 4800, Frames()) > -40; })) << "no tone in the captured sound";
  TJvColorTrackBar *slider = FormDVDPlayer->JvColorTrackBar1;
  ASSERT_EQ(slider->Position(), 4000);
  const double at4000 = LevelAfter([] {});

  const double muted = LevelAfter([&] { Type(Form3, "m"); });
  EXPECT_TRUE(FormDVDPlayer->sCheckBox1->Checked());
  EXPECT_LE(muted, -200) << "M is not silent";
  const double unmuted = LevelAfter([&] { Type(Form3, "m"); });
  EXPECT_FALSE(FormDVDPlayer->sCheckBox1->Checked());
  EXPECT_NEAR(unmuted, at4000, 0.3);

  // Up and Down move the slider by 500 and the sound with it; no button is involved.
  const double at5000 = LevelAfter([&] {
    Type(Form3, "Up");
    Type(Form3, "Up");
  });
  EXPECT_EQ(slider->Position(), 5000);
  EXPECT_NEAR(at5000 - at4000, DecibelsOf(5000) - DecibelsOf(4000), 0.3);
  Type(FormDVDPlayer, "Down");
  EXPECT_TRUE(WaitFor([&] { return slider->Position() == 4500; }));
  EXPECT_EQ(Domain(), DVD_DOMAIN_Title);

  // In full screen the keys reach the toolbar, whose slider and box follow the panel's.
  Type(Form3, "f");
  ASSERT_TRUE(WaitFor([&] { return FullScreen(); }));
  ASSERT_TRUE(WaitFor([] { return QGuiApplication::focusWindow() == Form4->windowHandle(); }));
  const double toolbarMuted = LevelAfter([&] { Type(Form4, "m"); });
  EXPECT_LE(toolbarMuted, -200);
  EXPECT_TRUE(Form4->sCheckBox1->Checked());
  Type(Form4, "m");
  Type(Form4, "Down");
  EXPECT_TRUE(WaitFor([&] { return slider->Position() == 4000 && Form4->JvColorTrackBar1->Position() == 4000; }));
  EXPECT_FALSE(Form4->sCheckBox1->Checked());
  EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
}

} // namespace

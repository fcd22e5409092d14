// Volume, Mute and the tray on the real platform and a real display: the sound of an
// authored disc captured through SDL's disk driver while the real pointer drags the
// sliders and ticks Mute, on the panel and on the toolbar over the full-screen
// picture; "Riduci" with a notification area (trayer) and without one. With
// QDVD_TOOLBAR_SCREENSHOT set, the screen with the toolbar over the picture is saved
// there.
#include "../controls/tray_host.h"

#include "app/Unit1.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/startup.h"
#include "controls/color_trackbar.h"
#include "controls/trayicon.h"
#include "dvd/graph_builder.h"
#include "engine/filter_graph.h"
#include "framework/application.h"
#include "framework/buttons.h"
#include "framework/checkbox.h"
#include "framework/menus.h"
#include "support/fixtures.h"
#include "support/qt_printers.h"
#include "support/player_display.h"
#include "support/pointer.h"
#include "support/scripted_dialogs.h"
#include "video/video_window.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>

namespace {

// The real pointer, through xdotool; each input is handled when the call returns.
QStringList At(QPoint p) { return {"mousemove", QString::number(p.x()), QString::number(p.y())}; }
void ClickAt(QPoint p, int button = 1) {
  ASSERT_TRUE(ClickOnScreen(p, button)) << "the click at " << p.x() << "," << p.y() << " did not arrive";
}
void DragAlong(QWidget *w, int y, int from, int to) {
  const QStringList args = At(w->mapToGlobal(QPoint(from, y))) << "mousedown" << "1"
                                                               << At(w->mapToGlobal(QPoint(to, y))) << "mouseup" << "1";
  ASSERT_TRUE(PointerInput(args, QEvent::MouseButtonRelease)) << args.join(' ').toStdString();
}

// Whether the X screen shows the toolbar where it stands: nine pixels in ten of its own
// rendering match the screen's (the pointer may cover a few).
bool ToolbarOnScreen() {
  const QImage own = Form4->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QRect at(Form4->mapToGlobal(QPoint(0, 0)), own.size());
  const QImage screen =
      QGuiApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), at.width(), at.height()).toImage().convertToFormat(
          QImage::Format_RGB32);
  if (own.isNull() || screen.size() != own.size()) return false;
  qsizetype same = 0;
  for (int y = 0; y < own.height(); ++y)
    for (int x = 0; x < own.width(); ++x) {
      const QRgb a = own.pixel(x, y), b = screen.pixel(x, y);
      if (std::abs(qRed(a) - qRed(b)) <= 8 && std::abs(qGreen(a) - qGreen(b)) <= 8 && std::abs(qBlue(a) - qBlue(b)) <= 8)
        ++same;
    }
  return same * 10 >= qsizetype(own.width()) * own.height() * 9;
}

// The engine's linear scale in decibels (hundredths on the renderer's scale).
double DecibelsOf(int linear) { return std::log(linear + 1.0) * 1085.73 / 100.0; }

class VolumeTrayDisplayTest : public PlayerDisplayTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    sound_ = dir_.filePath("sound.raw");
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(sound_));
    qunsetenv("SDL_DISKAUDIODELAY"); // real-time pace
    qputenv("DVD_DEVICE", Disc().toLocal8Bit());
    PlayerDisplayTest::SetUp();
  }
  void TearDown() override {
    PlayerDisplayTest::TearDown();
    qputenv("SDL_AUDIODRIVER", "dummy");
  }

  QPoint Centre(QWidget *w) { return w->mapToGlobal(w->rect().center()); }

  // Title 1 of the menu disc playing (a 440 Hz tone for 12 s).
  void PlayTitle() {
    ClickAt(Centre(FormDVDPlayer->sBitBtn1));
    ASSERT_TRUE(WaitFor([] { return Form3->isVisible() && FormDVDPlayer->FilterGraph->Active(); }));
    ComPtr<IDvdControl2> dvd;
    ASSERT_EQ(Graph()->QueryInterface(IID_PPV_ARGS(&dvd)), S_OK);
    ComPtr<IDvdCmd> cmd;
    ASSERT_EQ(dvd->PlayTitle(1, 0, &cmd), S_OK);
    ASSERT_TRUE(WaitFor([&] { return Level(Frames() - 4800, Frames()) > -40; })) << "no tone in the captured sound";
  }

  // Frames the output device has taken so far.
  long long Frames() { return QFileInfo(sound_).size() / 8; }
  // Level of the left channel in dB over [from, to) frames of the capture.
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
  // Does `change`, then measures 0.4 s of sound from one device buffer (with the gain's
  // slide) after the change.
  double LevelAfter(const std::function<void()> &change) {
    change();
    const long long start = Frames() + 2048;
    WaitFor([&] { return Frames() >= start + 19200; }, 3000);
    return Level(start, start + 19200);
  }

  QTemporaryDir dir_;
  QString sound_;
};

TEST_F(VolumeTrayDisplayTest, SlidersAndMuteChangeTheSoundByTheirDecibels) {
  PlayTitle();
  TJvColorTrackBar *slider = FormDVDPlayer->JvColorTrackBar1;
  const double at4000 = LevelAfter([] {});
  EXPECT_GT(at4000, -40);

  // The panel slider from 5000 to 7500 with the pointer held down.
  const double at7500 = LevelAfter([&] { DragAlong(slider, 12, 58, 87); });
  EXPECT_EQ(slider->Position(), 7500);
  EXPECT_NEAR(at7500 - at4000, DecibelsOf(7500) - DecibelsOf(4000), 0.3);

  const double muted = LevelAfter([] { ClickAt(FormDVDPlayer->sCheckBox1->mapToGlobal(QPoint(8, 10))); });
  EXPECT_TRUE(FormDVDPlayer->sCheckBox1->Checked());
  EXPECT_LE(muted, -200) << "Mute is not silent";
  const double unmuted = LevelAfter([] { ClickAt(FormDVDPlayer->sCheckBox1->mapToGlobal(QPoint(8, 10))); });
  EXPECT_NEAR(unmuted, at7500, 0.3);

  // Full screen: the toolbar over the picture, its slider now drives the sound.
  ClickAt(Centre(FormDVDPlayer->sBitBtn8));
  ASSERT_TRUE(WaitFor([] { return Form3->VideoWindow->FullScreen() && Form4->isVisible(); }));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(Form4));
  TJvColorTrackBar *toolbar = Form4->JvColorTrackBar1;
  EXPECT_EQ(toolbar->Position(), 7500);
  const double atToolbar = LevelAfter([&] { DragAlong(toolbar, 12, 40, 5); });
  const int position = toolbar->Position();
  EXPECT_EQ(position, 10 + 9990 * 5 / 61);
  EXPECT_EQ(slider->Position(), position);
  EXPECT_NEAR(atToolbar - at7500, DecibelsOf(position) - DecibelsOf(7500), 0.3);
  const double toolbarMuted = LevelAfter([] { ClickAt(Form4->sCheckBox1->mapToGlobal(QPoint(8, 10))); });
  EXPECT_TRUE(FormDVDPlayer->sCheckBox1->Checked());
  EXPECT_LE(toolbarMuted, -200);
  ClickAt(Form4->sCheckBox1->mapToGlobal(QPoint(8, 10)));

  // The toolbar's own pixels are on the X screen over the picture, also after a click on
  // the picture (which the window manager answers by raising the picture).
  EXPECT_TRUE(WaitFor([] { return ToolbarOnScreen(); })) << "the full-screen picture covers the toolbar";
  ClickAt(QPoint(1270, 1000)); // on the picture, and the pointer out of the way
  EXPECT_TRUE(WaitFor([] { return ToolbarOnScreen(); })) << "a click on the picture covers the toolbar";

  if (const QByteArray out = qgetenv("QDVD_TOOLBAR_SCREENSHOT"); !out.isEmpty())
    QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromLocal8Bit(out));
  EXPECT_TRUE(dialogs->messages.empty());
}

TEST_F(VolumeTrayDisplayTest, ReduceDocksTheIconAndTheMenuItemBringsThePanelBack) {
  TrayHost host;
  ASSERT_TRUE(host.Start()) << "trayer does not start";
  TLMDTrayIcon *tray = FormDVDPlayer->tray;
  ClickAt(Centre(FormDVDPlayer->sBitBtn12)); // "Riduci"
  ASSERT_TRUE(WaitFor([&] { return tray->Active() && !FormDVDPlayer->isVisible(); }));
  NOTIFYICONIDENTIFIER id{sizeof(NOTIFYICONIDENTIFIER), tray->IconWindow(), 0, {}};
  RECT icon{};
  ASSERT_TRUE(WaitFor([&] { return Shell_NotifyIconGetRect(&id, &icon) == S_OK; })) << "the icon does not dock";

  // Its menu, opened with the right button on the icon, has the one item.
  ClickAt(QPoint((icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2), 3);
  QMenu *menu = FormDVDPlayer->PopupMenu1;
  ASSERT_TRUE(WaitFor([&] { return menu->isVisible(); })) << "the tray menu does not open";
  ClickAt(menu->mapToGlobal(menu->actionGeometry(FormDVDPlayer->ApriQuovadelControlpanel1).center()));
  ASSERT_TRUE(WaitFor([&] { return FormDVDPlayer->isVisible() && !tray->Active(); }));
  EXPECT_TRUE(WaitFor([&] { return Shell_NotifyIconGetRect(&id, &icon) != S_OK; }));
}

TEST_F(VolumeTrayDisplayTest, ReduceThenTheFullScreenRoundTripShowsThePanelAndKeepsTheIcon) {
  TrayHost host;
  ASSERT_TRUE(host.Start()) << "trayer does not start";
  PlayTitle();
  ClickAt(Centre(FormDVDPlayer->sBitBtn12));
  ASSERT_TRUE(WaitFor([] { return FormDVDPlayer->tray->Active() && !FormDVDPlayer->isVisible(); }));
  // The picture's double click, as the video window raises it.
  TVideoWindow *video = Form3->VideoWindow;
  video->OnDblClick(video);
  ASSERT_TRUE(WaitFor([] { return Form3->VideoWindow->FullScreen(); }));
  video->OnDblClick(video);
  ASSERT_TRUE(WaitFor([] { return !Form3->VideoWindow->FullScreen() && FormDVDPlayer->isVisible(); }));
  EXPECT_TRUE(FormDVDPlayer->tray->Active());
}

// Without a notification area the panel is minimised, never lost; once one starts it
// moves to the tray, and the tray's item brings it back from there.
TEST_F(VolumeTrayDisplayTest, WithoutANotificationAreaThePanelIsMinimisedUntilOneStarts) {
  ASSERT_FALSE(NotificationAreaAvailable());
  TLMDTrayIcon *tray = FormDVDPlayer->tray;
  ClickAt(Centre(FormDVDPlayer->sBitBtn12));
  ASSERT_TRUE(WaitFor([] { return FormDVDPlayer->isMinimized(); })) << "the panel is not minimised";
  EXPECT_TRUE(FormDVDPlayer->isVisible());
  EXPECT_FALSE(tray->Active());

  TrayHost host;
  ASSERT_TRUE(host.Start()) << "trayer does not start";
  ASSERT_TRUE(WaitFor([&] { return tray->Active() && !FormDVDPlayer->isVisible(); }))
      << "the panel did not move to the tray";
  FormDVDPlayer->ApriQuovadelControlpanel1->trigger();
  ASSERT_TRUE(WaitFor([] { return FormDVDPlayer->isVisible(); }));
  EXPECT_FALSE(FormDVDPlayer->isMinimized());
  EXPECT_FALSE(tray->Active());
}

} // namespace

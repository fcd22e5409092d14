// Volume and Mute on the panel and the toolbar as the engine and the audio renderer
// see them, the toolbar's appearance, its drag by the bare panel with the screen
// clamps, its toggle and "X", and "Riduci" on a desktop without a notification area.
#include "play_fixture.h"

#include "controls/color_trackbar.h"
#include "controls/trayicon.h"
#include "framework/buttons.h"
#include "framework/checkbox.h"
#include "framework/image.h"
#include "framework/panel.h"
#include "video/video_window.h"
#include "win/shellapi.h"

#include <QMouseEvent>
#include <QTest>

#include <cmath>

namespace {

// The engine's linear scale on the renderer's hundredths of a decibel.
LONG Decibels(LONG linear) {
  return static_cast<LONG>(std::nearbyint(std::log(static_cast<long double>(linear) + 1.0L) * 1085.73L)) - 10000;
}

void Press(QWidget *w, QPoint at) { QTest::mousePress(w, Qt::LeftButton, {}, at); }
void Release(QWidget *w, QPoint at) { QTest::mouseRelease(w, Qt::LeftButton, {}, at); }

// A pointer move with the left button held, in the widget's coordinates.
void DragTo(QWidget *w, QPoint at) {
  QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &move);
}

class VolumeToolbarTest : public PlayTest {
protected:
  TJvColorTrackBar *PanelSlider() { return FormDVDPlayer->JvColorTrackBar1; }
  TsCheckBox *PanelMute() { return FormDVDPlayer->sCheckBox1; }
  TJvColorTrackBar *ToolbarSlider() { return Form4->JvColorTrackBar1; }
  TsCheckBox *ToolbarMute() { return Form4->sCheckBox1; }
  std::vector<LONG> &Heard() { return dvd.last->audio->volumes; }
  LONG LastHeard() { return Heard().empty() ? 1 : Heard().back(); }
  bool FullScreen() { return Form3->VideoWindow->FullScreen(); }
};

TEST_F(VolumeToolbarTest, PanelSliderAndMuteDriveTheRenderer) {
  EXPECT_EQ(Graph()->Volume(), 4000);
  EXPECT_FALSE(PanelMute()->Checked());
  EXPECT_EQ(PanelSlider()->Min(), 0); // the stored minimum of 100 never took
  Play();
  ASSERT_TRUE(dvd.last);
  EXPECT_EQ(LastHeard(), Decibels(4000));

  PanelMute()->click();
  EXPECT_EQ(Graph()->Volume(), 0);
  EXPECT_EQ(LastHeard(), -10000);
  PanelMute()->click();
  EXPECT_EQ(Graph()->Volume(), 4000);
  EXPECT_EQ(LastHeard(), Decibels(4000));

  // Moving the slider while muted is heard and leaves the box ticked.
  PanelMute()->click();
  Press(PanelSlider(), {58, 8}); // 10000 * 58 div 116
  Release(PanelSlider(), {58, 8});
  EXPECT_EQ(PanelSlider()->Position(), 5000);
  EXPECT_EQ(Graph()->Volume(), 5000);
  EXPECT_EQ(LastHeard(), Decibels(5000));
  EXPECT_TRUE(PanelMute()->Checked());

  // Fully left is silence without Mute.
  PanelMute()->click();
  Press(PanelSlider(), {0, 8});
  Release(PanelSlider(), {0, 8});
  EXPECT_EQ(PanelSlider()->Position(), 0);
  EXPECT_EQ(Graph()->Volume(), 0);
  EXPECT_EQ(LastHeard(), -10000);
  EXPECT_FALSE(PanelMute()->Checked());
}

TEST_F(VolumeToolbarTest, ToolbarSliderAndMuteReachThePanelAndTheRenderer) {
  Play();
  ASSERT_TRUE(dvd.last);
  ToolbarSlider()->SetPosition(5000);
  EXPECT_EQ(PanelSlider()->Position(), 5000);
  EXPECT_EQ(LastHeard(), Decibels(5000));
  Press(ToolbarSlider(), {0, 8}); // its own minimum
  Release(ToolbarSlider(), {0, 8});
  EXPECT_EQ(ToolbarSlider()->Position(), 10);
  EXPECT_EQ(PanelSlider()->Position(), 10);
  EXPECT_EQ(Graph()->Volume(), 10);
  EXPECT_EQ(LastHeard(), Decibels(10));

  ToolbarMute()->click();
  EXPECT_TRUE(PanelMute()->Checked());
  EXPECT_EQ(LastHeard(), -10000);
  ToolbarMute()->click();
  EXPECT_FALSE(PanelMute()->Checked());
  EXPECT_EQ(LastHeard(), Decibels(10));

  // Ticking the toolbar's box when the panel's is already ticked changes nothing.
  PanelMute()->click();
  const std::size_t calls = Heard().size();
  ASSERT_FALSE(ToolbarMute()->Checked());
  ToolbarMute()->click();
  EXPECT_TRUE(PanelMute()->Checked());
  EXPECT_EQ(Heard().size(), calls);
}

TEST_F(VolumeToolbarTest, ShowingTheToolbarCopiesThePanelsValuesItCanHold) {
  PanelSlider()->SetPosition(5); // below the toolbar's range
  PanelMute()->SetChecked(true);
  Form4->Show();
  EXPECT_EQ(ToolbarSlider()->Position(), 4000);
  EXPECT_TRUE(ToolbarMute()->Checked());
  EXPECT_EQ(Graph()->Volume(), 0);
  Form4->Hide();

  PanelSlider()->SetPosition(7000);
  PanelMute()->SetChecked(false);
  ToolbarSlider()->SetPosition(20); // what the toolbar showed before does not matter
  EXPECT_EQ(PanelSlider()->Position(), 20);
  PanelSlider()->SetPosition(7000);
  Form4->Show();
  EXPECT_EQ(ToolbarSlider()->Position(), 7000);
  EXPECT_FALSE(ToolbarMute()->Checked());
  EXPECT_EQ(Graph()->Volume(), 7000);
  EXPECT_EQ(Form4->Left(), 5); // no positioning of its own
  EXPECT_EQ(Form4->Top(), 9);
}

TEST_F(VolumeToolbarTest, DraggingTheBarePanelMovesTheToolbarWithinTheWorkArea) {
  TsPanel *panel = Form4->sPanel1;
  Form4->Show();
  const int width = Form4->width(), height = Form4->height();
  ASSERT_EQ(width, 506);
  ASSERT_EQ(height, 29);

  Press(panel, {4, 14});
  EXPECT_TRUE(PanelDragging);
  DragTo(panel, {14, 24});
  EXPECT_EQ(Form4->pos(), QPoint(15, 19));
  DragTo(panel, {-200, -300});
  EXPECT_EQ(Form4->pos(), QPoint(0, 0));
  DragTo(panel, {5000, 5000});
  const int right = GetSystemMetrics(SM_CXFULLSCREEN) - width;
  const int bottom = GetSystemMetrics(SM_CYFULLSCREEN) + GetSystemMetrics(SM_CYCAPTION) - height;
  EXPECT_EQ(Form4->pos(), QPoint(right, bottom));
  EXPECT_GT(right, 0);
  Release(panel, {5000, 5000});
  EXPECT_FALSE(PanelDragging);
  DragTo(panel, {4, 14}); // no button held any more
  EXPECT_EQ(Form4->pos(), QPoint(right, bottom));

  // The logo, the buttons, the slider and the box do not start a drag.
  for (QWidget *w : std::initializer_list<QWidget *>{Form4->Image1, Form4->sBitBtn10, ToolbarSlider(), ToolbarMute()}) {
    SCOPED_TRACE(w->objectName().toStdString());
    const QPoint at(w->width() - 1, w->height() - 1);
    Press(w, at);
    EXPECT_FALSE(PanelDragging);
    DragTo(w, at - QPoint(50, 50));
    Release(w, at - QPoint(50, 50));
    EXPECT_EQ(Form4->pos(), QPoint(right, bottom));
  }
}

TEST_F(VolumeToolbarTest, ToolbarItemToggledOnlyInFullScreenAndXHidesItUntilTheNextEntry) {
  PlayingDisc();
  FormDVDPlayer->oolbar1->trigger();
  EXPECT_FALSE(Form4->isVisible());
  FormDVDPlayer->sBitBtn8->click(); // full screen
  ASSERT_TRUE(FullScreen());
  ASSERT_TRUE(Form4->isVisible());
  FormDVDPlayer->oolbar1->trigger();
  EXPECT_FALSE(Form4->isVisible());
  FormDVDPlayer->oolbar1->trigger();
  EXPECT_TRUE(Form4->isVisible());

  Press(Form4->sPanel1, {4, 14});
  DragTo(Form4->sPanel1, {104, 64});
  Release(Form4->sPanel1, {104, 64});
  const QPoint left = Form4->pos();
  EXPECT_EQ(left, QPoint(105, 59));
  Form4->sBitBtn1->click(); // "X"
  EXPECT_FALSE(Form4->isVisible());
  EXPECT_TRUE(FullScreen());
  FormDVDPlayer->btFullScreenClick(nullptr);
  EXPECT_FALSE(FullScreen());
  FormDVDPlayer->oolbar1->trigger(); // outside full screen: nothing
  EXPECT_FALSE(Form4->isVisible());
  FormDVDPlayer->btFullScreenClick(nullptr);
  EXPECT_TRUE(Form4->isVisible());
  EXPECT_EQ(Form4->pos(), left);
}

TEST_F(VolumeToolbarTest, StayOnTopSetsBothWindowsAndBack) {
  FormDVDPlayer->sCheckBox2->SetChecked(true);
  EXPECT_TRUE(FormDVDPlayer->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(Form3->windowFlags() & Qt::WindowStaysOnTopHint);
  FormDVDPlayer->sCheckBox2->SetChecked(false);
  EXPECT_FALSE(FormDVDPlayer->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(Form3->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(Form4->windowFlags() & Qt::WindowStaysOnTopHint);
}

// Here no notification area exists: the icon cannot be shown, so "Riduci" minimises
// the panel instead of leaving it hidden.
TEST_F(VolumeToolbarTest, ReduceWithoutANotificationAreaMinimisesThePanel) {
  ASSERT_FALSE(NotificationAreaAvailable());
  FormDVDPlayer->Show();
  FormDVDPlayer->sBitBtn12->click();
  EXPECT_FALSE(FormDVDPlayer->tray->Active());
  EXPECT_TRUE(FormDVDPlayer->isVisible());
  EXPECT_TRUE(FormDVDPlayer->isMinimized());
  // A notification area that announces itself but is gone again by then changes nothing.
  PostMessageA(WindowFromWidget(FormDVDPlayer), TLMDTrayIcon::TaskbarCreatedMessage(), 0, 0);
  QCoreApplication::processEvents();
  EXPECT_TRUE(FormDVDPlayer->isVisible());
  EXPECT_TRUE(FormDVDPlayer->isMinimized());
  EXPECT_FALSE(FormDVDPlayer->tray->Active());
}

} // namespace

// The player's keys: which command each key asks for in each state, and that a window's
// controls never see the keys the player takes.
#include "app/player_keys.h"

#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QSlider>
#include <QWidget>

namespace {

using K = TPlayerKey;

TEST(PlayerKeys, TheArrowsMoveTheHighlightOnlyInAMenuWithButtonsAndTheVolumeOnlyOutside) {
  const TKeyContext title{}, buttons{true, true, false}, overlay{true, false, false}, stillMenu{false, true, false};
  EXPECT_EQ(PlayerKeyOf(Qt::Key_Up, Qt::NoModifier, title), K::kVolumeUp);
  EXPECT_EQ(PlayerKeyOf(Qt::Key_Down, Qt::NoModifier, title), K::kVolumeDown);
  EXPECT_EQ(PlayerKeyOf(Qt::Key_Left, Qt::NoModifier, title), K::kNone);
  EXPECT_EQ(PlayerKeyOf(Qt::Key_Right, Qt::NoModifier, title), K::kNone);
  EXPECT_EQ(PlayerKeyOf(Qt::Key_Return, Qt::NoModifier, title), K::kNone);
  EXPECT_EQ(PlayerKeyOf(Qt::Key_Backspace, Qt::NoModifier, title), K::kNone);
  // A menu without buttons: nothing to move to, so the arrows stay with the volume.
  EXPECT_EQ(PlayerKeyOf(Qt::Key_Up, Qt::NoModifier, stillMenu), K::kVolumeUp);
  EXPECT_EQ(PlayerKeyOf(Qt::Key_Right, Qt::NoModifier, stillMenu), K::kNone);
  EXPECT_EQ(PlayerKeyOf(Qt::Key_Backspace, Qt::NoModifier, stillMenu), K::kMenuBack);
  for (const TKeyContext &c : {buttons, overlay}) {
    EXPECT_EQ(PlayerKeyOf(Qt::Key_Up, Qt::NoModifier, c), K::kButtonUp);
    EXPECT_EQ(PlayerKeyOf(Qt::Key_Down, Qt::KeypadModifier, c), K::kButtonDown);
    EXPECT_EQ(PlayerKeyOf(Qt::Key_Left, Qt::NoModifier, c), K::kButtonLeft);
    EXPECT_EQ(PlayerKeyOf(Qt::Key_Right, Qt::NoModifier, c), K::kButtonRight);
    EXPECT_EQ(PlayerKeyOf(Qt::Key_Return, Qt::NoModifier, c), K::kButtonActivate);
    EXPECT_EQ(PlayerKeyOf(Qt::Key_Enter, Qt::KeypadModifier, c), K::kButtonActivate);
    EXPECT_EQ(PlayerKeyOf(Qt::Key_Backspace, Qt::NoModifier, c), K::kMenuBack);
    // Chapters are for titles.
    EXPECT_EQ(PlayerKeyOf(Qt::Key_PageDown, Qt::NoModifier, c), K::kNone);
  }
  EXPECT_EQ(PlayerKeyOf(Qt::Key_PageDown, Qt::NoModifier, title), K::kNextChapter);
  EXPECT_EQ(PlayerKeyOf(Qt::Key_PageUp, Qt::NoModifier, title), K::kPreviousChapter);
  // With a modifier an arrow is not the player's.
  EXPECT_EQ(PlayerKeyOf(Qt::Key_Up, Qt::ShiftModifier, buttons), K::kNone);
  EXPECT_EQ(PlayerKeyOf(Qt::Key_Up, Qt::ControlModifier, title), K::kNone);
}

TEST(PlayerKeys, FullScreenOpenMuteAndEscapeOnlyLeavesFullScreen) {
  const TKeyContext windowed{}, full{false, false, true};
  for (const TKeyContext &c : {windowed, full}) {
    EXPECT_EQ(PlayerKeyOf(Qt::Key_F, Qt::NoModifier, c), K::kFullScreen);
    EXPECT_EQ(PlayerKeyOf(Qt::Key_F11, Qt::NoModifier, c), K::kFullScreen);
    EXPECT_EQ(PlayerKeyOf(Qt::Key_Return, Qt::AltModifier, c), K::kFullScreen);
    EXPECT_EQ(PlayerKeyOf(Qt::Key_Enter, Qt::AltModifier | Qt::KeypadModifier, c), K::kFullScreen);
    EXPECT_EQ(PlayerKeyOf(Qt::Key_Space, Qt::NoModifier, c), K::kPlayPause);
    EXPECT_EQ(PlayerKeyOf(Qt::Key_M, Qt::NoModifier, c), K::kMute);
    EXPECT_EQ(PlayerKeyOf(Qt::Key_O, Qt::ControlModifier, c), K::kOpen);
  }
  EXPECT_EQ(PlayerKeyOf(Qt::Key_Escape, Qt::NoModifier, windowed), K::kNone);
  EXPECT_EQ(PlayerKeyOf(Qt::Key_Escape, Qt::NoModifier, full), K::kLeaveFullScreen);
  EXPECT_EQ(PlayerKeyOf(Qt::Key_O, Qt::NoModifier, windowed), K::kNone);
  EXPECT_EQ(PlayerKeyOf(Qt::Key_F, Qt::ControlModifier, windowed), K::kNone);
  EXPECT_EQ(PlayerKeyOf(Qt::Key_M, Qt::AltModifier, windowed), K::kNone);
  EXPECT_EQ(PlayerKeyOf(Qt::Key_Return, Qt::ControlModifier, windowed), K::kNone);

  // Held keys: the highlight, the volume and chapters go on; the switches act once.
  EXPECT_TRUE(PlayerKeyRepeats(K::kVolumeUp));
  EXPECT_TRUE(PlayerKeyRepeats(K::kButtonLeft));
  EXPECT_FALSE(PlayerKeyRepeats(K::kPlayPause));
  EXPECT_FALSE(PlayerKeyRepeats(K::kFullScreen));
  EXPECT_FALSE(PlayerKeyRepeats(K::kMute));
  EXPECT_FALSE(PlayerKeyRepeats(K::kButtonActivate));
}

// Without a control panel the commands do nothing; what is looked at here is who gets
// the key.
TEST(PlayerKeys, AFocusedControlNeverSeesThePlayersKeysAndKeepsTheOthers) {
  QWidget window, other;
  auto *button = new QPushButton(&window);
  auto *slider = new QSlider(Qt::Horizontal, &window);
  slider->setRange(0, 100);
  slider->setValue(50);
  new TPlayerKeys(&window);
  int clicks = 0;
  QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
  auto send = [](QWidget *to, QEvent::Type type, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent e(type, key, mods, key == Qt::Key_Space ? QStringLiteral(" ") : QString());
    e.ignore();
    QCoreApplication::sendEvent(to, &e);
    return e.isAccepted();
  };
  // Space would click the button, Up/PageUp move the slider, and auto-repeated
  // presses of a key that acts once are taken too.
  EXPECT_TRUE(send(button, QEvent::KeyPress, Qt::Key_Space));
  send(button, QEvent::KeyRelease, Qt::Key_Space);
  EXPECT_EQ(clicks, 0);
  EXPECT_TRUE(send(slider, QEvent::KeyPress, Qt::Key_Up));
  EXPECT_TRUE(send(slider, QEvent::KeyPress, Qt::Key_PageUp));
  EXPECT_EQ(slider->value(), 50);
  QKeyEvent held(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
  QCoreApplication::sendEvent(button, &held);
  EXPECT_TRUE(held.isAccepted());
  EXPECT_EQ(clicks, 0);

  // Keys that are not the player's reach the control; other windows keep all keys.
  send(slider, QEvent::KeyPress, Qt::Key_Right);
  EXPECT_EQ(slider->value(), 51);
  EXPECT_FALSE(send(&window, QEvent::KeyPress, Qt::Key_Escape));
  EXPECT_FALSE(send(&other, QEvent::KeyPress, Qt::Key_Space));
}

} // namespace

// The player's keys. They work the same in the control panel, in the video show window
// (the full-screen picture hands its keys to it) and on the floating toolbar, whichever
// control of the window has the focus, and each ends in a command of the control panel:
//
//   Space                 Pause while playing at normal speed, Play otherwise
//   arrows, Enter         in a disc menu with buttons: move the highlight, activate it
//   Backspace             in a disc menu: back from a sub-menu, else resume the title
//   Up, Down              outside such a menu: the volume slider by 500
//   Page Up, Page Down    outside such a menu: previous and next chapter
//   F, F11, Alt+Enter     full screen on or off; Escape: leaves full screen
//   M                     the Mute box;  Ctrl+O  Open
//   A, S                  the next sound track, the next subtitles
//
// Outside a menu with buttons the arrow keys never reach the navigator.
#pragma once

#include <QObject>

class QKeyEvent;
class QWidget;

enum class TPlayerKey {
  kNone, // not a key of the player: it goes on to the control that has the focus
  kPlayPause,
  kButtonUp,
  kButtonDown,
  kButtonLeft,
  kButtonRight,
  kButtonActivate,
  kMenuBack,
  kVolumeUp,
  kVolumeDown,
  kPreviousChapter,
  kNextChapter,
  kFullScreen,
  kLeaveFullScreen,
  kMute,
  kOpen,
  kStepAudio,
  kStepSubtitles,
};

// What the player is showing when a key comes.
struct TKeyContext {
  bool buttonMenu = false; // a disc menu with buttons is on the screen
  bool menu = false;       // the navigator is in a menu (with or without buttons)
  bool fullScreen = false;
};

// The command of a key (Qt key code and modifiers; the keypad counts as the main keys).
TPlayerKey PlayerKeyOf(int key, Qt::KeyboardModifiers modifiers, const TKeyContext &context);
// Whether holding the key down repeats its command (the other keys act once per press).
bool PlayerKeyRepeats(TPlayerKey command);

// The keys of one window: every key press meant for the window or any of its controls
// passes here first. A key of the player is taken (the control never sees it); other
// keys go on as usual. Commands run through the control panel, with errors reported by
// the general error handler as for a click.
class TPlayerKeys : public QObject {
  Q_OBJECT
public:
  explicit TPlayerKeys(QWidget *window);
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  bool Take(QKeyEvent *key);
  QWidget *window_;
};

#include "app/player_keys.h"

#include "app/Unit1.h"
#include "app/Unit3.h"
#include "app/stream_menus.h"
#include "dshow/dvd.h"
#include "engine/filter_graph.h"
#include "framework/application.h"
#include "video/video_window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {

bool IsEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

// What the navigator shows now; all false without a graph or a navigator.
TKeyContext ContextNow() {
  TKeyContext c;
  if (!FormDVDPlayer) return c;
  c.fullScreen = Form3 && Form3->VideoWindow->FullScreen();
  TFilterGraph *graph = FormDVDPlayer->FilterGraph;
  ComPtr<IDvdInfo2> info;
  if (!graph->Active() || FAILED(graph->QueryInterface(IID_PPV_ARGS(&info))) || !info) return c;
  DVD_DOMAIN domain = DVD_DOMAIN_Stop;
  c.menu = SUCCEEDED(info->GetCurrentDomain(&domain)) &&
           (domain == DVD_DOMAIN_VideoManagerMenu || domain == DVD_DOMAIN_VideoTitleSetMenu);
  ULONG available = 0, current = 0;
  c.buttonMenu = SUCCEEDED(info->GetCurrentButton(&available, &current)) && available > 0;
  return c;
}

// Whether the command of `key` depends on what the navigator shows.
bool NeedsContext(int key) {
  switch (key) {
  case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_Left: case Qt::Key_Right:
  case Qt::Key_Return: case Qt::Key_Enter: case Qt::Key_Backspace:
  case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_Escape:
    return true;
  default:
    return false;
  }
}

void Run(TPlayerKey command, QObject *sender) {
  TFormDVDPlayer *panel = FormDVDPlayer;
  if (!panel) return;
  switch (command) {
  case TPlayerKey::kPlayPause: panel->PlayOrPause(sender); break;
  case TPlayerKey::kButtonUp: panel->SelectMenuButton(sender, DVD_Relative_Upper); break;
  case TPlayerKey::kButtonDown: panel->SelectMenuButton(sender, DVD_Relative_Lower); break;
  case TPlayerKey::kButtonLeft: panel->SelectMenuButton(sender, DVD_Relative_Left); break;
  case TPlayerKey::kButtonRight: panel->SelectMenuButton(sender, DVD_Relative_Right); break;
  case TPlayerKey::kButtonActivate: panel->ActivateMenuButton(sender); break;
  case TPlayerKey::kMenuBack: panel->ReturnFromMenu(sender); break;
  case TPlayerKey::kVolumeUp: panel->StepVolume(sender, 500); break;
  case TPlayerKey::kVolumeDown: panel->StepVolume(sender, -500); break;
  case TPlayerKey::kPreviousChapter: panel->btPreviousChapterClick(sender); break;
  case TPlayerKey::kNextChapter: panel->btNextChapterClick(sender); break;
  case TPlayerKey::kFullScreen:
  case TPlayerKey::kLeaveFullScreen: panel->btFullScreenClick(sender); break;
  case TPlayerKey::kMute: panel->ToggleMute(sender); break;
  case TPlayerKey::kOpen: panel->OpenMenuClick(sender); break;
  case TPlayerKey::kStepAudio: StepStream(panel->FilterGraph, true); break;
  case TPlayerKey::kStepSubtitles: StepStream(panel->FilterGraph, false); break;
  case TPlayerKey::kNone: break;
  }
}

} // namespace

TPlayerKey PlayerKeyOf(int key, Qt::KeyboardModifiers modifiers, const TKeyContext &c) {
  const Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
  if (mods == Qt::AltModifier) return IsEnter(key) ? TPlayerKey::kFullScreen : TPlayerKey::kNone;
  if (mods == Qt::ControlModifier) return key == Qt::Key_O ? TPlayerKey::kOpen : TPlayerKey::kNone;
  if (mods != Qt::NoModifier) return TPlayerKey::kNone;
  switch (key) {
  case Qt::Key_Space: return TPlayerKey::kPlayPause;
  case Qt::Key_Up: return c.buttonMenu ? TPlayerKey::kButtonUp : TPlayerKey::kVolumeUp;
  case Qt::Key_Down: return c.buttonMenu ? TPlayerKey::kButtonDown : TPlayerKey::kVolumeDown;
  case Qt::Key_Left: return c.buttonMenu ? TPlayerKey::kButtonLeft : TPlayerKey::kNone;
  case Qt::Key_Right: return c.buttonMenu ? TPlayerKey::kButtonRight : TPlayerKey::kNone;
  case Qt::Key_Return:
  case Qt::Key_Enter: return c.buttonMenu ? TPlayerKey::kButtonActivate : TPlayerKey::kNone;
  case Qt::Key_Backspace: return c.menu || c.buttonMenu ? TPlayerKey::kMenuBack : TPlayerKey::kNone;
  case Qt::Key_PageUp: return c.buttonMenu ? TPlayerKey::kNone : TPlayerKey::kPreviousChapter;
  case Qt::Key_PageDown: return c.buttonMenu ? TPlayerKey::kNone : TPlayerKey::kNextChapter;
  case Qt::Key_F:
  case Qt::Key_F11: return TPlayerKey::kFullScreen;
  case Qt::Key_Escape: return c.fullScreen ? TPlayerKey::kLeaveFullScreen : TPlayerKey::kNone;
  case Qt::Key_M: return TPlayerKey::kMute;
  case Qt::Key_A: return TPlayerKey::kStepAudio;
  case Qt::Key_S: return TPlayerKey::kStepSubtitles;
  default: return TPlayerKey::kNone;
  }
}

bool PlayerKeyRepeats(TPlayerKey command) {
  switch (command) {
  case TPlayerKey::kButtonUp: case TPlayerKey::kButtonDown: case TPlayerKey::kButtonLeft:
  case TPlayerKey::kButtonRight: case TPlayerKey::kVolumeUp: case TPlayerKey::kVolumeDown:
  case TPlayerKey::kPreviousChapter: case TPlayerKey::kNextChapter:
    return true;
  default:
    return false;
  }
}

// Watches the whole application, so that the keys of every control of the window pass
// here before the control has them (a focused button would take Space, the slider the
// arrows). Keys of other windows (menus, message boxes, the open dialog) are left alone.
TPlayerKeys::TPlayerKeys(QWidget *window) : QObject(window), window_(window) { qApp->installEventFilter(this); }

bool TPlayerKeys::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
  if (static_cast<QWidget *>(watched)->window() != window_) return false;
  return Take(static_cast<QKeyEvent *>(event));
}

bool TPlayerKeys::Take(QKeyEvent *key) {
  const TKeyContext context = NeedsContext(key->key()) ? ContextNow() : TKeyContext{};
  const TPlayerKey command = PlayerKeyOf(key->key(), key->modifiers(), context);
  if (command == TPlayerKey::kNone) return false;
  key->accept();
  if (key->isAutoRepeat() && !PlayerKeyRepeats(command)) return true;
  Application().Guard(window_, [command, this] { Run(command, window_); });
  return true;
}

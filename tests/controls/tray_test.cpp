// The tray icon's parts that need no notification area: timers, image lists, the
// owner-message hook, the callback message table and the animation.
#include "controls/trayicon.h"
#include "framework/application.h"
#include "win/shellapi.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QMenu>
#include <QWidget>

#include <string>
#include <vector>

namespace {

QImage Solid(QRgb c) {
  QImage img(16, 16, QImage::Format_ARGB32);
  img.fill(c);
  return img;
}

TEST(LMDTimer, SharedTimersRunInStepsOf50Milliseconds) {
  EXPECT_EQ(TLMDTimerService::RoundInterval(120), 150u);
  EXPECT_EQ(TLMDTimerService::RoundInterval(150), 150u);
  EXPECT_EQ(TLMDTimerService::RoundInterval(1), 50u);
  TLMDTimer a(nullptr, true), b(nullptr, true);
  a.SetInterval(120);
  b.SetInterval(101);
  std::vector<qint64> ticks;
  QElapsedTimer clock;
  clock.start();
  a.OnTimer = [&](QObject *sender) {
    EXPECT_EQ(sender, &a);
    ticks.push_back(clock.elapsed());
  };
  const std::size_t before = TLMDTimerService::Instance().TimerCount();
  a.SetEnabled(true);
  b.SetEnabled(true);
  EXPECT_EQ(TLMDTimerService::Instance().RegisteredInterval(&a), 150u);
  EXPECT_EQ(TLMDTimerService::Instance().RegisteredInterval(&b), 150u);
  EXPECT_EQ(TLMDTimerService::Instance().TimerCount(), before + 1); // one timer for both
  ASSERT_TRUE(WaitFor([&] { return ticks.size() >= 5; }));
  const double mean = (ticks[4] - ticks[0]) / 4.0;
  EXPECT_GE(mean, 140.0);
  EXPECT_LE(mean, 300.0);
  a.SetEnabled(false);
  EXPECT_EQ(TLMDTimerService::Instance().RegisteredInterval(&a), 0u);
}

TEST(LMDTimer, OrdinaryTimersRunAtTheirIntervalAndNeverAtZero) {
  TLMDTimer timer;
  EXPECT_FALSE(timer.Shared());
  int ticks = 0;
  timer.OnTimer = [&](QObject *) { ++ticks; };
  timer.SetInterval(0);
  timer.SetEnabled(true);
  WaitFor([] { return false; }, 30);
  EXPECT_EQ(ticks, 0);
  timer.SetInterval(10);
  EXPECT_EQ(timer.EffectiveInterval(), 10u);
  EXPECT_TRUE(WaitFor([&] { return ticks >= 3; }));
}

TEST(ImageList, ListsCountsDrawingAndChangeLinks) {
  auto *list = new TLMDCustomImageList;
  TLMDChangeLink link;
  int changes = 0;
  link.OnChange = [&](QObject *sender) {
    EXPECT_EQ(sender, list);
    ++changes;
  };
  list->RegisterChanges(&link);
  EXPECT_EQ(link.Sender(), list);
  EXPECT_EQ(list->AddList(), 0);
  EXPECT_EQ(list->Add(0, Solid(qRgb(255, 0, 0))), 0);
  QImage big(40, 20, QImage::Format_RGB32);
  big.fill(qRgb(0, 255, 0));
  EXPECT_EQ(list->Add(0, big), 1);
  EXPECT_EQ(list->Add(3, big), -1);
  EXPECT_EQ(list->Count(0), 2);
  EXPECT_EQ(list->Count(1), 0);
  EXPECT_EQ(list->Image(0, 1).size(), QSize(16, 16));
  EXPECT_EQ(changes, 3);

  QImage target(16, 16, QImage::Format_RGB32);
  target.fill(Qt::white);
  QImage half = Solid(qRgba(0, 0, 0, 0));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) half.setPixel(x, y, qRgb(0, 0, 255));
  list->Add(0, half);
  ASSERT_TRUE(list->Draw(0, 2, target));
  EXPECT_EQ(target.pixel(3, 3), qRgb(0, 0, 255));
  EXPECT_EQ(target.pixel(3, 12), qRgb(255, 255, 255)); // transparent part leaves the target
  EXPECT_FALSE(list->Draw(0, 3, target));
  delete list;
  EXPECT_EQ(link.Sender(), nullptr);
}

// Records what reaches the owner-message hook.
class Recorder : public TLMDWndProcComponent {
public:
  using TLMDWndProcComponent::TLMDWndProcComponent;
  using TLMDWndProcComponent::HookWndProc;
  using TLMDWndProcComponent::UnhookWndProc;
  std::vector<std::string> seen;
  bool consume = false;

protected:
  void WndProc(TMessage &m) override {
    seen.push_back(std::to_string(m.Msg) + ":" + std::to_string(m.WParam));
    if (!consume) Default(m);
  }
};

TEST(WndProcComponent, FormEventsArriveAsMessages) {
  QWidget form;
  auto *hook = new Recorder(&form);
  hook->HookWndProc();
  ASSERT_TRUE(hook->Hooked());
  form.show();
  form.showMinimized();
  WaitFor([&] { return hook->seen.size() == 2; }, 1000);
  form.hide();
  EXPECT_EQ(hook->seen, (std::vector<std::string>{"24:1", "274:61472", "24:0"}));
  hook->seen.clear();
  form.show();
  form.close(); // the program's own close is not the user's close command
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(hook->seen, (std::vector<std::string>{"24:1", "24:0"}));
  hook->UnhookWndProc();
  form.show();
  EXPECT_EQ(hook->seen.size(), 2u);
}

TEST(WndProcComponent, WindowProcedureMessagesChainAndUnhookRestores) {
  QWidget form;
  HWND h = WindowFromWidget(&form);
  std::vector<UINT> formSaw;
  SetWindowProc(h, [&](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
    formSaw.push_back(msg);
    return 42;
  });
  auto *hook = new Recorder(&form);
  hook->HookWndProc();
  EXPECT_EQ(SendMessageA(h, WM_USER + 5, 1, 0), 42);
  hook->consume = true;
  EXPECT_EQ(SendMessageA(h, WM_USER + 6, 2, 0), 0);
  EXPECT_EQ(formSaw, std::vector<UINT>{WM_USER + 5});
  EXPECT_EQ(hook->seen, (std::vector<std::string>{"1029:1", "1030:2"}));
  hook->UnhookWndProc();
  EXPECT_EQ(SendMessageA(h, WM_USER + 7, 0, 0), 42);
  EXPECT_EQ(hook->seen.size(), 2u);
  delete hook;
  EXPECT_EQ(SendMessageA(h, WM_USER + 8, 0, 0), 42);
}

struct Tray {
  QWidget form;
  TLMDTrayIcon *tray = new TLMDTrayIcon(&form);
  std::vector<std::string> events;
  Tray() {
    auto name = [](TMouseButton b) { return b == mbLeft ? "left" : b == mbRight ? "right" : "middle"; };
    tray->OnMouseDown = [=, this](QObject *s, TMouseButton b, TShiftState shift, int x, int y) {
      EXPECT_EQ(s, tray);
      POINT p = tray->CursorPos();
      EXPECT_EQ(x, p.x);
      EXPECT_EQ(y, p.y);
      events.push_back(std::string("down ") + name(b) + (shift & ssDouble ? " double" : ""));
    };
    tray->OnMouseUp = [=, this](QObject *, TMouseButton b, TShiftState, int, int) { events.push_back(std::string("up ") + name(b)); };
    tray->OnMouseMove = [this](QObject *, TShiftState, int, int) { events.push_back("move"); };
    tray->OnClick = [this](QObject *) { events.push_back("click"); };
    tray->OnDblClick = [this](QObject *) { events.push_back("dblclick"); };
    tray->OnPopUp = [this](QObject *) { events.push_back("popup"); };
  }
  void Callback(LPARAM mouse) { SendMessageA(tray->IconWindow(), TLMDTrayIcon::CallbackMessage, 0, mouse); }
};

TEST(TrayIcon, CallbackMessagesBecomeEventsInOrder) {
  Tray t;
  QCursor::setPos(321, 123);
  t.Callback(WM_MOUSEMOVE);
  t.Callback(WM_LBUTTONDOWN);
  t.Callback(WM_LBUTTONUP);
  t.Callback(WM_LBUTTONDBLCLK);
  t.Callback(WM_RBUTTONDOWN); // no menu: only the press
  t.Callback(WM_RBUTTONUP);
  t.Callback(WM_RBUTTONDBLCLK);
  t.Callback(WM_MBUTTONDOWN);
  t.Callback(WM_MBUTTONUP);
  t.Callback(WM_MBUTTONDBLCLK);
  t.Callback(WM_KEYDOWN);
  SendMessageA(t.tray->IconWindow(), WM_USER + 100, 0, WM_LBUTTONDOWN); // another message
  EXPECT_EQ(t.events, (std::vector<std::string>{"move", "down left", "click", "up left", "dblclick", "down left double",
                                                "down right", "click", "up right", "dblclick", "down right double",
                                                "down middle", "click", "up middle", "dblclick", "down middle double"}));
  EXPECT_EQ(t.tray->CursorPos().x, QCursor::pos().x());
  EXPECT_EQ(t.tray->CursorPos().y, QCursor::pos().y());
}

TEST(TrayIcon, RightPressOpensThePopupMenuAfterOnPopUp) {
  Tray t;
  auto *menu = new QMenu(&t.form);
  menu->addAction("Apri Quovadel Control panel");
  t.tray->SetPopupMenu(menu);
  bool visibleAtPopUp = true;
  t.tray->OnPopUp = [&](QObject *) {
    t.events.push_back("popup");
    visibleAtPopUp = menu->isVisible();
  };
  t.Callback(WM_RBUTTONDOWN);
  EXPECT_EQ(t.events, (std::vector<std::string>{"down right", "popup"}));
  EXPECT_FALSE(visibleAtPopUp);
  EXPECT_TRUE(menu->isVisible());
  EXPECT_EQ(menu->property("PopupComponent").value<QObject *>(), t.tray);
  menu->hide();
  delete menu; // the tray forgets it
  EXPECT_EQ(t.tray->PopupMenu(), nullptr);
  t.events.clear();
  t.Callback(WM_RBUTTONDOWN);
  EXPECT_EQ(t.events, std::vector<std::string>{"down right"});
}

TEST(TrayIcon, NoActivationWithoutANotificationArea) {
  if (NotificationAreaAvailable()) GTEST_SKIP() << "a notification area is running";
  Application().SetShowMainForm(true);
  Tray t;
  EXPECT_TRUE(t.tray->Active());
  t.tray->BeginLoading();
  t.tray->Loaded(); // stored Active true: cleared, and activation is refused
  EXPECT_FALSE(t.tray->Active());
  EXPECT_FALSE(t.tray->Hooked());
  EXPECT_TRUE(Application().ShowMainForm());
  t.tray->SetActive(true);
  EXPECT_FALSE(t.tray->Active());
  EXPECT_EQ(TLMDTrayIcon::TaskbarCreatedMessage(), TASKBARCREATED_MESSAGE);
}

TEST(TrayIcon, AnimationCyclesThroughTheFramesOfItsList) {
  Tray t;
  TLMDCustomImageList list;
  list.AddList();
  list.AddList();
  for (QRgb c : {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)}) list.Add(1, Solid(c));
  t.tray->SetImageList(&list);
  t.tray->SetListIndex(1);
  t.tray->SetInterval(20);
  t.tray->SetAnimated(true);
  ASSERT_NE(t.tray->AnimationTimer(), nullptr);
  EXPECT_TRUE(t.tray->AnimationTimer()->Enabled());
  std::vector<int> next{t.tray->FrameIndex()};
  WaitFor([&] {
    if (t.tray->FrameIndex() != next.back()) next.push_back(t.tray->FrameIndex());
    return next.size() >= 5;
  });
  // Frames 0, 1, 2, 0 were shown: the next frame went 1, 2, 0, 1.
  EXPECT_EQ(next, (std::vector<int>{0, 1, 2, 0, 1}));
  t.tray->SetAnimated(false);
  EXPECT_EQ(t.tray->AnimationTimer(), nullptr);
}

TEST(TrayIcon, AnimationWithoutAListRunsItsTimerButShowsNothing) {
  Tray t;
  t.tray->SetInterval(5);
  t.tray->SetAnimated(true);
  ASSERT_NE(t.tray->AnimationTimer(), nullptr);
  int ticks = 0;
  t.tray->AnimationTimer()->OnTimer = [&](QObject *) { ++ticks; };
  EXPECT_TRUE(WaitFor([&] { return ticks >= 2; }));
  EXPECT_EQ(t.tray->FrameIndex(), 0);
}

TEST(TrayIcon, TimerModesPickTheirTimers) {
  Tray t;
  t.tray->SetInterval(120);
  t.tray->SetTimerMode(tmGlobalTimer); // not animated: no timer yet
  EXPECT_EQ(t.tray->AnimationTimer(), nullptr);
  t.tray->SetAnimated(true);
  ASSERT_NE(t.tray->AnimationTimer(), nullptr);
  EXPECT_TRUE(t.tray->AnimationTimer()->Shared());
  EXPECT_EQ(TLMDTimerService::Instance().RegisteredInterval(t.tray->AnimationTimer()), 150u);
  t.tray->SetTimerMode(tmHiTimer); // the new timer starts switched off
  EXPECT_EQ(t.tray->AnimationTimer(), nullptr);
  ASSERT_NE(t.tray->AnimationHiTimer(), nullptr);
  EXPECT_FALSE(t.tray->AnimationHiTimer()->UseThread());
  EXPECT_FALSE(t.tray->AnimationHiTimer()->Enabled());
  t.tray->SetTimerMode(tmThreaded);
  ASSERT_NE(t.tray->AnimationHiTimer(), nullptr);
  EXPECT_TRUE(t.tray->AnimationHiTimer()->UseThread());
  t.tray->SetAnimated(false);
  t.tray->SetThreadPriority(tpHigher);
  t.tray->SetAnimated(true);
  ASSERT_NE(t.tray->AnimationHiTimer(), nullptr);
  EXPECT_TRUE(t.tray->AnimationHiTimer()->Enabled());
  EXPECT_EQ(t.tray->AnimationHiTimer()->Interval(), 120u);
  EXPECT_EQ(t.tray->AnimationHiTimer()->ThreadPriority(), tpHigher);
}

TEST(TrayIcon, ADestroyedImageListIsForgotten) {
  Tray t;
  auto *list = new TLMDCustomImageList;
  list->AddList();
  list->Add(0, Solid(qRgb(1, 2, 3)));
  t.tray->SetImageList(list);
  delete list;
  EXPECT_EQ(t.tray->ImageList(), nullptr);
}

TEST(NotificationArea, RecordsAndRegisteredMessages) {
  EXPECT_EQ(RegisterWindowMessageA("TaskbarCreated"), TASKBARCREATED_MESSAGE);
  EXPECT_EQ(RegisterWindowMessageA("taskbarcreated"), TASKBARCREATED_MESSAGE);
  UINT a = RegisterWindowMessageA("QdvdTestMessage");
  EXPECT_GT(a, TASKBARCREATED_MESSAGE);
  EXPECT_EQ(RegisterWindowMessageA("QDVDTESTMESSAGE"), a);
  EXPECT_NE(RegisterWindowMessageA("QdvdOtherMessage"), a);
  EXPECT_EQ(RegisterWindowMessageA(""), 0u);
  EXPECT_GE(GetComCtlVersion(), ComCtlVersionIE4);

  HWND owner = CreateMessageWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
  NOTIFYICONDATAA d{};
  d.cbSize = 100;
  d.hWnd = owner;
  EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &d));
  d.cbSize = NOTIFYICONDATAA_V1_SIZE;
  EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &d));
  EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &d));
  DestroyWindow(owner);
}

} // namespace

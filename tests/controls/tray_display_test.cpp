// The tray icon in a real notification area (trayer under the test display).
#include "controls/trayicon.h"
#include "framework/application.h"
#include "support/fixtures.h"
#include "tray_host.h"
#include "win/shellapi.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

QIcon SolidIcon(QRgb c, int size = 32) {
  QPixmap p(size, size);
  p.fill(QColor(c));
  return QIcon(p);
}

QImage Solid(QRgb c) {
  QImage img(16, 16, QImage::Format_RGB32);
  img.fill(c);
  return img;
}

void RunTool(const QString &program, const QStringList &args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(5000);
}

class TrayDisplay : public ::testing::Test {
protected:
  void SetUp() override {
    NEEDS_DISPLAY();
    ASSERT_TRUE(host.Start()) << "trayer did not start";
    form = new QWidget;
    form->setWindowTitle("control panel");
    form->resize(300, 100);
    Application().SetMainForm(form);
    tray = new TLMDTrayIcon(form);
    tray->SetIcon(SolidIcon(qRgb(200, 0, 0)));
    auto name = [](TMouseButton b) { return b == mbLeft ? "left" : b == mbRight ? "right" : "middle"; };
    tray->OnMouseDown = [=, this](QObject *, TMouseButton b, TShiftState shift, int, int) {
      events.push_back(std::string("down ") + name(b) + (shift & ssDouble ? " double" : ""));
    };
    tray->OnMouseUp = [=, this](QObject *, TMouseButton b, TShiftState, int, int) { events.push_back(std::string("up ") + name(b)); };
    tray->OnClick = [this](QObject *) { events.push_back("click"); };
    tray->OnDblClick = [this](QObject *) { events.push_back("dblclick"); };
    tray->OnPopUp = [this](QObject *) { events.push_back("popup"); };
  }
  void TearDown() override {
    delete form;
    Application().SetMainForm(nullptr);
    Application().SetShowMainForm(true);
    ShowWindow(Application().Handle(), SW_SHOW);
  }
  // Loads the component with Active as stored (true unless given).
  void Load(bool storeInactive = false) {
    tray->BeginLoading();
    if (storeInactive) tray->SetActive(false);
    tray->SetHint("Quovadel DVD");
    tray->Loaded();
  }
  bool IconRect(RECT *r) {
    NOTIFYICONIDENTIFIER id{};
    id.cbSize = sizeof id;
    id.hWnd = tray->IconWindow();
    id.uID = 0;
    return Shell_NotifyIconGetRect(&id, r) == S_OK;
  }
  bool WaitDocked(RECT *r, int ms = 5000) {
    return WaitFor([&] { return IconRect(r); }, ms);
  }
  void ClickIcon(const RECT &r, int button) {
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    RunTool("xdotool", {"mousemove", QString::number(x), QString::number(y), "click", QString::number(button)});
  }
  bool TaskbarButtonHidden() { return GetWindowLongA(WindowFromWidget(form), GWL_EXSTYLE) & WS_EX_TOOLWINDOW; }

  TrayHost host;
  QWidget *form = nullptr;
  TLMDTrayIcon *tray = nullptr;
  std::vector<std::string> events;
};

QString VisibleToolTip() {
  for (QWidget *w : QApplication::topLevelWidgets())
    if (w->objectName() == "qtooltip_label" && w->isVisible()) return static_cast<QLabel *>(w)->text();
  return QString();
}

QString WindowState(QWidget *w) {
  QProcess p;
  p.start("xprop", {"-id", QString::number(w->winId()), "_NET_WM_STATE"});
  p.waitForFinished(5000);
  return QString::fromLocal8Bit(p.readAllStandardOutput());
}

TEST_F(TrayDisplay, LoadedWithDefaultsShowsTheIconAndHidesTheApplication) {
  form->show();
  const QString longHint = QString("Quovadel DVD ").repeated(6); // 78 characters
  tray->BeginLoading();
  tray->SetHint(longHint);
  tray->Loaded();
  EXPECT_TRUE(tray->Active());
  EXPECT_FALSE(Application().ShowMainForm());
  EXPECT_FALSE(IsWindowVisible(Application().Handle()));
  EXPECT_TRUE(TaskbarButtonHidden());
  EXPECT_TRUE(WaitFor([&] { return WindowState(form).contains("_NET_WM_STATE_SKIP_TASKBAR"); }));
  RECT r;
  ASSERT_TRUE(WaitDocked(&r));
  // The tooltip shows the first 63 characters of the hint. The pointer leaves first: one
  // already resting on the icon (an earlier run left it there) sends no move, so no tooltip.
  RunTool("xdotool", {"mousemove", QString::number((r.left + r.right) / 2), QString::number(r.top > 300 ? r.top - 200 : r.bottom + 200)});
  RunTool("xdotool", {"mousemove", QString::number((r.left + r.right) / 2), QString::number((r.top + r.bottom) / 2)});
  EXPECT_TRUE(WaitFor([] { return !VisibleToolTip().isEmpty(); }, 4000));
  EXPECT_EQ(VisibleToolTip(), longHint.left(63));

  tray->SetActive(false);
  EXPECT_FALSE(WaitFor([&] { return IconRect(&r); }, 300));
  EXPECT_TRUE(Application().ShowMainForm());
  EXPECT_TRUE(IsWindowVisible(Application().Handle()));
  EXPECT_FALSE(TaskbarButtonHidden());
  EXPECT_TRUE(WaitFor([&] { return !WindowState(form).contains("_NET_WM_STATE_SKIP_TASKBAR"); }));
}

TEST_F(TrayDisplay, StoredInactiveRunsTheDeactivationStepsWhileLoading) {
  Application().SetShowMainForm(false);
  ShowWindow(Application().Handle(), SW_HIDE);
  Load(/*storeInactive=*/true);
  EXPECT_FALSE(tray->Active());
  EXPECT_TRUE(Application().ShowMainForm());
  EXPECT_TRUE(IsWindowVisible(Application().Handle()));
  RECT r;
  EXPECT_FALSE(WaitFor([&] { return IconRect(&r); }, 700));
  tray->SetActive(true);
  EXPECT_TRUE(WaitDocked(&r));
}

TEST_F(TrayDisplay, ActivatingTwiceDoesNothingTheSecondTime) {
  Load();
  ASSERT_TRUE(tray->Active());
  ShowWindow(Application().Handle(), SW_SHOW);
  tray->SetActive(true);
  EXPECT_TRUE(IsWindowVisible(Application().Handle()));
}

TEST_F(TrayDisplay, RightClickRaisesMouseDownThenOnPopUpAndShowsTheMenu) {
  auto *menu = new QMenu(form);
  menu->addAction("Apri Quovadel Control panel");
  tray->SetPopupMenu(menu);
  Load();
  RECT r;
  ASSERT_TRUE(WaitDocked(&r));
  Pump(600); // the icon's place settles after docking
  ASSERT_TRUE(WaitDocked(&r));
  ClickIcon(r, 3);
  ASSERT_TRUE(WaitFor([&] { return menu->isVisible(); }));
  WaitFor([&] { return events.size() >= 4; }, 500);
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[0], "down right");
  EXPECT_EQ(events[1], "popup");
  EXPECT_EQ(events, (std::vector<std::string>{"down right", "popup", "click", "up right"}));
  EXPECT_LE(std::abs(menu->pos().x() - (r.left + r.right) / 2), 40);
  menu->hide();
}

TEST_F(TrayDisplay, LeftClickRaisesMouseDownClickMouseUp) {
  Load();
  RECT r;
  ASSERT_TRUE(WaitDocked(&r));
  Pump(600);
  ASSERT_TRUE(WaitDocked(&r));
  ClickIcon(r, 1);
  EXPECT_TRUE(WaitFor([&] { return events.size() >= 3; }));
  EXPECT_EQ(events, (std::vector<std::string>{"down left", "click", "up left"}));
}

TEST_F(TrayDisplay, TheIconComesBackWhenTheNotificationAreaRestarts) {
  Load();
  RECT r;
  ASSERT_TRUE(WaitDocked(&r));
  // Something shows the task-bar window meanwhile; re-activation hides it again.
  ShowWindow(Application().Handle(), SW_SHOW);
  host.Stop();
  ASSERT_TRUE(host.Start());
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(Application().Handle()); }, 5000));
  EXPECT_TRUE(tray->Active());
  EXPECT_TRUE(tray->Hooked());
  Pump(600);
  EXPECT_TRUE(WaitDocked(&r));
}

TEST_F(TrayDisplay, OwnerFormMinimizeHidesItAndNoCloseKeepsItOpen) {
  int noClose = 0;
  tray->OnNoClose = [&](QObject *sender) {
    EXPECT_EQ(sender, form);
    ++noClose;
  };
  form->show();
  Load();
  // Showing the form while active keeps the application out of the task bar.
  ShowWindow(Application().Handle(), SW_SHOW);
  form->hide();
  form->show();
  EXPECT_FALSE(IsWindowVisible(Application().Handle()));

  form->showMinimized();
  EXPECT_TRUE(WaitFor([&] { return !form->isVisible(); }));
  EXPECT_TRUE(WaitFor([&] { return !(form->windowState() & Qt::WindowMinimized); })) << "it stays minimized";
  form->showNormal();

  // The window manager's close request (as from the title bar).
  tray->SetNoClose(true);
  ShowWindow(Application().Handle(), SW_SHOW);
  ASSERT_TRUE(WaitFor([&] { return form->isVisible(); }));
  xcb_connection_t *c = xcb_connect(nullptr, nullptr);
  ASSERT_FALSE(xcb_connection_has_error(c));
  auto atom = [c](const char *name) {
    xcb_intern_atom_reply_t *r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    xcb_atom_t a = r ? r->atom : 0;
    std::free(r);
    return a;
  };
  auto requestClose = [&] {
    xcb_client_message_event_t e{};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = static_cast<xcb_window_t>(form->winId());
    e.type = atom("WM_PROTOCOLS");
    e.data.data32[0] = atom("WM_DELETE_WINDOW");
    e.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, e.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&e));
    xcb_flush(c);
  };
  requestClose();
  EXPECT_TRUE(WaitFor([&] { return noClose == 1; }));
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(IsWindowVisible(Application().Handle()));

  tray->SetNoClose(false);
  form->show();
  ASSERT_TRUE(WaitFor([&] { return form->isVisible(); }));
  requestClose();
  EXPECT_TRUE(WaitFor([&] { return !form->isVisible(); }));
  EXPECT_EQ(noClose, 1);
  xcb_disconnect(c);
}

TEST_F(TrayDisplay, AnimationShowsTheFramesInTurn) {
  TLMDCustomImageList list;
  list.AddList();
  for (QRgb c : {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)}) list.Add(0, Solid(c));
  tray->SetImageList(&list);
  tray->SetIcon(SolidIcon(qRgb(128, 128, 128)));
  tray->SetInterval(400);
  Load();
  RECT r;
  ASSERT_TRUE(WaitDocked(&r));
  Pump(600);
  ASSERT_TRUE(WaitDocked(&r));
  tray->SetAnimated(true);
  // Watch the middle of the icon on the screen.
  std::vector<char> seen;
  WaitFor([&] {
    QImage shot = QGuiApplication::primaryScreen()
                      ->grabWindow(0, (r.left + r.right) / 2, (r.top + r.bottom) / 2, 1, 1)
                      .toImage();
    QRgb p = shot.pixel(0, 0);
    char c = qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60   ? 'R'
             : qGreen(p) > 200 && qRed(p) < 60 && qBlue(p) < 60 ? 'G'
             : qBlue(p) > 200 && qRed(p) < 60 && qGreen(p) < 60 ? 'B'
                                                                : '?';
    if (c != '?' && (seen.empty() || seen.back() != c)) seen.push_back(c);
    return seen.size() >= 4;
  }, 5000);
  EXPECT_EQ(std::string(seen.begin(), seen.end()), "RGBR");
  tray->SetAnimated(false);
}

} // namespace

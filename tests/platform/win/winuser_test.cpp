#include "win/winuser.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>

#include <atomic>
#include <string>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

TEST(MessageWindow, PostFromWorkerThreadRunsOnGuiThreadInOrder) {
  std::vector<WPARAM> seen;
  QThread *procThread = nullptr;
  HWND hwnd = CreateMessageWindow([&](HWND, UINT msg, WPARAM w, LPARAM) -> LRESULT {
    if (msg == WM_APP + 1) {
      seen.push_back(w);
      procThread = QThread::currentThread();
    }
    return 0;
  });
  std::thread worker([hwnd] {
    for (WPARAM i = 0; i < 50; ++i) ASSERT_TRUE(PostMessageA(hwnd, WM_APP + 1, i, 0));
  });
  worker.join();
  WaitFor([&] { return seen.size() == 50; });
  ASSERT_EQ(seen.size(), 50u);
  for (WPARAM i = 0; i < 50; ++i) EXPECT_EQ(seen[i], i);
  EXPECT_EQ(procThread, QApplication::instance()->thread());
  EXPECT_TRUE(DestroyWindow(hwnd));
}

TEST(MessageWindow, MessagesForADestroyedWindowAreDropped) {
  int calls = 0;
  HWND hwnd = CreateMessageWindow([&](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return ++calls; });
  ASSERT_TRUE(PostMessageA(hwnd, WM_APP, 0, 0));
  DestroyWindow(hwnd);
  QCoreApplication::processEvents();
  EXPECT_EQ(calls, 0);
  EXPECT_FALSE(PostMessageA(hwnd, WM_APP, 0, 0));
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(SendMessageA(hwnd, WM_APP, 0, 0), 0);
}

TEST(MessageWindow, ExceptionsGoToTheHandlerAndLaterMessagesArrive) {
  int reported = 0, delivered = 0;
  SetWindowProcExceptionHandler([&](std::exception_ptr) { ++reported; });
  HWND hwnd = CreateMessageWindow([&](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
    ++delivered;
    if (msg == WM_APP) throw std::runtime_error("boom");
    return 5;
  });
  PostMessageA(hwnd, WM_APP, 0, 0);
  PostMessageA(hwnd, WM_APP + 2, 0, 0);
  WaitFor([&] { return delivered == 2; });
  EXPECT_EQ(reported, 1);
  EXPECT_EQ(delivered, 2);
  EXPECT_EQ(SendMessageA(hwnd, WM_APP + 3, 0, 0), 5);
  SetWindowProcExceptionHandler(nullptr);
  DestroyWindow(hwnd);
}

TEST(WidgetWindow, FindsChildByClassAndTitle) {
  QWidget parent;
  auto *a = new QWidget(&parent);
  auto *b = new QWidget(&parent);
  a->setWindowTitle("VideoWindow");
  b->setWindowTitle("VideoWindow");
  HWND hp = WindowFromWidget(&parent);
  HWND ha = WindowFromWidget(a);
  HWND hb = WindowFromWidget(b);
  EXPECT_EQ(WindowFromWidget(a), ha);
  EXPECT_EQ(WidgetFromWindow(ha), a);
  SetWindowClassName(hb, "VideoRenderer");
  EXPECT_EQ(FindWindowExA(hp, nullptr, "VideoRenderer", "VideoWindow"), hb);
  EXPECT_EQ(FindWindowExA(hp, nullptr, "VideoRenderer", "Other"), nullptr);
  EXPECT_EQ(FindWindowExA(hp, hb, "VideoRenderer", nullptr), nullptr);
  EXPECT_EQ(GetParent(ha), hp);
  delete b;
  EXPECT_FALSE(IsWindow(hb));
  EXPECT_EQ(FindWindowExA(hp, nullptr, "VideoRenderer", nullptr), nullptr);
}

TEST(WidgetWindow, StyleWordsFollowTheWidget) {
  QWidget top;
  top.setWindowFlags(Qt::Window);
  auto *child = new QWidget(&top);
  HWND ht = WindowFromWidget(&top);
  HWND hc = WindowFromWidget(child);
  top.show();
  LONG childStyle = GetWindowLongA(hc, GWL_STYLE);
  EXPECT_TRUE(childStyle & static_cast<LONG>(WS_CHILD));
  EXPECT_TRUE(childStyle & static_cast<LONG>(WS_VISIBLE));
  EXPECT_TRUE(GetWindowLongA(ht, GWL_STYLE) & static_cast<LONG>(WS_CAPTION));
  SetWindowLongA(ht, GWL_EXSTYLE, WS_EX_TOPMOST);
  EXPECT_TRUE(top.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(GetWindowLongA(ht, GWL_EXSTYLE), static_cast<LONG>(WS_EX_TOPMOST));
  ShowWindow(ht, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(ht));
}

TEST(MessageWindow, ShowWindowTracksVisibilityAndTellsTheProcedure) {
  std::vector<WPARAM> shows;
  HWND hwnd = CreateMessageWindow([&](HWND, UINT msg, WPARAM w, LPARAM) -> LRESULT {
    if (msg == WM_SHOWWINDOW) shows.push_back(w);
    return 0;
  });
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_FALSE(ShowWindow(hwnd, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_TRUE(ShowWindow(hwnd, SW_SHOWNORMAL)); // no change: no message
  EXPECT_TRUE(ShowWindow(hwnd, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_EQ(shows, (std::vector<WPARAM>{TRUE, FALSE}));
  DestroyWindow(hwnd);
}

TEST(WidgetWindow, AProcedureInstalledOverAnotherCanPassMessagesOn) {
  QWidget form;
  HWND h = WindowFromWidget(&form);
  EXPECT_FALSE(GetWindowProc(h));
  std::vector<std::string> calls;
  SetWindowProc(h, [&](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
    calls.push_back("first " + std::to_string(msg));
    return 7;
  });
  WNDPROC previous = GetWindowProc(h);
  ASSERT_TRUE(previous);
  SetWindowProc(h, [&, previous](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
    calls.push_back("second " + std::to_string(msg));
    return previous(hwnd, msg, w, l) + 1;
  });
  EXPECT_EQ(SendMessageA(h, WM_USER, 0, 0), 8);
  EXPECT_EQ(calls, (std::vector<std::string>{"second 1024", "first 1024"}));
}

TEST(WidgetWindow, ToolWindowStyleIsKept) {
  QWidget top;
  HWND h = WindowFromWidget(&top);
  SetWindowLongA(h, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
  top.show();
  EXPECT_EQ(GetWindowLongA(h, GWL_EXSTYLE), static_cast<LONG>(WS_EX_TOOLWINDOW));
  SetWindowLongA(h, GWL_EXSTYLE, 0);
  EXPECT_EQ(GetWindowLongA(h, GWL_EXSTYLE), 0);
  EXPECT_TRUE(top.isVisible());
}

TEST(Screen, MetricsComeFromThePrimaryScreen) {
  EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
  EXPECT_GT(GetSystemMetrics(SM_CYSCREEN), 0);
  EXPECT_LE(GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CXSCREEN));
  POINT p{-1, -1};
  EXPECT_TRUE(GetCursorPos(&p));
}

} // namespace

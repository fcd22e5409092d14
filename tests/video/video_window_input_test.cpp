// The video window as a control: mouse events, the context menu, alignment, paint.
#include "video/video_window.h"

#include "framework/application.h"
#include "framework/menus.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

class RecordingHost : public QWidget {
public:
  int contextMenus = 0;

protected:
  void contextMenuEvent(QContextMenuEvent *event) override {
    ++contextMenus;
    event->accept();
  }
};

class VideoInputTest : public ::testing::Test {
protected:
  VideoInputTest() {
    host.resize(400, 300);
    video = new TVideoWindow(&host);
    video->setGeometry(10, 20, 300, 200);
    host.show();
    video->OnMouseDown = [this](QObject *, TMouseButton b, TShiftState s, int x, int y) {
      events.push_back("down " + std::to_string(b) + " " + std::to_string(s) + " " + Point(x, y));
    };
    video->OnMouseMove = [this](QObject *, TShiftState s, int x, int y) {
      events.push_back("move " + std::to_string(s) + " " + Point(x, y));
    };
    video->OnMouseUp = [this](QObject *, TMouseButton b, TShiftState s, int x, int y) {
      events.push_back("up " + std::to_string(b) + " " + std::to_string(s) + " " + Point(x, y));
    };
    video->OnClick = [this](QObject *) { events.push_back("click"); };
    video->OnDblClick = [this](QObject *) { events.push_back("dblclick"); };
  }
  ~VideoInputTest() override { menu.hide(); }

  static std::string Point(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
  void Send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
            Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QMouseEvent e(type, at, video->mapToGlobal(at), button, buttons, keys);
    QCoreApplication::sendEvent(video, &e);
  }
  bool ContextMenu(QPoint at) {
    QContextMenuEvent e(QContextMenuEvent::Mouse, at, video->mapToGlobal(at));
    QCoreApplication::sendEvent(video, &e);
    return e.isAccepted();
  }

  RecordingHost host;
  TVideoWindow *video;
  TPopupMenu menu;
  std::vector<std::string> events;
};

TEST_F(VideoInputTest, MovesWithoutAButtonArriveWithTheShiftState) {
  Send(QEvent::MouseMove, QPoint(5, 6), Qt::NoButton, Qt::NoButton, Qt::ShiftModifier | Qt::ControlModifier);
  Send(QEvent::MouseMove, QPoint(7, 8), Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(events, (std::vector<std::string>{"move " + std::to_string(ssShift | ssCtrl) + " 5,6",
                                              "move " + std::to_string(ssLeft) + " 7,8"}));
}

TEST_F(VideoInputTest, PressAndReleaseGiveDownUpAndClick) {
  Send(QEvent::MouseButtonPress, QPoint(5, 6), Qt::LeftButton, Qt::LeftButton);
  Send(QEvent::MouseButtonRelease, QPoint(5, 6), Qt::LeftButton, Qt::NoButton);
  Send(QEvent::MouseButtonPress, QPoint(9, 9), Qt::RightButton, Qt::RightButton);
  Send(QEvent::MouseButtonRelease, QPoint(9, 9), Qt::RightButton, Qt::NoButton);
  EXPECT_EQ(events, (std::vector<std::string>{"down 0 " + std::to_string(ssLeft) + " 5,6", "up 0 0 5,6", "click",
                                              "down 1 " + std::to_string(ssRight) + " 9,9", "up 1 0 9,9"}));
}

TEST_F(VideoInputTest, ADoubleClickRaisesDblClickThenADoubleMouseDown) {
  Send(QEvent::MouseButtonDblClick, QPoint(5, 6), Qt::LeftButton, Qt::LeftButton);
  Send(QEvent::MouseButtonRelease, QPoint(5, 6), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(events, (std::vector<std::string>{"dblclick", "down 0 " + std::to_string(ssLeft | ssDouble) + " 5,6",
                                              "up 0 0 5,6"}));
}

TEST_F(VideoInputTest, AFailingHandlerGoesToTheErrorHandler) {
  std::vector<QString> shown;
  Application().SetExceptionHook([&](QObject *, const QString &message) { shown.push_back(message); });
  video->OnMouseMove = [](QObject *, TShiftState, int, int) { throw std::runtime_error("no navigator"); };
  Send(QEvent::MouseMove, QPoint(1, 1), Qt::NoButton, Qt::NoButton);
  Application().SetExceptionHook(nullptr);
  EXPECT_EQ(shown, std::vector<QString>{"no navigator."});
}

TEST_F(VideoInputTest, InAWindowTheMenuPopsUpAtThePointerOrTheParentHandlesIt) {
  ContextMenu(QPoint(5, 5));
  EXPECT_EQ(host.contextMenus, 1);
  video->SetPopupMenu(&menu);
  menu.addAction("Play");
  EXPECT_TRUE(ContextMenu(QPoint(50, 60)));
  EXPECT_TRUE(menu.isVisible());
  EXPECT_EQ(menu.pos(), video->mapToGlobal(QPoint(50, 60)));
  EXPECT_EQ(host.contextMenus, 1);
}

TEST_F(VideoInputTest, InFullScreenTheMenuPopsUpAtTheCursorOrNothingHappens) {
  video->SetFullScreen(true); // no renderer: only the request is kept, which is what counts
  EXPECT_TRUE(ContextMenu(QPoint(5, 5)));
  EXPECT_EQ(host.contextMenus, 0);

  menu.addAction("Play");
  menu.SetAutoPopup(false);
  video->SetPopupMenu(&menu);
  EXPECT_TRUE(ContextMenu(QPoint(5, 5)));
  EXPECT_FALSE(menu.isVisible());
  EXPECT_EQ(host.contextMenus, 0);

  menu.SetAutoPopup(true);
  QCursor::setPos(640, 480);
  EXPECT_TRUE(ContextMenu(QPoint(5, 5)));
  EXPECT_TRUE(menu.isVisible());
  EXPECT_EQ(menu.pos(), QPoint(640, 480));
  EXPECT_EQ(menu.PopupComponent(), video);
  EXPECT_EQ(host.contextMenus, 0);
}

TEST_F(VideoInputTest, ARightButtonReleaseRaisesMouseUpThenTheMenu) {
  menu.addAction("Play");
  video->SetPopupMenu(&menu);
  bool openAtMouseUp = true;
  video->OnMouseUp = [&](QObject *, TMouseButton, TShiftState, int, int) { openAtMouseUp = menu.isVisible(); };
  // As the renderer's window drains it.
  Send(QEvent::MouseButtonPress, QPoint(30, 40), Qt::RightButton, Qt::RightButton);
  EXPECT_FALSE(menu.isVisible());
  Send(QEvent::MouseButtonRelease, QPoint(30, 40), Qt::RightButton, Qt::NoButton);
  EXPECT_FALSE(openAtMouseUp);
  EXPECT_TRUE(menu.isVisible());
  EXPECT_EQ(menu.pos(), video->mapToGlobal(QPoint(30, 40)));
  EXPECT_EQ(host.contextMenus, 0);
}

TEST_F(VideoInputTest, ARightButtonReleaseWithoutAMenuGoesToTheParentExceptInFullScreen) {
  Send(QEvent::MouseButtonRelease, QPoint(30, 40), Qt::RightButton, Qt::NoButton);
  EXPECT_EQ(host.contextMenus, 1);
  video->SetFullScreen(true);
  Send(QEvent::MouseButtonRelease, QPoint(30, 40), Qt::RightButton, Qt::NoButton);
  EXPECT_EQ(host.contextMenus, 1);
}

TEST_F(VideoInputTest, AMenuThatGoesAwayIsForgotten) {
  auto *gone = new TPopupMenu;
  video->SetPopupMenu(gone);
  delete gone;
  EXPECT_EQ(video->PopupMenu(), nullptr);
  ContextMenu(QPoint(5, 5));
  EXPECT_EQ(host.contextMenus, 1);
}

TEST_F(VideoInputTest, ClientAlignmentFillsAndFollowsTheParent) {
  int resizes = 0;
  video->OnResize = [&](QObject *) { ++resizes; };
  video->SetAlign(alClient);
  EXPECT_EQ(video->geometry(), QRect(0, 0, 400, 300));
  host.resize(500, 350);
  EXPECT_EQ(video->geometry(), QRect(0, 0, 500, 350));
  EXPECT_EQ(resizes, 2);
  video->SetAlign(alNone);
  host.resize(200, 100);
  EXPECT_EQ(video->geometry(), QRect(0, 0, 500, 350));
}

TEST_F(VideoInputTest, TheBackgroundIsPaintedInTheColourBeforeOnPaint) {
  bool hadCanvas = false;
  video->OnPaint = [&](QObject *) {
    hadCanvas = video->Canvas() != nullptr;
    video->Canvas()->fillRect(0, 0, 10, 10, Qt::white);
  };
  video->SetColor(0x00336699); // 0x00BBGGRR
  QImage picture = video->grab().toImage();
  EXPECT_TRUE(hadCanvas);
  EXPECT_EQ(video->Canvas(), nullptr);
  EXPECT_EQ(picture.pixelColor(100, 100), QColor(0x99, 0x66, 0x33));
  EXPECT_EQ(picture.pixelColor(5, 5), QColor(Qt::white));
}

} // namespace

#include "framework/application.h"
#include "framework/controls.h"
#include "framework/forms.h"
#include "framework/menus.h"
#include "support/qt_printers.h"
#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenuBar>

namespace {

class CloseFilter : public QObject {
public:
  bool consume = true;
  int closes = 0;
  int minimizes = 0;
  bool eventFilter(QObject *, QEvent *e) override {
    if (e->type() == QEvent::Close) {
      ++closes;
      if (consume) e->ignore(); // a consumed close must be refused, as the toolkit reads it
      return consume;
    }
    if (e->type() == QEvent::WindowStateChange) ++minimizes;
    return false;
  }
};

TEST(Form, ClientAreaLiesBelowTheMenuAndKeepsItsStoredSize) {
  TForm form;
  form.SetBorderStyle(bsSingle);
  form.SetClientWidth(324);
  form.SetClientHeight(95);
  form.SetLeft(274);
  form.SetTop(345);
  auto *menu = new TMainMenu(&form);
  auto *file = new TMenuItem(&form);
  file->SetCaption("&File");
  menu->Items()->Add(file);
  auto *open = new TMenuItem(&form);
  open->SetCaption("&Apri");
  file->Add(open);
  form.SetMenu(menu);

  ASSERT_NE(form.MenuBar(), nullptr);
  int bar = form.MenuBar()->height();
  EXPECT_GT(bar, 10);
  EXPECT_EQ(form.Client()->geometry(), QRect(0, bar, 324, 95));
  EXPECT_EQ(form.ClientWidth(), 324);
  EXPECT_EQ(form.ClientHeight(), 95);
  EXPECT_EQ(form.size(), QSize(324, 95 + bar));
  EXPECT_EQ(form.minimumSize(), form.maximumSize()); // not resizable
  EXPECT_EQ(form.Left(), 274);
  EXPECT_EQ(form.Top(), 345);
  ASSERT_EQ(form.MenuBar()->actions().size(), 1);
  EXPECT_EQ(form.MenuBar()->actions()[0], file);
}

TEST(Form, FrameStylesMapToWindowFlags) {
  TForm panel;
  panel.SetBorderStyle(bsSingle);
  panel.SetBorderIcons(biSystemMenu | biMinimize);
  Qt::WindowFlags f = panel.windowFlags();
  EXPECT_TRUE(f & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(f & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(f & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(f & Qt::WindowTitleHint);
  EXPECT_FALSE(f & Qt::FramelessWindowHint);
  EXPECT_FALSE(f & Qt::WindowStaysOnTopHint);

  TForm info;
  info.SetBorderStyle(bsDialog); // a dialog frame never minimizes or maximizes
  info.SetFormStyle(fsStayOnTop);
  f = info.windowFlags();
  EXPECT_EQ(f & Qt::WindowType_Mask, Qt::Dialog);
  EXPECT_FALSE(f & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(f & Qt::WindowStaysOnTopHint);

  TForm show;
  show.SetClientWidth(323);
  show.SetClientHeight(190);
  f = show.windowFlags();
  EXPECT_TRUE(f & Qt::WindowMaximizeButtonHint);
  EXPECT_NE(show.minimumSize(), show.maximumSize()); // resizable
  show.Show();
  show.resize(400, 300);
  EXPECT_EQ(show.ClientWidth(), 400);
  EXPECT_EQ(show.ClientHeight(), 300);

  TForm bar;
  bar.SetBorderStyle(bsNone);
  bar.SetFormStyle(fsStayOnTop);
  EXPECT_TRUE(bar.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(bar.windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST(Form, ChangingFlagsKeepsAShownFormShownAndInPlace) {
  TForm form;
  form.SetClientWidth(100);
  form.SetClientHeight(50);
  form.SetLeft(40);
  form.SetTop(60);
  form.Show();
  form.SetFormStyle(fsStayOnTop);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.pos(), QPoint(40, 60));
}

TEST(Form, CloseAsksOnCloseQueryThenHides) {
  TForm form;
  std::vector<std::string> calls;
  bool permit = false;
  form.OnCloseQuery = [&](QObject *sender, bool &canClose) {
    EXPECT_EQ(sender, &form);
    calls.push_back("query");
    canClose = permit;
  };
  form.OnClose = [&](QObject *, TCloseAction &action) {
    calls.push_back("close");
    EXPECT_EQ(action, caHide);
  };
  form.Show();
  form.Close();
  EXPECT_TRUE(form.isVisible());
  permit = true;
  form.Close();
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(calls, (std::vector<std::string>{"query", "query", "close"}));
}

TEST(Form, ThrowingCloseQueryIsReportedAndKeepsTheFormOpen) {
  ScopedScriptedDialogs dialogs;
  TForm form;
  form.OnCloseQuery = [](QObject *, bool &) { throw Exception("no"); };
  form.Show();
  form.Close();
  EXPECT_TRUE(form.isVisible());
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].flags, MB_OK | MB_ICONERROR);
}

TEST(Form, ComponentFiltersSeeCloseAndMinimizeCommandsFirst) {
  TForm form;
  int queries = 0;
  form.OnCloseQuery = [&](QObject *, bool &) { ++queries; };
  CloseFilter filter;
  form.installEventFilter(&filter);
  form.Show();

  form.Close();
  SendMessageA(WindowFromWidget(&form), WM_SYSCOMMAND, SC_CLOSE, 0);
  PostMessageA(WindowFromWidget(&form), WM_CLOSE, 0, 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(filter.closes, 3);
  EXPECT_EQ(queries, 0);
  EXPECT_TRUE(form.isVisible());

  SendMessageA(WindowFromWidget(&form), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_GE(filter.minimizes, 1);

  filter.consume = false;
  form.Perform(WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(queries, 1);
  EXPECT_FALSE(form.isVisible());

  SendMessageA(WindowFromWidget(&form), WM_SHOWWINDOW, 1, 0);
  EXPECT_TRUE(form.isVisible());
}

TEST(Form, OnShowRunsEachTimeTheFormBecomesVisible) {
  TForm form;
  int shows = 0;
  form.OnShow = [&](QObject *) { ++shows; };
  form.Show();
  form.Show();
  form.Hide();
  form.SetVisible(true);
  EXPECT_EQ(shows, 2);
}

TEST(Form, OnCreateErrorsGoToTheGeneralHandler) {
  ScopedScriptedDialogs dialogs;
  TForm form;
  form.OnCreate = [](QObject *) { throw Exception("bad start"); };
  form.DoCreate();
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text, "bad start.");
}

TEST(Form, ColourAndFontReachTheWindow) {
  TForm form;
  form.SetColor(0x193447);
  form.SetFont(TFont("MS Sans Serif", -11, clWindowText));
  EXPECT_EQ(form.palette().color(QPalette::Window), QColor(71, 52, 25));
  EXPECT_EQ(form.font().pixelSize(), 11);
  EXPECT_EQ(form.Font().Size(), 8);
  form.SetClientWidth(20);
  form.SetClientHeight(20);
  QImage shot = form.grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(10, 10)), QColor(71, 52, 25));
}

TEST(Form, AlignedControlsFollowTheClientArea) {
  TForm form;
  form.SetClientWidth(419);
  form.SetClientHeight(115);
  auto *top = new QWidget(form.Client());
  top->resize(10, 73);
  SetAlign(top, alTop);
  auto *rest = new QWidget(form.Client());
  SetAlign(rest, alClient);
  EXPECT_EQ(top->geometry(), QRect(0, 0, 419, 73));
  EXPECT_EQ(rest->geometry(), QRect(0, 73, 419, 42));
  form.Show();
  form.resize(500, 200);
  EXPECT_EQ(top->geometry(), QRect(0, 0, 500, 73));
  EXPECT_EQ(rest->geometry(), QRect(0, 73, 500, 127));
}

} // namespace

#include "framework/application.h"
#include "framework/buttons.h"
#include "framework/checkbox.h"
#include "framework/controls.h"
#include "framework/image.h"
#include "framework/label.h"
#include "framework/open_dialog.h"
#include "framework/panel.h"
#include "support/qt_printers.h"
#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace {

void SendMouse(QWidget *w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

void Click(QWidget *w) {
  QPoint c = w->rect().center();
  SendMouse(w, QEvent::MouseButtonPress, c, Qt::LeftButton, Qt::LeftButton);
  SendMouse(w, QEvent::MouseButtonRelease, c, Qt::LeftButton, Qt::NoButton);
}

TEST(BitBtn, ClickRunsOnClickAndAThrowingHandlerIsReportedOnce) {
  ScopedScriptedDialogs dialogs;
  QWidget host;
  auto *button = new TsBitBtn(&host);
  button->setGeometry(0, 0, 41, 25);
  host.show();
  std::vector<QObject *> senders;
  button->OnClick = [&](QObject *sender) { senders.push_back(sender); };
  Click(button);
  button->Click();
  EXPECT_EQ(senders, (std::vector<QObject *>{button, button}));

  button->OnClick = [](QObject *) { throw Exception("Interface not supported"); };
  Click(button);
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text, "Interface not supported.");
  EXPECT_EQ(dialogs->messages[0].flags, MB_OK | MB_ICONERROR);

  button->OnClick = nullptr;
  Click(button); // an unbound click is skipped
  EXPECT_EQ(dialogs->messages.size(), 1u);
}

TEST(BitBtn, GlyphHintAndSection) {
  TsBitBtn button;
  EXPECT_EQ(button.SkinSection(), "BUTTON");
  EXPECT_EQ(SkinSectionOf(&button), "BUTTON");
  EXPECT_TRUE(button.toolTip().isEmpty());
  button.SetHint("Schermo intero");
  EXPECT_EQ(button.toolTip(), "Schermo intero");
  QPixmap glyph(35, 14);
  glyph.fill(Qt::gray);
  button.SetGlyph(glyph);
  EXPECT_EQ(button.iconSize(), QSize(35, 14));
  EXPECT_TRUE(button.Caption().isEmpty());
}

TEST(CheckBox, OnClickOnlyForRealChangesIncludingProgrammaticOnes) {
  QWidget host;
  auto *box = new TsCheckBox(&host);
  box->setGeometry(0, 0, 54, 20);
  box->SetCaption("Mute");
  host.show();
  std::vector<bool> seen;
  box->OnClick = [&](QObject *sender) {
    EXPECT_EQ(sender, box);
    seen.push_back(box->Checked());
  };
  box->SetChecked(false); // unchanged
  box->SetChecked(true);
  box->SetChecked(true); // unchanged
  Click(box);            // user clears it
  EXPECT_EQ(seen, (std::vector<bool>{true, false}));
  EXPECT_EQ(box->SkinSection(), "CHECKBOX");
}

TEST(Panel, ReportsMouseOnItsSurfaceAndKeepsThePointerWhileHeld) {
  QWidget host;
  host.resize(600, 100);
  auto *panel = new TsPanel(&host);
  panel->setGeometry(0, 0, 506, 29);
  host.show();
  std::vector<std::string> log;
  panel->OnMouseDown = [&](QObject *, TMouseButton b, TShiftState s, int x, int y) {
    log.push_back("down " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y) +
                  ((s & ssLeft) ? " L" : ""));
  };
  panel->OnMouseMove = [&](QObject *, TShiftState, int x, int y) {
    log.push_back("move " + std::to_string(x) + "," + std::to_string(y));
  };
  panel->OnMouseUp = [&](QObject *, TMouseButton b, TShiftState, int x, int y) {
    log.push_back("up " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y));
  };
  SendMouse(panel, QEvent::MouseButtonPress, {300, 10}, Qt::LeftButton, Qt::LeftButton);
  SendMouse(panel, QEvent::MouseMove, {-40, 60}, Qt::NoButton, Qt::LeftButton); // outside
  SendMouse(panel, QEvent::MouseButtonRelease, {-40, 60}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(log, (std::vector<std::string>{"down 0 300,10 L", "move -40,60", "up 0 -40,60"}));
  EXPECT_EQ(panel->SkinSection(), "PANEL");
}

TEST(Panel, ArrangesAlignedChildrenAndShowsItsCaption) {
  TsPanel panel;
  panel.resize(200, 60);
  auto *fill = new QWidget(&panel);
  SetAlign(fill, alClient);
  EXPECT_EQ(fill->geometry(), panel.contentsRect());
  panel.SetCaption("La modalità schermo intero, è attiva in fase di lettura del dvd.");
  EXPECT_EQ(panel.Caption(), "La modalità schermo intero, è attiva in fase di lettura del dvd.");
}

TEST(Label, AutoSizeFollowsCaptionAndFont) {
  QWidget host;
  host.setFont(TFont("MS Sans Serif", -11).ToQFont());
  auto *label = new TsLabel(&host);
  label->move(0, 32);
  label->SetCaption("Capitolo:");
  int narrow = label->width();
  EXPECT_GT(narrow, 20);
  EXPECT_GE(label->height(), 11);
  label->SetCaption("Capitolo: 12");
  EXPECT_GT(label->width(), narrow);
  EXPECT_EQ(label->pos(), QPoint(0, 32));
  EXPECT_TRUE(label->ParentFont());

  label->SetFont(TFont("MS Sans Serif", -11, 0x76939D));
  EXPECT_FALSE(label->ParentFont());
  EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(157, 147, 118));
  EXPECT_EQ(label->Font().Color(), 0x76939D);
  label->SetAutoSize(false);
  label->resize(5, 5);
  label->SetCaption("Capitolo: 1234567");
  EXPECT_EQ(label->size(), QSize(5, 5));
}

TEST(Image, DrawsItsPictureUnscaledAtTheTopLeft) {
  QWidget host;
  host.setAutoFillBackground(true);
  QPalette p = host.palette();
  p.setColor(QPalette::Window, Qt::black);
  host.setPalette(p);
  host.resize(300, 200);
  auto *image = new TImage(&host);
  image->setGeometry(57, 64, 216, 49);
  QImage picture(200, 36, QImage::Format_RGB32);
  picture.fill(QColor(200, 10, 10));
  image->SetPicture(picture);
  QImage shot = host.grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(57, 64)), QColor(200, 10, 10));
  EXPECT_EQ(QColor(shot.pixel(57 + 199, 64 + 35)), QColor(200, 10, 10));
  EXPECT_EQ(QColor(shot.pixel(57 + 205, 64 + 40)), QColor(Qt::black)); // not stretched
  EXPECT_EQ(QColor(shot.pixel(56, 63)), QColor(Qt::black));

  EXPECT_FALSE(image->LoadFromFile("/nonexistent/logo.png"));
  EXPECT_TRUE(image->Picture().isNull());
}

TEST(OpenDialog, RunsThroughTheDialogServiceAndKeepsTheNameOnCancel) {
  ScopedScriptedDialogs dialogs;
  dialogs->openAnswers = {"/media/disc/VIDEO_TS/VIDEO_TS.IFO", ""};
  TOpenDialog dialog;
  dialog.SetTitle("Apri DVD Video");
  dialog.SetFilter("VIDEO_TS.IFO|VIDEO_TS.IFO|Files IFO|*.IFO");
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), "/media/disc/VIDEO_TS/VIDEO_TS.IFO");
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), "/media/disc/VIDEO_TS/VIDEO_TS.IFO");
  ASSERT_EQ(dialogs->openRequests.size(), 2u);
  EXPECT_EQ(dialogs->openRequests[0].title, "Apri DVD Video");
  EXPECT_EQ(dialogs->openRequests[0].filter, "VIDEO_TS.IFO|VIDEO_TS.IFO|Files IFO|*.IFO");
  EXPECT_EQ(dialogs->openRequests[0].filterIndex, 1);
}

TEST(Graphics, ColoursAreRedInTheLowByteAndSystemColoursResolve) {
  EXPECT_EQ(ToQColor(0x193447), QColor(71, 52, 25));
  EXPECT_EQ(FromQColor(QColor(157, 147, 118)), 0x76939D);
  EXPECT_EQ(ToQColor(clWindowText), QApplication::palette().color(QPalette::Text));
  EXPECT_FALSE(ToQColor(clNone).isValid());
  TFont font("No Such Family Anywhere", -11);
  EXPECT_EQ(font.ToQFont().pixelSize(), 11);
  EXPECT_EQ(font.Name(), "No Such Family Anywhere");
  EXPECT_EQ(font.Size(), 8);
}

} // namespace

// The player on the real platform and a real display with the authored discs: the
// four windows created for each test, a scripted dialog service, pointer input through
// xdotool, and what the screen shows of the video window.
#pragma once

#include "app/Unit1.h"
#include "app/Unit3.h"
#include "app/startup.h"
#include "dvd/graph_builder.h"
#include "dvd/volume.h"
#include "engine/filter_graph.h"
#include "framework/application.h"
#include "framework/buttons.h"
#include "framework/label.h"
#include "framework/menus.h"
#include "support/fixtures.h"
#include "support/qt_printers.h"
#include "support/player_display.h"
#include "support/pointer.h"
#include "support/scripted_dialogs.h"
#include "video/video_window.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

class PlayDisplayTest : public PlayerDisplayTest {
protected:
  void SetUp() override {
    PlayerDisplayTest::SetUp();
    if (!Started()) return;
    NEEDS(CoIsClassRegistered(CLSID_VideoRenderer)) << "the video renderer is not registered";
  }

  void TearDown() override {
    PlayerDisplayTest::TearDown();
    dvd::SetDriveListForTests(dvd::DefaultDrives());
  }

  QString Directory() {
    WCHAR path[1024] = {};
    ULONG size = 0;
    if (auto info = Query<IDvdInfo2>(); !info || FAILED(info->GetDVDDirectory(path, 1024, &size))) return {};
    return QString::fromUtf16(path);
  }
  // The filters of the graph's classes, in graph order.
  int CountOf(REFCLSID clsid) {
    ComPtr<IGraphBuilder> graph = Query<IGraphBuilder>();
    ComPtr<IEnumFilters> filters;
    if (!graph || FAILED(graph->EnumFilters(&filters))) return 0;
    int n = 0;
    ComPtr<IBaseFilter> f;
    while (filters->Next(1, &f, nullptr) == S_OK) {
      CLSID c{};
      n += SUCCEEDED(f->GetClassID(&c)) && c == clsid;
    }
    return n;
  }

  // What the screen shows of the video window.
  QImage Picture() {
    TVideoWindow *video = Form3->VideoWindow;
    const QPoint at = video->mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), video->width(), video->height()).toImage();
  }
  // The disc's title menu is blue: most of the picture is, once it shows.
  static bool MostlyBlue(const QImage &image) {
    int blue = 0, all = 0;
    for (int y = 0; y < image.height(); y += 4)
      for (int x = 0; x < image.width(); x += 4, ++all) {
        const QColor c = image.pixelColor(x, y);
        blue += c.blue() > c.red() + 50 && c.blue() > c.green() + 50;
      }
    return all && blue * 2 > all;
  }
  bool PictureMoves() {
    const QImage first = Picture();
    return WaitFor([&] { return Picture() != first; }, 3000);
  }
  // Real pointer input: a left click at a screen point, handled when this returns.
  static void ClickAt(QPoint at) {
    ASSERT_TRUE(ClickOnScreen(at)) << "the click at " << at.x() << "," << at.y() << " did not arrive";
  }
  // Clicks a button of the control panel and waits until its command has run.
  // True when the window manager stacks `a`'s window above `b`'s.
  static bool Above(QWidget *a, QWidget *b) {
    QProcess xprop;
    xprop.start("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"});
    if (!xprop.waitForFinished(3000)) return false;
    const QString out = QString::fromLatin1(xprop.readAllStandardOutput());
    const QStringList ids = out.mid(out.indexOf('#') + 1).split(',', Qt::SkipEmptyParts);
    int ia = -1, ib = -1;
    for (int i = 0; i < ids.size(); ++i) {
      const WId id = ids[i].trimmed().toULongLong(nullptr, 16);
      if (id == a->winId()) ia = i;
      if (id == b->winId()) ib = i;
    }
    return ia >= 0 && ib >= 0 && ia > ib;
  }
  void Press(TsBitBtn *button, const std::function<bool()> &done) {
    ClickAt(button->mapToGlobal(button->rect().center()));
    ASSERT_TRUE(WaitFor(done, 5000)) << "the click did not have its effect";
  }
  // File › Apri with the pointer; the open dialog answers `path`.
  void Choose(const QString &path) {
    dialogs->openAnswers.push_back(path);
    const std::size_t asked = dialogs->openRequests.size();
    QMenuBar *bar = FormDVDPlayer->MenuBar();
    QAction *file = nullptr;
    for (QAction *a : bar->actions())
      if (a == FormDVDPlayer->FileMenu || (a->menu() && a->menu() == FormDVDPlayer->FileMenu->SubMenu())) file = a;
    ASSERT_NE(file, nullptr);
    ClickAt(bar->mapToGlobal(bar->actionGeometry(file).center()));
    QMenu *menu = FormDVDPlayer->FileMenu->SubMenu();
    ASSERT_TRUE(WaitFor([&] { return menu->isVisible(); }, 3000)) << "the File menu does not open";
    ClickAt(menu->mapToGlobal(menu->actionGeometry(FormDVDPlayer->OpenMenu).center()));
    ASSERT_TRUE(WaitFor([&] { return dialogs->openRequests.size() > asked && !menu->isVisible(); }, 3000))
        << "File > Apri did not run";
  }
  static int Seconds(const QString &time) {
    static const QRegularExpression re("^Tempo: (\\d+):(\\d+):(\\d+)$");
    const auto m = re.match(time);
    return m.hasMatch() ? (m.captured(1).toInt() * 60 + m.captured(2).toInt()) * 60 + m.captured(3).toInt() : -1;
  }
  QString Chapter() { return FormDVDPlayer->Labelcap->Caption(); }
  QString Title() { return FormDVDPlayer->Labeltit->Caption(); }
  QString Time() { return FormDVDPlayer->Labeltime->Caption(); }

  // Play with DVD_DEVICE at the menu disc; waits for its title menu on the screen.
  void PlayMenuDisc() {
    qputenv("DVD_DEVICE", Disc("ntsc_menu").toLocal8Bit());
    Press(FormDVDPlayer->sBitBtn1, [] { return Form3->isVisible(); });
    ASSERT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
    ASSERT_TRUE(Form3->isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form3));
    ASSERT_TRUE(WaitFor([&] { return Domain() == DVD_DOMAIN_VideoManagerMenu && MostlyBlue(Picture()); }))
        << "the title menu does not show";
  }
  void StartTitle(ULONG title) {
    ComPtr<IDvdControl2> dvd = Query<IDvdControl2>();
    ASSERT_TRUE(dvd);
    ComPtr<IDvdCmd> cmd;
    ASSERT_EQ(dvd->PlayTitle(title, 0, &cmd), S_OK);
    ASSERT_TRUE(WaitFor([&] { return Domain() == DVD_DOMAIN_Title; }));
  }
};

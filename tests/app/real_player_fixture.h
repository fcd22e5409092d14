// The player's windows on the real platform and a real display, with the authored
// discs and a scripted dialog service.
#pragma once

#include "app/Unit1.h"
#include "app/Unit3.h"
#include "app/startup.h"
#include "dshow/dshow.h"
#include "engine/filter_graph.h"
#include "framework/application.h"
#include "framework/label.h"
#include "framework/menus.h"
#include "support/fixtures.h"
#include "support/qt_printers.h"
#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>

#include <functional>

inline bool WaitFor(const std::function<bool()> &done, int ms = 10000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QTest::qWait(20);
  }
  return true;
}

inline QString Disc(const char *name) { return QString::fromStdString(FixturePath(name)); }

class RealPlayerTest : public ::testing::Test {
protected:
  void SetUp() override {
    NEEDS_DISPLAY();
    NEEDS(QGuiApplication::platformName() == "xcb") << "not on an X display";
    CoInitialize(nullptr);
    ASSERT_TRUE(CoIsClassRegistered(CLSID_DvdGraphBuilder)) << "the DVD graph builder is not registered";
    ASSERT_TRUE(QFileInfo::exists(Disc("ntsc_menu") + "/VIDEO_TS/VIDEO_TS.IFO")) << "no test discs in " << FixtureDir();
    hadDevice_ = qEnvironmentVariableIsSet("DVD_DEVICE");
    savedDevice_ = qgetenv("DVD_DEVICE");
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    Application().Run();
    Application().SetTitle(QStringLiteral("Quovadel DVD"));
    CreateApplicationForms();
    FormDVDPlayer->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(FormDVDPlayer));
    started_ = true;
  }

  void TearDown() override {
    if (started_) {
      Application().Guard(nullptr, [] {
        FormDVDPlayer->FilterGraph->ClearGraph();
        FormDVDPlayer->FilterGraph->SetActive(false);
      });
      DestroyApplicationForms();
    }
    if (hadDevice_)
      qputenv("DVD_DEVICE", savedDevice_);
    else
      qunsetenv("DVD_DEVICE");
  }

  TFilterGraph *Graph() { return FormDVDPlayer->FilterGraph; }
  template <class I> ComPtr<I> Query() {
    ComPtr<I> p;
    Graph()->QueryInterface(IID_PPV_ARGS(&p));
    return p;
  }
  DVD_DOMAIN Domain() {
    DVD_DOMAIN domain = DVD_DOMAIN_Stop;
    if (auto info = Query<IDvdInfo2>()) info->GetCurrentDomain(&domain);
    return domain;
  }
  QString Labels() {
    return FormDVDPlayer->Labelcap->Caption() + "|" + FormDVDPlayer->Labeltit->Caption() + "|" +
           FormDVDPlayer->Labeltime->Caption();
  }

  // DVD › Play with DVD_DEVICE at `volume`; waits until the disc's menu or first title runs.
  void PlayVolume(const QString &volume) {
    qputenv("DVD_DEVICE", volume.toLocal8Bit());
    FormDVDPlayer->PlayMenu->trigger();
    ASSERT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
    ASSERT_TRUE(WaitFor([&] { return Domain() == DVD_DOMAIN_VideoManagerMenu || Domain() == DVD_DOMAIN_Title; }))
        << "the disc does not start";
  }
  // Starts a title and waits until its time label moves.
  void PlayTitle(ULONG title) {
    ComPtr<IDvdControl2> dvd = Query<IDvdControl2>();
    ASSERT_TRUE(dvd);
    ComPtr<IDvdCmd> cmd;
    ASSERT_EQ(dvd->PlayTitle(title, 0, &cmd), S_OK);
    ASSERT_TRUE(WaitFor([&] { return Domain() == DVD_DOMAIN_Title; }));
    ASSERT_TRUE(WaitFor([&] { return FormDVDPlayer->Labeltime->Caption().startsWith("Tempo: 0:0:"); }))
        << FormDVDPlayer->Labeltime->Caption().toStdString();
  }

  ScopedScriptedDialogs dialogs;
  bool started_ = false;
  bool hadDevice_ = false;
  QByteArray savedDevice_;
};
